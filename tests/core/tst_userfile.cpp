// The user file: its 60-byte records, their codec and the login's matching;
// the rules of user administration (the option a stored level shows, what
// an administrator may change in whose record, the nickname filter with its
// caret and selection, the checks before a record is applied and when the
// boxes hold unapplied changes); and the working copy: whole records read, one
// written at its place or appended, the raw download of the site's file
// (its upload is checked end to end with the window). The files here are
// built byte by byte, so a codec that is wrong both ways cannot hide.

#include "SiteTestCase.h"

#include "app/Errors.h"
#include "app/MemberLevel.h"
#include "app/Settings.h"
#include "transport/Inet.h"
#include "users/AdministratorKeys.h"
#include "users/UserAdmin.h"
#include "users/UserFile.h"
#include "users/UserRecord.h"

#include <QtTest>

using namespace UserAdmin;
using namespace modSkiff;

namespace {

const QByteArray kUsers = SampleUserFile();
const QByteArray kThree = StoredUserRecord("Orrin", "lantern", 4) +
                          StoredUserRecord("Ann", "heron", 3) + StoredUserRecord("Pip", "pebble", 2);

// Name, password, the options from "Locked Out" to "Administrator", apply:
// "x" usable, "-" not.
QString Marks(const Enabling& e)
{
    QString marks;
    for (const bool on : {e.userName, e.password, e.lockedOut, e.readOnly, e.fullAccess,
                          e.administrator, e.apply})
        marks += on ? QLatin1Char('x') : QLatin1Char('-');
    return marks;
}

} // namespace

class TestUserFile : public SiteTestCase
{
    Q_OBJECT


    QString copy() const { return env().localPath(UserFile::kFileName); }

private slots:
    void init()
    {
        SiteTestCase::init();
        signIn(QStringLiteral("Orrin"), 4);
    }

