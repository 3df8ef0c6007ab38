// The control file: its list format read and written, and the local rewrite
// that adds, changes and removes records; how a file stands for the member,
// the member's local versions, and which names may become local file names.

#include "TestEnv.h"
#include "app/Errors.h"
#include "app/Settings.h"
#include "store/ControlFile.h"
#include "store/ControlFileRewrite.h"
#include "store/FileState.h"
#include "store/FileVersions.h"
#include "store/SafeName.h"

#include <QtTest>

namespace {

// A control file from its lines, each ended by CR LF.
QByteArray lines(std::initializer_list<const char*> texts)
{
    QByteArray bytes;
    for (const char* text : texts)
        bytes += QByteArray(text) + "\r\n";
    return bytes;
}

QByteArray compose(const ControlFile::Contents& contents)
{
    QByteArray bytes;
    ControlFile::AppendHeader(bytes, contents.release, contents.expectedCount);
    for (const FileRecord& record : contents.records)
        ControlFile::AppendRecord(bytes, record);
    return bytes;
}

const QByteArray kThreeFiles = lines({
    "2.0.3",
    "3",
    R"("plan.doc",4,"Brenn","Orrin","Plan, second draft","Brenn: fixed, finally")",
    R"("map.graal",1,"","Tavi","Level map","Tavi: *new file*")",
    R"("notes.txt",12,"","Orrin","","Orrin: typo")",
});

} // namespace

