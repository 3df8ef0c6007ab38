// The main menu: the group message, the program-version notice and the
// buttons each level may use, against the local site server.

#include "SiteTestCase.h"

#include "app/GlobalState.h"
#include "ui/Resources.h"
#include "ui/frmMainMenu.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace modSkiff;

class TestMainMenu : public SiteTestCase
{
    Q_OBJECT

    void publishMessage(const QByteArray& bytes)
    {
        site().writeSiteFile("qxg/_message.dat", bytes);
    }

private slots:
    void initTestCase()
    {
        InitResources();
        SiteTestCase::initTestCase();
    }

    // The first line is the release; the rest is shown as it stands. A
    // missing message leaves the menu usable.
    void showsTheMessage_data()
    {
        QTest::addColumn<QByteArray>("file"); // null = missing
        QTest::addColumn<QString>("shown");
        QTest::newRow("lines") << QByteArray("2.0.3\r\nFirst line\r\nSecond line\r\n\r\nLast")
                               << "First line\nSecond line\n\nLast";
        QTest::newRow("no line end: all release") << QByteArray("2.0.3") << "";
        QTest::newRow("missing") << QByteArray() << "";
    }
    void showsTheMessage()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, shown);
        TestEnv env("Ann", 4);
        if (!file.isNull())
            publishMessage(file);
        frmMainMenu menu;
        QCOMPARE(menu.txtMessage->toPlainText(), shown);
        QCOMPARE(services().endProgramCalls, 0);
        QVERIFY(menu.cmdAdventure->isEnabled() && menu.cmdUsers->isEnabled());
    }

    void noticeOnlyForANewerRelease_data()
    {
        QTest::addColumn<QString>("siteVersion");
        QTest::addColumn<bool>("notice");
        // (How releases compare: tst_shared_procedures.)
        QTest::newRow("equal") << "2.0.3" << false;
        QTest::newRow("newer") << "2.0.4" << true;
    }
    void noticeOnlyForANewerRelease()
    {
        QFETCH(QString, siteVersion);
        QFETCH(bool, notice);
        TestEnv env;
        publishMessage(siteVersion.toLatin1() + "\r\nHello");
        if (notice)
            services().expect("Skiff has been updated to version " + siteVersion +
                                  "\r\nYou are currently using version 2.0.3\r\n\r\nPlease get "
                                  "version " +
                                  siteVersion + " from Orrin.",
                              vbCritical);
        frmMainMenu menu;
        QCOMPARE(services().endProgramCalls, notice ? 1 : 0);
    }

    void buttonsFollowTheLevel_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("postNews");
        QTest::addColumn<bool>("users");
        QTest::newRow("read only") << 2 << false << false;
        QTest::newRow("full access") << 3 << true << false;
        QTest::newRow("administrator") << 4 << true << true;
    }
    void buttonsFollowTheLevel()
    {
        QFETCH(int, level);
        QFETCH(bool, postNews);
        QFETCH(bool, users);
        TestEnv env("Ann", static_cast<unsigned char>(level));
        publishMessage("2.0.3\r\nHi");
        frmMainMenu menu;
        QCOMPARE(menu.cmdPostNews->isEnabled(), postNews);
        QCOMPARE(menu.cmdUsers->isEnabled(), users);
        QVERIFY(menu.cmdWebPage->isEnabled());
        QVERIFY(menu.cmdAdventure->isEnabled());
    }
};

QTEST_MAIN(TestMainMenu)
#include "tst_mainmenu.moc"
