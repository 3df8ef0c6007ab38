// The control file: its list format read and written, and the local rewrite
// that adds, changes and removes records.

#include "TestEnv.h"
#include "app/Errors.h"
#include "store/ControlFile.h"
#include "store/ControlFileRewrite.h"

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

QString errorOf(const ControlFile::Contents& contents)
{
    return contents.error ? contents.error->description() : QString();
}

// The description of the SkiffError the call throws; "" when it throws none.
template <typename Call> QString thrownBy(Call call)
{
    try {
        call();
    } catch (const SkiffError& error) {
        return error.description();
    }
    return QString();
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
        QCOMPARE(contents.records.at(4).Controller, QStringLiteral("  padded  "));
        QCOMPARE(compose(contents), file);
    }

    void writesTheListFormat()
    {
        FileRecord record;
        record.Name = QString::fromUtf8("résumé.doc");
        record.CurrentVersion = -12;
        record.Author = QStringLiteral("Ann");
        record.Description = QStringLiteral("the \"best\" one");
        record.Comment = QStringLiteral("Ann: a, b");
        QByteArray out;
        ControlFile::AppendHeader(out, QStringLiteral("2.0.3"), 1);
        ControlFile::AppendRecord(out, record);
        // A double quote would end the field early, so it is stored as an apostrophe.
        QCOMPARE(out, QByteArray("2.0.3\r\n1\r\n\"r\xE9sum\xE9.doc\",-12,\"\",\"Ann\","
                                 "\"the 'best' one\",\"Ann: a, b\"\r\n"));
    }

    void readsFieldsAsAStream()
    {
        // A record short of fields takes the rest from the next line, and
        // everything after shifts with it.
        const ControlFile::Contents spread = ControlFile::Parse(lines({
            "2.0.3",
            "2",
            R"("a.txt",1,"x")",
            R"("y","d","c")",
            R"("b.txt",2,"","","d")",
            R"("late")",
        }));
        QVERIFY(!spread.error);
        QCOMPARE(spread.records.size(), 2);
        QCOMPARE(spread.records.at(0).Author, QStringLiteral("y"));
        QCOMPARE(spread.records.at(0).Comment, QStringLiteral("c"));
        QCOMPARE(spread.records.at(1).Description, QStringLiteral("d"));
        QCOMPARE(spread.records.at(1).Comment, QStringLiteral("late"));

        const ControlFile::Contents shifted = ControlFile::Parse(lines({
            "2.0.3",
            "2",
            R"("a.txt",1,"x","y","d")",
            R"("b.txt",2,"","","","")",
        }));
        QCOMPARE(shifted.records.at(0).Comment, QStringLiteral("b.txt"));
        QCOMPARE(shifted.records.at(1).Name, QStringLiteral("2"));
        QCOMPARE(shifted.listedCount(), 2);

        // Unquoted fields lose their surrounding blanks; text after a closing
        // quote is dropped; a bare LF ends a line too; a quoted field runs
        // over a line end to its closing quote.
        const ControlFile::Contents loose = ControlFile::Parse(
            "1.0\n1\n  plain name  , 5 ,\"holder\" junk,\"auth\"\r\n\"two\nlines\",\"c\"\n");
        QVERIFY(!loose.error);
        QCOMPARE(loose.records.size(), 1);
        const FileRecord& record = loose.records.at(0);
        QCOMPARE(record.Name, QStringLiteral("plain name"));
        QCOMPARE(record.CurrentVersion, short(5));
        QCOMPARE(record.Controller, QStringLiteral("holder"));
        QCOMPARE(record.Author, QStringLiteral("auth"));
        QCOMPARE(record.Description, QStringLiteral("two\nlines"));
        QCOMPARE(record.Comment, QStringLiteral("c"));
    }

    void truncatedLastRecordGetsEmptyFields()
    {
        const ControlFile::Contents cut = ControlFile::Parse(
            "2.0.3\r\n2\r\n\"a.txt\",1,\"\",\"\",\"\",\"\"\r\n\"b.txt\",3,\"Ann");
        QVERIFY(!cut.error);
        QCOMPARE(cut.records.size(), 2);
        const FileRecord& last = cut.records.at(1);
        QCOMPARE(last.Name, QStringLiteral("b.txt"));
        QCOMPARE(last.CurrentVersion, short(3));
        QCOMPARE(last.Controller, QStringLiteral("Ann"));
        QVERIFY(last.Author.isEmpty() && last.Description.isEmpty() && last.Comment.isEmpty());

        const ControlFile::Contents nameOnly = ControlFile::Parse("2.0.3\r\n1\r\n\"c.txt\",");
        QCOMPARE(nameOnly.records.size(), 1);
        QCOMPARE(nameOnly.records.at(0).CurrentVersion, short(0));

        // A blank line at the end is one more record, without a name.
        const ControlFile::Contents trailing = ControlFile::Parse(kThreeFiles + "\r\n");
        QCOMPARE(trailing.records.size(), 4);
        QCOMPARE(trailing.listedCount(), 3);
    }

    void versionFieldConversion_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("error");
        QTest::newRow("plain") << QByteArray("12") << 12 << QString();
        QTest::newRow("blanks") << QByteArray("  7 ") << 7 << QString();
        QTest::newRow("empty") << QByteArray("") << 0 << QString();
        QTest::newRow("rounds up") << QByteArray("3.6") << 4 << QString();
        QTest::newRow("half to even") << QByteArray("2.5") << 2 << QString();
        QTest::newRow("leading number") << QByteArray("9 lives") << 9 << QString();
        QTest::newRow("quoted") << QByteArray("\"8\"") << 8 << QString();
        QTest::newRow("lowest") << QByteArray("-32768") << -32768 << QString();
        QTest::newRow("leading zeros") << QByteArray("007") << 7 << QString();
        QTest::newRow("plus sign") << QByteArray("+3") << 3 << QString();
        QTest::newRow("text") << QByteArray("abc") << 0 << QStringLiteral("Type mismatch");
        QTest::newRow("sign only") << QByteArray("-") << 0 << QStringLiteral("Type mismatch");
        QTest::newRow("too big") << QByteArray("40000") << 0 << QStringLiteral("Overflow");
        QTest::newRow("too small") << QByteArray("-32769") << 0 << QStringLiteral("Overflow");
        QTest::newRow("many digits")
            << QByteArray("12345678901") << 0 << QStringLiteral("Overflow");
    }

    void versionFieldConversion()
    {
        QFETCH(QByteArray, field);
        QFETCH(int, version);
        QFETCH(QString, error);
        const ControlFile::Contents contents =
            ControlFile::Parse("2.0.3\r\n1\r\n\"a.txt\"," + field + ",\"h\",\"a\",\"d\",\"c\"\r\n");
        QCOMPARE(errorOf(contents), error);
        QCOMPARE(contents.records.size(), error.isEmpty() ? 1 : 0);
        if (error.isEmpty()) {
            QCOMPARE(int(contents.records.at(0).CurrentVersion), version);
            QCOMPARE(contents.records.at(0).Comment, QStringLiteral("c"));
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
        QCOMPARE(errorOf(contents), QStringLiteral("Type mismatch"));
        QCOMPARE(contents.records.size(), 2);
        QCOMPARE(contents.records.at(1).Name, QStringLiteral("b.txt"));
        QCOMPARE(contents.expectedCount, short(4));
    }

    void factsForTheValidation()
    {
        TestEnv env;
        const ControlFile::Contents missing = ControlFile::Read(ControlFile::FileName());
        QVERIFY(!missing.exists);
        QCOMPARE(thrownBy([&] { missing.requireHeader(); }), QStringLiteral("File not found"));

        env.writeLocal("_files.txt", "");
        const ControlFile::Contents empty = ControlFile::Read(ControlFile::FileName());
        QVERIFY(empty.exists && !empty.hasReleaseLine && !empty.error);
        QCOMPARE(thrownBy([&] { empty.requireHeader(); }),
                 QStringLiteral("Input past end of file"));

        for (const QByteArray& onlyFirst : {QByteArray("2.0.3"), QByteArray("2.0.3\r\n")}) {
            const ControlFile::Contents first = ControlFile::Parse(onlyFirst);
            QVERIFY(first.hasReleaseLine && !first.hasCountLine);
            QCOMPARE(first.release, QStringLiteral("2.0.3"));
            QCOMPARE(thrownBy([&] { first.requireHeader(); }),
                     QStringLiteral("Input past end of file"));
        }

        QByteArray twelve = "2.1.0\r\n12 files\r\n";
        for (int i = 0; i < 11; ++i)
            twelve += "\"f" + QByteArray::number(i) + ".txt\",1,\"\",\"\",\"\",\"\"\r\n";
        twelve += "\"\",1,\"\",\"\",\"\",\"\"\r\n";
        env.writeLocal("_files.txt", twelve);
        const ControlFile::Contents short12 = ControlFile::Read(ControlFile::FileName());
        QVERIFY(short12.hasCountLine && !short12.error);
        QCOMPARE(short12.release, QStringLiteral("2.1.0"));
        QCOMPARE(short12.expectedCount, short(12));
        QCOMPARE(short12.records.size(), 12);
        QCOMPARE(short12.listedCount(), 11);
        short12.requireHeader(); // complete header: no error

        QVERIFY(QDir().mkdir(env.localPath("folder.txt")));
        const ControlFile::Contents unreadable = ControlFile::Read("folder.txt");
        QVERIFY(unreadable.exists && !unreadable.hasReleaseLine);
        QCOMPARE(errorOf(unreadable), QStringLiteral("Path/File access error"));
        QCOMPARE(thrownBy([&] { unreadable.requireHeader(); }),
                 QStringLiteral("Path/File access error"));

        const ControlFile::Contents badCount = ControlFile::Parse("2.0.3\r\n99999\r\n");
        QVERIFY(badCount.hasCountLine);
        QCOMPARE(errorOf(badCount), QStringLiteral("Overflow"));
    }

    void listsFileIgnoringCase()
    {
        TestEnv env;
        QCOMPARE(thrownBy([] { ControlFile::ListsFile("_files.txt", "plan.doc"); }),
                 QStringLiteral("File not found"));
        env.writeLocal("_files.txt", kThreeFiles);
        QVERIFY(ControlFile::ListsFile("_files.txt", "PLAN.doc"));
        QVERIFY(ControlFile::ListsFile("_files.txt", "notes.txt"));
        QVERIFY(!ControlFile::ListsFile("_files.txt", "plan"));

        // A faulty record only matters when no record before it matched.
        env.writeLocal("_files.txt", kThreeFiles + "\"broken.txt\",x,\"\",\"\",\"\",\"\"\r\n");
        QVERIFY(ControlFile::ListsFile("_files.txt", "map.graal"));
        QCOMPARE(thrownBy([] { ControlFile::ListsFile("_files.txt", "other.txt"); }),
                 QStringLiteral("Type mismatch"));
    }
};

