// String procedures, versions, privileged members and the settings store.
// (Scrambling: the user file's tests; the read-only attribute: the shared
// files' tests.)

#include "TestEnv.h"
#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Settings.h"
#include "app/modSkiff.h"
#include "app/shrmodStrings.h"

#include <QtTest>

using namespace shrmodStrings;
using namespace modSkiff;

class TestSharedProcedures : public QObject
{
    Q_OBJECT
private slots:
    // Rows: "text|search|replacement|...|result"; ReplaceTextKeepCase too
    // when the row name says "keep case".
    void replacing_data()
    {
        QTest::addColumn<QString>("row");
        // The first occurrence is found ignoring case, later ones exactly;
        // inserted text is never searched again; pairs run in order.
        QTest::newRow("first ignoring case") << "Abc abc ABC|abc|x|x x ABC";
        QTest::newRow("never searched again") << "aa|a|aa|aaaa";
        QTest::newRow("pairs in order") << "one two|one|two|two|three|three three";
        QTest::newRow("keep case: capitalised") << "Hello HELLO|hello|bye|Bye HELLO";
        QTest::newRow("keep case: capitals") << "HELLO|hello|bye|BYE";
        QTest::newRow("keep case: lower") << "say hello|HELLO|Bye|say bye";
        QTest::newRow("keep case: mixed is kept") << "hELLo|hello|bYe|bYe";
        QTest::newRow("keep case: quotes") << "say \"hi\" \"there\"|\"|'|say 'hi' 'there'";
    }
    void replacing()
    {
        QFETCH(QString, row);
        QStringList fields = row.split('|');
        QString text = fields.takeFirst();
        const QString result = fields.takeLast();
        const bool keepCase = QString(QTest::currentDataTag()).startsWith("keep case");
        QCOMPARE(keepCase ? ReplaceTextKeepCase(text, fields) : ReplaceText(text, fields), result);
        QCOMPARE(text, result);
    }

    void strippingAndSplitting()
    {
        QString text = "  Index of /x";
        QVERIFY(StripLeadingText(text, "index of"));
        QCOMPARE(text, " /x");
        // A prefix that begins with blanks takes the text as it stands.
        QString blanks = "  x";
        QVERIFY(!StripLeadingText(blanks, " x") && !StripLeadingText(blanks, "images/"));
        QVERIFY(StripLeadingText(blanks, "  ") && blanks == "x");
        // The delimiter is found case-sensitively; a text splits into itself.
        QString before, rest = "aXbx/c";
        SplitAt(rest, "x", before, rest);
        QCOMPARE(before + "|" + rest, "aXb|/c");
        SplitAt("abc", ".", before, rest);
        QCOMPARE(before + "|" + rest, "abc|");
    }

    void versions()
    {
        QCOMPARE(AppVersion(), "2.0.3");
        // Newer than 2.0.3 are refused; text that is no release counts as current.
        const QStringList current = {"2.0.3",   "1.9.9",   "",           "2.0.2",
                                     "1.99.99", "garbage", " 2.0.3 beta"};
        const QStringList newer = {"2.0.4", "2.1", "3", "2.0.10", "2.1.0"};
        for (const QString& version : current)
            QVERIFY2(IsCurrentVersion(version), qPrintable(version));
        for (const QString& version : newer)
            QVERIFY2(!IsCurrentVersion(version), qPrintable(version));
    }

    void leadingNumberConversion()
    {
        const QList<QPair<QString, double>> numbers = {
            {"12", 12}, {"  12abc", 12}, {"-3", -3}, {"+4", 4}, {"2.5x", 2.5}, {".5", 0.5},
            {"2.", 2},  {"abc", 0},      {"", 0},    {"-", 0},  {"1 2", 1},    {"\t7", 7}};
        for (const auto& [text, value] : numbers)
            QVERIFY2(Val(text) == value, qPrintable(text));
        // A whole 16-bit number, rounded half to even.
        QCOMPARE(ToInteger(2.5), short(2));
        QCOMPARE(ToInteger(3.5), short(4));
        QCOMPARE(ToInteger(-32768), short(-32768));
        QVERIFY_THROWS_EXCEPTION(SkiffError, ToInteger(32767.5));
    }

    void privilegedMembers()
    {
        TestEnv env;
        for (const char* name : {"ORRIN", "Marlowe", "brenn", "Tavi"}) {
            CurrentUser = name;
            QVERIFY2(IsPrivilegedMember(), qPrintable(name));
        }
        for (const char* name : {"tavi ", "ann", ""}) {
            CurrentUser = name;
            QVERIFY2(!IsPrivilegedMember(), qPrintable(name));
        }
    }

    void settingsKeysNeverCollide()
    {
        TestEnv env;
        SaveSetting("Icons", "/CurrentView", "1");
        SaveSetting("Icons", "currentview", "10,20");
        SaveSetting("Icons", "%2fcurrentview", "30,40");
        QCOMPARE(GetSetting("Icons", "/CurrentView", "3"), "1");
        QCOMPARE(GetSetting("Icons", "currentview", ""), "10,20");
        QCOMPARE(GetSetting("Icons", "%2fcurrentview", ""), "30,40");
        QCOMPARE(GetSetting("Icons", "/ShowUpToDateAsBlue", "No"), "No");

        const QStringList odd = {"my file.txt",        "a.b.c",          "100%.txt",
                                 "back\\slash.doc",    "fore/slash.doc", "..",
                                 "=equals;semi,comma", "#hash",          "é.txt"};
        for (int i = 0; i < odd.size(); ++i)
            SaveSetting("FileVersions", odd.at(i), QString::number(i + 1));
        FlushSettings();
        // A fresh store object reads the same values back from the file.
        SetSettingsFile(env.settingsFile() + ".other");
        SetSettingsFile(env.settingsFile());
        for (int i = 0; i < odd.size(); ++i)
            QCOMPARE(GetSetting("FileVersions", odd.at(i), "0"), QString::number(i + 1));
        QCOMPARE(GetSetting("FileVersions", "fore", "0"), "0");
        QCOMPARE(GetSetting("FileVersions", "back", "0"), "0");

        // Sections do not leak into each other.
        SaveSetting("Settings", "LocalFolder", "/x/");
        QCOMPARE(GetSetting("Login", "LocalFolder", ""), QString());
    }
};

QTEST_GUILESS_MAIN(TestSharedProcedures)
#include "tst_shared_procedures.moc"