    void recordsAreScrambledByteForByte()
    {
        const QByteArray stored = StoredUserRecord("Orrin", "s\xE9" "cret", 4);
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

    // The key an administrator leaves behind opens only to the nickname
    // and password the sign-in would accept; it holds no password, a member
    // no longer an administrator leaves none, and a damaged one opens to
    // nothing (and costs no endless wait).
    void administratorKeysMatchAsTheSignInDoes()
    {
        AdministratorKeys::Keep("Orrin", "Lantern", MemberLevel::Administrator);
        AdministratorKeys::Keep("Ann", "heron", MemberLevel::FullAccess);
        QVERIFY(AdministratorKeys::Matches("  ORRIN ", "lantern "));
        QVERIFY(!AdministratorKeys::Matches("Orrin", "lantern2"));
        QVERIFY(!AdministratorKeys::Matches("Ann", "heron"));
        FlushSettings();
        QVERIFY(!ReadFileBytes(SettingsFile()).toLower().contains("lantern"));
        AdministratorKeys::Keep("Orrin", "lantern", MemberLevel::ReadOnly);
        QVERIFY(!AdministratorKeys::Matches("Orrin", "lantern"));
        for (const QByteArray& damaged : {"pbkdf2-sha256$900000000$c2FsdA==$" + QByteArray(43, 'A') + "=",
                                     QByteArray("x$1$c2FsdA==$AA=="), QByteArray("pbkdf2-sha256$1$$")}) {
            SaveSetting("Administrator Keys", "orrin", QString::fromLatin1(damaged));
            QVERIFY(!AdministratorKeys::Matches("Orrin", "lantern"));
        }
    }

    void storedLevelsShowAsTheirOption()
    {
        const QList<QPair<int, int>> shown = {{1, 1}, {2, 2}, {3, 3}, {4, 4},
                                              // as start-up, anything else is locked out
                                              {0, 1}, {5, 1}, {251, 1}};
        for (const auto& [stored, level] : shown) {
            QCOMPARE(int(ShownLevel(stored)), level);
            QCOMPARE(LevelIconKey(stored), QStringLiteral("level%1").arg(level));
        }
    }

    void whatAnAdministratorMayChange_data()
    {
        QTest::addColumn<QString>("signedIn");
        QTest::addColumn<QString>("chosen"); // "" for a new member
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("marks");
        // The window's test walks through the usual cases; these are the rest.
        QTest::newRow("privileged, new member") << "Orrin" << "" << 0 << "xxxxxxx";
        QTest::newRow("privileged, own record") << "Orrin" << "orrin" << 4 << "xxxxxxx";
        QTest::newRow("own record, other letter case") << "Kestrel" << "KESTREL" << 4 << "-x----x";
        QTest::newRow("another administrator") << "Kestrel" << "Orrin" << 4 << "-------";
        QTest::newRow("unknown level") << "Kestrel" << "Ann" << 0 << "-xxxx-x";
    }
    void whatAnAdministratorMayChange()
    {
        QFETCH(QString, signedIn);
        QFETCH(QString, chosen);
        QFETCH(int, level);
        QFETCH(QString, marks);
        std::optional<UserRecord> record;
        if (!chosen.isEmpty())
            record = UserRecord::FromClear(chosen, QStringLiteral("secret"), level);
        QCOMPARE(Marks(EnablingFor(signedIn == QLatin1String("Orrin"), record, signedIn)), marks);
    }

    // What "Apply Changes to User" writes, and what it refuses: a blank
    // nickname would let in whoever leaves the login boxes empty; a password
    // the user file's character set cannot hold would not log in again.
    void applyingTheBoxes()
    {
        const QString outside =
            "The password can only hold letters, digits and signs of the Windows-1252 character set.";
        using Row = std::tuple<QString, QString, QString>; // name, password, refusal
        for (const auto& [name, password, refusal] :
             {Row{"   ", "x", "Please enter a user name."}, Row{"Ann", "h\u0113ron", outside},
              Row{"Ann", "h\u00e9ron", ""}}) {
            const RecordToApply apply = RecordFor({name, password, FullAccess});
            QCOMPARE(apply.refusal, refusal);
            QCOMPARE(apply.record ? apply.record->ToBytes() : QByteArray(),
                     refusal.isEmpty() ? UserRecord::FromClear(name, password, 3).ToBytes() : QByteArray());
        }
    }

    // The question on switching members comes only when the boxes differ
    // from the record as it would be stored again.
    void unappliedChangesAreThoseTheRecordWouldShow()
    {
        const UserRecord pip = UserRecord::FromClear("Pip", "pebble", 2);
        QVERIFY(!HasUnappliedChanges(pip, {"Pip", "pebble", ReadOnly}));
        QVERIFY(HasUnappliedChanges(pip, {"Pip", "gravel", ReadOnly}));
        QVERIFY(HasUnappliedChanges(pip, {"Pippa", "pebble", ReadOnly}));
        QVERIFY(HasUnappliedChanges(pip, {"Pip", "pebble", FullAccess}));
        // Cut to the field's width, as it would be written.
        const QString longName(UserRecord::NameLength, QLatin1Char('n'));
        QVERIFY(!HasUnappliedChanges(UserRecord::FromClear(longName, "", 2),
                                     {longName + "x", "", ReadOnly}));
        // A stored level no option shows is unchanged while "Locked Out" stays.
        QVERIFY(!HasUnappliedChanges(UserRecord::FromClear("Mordo", "c", 9), {"Mordo", "c", LockedOut}));
        QVERIFY(HasUnappliedChanges(std::nullopt, {"NewUser", "", FullAccess}));
    }

    void nicknameFilterKeepsCaretAndSelection_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("selection");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<int>("keptCaret");
        QTest::addColumn<int>("keptSelection");
        QTest::newRow("caret at the end") << "Ann Lee!" << 8 << 0 << "AnnLee" << 6 << 0;
        QTest::newRow("blank just typed") << "Ann Lee" << 4 << 0 << "AnnLee" << 3 << 0;
        QTest::newRow("after the caret") << "Ann-Lee" << 2 << 0 << "AnnLee" << 2 << 0;
        QTest::newRow("around the selection") << "_ab_cd_ef" << 2 << 4 << "abcdef" << 1 << 3;
        QTest::newRow("beyond ASCII") << QString::fromUtf8("Zoë\tÅsa9") << 8 << 0 << "Zosa9" << 5 << 0;
        QTest::newRow("nothing kept") << " !? " << 2 << 2 << "" << 0 << 0;
    }
    void nicknameFilterKeepsCaretAndSelection()
    {
        QFETCH(QString, typed);
        QFETCH(int, caret);
        QFETCH(int, selection);
        QFETCH(QString, kept);
        QFETCH(int, keptCaret);
        QFETCH(int, keptSelection);
        const NicknameEdit result = FilterNickname({typed, caret, selection});
        QCOMPARE(result.text, kept);
        QCOMPARE(result.caret, keptCaret);
        QCOMPARE(result.selectionLength, keptSelection);
    }