class TestControlFileRewrite : public QObject
{
    Q_OBJECT
private:
    static QString rewrite(const QString& name, RecordChange change,
                           const FileDetailsValues& values = {})
    {
        return thrownBy([&] { RewriteControlFile(name, change, values); });
    }

private slots:
    void changingOneFieldKeepsTheOthers()
    {
        TestEnv env;
        env.writeLocal("_files.txt", kThreeFiles);
        env.writeLocal("_files.txt.backup", "older copy");
        FileDetailsValues values;
        values.pvarDesc = QStringLiteral("Plan, third draft");
        QCOMPARE(rewrite("PLAN.DOC", RecordChange::Update, values), QString());
        QCOMPARE(env.readLocal("_files.txt.backup"), kThreeFiles);
        QCOMPARE(env.readLocal("_files.txt"),
                 lines({
                     "2.0.3",
                     "3",
                     R"("plan.doc",4,"Brenn","Orrin","Plan, third draft","Brenn: fixed, finally")",
                     R"("map.graal",1,"","Tavi","Level map","Tavi: *new file*")",
                     R"("notes.txt",12,"","Orrin","","Orrin: typo")",
                 }));
    }

    void checkInValues()
    {
        TestEnv env;
        env.writeLocal("_files.txt", kThreeFiles);
        FileDetailsValues values;
        values.pvarVersion = QStringLiteral("5");
        values.pvarController = QString();
        values.pvarComment = QStringLiteral("Brenn: done");
        QCOMPARE(rewrite("plan.doc", RecordChange::Update, values), QString());
        QVERIFY(env.readLocal("_files.txt")
                    .contains("\r\n\"plan.doc\",5,\"\",\"Orrin\",\"Plan, second draft\","
                              "\"Brenn: done\"\r\n"));

        // Text that is no number stores version 0; a fraction is rounded.
        values = {};
        values.pvarVersion = QStringLiteral("none");
        QCOMPARE(rewrite("map.graal", RecordChange::Update, values), QString());
        values.pvarVersion = QStringLiteral("3.6");
        QCOMPARE(rewrite("notes.txt", RecordChange::Update, values), QString());
        const ControlFile::Contents after = ControlFile::Read("_files.txt");
        QCOMPARE(after.records.at(1).CurrentVersion, short(0));
        QCOMPARE(after.records.at(2).CurrentVersion, short(4));
        QCOMPARE(after.expectedCount, short(3));
    }

