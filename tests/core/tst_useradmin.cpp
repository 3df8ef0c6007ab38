// The rules of user administration without a window: the option a stored
// level shows, what an administrator may change in whose record, and the
// nickname filter with its caret and selection.

#include "users/UserAdmin.h"

#include <QtTest>

using UserAdmin::Enabling;
using UserAdmin::NicknameEdit;

Q_DECLARE_METATYPE(Enabling)
Q_DECLARE_METATYPE(NicknameEdit)

namespace QTest {
template <> char* toString(const Enabling& e)
{
    return qstrdup(QStringLiteral("name %1 password %2 levels %3%4%5 admin %6 apply %7")
                       .arg(e.userName)
                       .arg(e.password)
                       .arg(e.lockedOut)
                       .arg(e.readOnly)
                       .arg(e.fullAccess)
                       .arg(e.administrator)
                       .arg(e.apply)
                       .toUtf8()
                       .constData());
}
template <> char* toString(const NicknameEdit& e)
{
    return qstrdup(QStringLiteral("\"%1\" caret %2 selection %3")
                       .arg(e.text)
                       .arg(e.caret)
                       .arg(e.selectionLength)
                       .toUtf8()
                       .constData());
}
} // namespace QTest

namespace {

Enabling Everything() { return Enabling(); }
Enabling Nothing() { return Enabling{false, false, false, false, false, false, false}; }

} // namespace

class TestUserAdmin : public QObject
{
    Q_OBJECT

private slots:
    void storedLevelsShowAsTheirOption_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shown");
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("2") << 2 << 2;
        QTest::newRow("3") << 3 << 3;
        QTest::newRow("4") << 4 << 4;
        // Levels no client writes count as locked out, as at start-up.
        QTest::newRow("0") << 0 << 1;
        QTest::newRow("5") << 5 << 1;
        QTest::newRow("still complemented") << 251 << 1;
    }
    void storedLevelsShowAsTheirOption()
    {
        QFETCH(int, stored);
        QFETCH(int, shown);
        QCOMPARE(int(UserAdmin::ShownLevel(stored)), shown);
        QCOMPARE(UserAdmin::LevelIconKey(stored), QStringLiteral("level%1").arg(shown));
    }

    void whatAnAdministratorMayChange_data()
    {
        QTest::addColumn<bool>("privileged");
        QTest::addColumn<bool>("newMember");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("level");
        QTest::addColumn<Enabling>("expected");

        for (const int level : {1, 2, 3, 4}) {
            QTest::addRow("privileged, level %d", level)
                << true << false << "Kestrel" << level << Everything();
        }
        QTest::newRow("privileged, own record") << true << false << "orrin" << 4 << Everything();
        QTest::newRow("privileged, new member") << true << true << "" << 0 << Everything();

        Enabling member = Everything();
        member.userName = member.administrator = false;
        for (const int level : {1, 2, 3, 0}) {
            QTest::addRow("other administrator, level %d member", level)
                << false << false << "Ann" << level << member;
        }
        QTest::newRow("other administrator, another administrator")
            << false << false << "Orrin" << 4 << Nothing();
        Enabling own = Nothing();
        own.password = own.apply = true;
        QTest::newRow("other administrator, own record in other letter case")
            << false << false << "KESTREL" << 4 << own;
        QTest::newRow("other administrator, own name with the level of a member")
            << false << false << "Kestrel" << 3 << member;
        Enabling added = Everything();
        added.administrator = false;
        QTest::newRow("other administrator, new member") << false << true << "" << 0 << added;
    }
    void whatAnAdministratorMayChange()
    {
        QFETCH(bool, privileged);
        QFETCH(bool, newMember);
        QFETCH(QString, name);
        QFETCH(int, level);
        QFETCH(Enabling, expected);
        std::optional<UserRecord> chosen;
        if (!newMember)
            chosen = UserRecord::FromClear(name, QStringLiteral("secret"), level);
        const QString signedIn = privileged ? QStringLiteral("Orrin") : QStringLiteral("Kestrel");
        QCOMPARE(UserAdmin::EnablingFor(privileged, chosen, signedIn), expected);
    }

    void nicknameFilterKeepsCaretAndSelection_data()
    {
        QTest::addColumn<NicknameEdit>("typed");
        QTest::addColumn<NicknameEdit>("kept");
        QTest::newRow("nothing to remove") << NicknameEdit{"Ann42", 3, 1} << NicknameEdit{"Ann42", 3, 1};
        QTest::newRow("blank and exclamation mark, caret at the end")
            << NicknameEdit{"Ann Lee!", 8, 0} << NicknameEdit{"AnnLee", 6, 0};
        QTest::newRow("blank just typed in the middle")
            << NicknameEdit{"Ann Lee", 4, 0} << NicknameEdit{"AnnLee", 3, 0};
        QTest::newRow("removed after the caret")
            << NicknameEdit{"Ann-Lee", 2, 0} << NicknameEdit{"AnnLee", 2, 0};
        QTest::newRow("removed inside the selection")
            << NicknameEdit{"a.b c!d", 1, 4} << NicknameEdit{"abcd", 1, 2};
        QTest::newRow("before, inside and after the selection")
            << NicknameEdit{"_ab_cd_ef", 2, 4} << NicknameEdit{"abcdef", 1, 3};
        QTest::newRow("the caret's own character")
            << NicknameEdit{"ab!", 2, 0} << NicknameEdit{"ab", 2, 0};
        QTest::newRow("letters beyond ASCII and controls")
            << NicknameEdit{QString::fromUtf8("Zoë\tÅsa9"), 8, 0} << NicknameEdit{"Zosa9", 5, 0};
        QTest::newRow("New User") << NicknameEdit{"New User", 8, 0} << NicknameEdit{"NewUser", 7, 0};
        QTest::newRow("nothing kept") << NicknameEdit{" !? ", 2, 2} << NicknameEdit{"", 0, 0};
    }
    void nicknameFilterKeepsCaretAndSelection()
    {
        QFETCH(NicknameEdit, typed);
        QFETCH(NicknameEdit, kept);
        QCOMPARE(UserAdmin::FilterNickname(typed), kept);
    }
};

QTEST_GUILESS_MAIN(TestUserAdmin)
#include "tst_useradmin.moc"
