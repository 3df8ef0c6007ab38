// The working copy of the user file: reading whole records, writing one at
// its place or appending it, the bytes a record is stored as, and the
// download and upload of the site's user file against the real local site.

#include "ScriptedServices.h"
#include "SiteServer.h"
#include "StoredUsers.h"
#include "TestEnv.h"

#include "app/Errors.h"
#include "app/GlobalState.h"
#include "transport/Inet.h"
#include "transport/Wait.h"
#include "users/UserFile.h"

#include <QTcpServer>
#include <QtTest>

#include <memory>

namespace {

const QString kSiteUsers = QStringLiteral("qxg/_files.dat");

// Older clients scramble the trimmed field and pad it with plain blanks.
QByteArray BlankPaddedRecord(const QByteArray& name, const QByteArray& password, int level)
{
    auto complemented = [](const QByteArray& text, int width) {
        QByteArray out;
        for (const char byte : text)
            out += char(~static_cast<unsigned char>(byte));
        return out.leftJustified(width, ' ');
    };
    return complemented(name, 30) + complemented(password, 29) + char(255 - level);
}

QString ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const SkiffError& error) {
        return error.description();
    }
    return QString();
}

// The commands that change files on the site, in the order received.
QStringList FileCommands(const QStringList& log)
{
    QStringList commands;
    for (const QString& line : log) {
        if (line.startsWith(QStringLiteral("DELE")) || line.startsWith(QStringLiteral("RNFR")) ||
            line.startsWith(QStringLiteral("RNTO")) || line.startsWith(QStringLiteral("STOR")))
            commands << line;
    }
    return commands;
}

} // namespace

class TestUserFile : public QObject
{
    Q_OBJECT

    std::unique_ptr<SiteServer> m_site;
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<ScriptedServices> m_services;

    QString workingCopy() const { return m_env->localPath(UserFile::kFileName); }

    const QByteArray m_three = StoredUserRecord("Orrin", "lantern", 4) +
                               StoredUserRecord("Ann", "heron", 3) +
                               StoredUserRecord("Pip", "pebble", 2);

private slots:
    void initTestCase()
    {
        qputenv("SKIFF_NET_TIMEOUT", "2");
        m_site = std::make_unique<SiteServer>();
        QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
    }
    void init()
    {
        m_env = std::make_unique<TestEnv>(QStringLiteral("Orrin"), 4);
        m_services = std::make_unique<ScriptedServices>();
        m_site->clearLog();
        m_site->clearRefusals();
    }
    void cleanup()
    {
        m_services.reset();
        m_env.reset();
    }
    void cleanupTestCase() { m_site.reset(); }

    void readsWholeRecordsOfEitherPadding()
    {
        m_env->writeLocal(UserFile::kFileName,
                          StoredUserRecord("Orrin", "lantern", 4) +
                              BlankPaddedRecord("P\xE9pin", "caf\xE9", 2) + QByteArray(59, 'x'));
        const QList<UserRecord> records = UserFile::ReadAll(workingCopy());
        QCOMPARE(records.size(), 2);
        QCOMPARE(records.at(0).TrimmedName(), QStringLiteral("Orrin"));
        QCOMPARE(records.at(0).TrimmedPassword(), QStringLiteral("lantern"));
        QCOMPARE(int(records.at(0).Level), 4);
        QCOMPARE(records.at(1).TrimmedName(), QString::fromUtf8("Pépin"));
        QCOMPARE(records.at(1).TrimmedPassword(), QString::fromUtf8("café"));
        QCOMPARE(int(records.at(1).Level), 2);

        QCOMPARE(UserFile::Read(workingCopy(), 2)->TrimmedName(), QString::fromUtf8("Pépin"));
        QCOMPARE(int(UserFile::Read(workingCopy(), 1)->Level), 4);
        // The partial record and numbers outside the file read as no record.
        QVERIFY(!UserFile::Read(workingCopy(), 3));
        QVERIFY(!UserFile::Read(workingCopy(), 0));

        m_env->writeLocal(UserFile::kFileName, QByteArray());
        QVERIFY(UserFile::ReadAll(workingCopy()).isEmpty());
    }