    void addingAppendsAndCounts()
    {
        TestEnv env;
        env.writeLocal("_files.txt", kThreeFiles);
        FileDetailsValues values;
        values.pvarVersion = QStringLiteral("1");
        values.pvarController = QString();
        values.pvarAuthor = QStringLiteral("Ann");
        values.pvarDesc = QString::fromUtf8("Café prices");
        values.pvarComment = QStringLiteral("Ann: *new file*");
        QCOMPARE(rewrite("Menu.txt", RecordChange::Add, values), QString());
        QByteArray expected = kThreeFiles;
        expected.replace("\r\n3\r\n", "\r\n4\r\n");
        expected += "\"Menu.txt\",1,\"\",\"Ann\",\"Caf\xE9 prices\",\"Ann: *new file*\"\r\n";
        QCOMPARE(env.readLocal("_files.txt"), expected);
    }

    void addingAnExistingNameFailsAndKeepsTheCopies()
    {
        TestEnv env;
        env.writeLocal("_files.txt", kThreeFiles);
        FileDetailsValues values;
        values.pvarVersion = QStringLiteral("1");
        QCOMPARE(rewrite("Map.GRAAL", RecordChange::Add, values),
                 QStringLiteral("Cannot add a file that already exists."));
        QCOMPARE(env.readLocal("_files.txt.backup"), kThreeFiles);
        // The working copy is whole again, so the next file of a batch still
        // starts from every record.
        QCOMPARE(env.readLocal("_files.txt"), kThreeFiles);
        QCOMPARE(rewrite("new.txt", RecordChange::Add, values), QString());
        QCOMPARE(ControlFile::Read("_files.txt").listedCount(), 4);
    }

