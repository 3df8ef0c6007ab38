// String procedures, versions, scrambling, privileged members, the settings
// store and the read-only attribute.

#include "TestEnv.h"
#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Settings.h"
#include "app/SiteText.h"
#include "app/Windows1252.h"
#include "app/modSkiff.h"
#include "app/shrmodStrings.h"

#include <QFile>
#include <QtTest>

using namespace shrmodStrings;
using namespace modSkiff;

class TestSharedProcedures : public QObject
{
    Q_OBJECT
private slots:
    void replaceTextMatchesFirstIgnoringCaseThenExactly()
    {
        QString text = "Abc abc ABC";
        QCOMPARE(ReplaceText(text, {"abc", "x"}), "x x ABC");
        QCOMPARE(text, "x x ABC");

        // Inserted text is never searched again, and pairs run in order.
        QString grow = "aa";
        QCOMPARE(ReplaceText(grow, {"a", "aa"}), "aaaa");
        QString chain = "one two";
        // The second pair sees what the first one produced.
        QCOMPARE(ReplaceText(chain, {"one", "two", "two", "three"}), "three three");
        QString none = "abc";
        QCOMPARE(ReplaceText(none, {"x", "y"}), "abc");
    }

    void replaceTextKeepCaseFollowsTheReplacedCase()
    {
        QString text = "Hello HELLO";
        QCOMPARE(ReplaceTextKeepCase(text, {"hello", "bye"}), "Bye HELLO");
        QString upper = "HELLO";
        QCOMPARE(ReplaceTextKeepCase(upper, {"hello", "bye"}), "BYE");
        QString lower = "say hello";
        QCOMPARE(ReplaceTextKeepCase(lower, {"HELLO", "Bye"}), "say bye");
        QString mixed = "hELLo";
        QCOMPARE(ReplaceTextKeepCase(mixed, {"hello", "bYe"}), "bYe");
        QString slashes = "news/archive/old.html";
        QCOMPARE(ReplaceTextKeepCase(slashes, {"/", "\\"}), "news\\archive\\old.html");
        QString quotes = "say \"hi\" \"there\"";
        QCOMPARE(ReplaceTextKeepCase(quotes, {"\"", "'"}), "say 'hi' 'there'");
    }

    void stripLeadingText()
    {
        QString text = "  Index of /x";
        QVERIFY(StripLeadingText(text, "index of"));
        QCOMPARE(text, " /x");

        QString miss = "  news/a.html";
        QVERIFY(!StripLeadingText(miss, "images/"));
        QCOMPARE(miss, "  news/a.html");

        // A prefix that begins with blanks takes the text as it stands.
        QString blanks = "  x";
        QVERIFY(!StripLeadingText(blanks, " x"));
        QVERIFY(StripLeadingText(blanks, "  "));
        QCOMPARE(blanks, "x");

        QString all = "news/";
        QVERIFY(StripLeadingText(all, QString()));
        QCOMPARE(all, "news/");
    }

    void splitAt()
    {
        QString before, after;
        SplitAt("a.b.c", ".", before, after);
        QCOMPARE(before, "a");
        QCOMPARE(after, "b.c");
        SplitAt("abc", ".", before, after);
        QCOMPARE(before, "abc");
        QCOMPARE(after, QString());
        SplitAt("2.0.3\r\nHello\r\nWorld", "\r\n", before, after);
        QCOMPARE(before, "2.0.3");
        QCOMPARE(after, "Hello\r\nWorld");
        // The delimiter is found case-sensitively.
        SplitAt("aXbxc", "x", before, after);
        QCOMPARE(before, "aXb");
        // Splitting a text into itself still works.
        QString rest = "a/b/c";
        QString head;
        SplitAt(rest, "/", head, rest);
        QCOMPARE(head, "a");
        QCOMPARE(rest, "b/c");
    }

    void caseTests()
    {
        QVERIFY(IsUpperCase(QString()) && IsLowerCase(QString()) && IsCapitalized(QString()));
        QVERIFY(IsUpperCase("ABC1/") && !IsUpperCase("AbC"));
        QVERIFY(IsLowerCase("abc1/") && !IsLowerCase("aBc"));
        QVERIFY(IsCapitalized("Abc") && !IsCapitalized("ABc") && !IsCapitalized("abc"));
        QVERIFY(IsCapitalized("/"));
        QCOMPARE(Capitalize("hELLO"), "Hello");
        QCOMPARE(Capitalize(QString()), QString());
    }

