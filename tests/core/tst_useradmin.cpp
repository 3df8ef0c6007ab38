// The rules of user administration without a window: the option a stored
// level shows, what an administrator may change in whose record, and the
// nickname filter with its caret and selection.

#include "users/UserAdmin.h"

#include <QtTest>

using namespace UserAdmin;

namespace {

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

class TestUserAdmin : public QObject
{
    Q_OBJECT

private slots:
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
};

QTEST_GUILESS_MAIN(TestUserAdmin)
#include "tst_useradmin.moc"