    void deleting()
    {
        TestEnv env;
        env.writeLocal("_files.txt", kThreeFiles);
        QCOMPARE(rewrite("gone.txt", RecordChange::Delete),
                 QStringLiteral("Cannot delete a file that doesn't exist."));
        QCOMPARE(env.readLocal("_files.txt"), kThreeFiles);

        QCOMPARE(rewrite("Map.graal", RecordChange::Delete), QString());
        QCOMPARE(rewrite("plan.doc", RecordChange::Delete), QString());
        QCOMPARE(rewrite("NOTES.TXT", RecordChange::Delete), QString());
        QCOMPARE(env.readLocal("_files.txt"), QByteArray("2.0.3\r\n0\r\n"));
    }

    void unlistedRecordsAndShortFiles()
    {
        TestEnv env;
        // An empty-name record disappears and the count stays what it said.
        QByteArray withBlank = kThreeFiles;
        withBlank.insert(withBlank.indexOf("\"map"), "\"\",9,\"x\",\"y\",\"z\",\"w\"\r\n");
        env.writeLocal("_files.txt", withBlank);
        QCOMPARE(rewrite("notes.txt", RecordChange::Update), QString());
        QCOMPARE(env.readLocal("_files.txt"), kThreeFiles);

        // Fewer records than the count line says: the count is kept.
        QByteArray twoOfThree = kThreeFiles.left(kThreeFiles.indexOf("\"notes"));
        env.writeLocal("_files.txt", twoOfThree);
        FileDetailsValues values;
        values.pvarController = QStringLiteral("Ann");
        QCOMPARE(rewrite("map.graal", RecordChange::Update, values), QString());
        const ControlFile::Contents after = ControlFile::Read("_files.txt");
        QCOMPARE(after.expectedCount, short(3));
        QCOMPARE(after.records.size(), 2);
        QCOMPARE(after.records.at(1).Controller, QStringLiteral("Ann"));
    }