    void versions()
    {
        QCOMPARE(AppVersion(), "2.0.3");
        QVERIFY(IsCurrentVersion("2.0.3"));
        QVERIFY(!IsCurrentVersion("2.0.4"));
        QVERIFY(!IsCurrentVersion("2.1"));
        QVERIFY(IsCurrentVersion("1.9.9"));
        QVERIFY(!IsCurrentVersion("3"));
        QVERIFY(IsCurrentVersion(""));
        QVERIFY(IsCurrentVersion("2.0.2"));
        QVERIFY(IsCurrentVersion("1.99.99"));
        QVERIFY(IsCurrentVersion("garbage"));
        QVERIFY(!IsCurrentVersion("2.0.10"));
        QVERIFY(IsCurrentVersion(" 2.0.3 beta"));
        QVERIFY(!IsCurrentVersion("2.1.0"));
    }

    void leadingNumberConversion()
    {
        QCOMPARE(Val("12"), 12.0);
        QCOMPARE(Val("  12abc"), 12.0);
        QCOMPARE(Val("-3"), -3.0);
        QCOMPARE(Val("+4"), 4.0);
        QCOMPARE(Val("2.5x"), 2.5);
        QCOMPARE(Val(".5"), 0.5);
        QCOMPARE(Val("2."), 2.0);
        QCOMPARE(Val("abc"), 0.0);
        QCOMPARE(Val(""), 0.0);
        QCOMPARE(Val("-"), 0.0);
        QCOMPARE(Val("1 2"), 1.0);
        QCOMPARE(Val("\t7"), 7.0);
        QCOMPARE(Val("2.0"), Val("2"));

        QCOMPARE(ToInteger(2.5), short(2)); // half to even
        QCOMPARE(ToInteger(3.5), short(4));
        QCOMPARE(ToInteger(32767), short(32767));
        QCOMPARE(ToInteger(-32768), short(-32768));
        QVERIFY_THROWS_EXCEPTION(SkiffError, ToInteger(32768));
        try {
            ToInteger(40000);
        } catch (const SkiffError& error) {
            QCOMPARE(error.description(), "Overflow");
        }
    }

    void scrambling()
    {
        QCOMPARE(ScrambleText(ScrambleText("Orrin é€ß!")), "Orrin é€ß!");
        // A space becomes byte 223 and back.
        QCOMPARE(Windows1252::encode(ScrambleText(" ")), QByteArray("\xDF"));
        QCOMPARE(Windows1252::encode(ScrambleText("A")), QByteArray("\xBE"));
    }

    void privilegedMembers()
    {
        TestEnv env;
        CurrentUser = "ORRIN";
        QVERIFY(IsPrivilegedMember());
        CurrentUser = "Marlowe";
        QVERIFY(IsPrivilegedMember());
        CurrentUser = "tavi ";
        QVERIFY(!IsPrivilegedMember());
        CurrentUser = "ann";
        QVERIFY(!IsPrivilegedMember());
        CurrentUser = QString();
        QVERIFY(!IsPrivilegedMember());
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

    void readOnlyAttribute()
    {
        TestEnv env;
        const QString path = env.localPath("doc.txt");
        QVERIFY(IsReadOnly(path)); // missing counts as read-only
        env.writeLocal("doc.txt", "x");
        QVERIFY(!IsReadOnly(path));
        SetReadOnly(path, true);
        QVERIFY(IsReadOnly(path));
        SetReadOnly(path, false);
        QVERIFY(!IsReadOnly(path));

        NoReadOnly = true;
        SetReadOnly(path, true);
        QVERIFY(!IsReadOnly(path)); // the preference wins
        SetReadOnly(path, true, true);
        QVERIFY(IsReadOnly(path)); // unless forced
        SetReadOnly(path, false, true);
        QVERIFY(!IsReadOnly(path));
        SetReadOnly(env.localPath("missing.txt"), false); // no error
    }

    void siteTextRoundTrips()
    {
        const QByteArray utf8 = "caf\xC3\xA9 \xE2\x82\xAC\r\n";
        const QByteArray cp1252 = "caf\xE9 \x80 \x81\x8D\x8F\x90\x9D\r\n";
        SiteText::Encoding encoding;
        QCOMPARE(SiteText::Decode(utf8, &encoding), QString::fromUtf8("café €\r\n"));
        QCOMPARE(SiteText::Encode(SiteText::Decode(utf8), encoding), utf8);
        QCOMPARE(SiteText::Decode(cp1252, &encoding).left(6), QString::fromUtf8("café €"));
        QVERIFY(encoding == SiteText::Encoding::Windows1252);
        QCOMPARE(SiteText::Encode(SiteText::Decode(cp1252), encoding), cp1252);
        QByteArray every;
        for (int b = 0; b < 256; ++b)
            every += char(b);
        QCOMPARE(Windows1252::encode(Windows1252::decode(every)), every);
        const QByteArray bom = "\xEF\xBB\xBFhi";
        QCOMPARE(SiteText::Encode(SiteText::Decode(bom, &encoding), encoding), bom);
    }
};

QTEST_GUILESS_MAIN(TestSharedProcedures)
#include "tst_shared_procedures.moc"
