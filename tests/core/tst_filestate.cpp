// How a shared file stands for the member, the member's local versions, and
// which names from the control file may become local file names.

#include "TestEnv.h"
#include "app/Settings.h"
#include "store/FileState.h"
#include "store/FileVersions.h"
#include "store/SafeName.h"

#include <QtTest>

class TestFileState : public QObject
{
    Q_OBJECT
private slots:
    void stateRules_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<int>("server");
        QTest::addColumn<int>("local");
        QTest::addColumn<QString>("state");
        QTest::newRow("held by me") << "Ann" << 3 << 3 << "open";
        QTest::newRow("held by me, other case") << "aNN" << 3 << 3 << "open";
        QTest::newRow("held by me, out of date") << "ANN" << 5 << 2 << "open";
        QTest::newRow("held by me, no copy") << "ann" << 5 << 0 << "open";
        QTest::newRow("out of date") << "" << 4 << 3 << "old";
        QTest::newRow("newer local copy") << "" << 4 << 6 << "old";
        QTest::newRow("out of date, held by another") << "Orrin" << 4 << 3 << "old";
        QTest::newRow("no copy") << "" << 4 << 0 << "new";
        QTest::newRow("no copy, held by another") << "Orrin" << 4 << 0 << "new";
        QTest::newRow("held by another") << "Orrin" << 4 << 4 << "locked";
        QTest::newRow("held by a longer name") << "Anne" << 4 << 4 << "locked";
        QTest::newRow("up to date") << "" << 4 << 4 << "unlocked";
        QTest::newRow("version 0 listed, no copy") << "" << 0 << 0 << "unlocked";
    }

    void stateRules()
    {
        QFETCH(QString, holder);
        QFETCH(int, server);
        QFETCH(int, local);
        QFETCH(QString, state);
        QCOMPARE(FileStateKey(GetFileState(holder, short(server), short(local), "Ann")), state);
    }

    void localVersions()
    {
        TestEnv env;
        QCOMPARE(FileVersions::Get("Plan.doc"), short(0));
        FileVersions::Set("Plan.DOC", 7);
        QCOMPARE(modSkiff::GetSetting("FileVersions", "plan.doc", ""), "7");
        QCOMPARE(FileVersions::Get("PLAN.doc"), short(7));
        FileVersions::Set("old.doc", -2);
        QCOMPARE(modSkiff::GetSetting("FileVersions", "old.doc", ""), "-2");
        QCOMPARE(FileVersions::Get("old.doc"), short(-2));

        // Values edited by hand.
        const QList<QPair<QString, short>> stored = {{"12abc", 12}, {"abc", 0},   {"", 0},
                                                     {"3.6", 4},    {"99999", 0}, {"-40000", 0}};
        for (const auto& [text, version] : stored) {
            modSkiff::SaveSetting("FileVersions", "hand.txt", text);
            QCOMPARE(FileVersions::Get("hand.txt"), version);
        }
    }

    void safeLocalNames()
    {
        for (const QString name : {"../x", "/etc/passwd", "a/b", "a\\b", "..", ".", "", "x/..",
                                   "C:\\boot.ini", "tab\there"}) {
            QVERIFY2(!SafeName::IsSafeLocalName(name), qPrintable(name));
        }
        QVERIFY(!SafeName::IsSafeLocalName("line\r\nbreak"));
        QVERIFY(!SafeName::IsSafeLocalName(QString(QChar(0))));
        for (const QString name :
             {"ok name.txt", ".hidden", "...", "a..b", "C:x", "café.doc", "_files.txt"}) {
            QVERIFY2(SafeName::IsSafeLocalName(name), qPrintable(name));
        }
        QCOMPARE(SafeName::RefusalMessage("../x"), "../x is not a valid local file name.");
    }
};

QTEST_GUILESS_MAIN(TestFileState)
#include "tst_filestate.moc"
