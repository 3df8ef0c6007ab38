// The working copy of the user file: whole records read, one written at its
// place or appended as the format stores it, and the raw download of the
// site's user file (its upload is checked end to end with the window).

#include "SiteServer.h"
#include "SiteTestCase.h"
#include "TestEnv.h"

#include "app/Errors.h"
#include "transport/Inet.h"
#include "users/UserFile.h"

#include <QtTest>

#include <memory>

namespace {

const QString kSiteUsers = QStringLiteral("qxg/_files.dat");
const QByteArray kThree = StoredUserRecord("Orrin", "lantern", 4) +
                          StoredUserRecord("Ann", "heron", 3) + StoredUserRecord("Pip", "pebble", 2);

} // namespace

class TestUserFile : public QObject
{
    Q_OBJECT

    std::unique_ptr<SiteServer> m_site;
    std::unique_ptr<TestEnv> m_env;

    QString copy() const { return m_env->localPath(UserFile::kFileName); }

private slots:
    void initTestCase()
    {
        m_site = std::make_unique<SiteServer>();
        QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
    }
    void init()
    {
        m_env = std::make_unique<TestEnv>(QStringLiteral("Orrin"), 4);
        m_site->clearLog();
    }
    void cleanup() { m_env.reset(); }
    void cleanupTestCase() { m_site.reset(); }

    void readsWholeRecordsOfEitherPadding()
    {
        // Older clients scramble the trimmed field and pad it with plain blanks.
        QByteArray blankPadded;
        for (const char byte : QByteArray("P\xE9pin"))
            blankPadded += char(~static_cast<unsigned char>(byte));
        blankPadded = blankPadded.leftJustified(59, ' ') + char(255 - 2);
        m_env->writeLocal(UserFile::kFileName,
                          StoredUserRecord("Orrin", "lantern", 4) + blankPadded + QByteArray(59, 'x'));
        const QList<UserRecord> records = UserFile::ReadAll(copy());
        QCOMPARE(records.size(), 2);
        QCOMPARE(records.at(0).TrimmedPassword(), QStringLiteral("lantern"));
        QCOMPARE(records.at(1).TrimmedName(), QString::fromUtf8("Pépin"));
        QCOMPARE(records.at(1).TrimmedPassword(), QString());
        QCOMPARE(int(UserFile::Read(copy(), 2)->Level), 2);
        QVERIFY(!UserFile::Read(copy(), 3)); // the partial record is no member
    }

    void writesOverARecordOrAppendsButLeavesNoGap()
    {
        const QString missing = QStringLiteral("_files.dat does not exist on the local hard drive.");
        const UserRecord wren = UserRecord::FromClear("Wren", "finch", 3);
        QCOMPARE(ErrorOf([&] { UserFile::Write(copy(), 1, wren); }), missing);
        QVERIFY(!QFileInfo::exists(copy()));

        m_env->writeLocal(UserFile::kFileName, kThree + QByteArray(20, 'x'));
        // Fields are cut to their widths; pads are complemented blanks.
        UserFile::Write(copy(), 2, UserRecord::FromClear(QString::fromUtf8("Zoë") + QString(30, 'n'),
                                                         QString::fromUtf8("€") + QString(30, 'p'), 4));
        UserFile::Write(copy(), 4, wren); // over the partial record
        const QByteArray expected =
            kThree.left(60) + StoredUserRecord("Zo\xEB" + QByteArray(27, 'n'), "\x80" + QByteArray(28, 'p'), 4) +
            kThree.mid(120) + StoredUserRecord("Wren", "finch", 3);
        QCOMPARE(m_env->readLocal(UserFile::kFileName).toHex(' '), expected.toHex(' '));
        for (const int number : {6, 0}) {
            QVERIFY(ErrorOf([&] { UserFile::Write(copy(), number, wren); }).contains("holds only 4 users"));
            QCOMPARE(m_env->readLocal(UserFile::kFileName), expected);
        }
    }

    void downloadsTheSiteFileRawWithEmptyQueryValues()
    {
        const QByteArray site = kThree + QByteArray("\x00\xFF partial", 10);
        m_site->writeSiteFile(kSiteUsers, site);
        m_env->writeLocal(UserFile::kFileName, QByteArray(400, 'o'));
        Inet inet;
        UserFile::Download(inet, QString(), QString(), copy());
        QCOMPARE(m_env->readLocal(UserFile::kFileName), site);
        QVERIFY(m_site->httpLog().contains("GET /tarnwardens/qxg/_files.dat?username=&password="));
    }
};

QTEST_GUILESS_MAIN(TestUserFile)
#include "tst_userfile.moc"