    void failuresNeverLoseThePreviousCopy()
    {
        TestEnv env;
        env.writeLocal("_files.txt", kThreeFiles);
        env.writeLocal("_files.txt.backup", "older copy");
        FileDetailsValues values;
        values.pvarVersion = QStringLiteral("40000");
        QCOMPARE(rewrite("plan.doc", RecordChange::Update, values), QStringLiteral("Overflow"));
        QCOMPARE(env.readLocal("_files.txt.backup"), kThreeFiles);
        QCOMPARE(env.readLocal("_files.txt"), kThreeFiles);

        // A record the reader cannot take stops the rewrite.
        const QByteArray broken = kThreeFiles + "\"bad.txt\",zz,\"\",\"\",\"\",\"\"\r\n";
        env.writeLocal("_files.txt", broken);
        QCOMPARE(rewrite("plan.doc", RecordChange::Update), QStringLiteral("Type mismatch"));
        QCOMPARE(env.readLocal("_files.txt.backup"), broken);
        QCOMPARE(env.readLocal("_files.txt"), broken);

        // The count would leave 16 bits.
        const QByteArray full = "2.0.3\r\n32767\r\n";
        env.writeLocal("_files.txt", full);
        QCOMPARE(rewrite("x.txt", RecordChange::Add), QStringLiteral("Overflow"));
        QCOMPARE(env.readLocal("_files.txt"), full);
    }

    void refusesWithoutAControlFile()
    {
        TestEnv env;
        env.writeLocal("_files.txt.backup", kThreeFiles);
        QCOMPARE(rewrite("plan.doc", RecordChange::Update), QStringLiteral("File not found"));
        QCOMPARE(env.readLocal("_files.txt.backup"), kThreeFiles);
        QVERIFY(!QFile::exists(env.localPath("_files.txt")));

        env.writeLocal("_files.txt", "2.0.3\r\n");
        QCOMPARE(rewrite("plan.doc", RecordChange::Update),
                 QStringLiteral("Input past end of file"));
        QCOMPARE(env.readLocal("_files.txt.backup"), kThreeFiles);
        QCOMPARE(env.readLocal("_files.txt"), QByteArray("2.0.3\r\n"));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestControlFile format;
    TestControlFileRewrite rewrite;
    return QTest::qExec(&format, argc, argv) | QTest::qExec(&rewrite, argc, argv);
}

#include "tst_controlfile.moc"