class TestControlFile : public QObject
{
    Q_OBJECT
private slots:
    void roundTripsByteForByte()
    {
        const QByteArray file = lines({
            "2.0.3",
            "5",
            R"("caf)"
            "\xE9"
            R"( menu.txt",32767,"","Ann","Prices in )"
            "\x80\x81"
            R"(, with commas, inside","Ann: ok")",
            R"("old.doc",-3,"Orrin","Orrin","","")",
            R"("",0,"","","","")",
            R"("zero.gif",0,"a","b","c","d")",
            "\"spaces  .txt\",7,\"  padded  \",\"x\",\"'quoted'\",\"Ann: it's fine\"",
        });
        const ControlFile::Contents contents = ControlFile::Parse(file);
        QVERIFY(!contents.error);
        QCOMPARE(contents.records.size(), 5);
        const FileRecord& menu = contents.records.at(0);
        QCOMPARE(menu.Name, QString::fromUtf8("café menu.txt"));
        QCOMPARE(menu.CurrentVersion, short(32767));
        QCOMPARE(menu.Description, QString::fromUtf8("Prices in €\u0081, with commas, inside"));
        QCOMPARE(contents.records.at(1).CurrentVersion, short(-3));
        QCOMPARE(contents.records.at(4).Controller, "  padded  ");
        QCOMPARE(compose(contents), file);
    }

    void writesTheListFormat()
    {
        FileRecord record;
        record.Name = QString::fromUtf8("résumé.doc");
        record.CurrentVersion = -12;
        record.Author = "Ann";
        record.Description = "the \"best\" one";
        record.Comment = "Ann: a, b";
        QByteArray out;
        ControlFile::AppendHeader(out, "2.0.3", 1);
        ControlFile::AppendRecord(out, record);
        // A double quote would end the field early, so it is stored as an apostrophe.
        QCOMPARE(out, QByteArray("2.0.3\r\n1\r\n\"r\xE9sum\xE9.doc\",-12,\"\",\"Ann\","
                                 "\"the 'best' one\",\"Ann: a, b\"\r\n"));
    }

    // How the list format's reader sees the text after line 2: one stream of
    // fields. Each record reads as "name|version|holder|author|description|comment".
    void readsFieldsAsAStream_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("records");
        // A record short of fields takes the rest from the next line, and
        // everything after shifts with it.
        QTest::newRow("spread") << lines({"2.0.3", "2", R"("a.txt",1,"x")", R"("y","d","c")",
                                          R"("b.txt",2,"","","d")", R"("late")"})
                                << QStringList{"a.txt|1|x|y|d|c", "b.txt|2|||d|late"};
        QTest::newRow("shifted") << lines({"2.0.3", "2", R"("a.txt",1,"x","y","d")",
                                           R"("b.txt",2,"","","","")"})
                                 << QStringList{"a.txt|1|x|y|d|b.txt", "2|0||||"};
        // Unquoted fields lose their surrounding blanks; text after a closing
        // quote is dropped; a bare LF ends a line too; a quoted field runs
        // over a line end to its closing quote.
        QTest::newRow("loose") << QByteArray(
                                      "1.0\n1\n  plain name  , 5 ,\"holder\" junk,\"auth\"\r\n"
                                      "\"two\nlines\",\"c\"\n")
                               << QStringList{"plain name|5|holder|auth|two\nlines|c"};
        // A truncated last record gets empty fields; a blank line at the end
        // is one more record, without a name.
        QTest::newRow("truncated")
            << QByteArray("2.0.3\r\n2\r\n\"a.txt\",1,\"\",\"\",\"\",\"\"\r\n\"b.txt\",3,\"Ann")
            << QStringList{"a.txt|1||||", "b.txt|3|Ann|||"};
        QTest::newRow("name only")
            << QByteArray("2.0.3\r\n1\r\n\"c.txt\",") << QStringList{"c.txt|0||||"};
        QTest::newRow("blank last line")
            << QByteArray("2.0.3\r\n1\r\n\"c.txt\",1,\"\",\"\",\"\",\"\"\r\n\r\n")
            << QStringList{"c.txt|1||||", "|0||||"};
    }
    void readsFieldsAsAStream()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, records);
        const ControlFile::Contents contents = ControlFile::Parse(file);
        QVERIFY(!contents.error);
        QStringList read;
        for (const FileRecord& record : contents.records)
            read << QStringList{record.Name,        QString::number(record.CurrentVersion),
                                record.Controller,  record.Author,
                                record.Description, record.Comment}
                        .join('|');
        QCOMPARE(read, records);
    }

    void versionFieldConversion_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("error");
        QTest::newRow("blanks") << QByteArray("  7 ") << 7 << QString();
        QTest::newRow("empty") << QByteArray("") << 0 << QString();
        QTest::newRow("rounds up") << QByteArray("3.6") << 4 << QString();
        QTest::newRow("half to even") << QByteArray("2.5") << 2 << QString();
        QTest::newRow("leading number") << QByteArray("9 lives") << 9 << QString();
        QTest::newRow("quoted") << QByteArray("\"8\"") << 8 << QString();
        QTest::newRow("lowest") << QByteArray("-32768") << -32768 << QString();
        // A damaged record names itself and why.
        const QString damaged = "record 1 (a.txt): the version %1";
        QTest::newRow("text") << QByteArray("abc") << 0 << damaged.arg("\"abc\" is not a number");
        QTest::newRow("sign only") << QByteArray("-") << 0 << damaged.arg("\"-\" is not a number");
        QTest::newRow("too big") << QByteArray("40000") << 0
                                 << damaged.arg("\"40000\" is above 32767");
        QTest::newRow("too small") << QByteArray("-32769") << 0
                                   << damaged.arg("\"-32769\" is below -32768");
        QTest::newRow("many digits") << QByteArray("12345678901") << 0
                                     << damaged.arg("\"12345678901\" is above 32767");
    }

    void versionFieldConversion()
    {
        QFETCH(QByteArray, field);
        QFETCH(int, version);
        QFETCH(QString, error);
        const ControlFile::Contents contents =
            ControlFile::Parse("2.0.3\r\n1\r\n\"a.txt\"," + field + ",\"h\",\"a\",\"d\",\"c\"\r\n");
        QCOMPARE(contents.damage, error);
        if (!error.isEmpty()) {
            QVERIFY(contents.error);
            QCOMPARE(contents.error->description(), "The control file _files.txt on the server is damaged: " +
                                                        error + ". Refresh the list to restore it from "
                                                                "the server's backup.");
        }
        QCOMPARE(contents.records.size(), error.isEmpty() ? 1 : 0);
        if (error.isEmpty()) {
            QCOMPARE(int(contents.records.at(0).CurrentVersion), version);
            QCOMPARE(contents.records.at(0).Comment, "c");
        }
    }

    void badRecordKeepsTheRecordsBeforeIt()
    {
        const ControlFile::Contents contents = ControlFile::Parse(lines({
            "2.0.3",
            "4",
            R"("a.txt",1,"","","","")",
            R"("b.txt",2,"","","","")",
            R"("c.txt",abc,"","","","")",
            R"("d.txt",4,"","","","")",
        }));
        QCOMPARE(contents.damage, "record 3 (c.txt): the version \"abc\" is not a number");
        QCOMPARE(contents.records.size(), 2);
        QCOMPARE(contents.records.at(1).Name, "b.txt");
        QCOMPARE(contents.expectedCount, short(4));
    }

    // The local half of UpdateFileDetails: each row starts from a control
    // file (null: none), rewrites one record and leaves the file (and its backup).
    void rewrites_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("change");
        QTest::addColumn<QStringList>("values"); // ver, holder, author, desc, comment; "-" = absent
        QTest::addColumn<QString>("error");
        QTest::addColumn<QByteArray>("after");
        const int update = int(RecordChange::Update), add = int(RecordChange::Add),
                  remove = int(RecordChange::Delete);
        const QStringList none = {"-", "-", "-", "-", "-"};
        QByteArray described = kThreeFiles;
        described.replace("second draft", "third draft");
        QTest::newRow("one field changes, the others stay")
            << kThreeFiles << "PLAN.DOC" << update
            << QStringList{"-", "-", "-", "Plan, third draft", "-"} << "" << described;
        QByteArray checkedIn = kThreeFiles;
        checkedIn.replace(R"("plan.doc",4,"Brenn")", R"("plan.doc",5,"")");
        checkedIn.replace("Brenn: fixed, finally", "Brenn: done");
        QTest::newRow("check-in values")
            << kThreeFiles << "plan.doc" << update << QStringList{"5", "", "-", "-", "Brenn: done"}
            << "" << checkedIn;
        QByteArray versions = kThreeFiles;
        versions.replace(R"("map.graal",1)", R"("map.graal",0)");
        QTest::newRow("a version that is text is 0")
            << kThreeFiles << "map.graal" << update << QStringList{"none", "-", "-", "-", "-"} << ""
            << versions;
        QByteArray added = kThreeFiles;
        added.replace("\r\n3\r\n", "\r\n4\r\n");
        added += "\"Menu.txt\",1,\"\",\"Ann\",\"Caf\xE9 prices\",\"Ann: *new file*\"\r\n";
        QTest::newRow("add appends and counts")
            << kThreeFiles << "Menu.txt" << add
            << QStringList{"1", "", "Ann", QString::fromUtf8("Café prices"), "Ann: *new file*"}
            << "" << added;
        // A failed change leaves the copy from before it as the working
        // copy, so the next file of a batch still starts from every record.
        QTest::newRow("add a name in other letters")
            << kThreeFiles << "Map.GRAAL" << add << none << "Cannot add a file that already exists."
            << kThreeFiles;
        QTest::newRow("delete a missing name")
            << kThreeFiles << "gone.txt" << remove << none
            << "Cannot delete a file that doesn't exist." << kThreeFiles;
        QTest::newRow("delete the last record")
            << lines({"2.0.3", "1", R"("map.graal",1,"","","","")"}) << "MAP.graal" << remove
            << none << "" << QByteArray("2.0.3\r\n0\r\n");
        QByteArray withBlank = kThreeFiles;
        withBlank.insert(withBlank.indexOf("\"map"), "\"\",9,\"x\",\"y\",\"z\",\"w\"\r\n");
        QTest::newRow("an unlisted record goes, the count stays")
            << withBlank << "notes.txt" << update << none << "" << kThreeFiles;
        const QByteArray twoOfThree = kThreeFiles.left(kThreeFiles.indexOf("\"notes"));
        QTest::newRow("a short file keeps its count")
            << twoOfThree << "notes.txt" << update << none << "" << twoOfThree;
        QTest::newRow("a version beyond 16 bits")
            << kThreeFiles << "plan.doc" << update << QStringList{"40000", "-", "-", "-", "-"}
            << "Overflow" << kThreeFiles;
        const QByteArray broken = kThreeFiles + "\"bad.txt\",zz,\"\",\"\",\"\",\"\"\r\n";
        QTest::newRow("a record the reader cannot take")
            << broken << "plan.doc" << update << none
            << "The control file _files.txt on the server is damaged: record 4 (bad.txt): the "
               "version \"zz\" is not a number. Refresh the list to restore it from the server's "
               "backup."
            << broken;
        QTest::newRow("a count beyond 16 bits")
            << QByteArray("2.0.3\r\n32767\r\n") << "x.txt" << add << none << "Overflow"
            << QByteArray("2.0.3\r\n32767\r\n");
        QTest::newRow("no control file")
            << QByteArray() << "plan.doc" << update << none << "File not found" << QByteArray();
        QTest::newRow("line 1 only") << QByteArray("2.0.3\r\n") << "plan.doc" << update << none
                                     << "Input past end of file" << QByteArray("2.0.3\r\n");
    }
    void rewrites()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, name);
        QFETCH(int, change);
        QFETCH(QStringList, values);
        QFETCH(QString, error);
        QFETCH(QByteArray, after);
        TestEnv env;
        if (!before.isNull())
            env.writeLocal("_files.txt", before);
        env.writeLocal("_files.txt.backup", "older copy");
        FileDetailsValues given;
        std::optional<QString>* fields[] = {&given.pvarVersion, &given.pvarController,
                                            &given.pvarAuthor, &given.pvarDesc, &given.pvarComment};
        for (int i = 0; i < 5; ++i)
            if (values.at(i) != "-")
                *fields[i] = values.at(i);
        QCOMPARE(ErrorOf([&] { RewriteControlFile(name, RecordChange(change), given); }), error);
        QCOMPARE(env.readLocal("_files.txt"), after);
        // The old backup goes only when there is a whole control file to replace it.
        const bool replaced = before.count("\r\n") >= 2;
        QCOMPARE(env.readLocal("_files.txt.backup"), replaced ? before : QByteArray("older copy"));
    }

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
        // Skiff's own files in the local folder, in any letter case, and
        // every ".backup" copy.
        for (const QString name : {"_files.txt", "_FILES.TXT", "_files.txt.backup", "_Hidden.txt",
                                   "_hidden.txt.backup", "_files.dat", "_Files.Dat.BACKUP",
                                   "notes.txt.backup"}) {
            QVERIFY2(!SafeName::IsSafeLocalName(name), qPrintable(name));
        }
        for (const QString name : {"ok name.txt", ".hidden", "...", "a..b", "C:x", "café.doc",
                                   "_files.txt.old", "my_files.txt", "backup", "notes.backups"}) {
            QVERIFY2(SafeName::IsSafeLocalName(name), qPrintable(name));
        }
        QCOMPARE(SafeName::RefusalMessage("../x"), "../x is not a valid local file name.");
    }
};

QTEST_GUILESS_MAIN(TestControlFile)
#include "tst_controlfile.moc"
