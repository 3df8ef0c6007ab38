// The user file: its 60-byte records, their codec and the login's matching.
// The files here are built byte by byte, so a codec that scrambles and
// unscrambles symmetrically wrong cannot hide.

#include "SiteTestCase.h"

#include "users/UserRecord.h"

#include <QtTest>

namespace {
const QByteArray kUsers = SampleUserFile();
} // namespace

class TestUserRecord : public QObject
{
    Q_OBJECT
private slots:
    void recordsAreScrambledByteForByte()
    {
        const QByteArray stored = StoredUserRecord("Orrin",
                                                   "s\xE9"
                                                   "cret",
                                                   4);
        UserRecord record = UserRecord::FromBytes(stored.constData());
        modSkiff::ScrambleUserRecord(record);
        QCOMPARE(record.ToBytes(),
                 UserRecord::FromClear("Orrin", QString::fromUtf8("s\u00e9cret"), 4).ToBytes());
        // Clear values scramble back into the stored text and level.
        modSkiff::ScrambleUserRecord(record);
        QCOMPARE(record.ToBytes().left(5), stored.left(5));
        QCOMPARE(record.ToBytes().mid(30, 6), stored.mid(30, 6));
        QCOMPARE(record.ToBytes().at(59), stored.at(59));
        // Fields are cut to their widths; a partial record at the end is ignored.
        const UserRecord longOne = UserRecord::FromClear(QString(40, 'n'), QString(40, 'p'), 3);
        QCOMPARE(longOne.ToBytes().size(), 60);
        QCOMPARE(ReadStoredUserRecords(kUsers + kUsers.left(59)).size(), 4);
    }

    // Rows: the user file, then "typed name|typed password|member|level"
    // (no member: no match).
    void matching_data()
    {
        QTest::addColumn<QByteArray>("userFile");
        QTest::addColumn<QString>("row");
        QTest::newRow("exact") << kUsers << "Ann|heron|Ann|3";
        QTest::newRow("case and blanks ignored, stored spelling kept")
            << kUsers << "  ORRIN | lANTERN  |Orrin|4";
        QTest::newRow("Windows-1252 letters") << kUsers << QString::fromUtf8("pépin|CAFÉ|Pépin|2");
        QTest::newRow("locked out members match too") << kUsers << "mordo|cinder|Mordo|1";
        QTest::newRow("the later of two matches")
            << StoredUserRecord("Ann", "heron", 2) + StoredUserRecord("ANN", "HERON", 3)
            << "ann|heron|ANN|3";
        QTest::newRow("wrong password") << kUsers << "Ann|heron2||0";
        QTest::newRow("unknown member") << kUsers << "Zed|heron||0";
        QTest::newRow("password over 29 characters")
            << StoredUserRecord("Ann", QByteArray(29, 'x'), 3) << "Ann|" + QString(30, 'x') + "||0";
        QTest::newRow("blank entries") << kUsers << "|||0";
        QTest::newRow("empty file") << QByteArray() << "Ann|heron||0";
        QTest::newRow("59 bytes") << StoredUserRecord("Ann", "heron", 3).left(59) << "Ann|heron||0";
        QTest::newRow("an error page")
            << QByteArray("<html><body><h1>404 Not Found</h1></body></html>\r\n") << "Ann|heron||0";
    }
    void matching()
    {
        QFETCH(QByteArray, userFile);
        QFETCH(QString, row);
        const QStringList fields = row.split('|');
        const std::optional<SignedInMember> found = FindMember(userFile, fields[0], fields[1]);
        const QString member = found ? found->Nickname + "|" + QString::number(found->Level) : "|0";
        QCOMPARE(member, fields[2] + "|" + fields[3]);
    }
};

QTEST_GUILESS_MAIN(TestUserRecord)
#include "tst_userrecord.moc"