    void readsWholeRecordsOfEitherPadding()
    {
        // Older clients scramble the trimmed field and pad it with plain blanks.
        QByteArray blankPadded;
        for (const char byte : QByteArray("P\xE9pin"))
            blankPadded += char(~static_cast<unsigned char>(byte));
        blankPadded = blankPadded.leftJustified(59, ' ') + char(255 - 2);
        env().writeLocal(UserFile::kFileName,
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

        env().writeLocal(UserFile::kFileName, kThree + QByteArray(20, 'x'));
        // Fields are cut to their widths; pads are complemented blanks.
        UserFile::Write(copy(), 2, UserRecord::FromClear(QString::fromUtf8("Zoë") + QString(30, 'n'),
                                                         QString::fromUtf8("€") + QString(30, 'p'), 4));
        UserFile::Write(copy(), 4, wren); // over the partial record
        const QByteArray expected =
            kThree.left(60) + StoredUserRecord("Zo\xEB" + QByteArray(27, 'n'), "\x80" + QByteArray(28, 'p'), 4) +
            kThree.mid(120) + StoredUserRecord("Wren", "finch", 3);
        QCOMPARE(env().readLocal(UserFile::kFileName).toHex(' '), expected.toHex(' '));
        for (const int number : {6, 0}) {
            QVERIFY(ErrorOf([&] { UserFile::Write(copy(), number, wren); }).contains("holds only 4 users"));
            QCOMPARE(env().readLocal(UserFile::kFileName), expected);
        }
    }

    void downloadsTheSiteFileRawWithEmptyQueryValues()
    {
        site().writeSiteFile("qxg/_files.dat", kThree);
        env().writeLocal(UserFile::kFileName, QByteArray(400, 'o'));
        Inet inet;
        QCOMPARE(UserFile::Download(inet, QString(), QString(), copy()), kThree);
        QCOMPARE(env().readLocal(UserFile::kFileName), kThree);
        QVERIFY(site().httpLog().contains("GET /tarnwardens/qxg/_files.dat?username=&password="));
    }

    // Whatever the answer holds, only a whole user file becomes the
    // working copy; the copy there stays as it was.
    void downloadsOnlyAWholeUserFile_data()
    {
        QTest::addColumn<QByteArray>("onSite");
        QTest::addColumn<QString>("web"); // what HTTP serves instead
        QTest::addColumn<QString>("why");
        const QString notOne = "_files.dat is not a user file: ";
        QTest::newRow("partial record") << kThree + QByteArray("\x00\xFF partial", 10) << "" << notOne + "its 190 bytes are not a whole number of 60-byte records.";
        QTest::newRow("empty") << QByteArray() << "" << notOne + "it is empty.";
        QTest::newRow("error page as the file")
            << QByteArray("<html><head><title>Proxy error</title></head><body><p>Sorry!</p>").leftJustified(120, ' ')
            << "" << notOne + "record 1 holds no readable nickname and password.";
        QTest::newRow("no nickname") << kThree + StoredUserRecord("", "open", 3) << ""
                                     << notOne + "record 4 holds no readable nickname and password.";
        QTest::newRow("short body") << kThree << "short" << "_files.dat came incomplete: the web server sent 90 bytes, the file holds 180. Nothing was changed; try again later.";
        QTest::newRow("error page, status 200") << kThree << "serve" << "_files.dat came incomplete: the web server sent 18 bytes, the file holds 180. Nothing was changed; try again later.";
    }
    void downloadsOnlyAWholeUserFile()
    {
        QFETCH(QByteArray, onSite);
        QFETCH(QString, web);
        QFETCH(QString, why);
        site().writeSiteFile("qxg/_files.dat", onSite);
        if (web == "short")
            site().webShort("_files.dat");
        else if (web == "serve")
            site().webServe("_files.dat", "<html>oops</html>\n");
        env().writeLocal(UserFile::kFileName, "kept");
        Inet inet;
        QCOMPARE(ErrorOf([&] { UserFile::Download(inet, QString(), QString(), copy()); }), why);
        QCOMPARE(env().readLocal(UserFile::kFileName), "kept");
    }

    // Two administrators, their windows opened one after the other, close
    // one after the other: the second one's changed records go onto the
    // file the first one sent. Changes: "number:name|password|level", ";"
    // between them.
    void twoAdministratorsKeepEachOthersChanges_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("answer"); // to the question about the record both changed
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("outcome");
        const QByteArray orrin = StoredUserRecord("Orrin", "lantern", 4);
        const QByteArray ann = StoredUserRecord("Ann", "heron", 3);
        const QByteArray pip = StoredUserRecord("Pip", "pebble", 2);
        const QByteArray annNew = StoredUserRecord("Ann", "egret", 3);
        const QByteArray annBrenn = StoredUserRecord("Ann", "swan", 2);
        const int sent = int(UserFile::Outcome::Sent);
        QTest::newRow("different records")
            << "2:Ann|egret|3" << "3:Pip|pebble|1" << 0 << orrin + annNew + StoredUserRecord("Pip", "pebble", 1) << sent;
        QTest::newRow("both changed Ann, the second keeps theirs")
            << "2:Ann|egret|3" << "2:Ann|swan|2;3:Pip|stone|2" << int(vbNo) << orrin + annNew + StoredUserRecord("Pip", "stone", 2) << sent;
        QTest::newRow("both changed Ann, the second's replaces it")
            << "2:Ann|egret|3" << "2:Ann|swan|2" << int(vbYes) << orrin + annBrenn + pip << sent;
        QTest::newRow("both changed Ann, the second stops")
            << "2:Ann|egret|3" << "2:Ann|swan|2;3:Pip|stone|2" << int(vbCancel) << orrin + annNew + pip << int(UserFile::Outcome::Stopped);
        QTest::newRow("the same change by both") << "2:Ann|egret|3" << "2:Ann|egret|3" << 0 << orrin + annNew + pip << int(UserFile::Outcome::NothingToSend);
        QTest::newRow("no change") << "2:Ann|egret|3" << "" << 0 << orrin + annNew + pip << int(UserFile::Outcome::NothingToSend);
        QTest::newRow("new members of both")
            << "4:Wren|finch|3" << "4:Tern|gull|2" << 0
            << kThree + StoredUserRecord("Wren", "finch", 3) + StoredUserRecord("Tern", "gull", 2) << sent;
    }
    void twoAdministratorsKeepEachOthersChanges()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(int, answer);
        QFETCH(QByteArray, expected);
        QFETCH(int, outcome);
        site().writeSiteFile("qxg/_files.dat", kThree);
        const QString firstCopy = env().localPath("first.dat");
        const QString secondCopy = env().localPath("second.dat");
        Inet firstInet, secondInet;
        QByteArray firstBase = UserFile::Download(firstInet, QString(), QString(), firstCopy);
        QByteArray secondBase = UserFile::Download(secondInet, QString(), QString(), secondCopy);
        const auto change = [](const QString& copy, const QString& changes) {
            for (const QString& one : changes.split(';', Qt::SkipEmptyParts)) {
                const QStringList parts = one.section(':', 1).split('|');
                UserFile::Write(copy, one.section(':', 0, 0).toInt(),
                                UserRecord::FromClear(parts[0], parts[1], parts[2].toInt()));
            }
        };
        QStringList asked;
        const auto decide = [&](const QString& nickname) -> std::optional<bool> {
            asked << nickname;
            return answer == vbCancel ? std::nullopt : std::optional<bool>(answer == vbYes);
        };
        change(firstCopy, first);
        QCOMPARE(UserFile::Upload(firstInet, firstCopy, firstBase, decide), UserFile::Outcome::Sent);
        change(secondCopy, second);
        const QByteArray sentFirst = site().readSiteFile("qxg/_files.dat");
        site().clearLog();
        QCOMPARE(int(UserFile::Upload(secondInet, secondCopy, secondBase, decide)), outcome);
        QCOMPARE(asked, answer ? QStringList{"Ann"} : QStringList());
        QCOMPARE(site().readSiteFile("qxg/_files.dat").toHex(' '), expected.toHex(' '));
        if (outcome == int(UserFile::Outcome::Sent))
            QCOMPARE(site().readSiteFile("qxg/_files.dat.backup"), sentFirst);
        else
            QVERIFY(site().ftpCommands("STOR").filter("_files.dat").isEmpty());
        // Nothing changed at all: not even a connection.
        if (second.isEmpty())
            QVERIFY(site().ftpLog().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestUserFile)
#include "tst_userfile.moc"