    void aMissingWorkingCopyIsReportedAndNotMade()
    {
        const QString missing = QStringLiteral("_files.dat does not exist on the local hard drive.");
        QCOMPARE(ErrorOf([&] { UserFile::ReadAll(workingCopy()); }), missing);
        QCOMPARE(ErrorOf([&] { UserFile::Read(workingCopy(), 1); }), missing);
        QCOMPARE(ErrorOf([&] {
                     UserFile::Write(workingCopy(), 1, UserRecord::FromClear("Ann", "x", 3));
                 }),
                 missing);
        QVERIFY(!QFileInfo::exists(workingCopy()));
        Inet inet;
        QCOMPARE(ErrorOf([&] { UserFile::Upload(inet, workingCopy()); }), missing);
        QVERIFY(m_site->ftpLog().isEmpty());
    }

    void storedBytesAreTheBlankPaddedRecordComplemented_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("level");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("plain") << "Ann" << "heron" << 3 << StoredUserRecord("Ann", "heron", 3);
        QTest::newRow("Windows-1252")
            << QString::fromUtf8("Zoë") << QString::fromUtf8("€uro") << 2
            << StoredUserRecord("Zo\xEB", "\x80uro", 2);
        QTest::newRow("cut to the widths")
            << QString(35, 'n') << QString(35, 'p') << 4
            << StoredUserRecord(QByteArray(30, 'n'), QByteArray(29, 'p'), 4);
        QTest::newRow("empty password") << "Pip" << "" << 1 << StoredUserRecord("Pip", "", 1);
    }
    void storedBytesAreTheBlankPaddedRecordComplemented()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(int, level);
        QFETCH(QByteArray, stored);
        const QByteArray bytes =
            UserFile::StoredBytes(UserRecord::FromClear(name, password, level));
        QCOMPARE(bytes.toHex(' '), stored.toHex(' '));
    }

    void writesOverARecordOrAppendsOne()
    {
        m_env->writeLocal(UserFile::kFileName, m_three);
        UserFile::Write(workingCopy(), 2, UserRecord::FromClear("Annika", "tern", 4));
        QCOMPARE(m_env->readLocal(UserFile::kFileName),
                 StoredUserRecord("Orrin", "lantern", 4) + StoredUserRecord("Annika", "tern", 4) +
                     StoredUserRecord("Pip", "pebble", 2));

        UserFile::Write(workingCopy(), 4, UserRecord::FromClear("Wren", "finch", 3));
        const QByteArray four = m_env->readLocal(UserFile::kFileName);
        QCOMPARE(four.size(), 240);
        QCOMPARE(four.right(60), StoredUserRecord("Wren", "finch", 3));
        QCOMPARE(UserFile::ReadAll(workingCopy()).size(), 4);

        // A trailing partial record is no member: appending replaces it.
        m_env->writeLocal(UserFile::kFileName, m_three + QByteArray(20, 'x'));
        UserFile::Write(workingCopy(), 4, UserRecord::FromClear("Wren", "finch", 3));
        QCOMPARE(m_env->readLocal(UserFile::kFileName), m_three + StoredUserRecord("Wren", "finch", 3));
    }

    void refusesToLeaveAGapOrWriteBeforeTheFirstRecord_data()
    {
        QTest::addColumn<int>("number");
        QTest::newRow("two past the end") << 5;
        QTest::newRow("zero") << 0;
        QTest::newRow("negative") << -1;
    }
    void refusesToLeaveAGapOrWriteBeforeTheFirstRecord()
    {
        QFETCH(int, number);
        m_env->writeLocal(UserFile::kFileName, m_three);
        const QString error = ErrorOf(
            [&] { UserFile::Write(workingCopy(), number, UserRecord::FromClear("Wren", "", 3)); });
        QVERIFY2(error.contains(QStringLiteral("holds only 3 users")), qPrintable(error));
        QCOMPARE(m_env->readLocal(UserFile::kFileName), m_three);
    }

    void downloadsTheSiteFileRawWithEmptyQueryValues()
    {
        const QByteArray site = m_three + QByteArray("\x00\xFF partial", 10);
        m_site->writeSiteFile(kSiteUsers, site);
        m_env->writeLocal(UserFile::kFileName, "an older working copy, longer than the new one" +
                                                  QByteArray(300, 'x'));
        Inet inet;
        UserFile::Download(inet, QString(), QString(), workingCopy());
        QCOMPARE(m_env->readLocal(UserFile::kFileName), site);
        QVERIFY2(m_site->httpLog().contains(
                     QStringLiteral("GET /tarnwardens/qxg/_files.dat?username=&password=")),
                 qPrintable(m_site->httpLog().join('\n')));
    }

    void aFailedDownloadSaysWhyAndKeepsTheWorkingCopy()
    {
        m_env->writeLocal(UserFile::kFileName, m_three);
        Inet inet;
        // No user file on the site: the server's error page is no user file.
        QFile::remove(m_site->sitePath(kSiteUsers));
        QCOMPARE(ErrorOf([&] { UserFile::Download(inet, {}, {}, workingCopy()); }),
                 QStringLiteral("the server answered 404."));
        QCOMPARE(m_env->readLocal(UserFile::kFileName), m_three);

        // Nobody listening.
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        const QByteArray previous = qgetenv("SKIFF_HTTP_PORT");
        qputenv("SKIFF_HTTP_PORT", QByteArray::number(port));
        const QString error = ErrorOf([&] { UserFile::Download(inet, {}, {}, workingCopy()); });
        qputenv("SKIFF_HTTP_PORT", previous);
        QVERIFY(!error.isEmpty());
        QCOMPARE(m_env->readLocal(UserFile::kFileName), m_three);
    }

    void uploadKeepsTheSitesPreviousFileAsBackup()
    {
        m_site->writeSiteFile(kSiteUsers, m_three);
        m_site->writeSiteFile(kSiteUsers + QStringLiteral(".backup"), "the one before");
        const QByteArray changed = m_three + StoredUserRecord("Wren", "finch", 3);
        m_env->writeLocal(UserFile::kFileName, changed);
        // A connection left in another folder is dropped first.
        Inet inet;
        inet.UserName = QStringLiteral("pell");
        inet.Password = m_site->password();
        Wait::ExecuteAndWait(inet, QStringLiteral("cd /users/tarnwardens/qxg"));
        QVERIFY(UserFile::Upload(inet, workingCopy()));
        QCOMPARE(m_site->ftpLog().filter(QStringLiteral("USER ")).size(), 2);
        QCOMPARE(m_site->readSiteFile(kSiteUsers), changed);
        QCOMPARE(m_site->readSiteFile(kSiteUsers + QStringLiteral(".backup")), m_three);
        QCOMPARE(FileCommands(m_site->ftpLog()),
                 QStringList({"DELE /users/tarnwardens/qxg/_files.dat.backup",
                              "RNFR /users/tarnwardens/qxg/_files.dat",
                              "RNTO /users/tarnwardens/qxg/_files.dat.backup",
                              "STOR /users/tarnwardens/qxg/_files.dat"}));
        QCOMPARE(inet.Protocol, int(icFTP));
    }

    void aRefusedUploadLeavesTheSitesFileInPlace()
    {
        m_site->writeSiteFile(kSiteUsers, m_three);
        m_env->writeLocal(UserFile::kFileName, StoredUserRecord("Wren", "finch", 3));
        m_site->refuse(UserFile::kFileName);
        Inet inet;
        QVERIFY(!UserFile::Upload(inet, workingCopy()));
        QVERIFY(!inet.ResponseInfo().isEmpty());
        QCOMPARE(m_site->readSiteFile(kSiteUsers), m_three);
        QCOMPARE(m_env->readLocal(UserFile::kFileName), StoredUserRecord("Wren", "finch", 3));
    }
};

QTEST_GUILESS_MAIN(TestUserFile)
#include "tst_userfile.moc"
