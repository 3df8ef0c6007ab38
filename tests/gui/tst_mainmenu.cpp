// The main menu: the group message, the program-version notice and the
// buttons each level may use, against the local site server.

#include "ScriptedServices.h"
#include "SiteServer.h"
#include "TestEnv.h"

#include "app/GlobalState.h"
#include "ui/Resources.h"
#include "ui/frmMainMenu.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace modSkiff;

class TestMainMenu : public QObject
{
    Q_OBJECT

    SiteServer* m_site = nullptr;

    void publishMessage(const QByteArray& bytes)
    {
        m_site->writeSiteFile("qxg/_message.dat", bytes);
    }

private slots:
    void initTestCase()
    {
        InitResources();
        m_site = new SiteServer;
        QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
    }
    void cleanupTestCase() { delete m_site; }

    void showsTheWholeMessage()
    {
        TestEnv env;
        ScriptedServices services;
        publishMessage("2.0.3\r\nFirst line\r\nSecond line\r\n\r\nLast line");
        frmMainMenu menu;
        QCOMPARE(menu.windowTitle(), QStringLiteral("Skiff Main Menu"));
        QCOMPARE(menu.txtMessage->toPlainText(),
                 QStringLiteral("First line\nSecond line\n\nLast line"));
        QVERIFY(services.shown.isEmpty());
        QCOMPARE(services.endProgramCalls, 0);
        QVERIFY(m_site->httpLog().contains("GET /tarnwardens/qxg/_message.dat"));
    }

    void noticeOnlyForANewerRelease_data()
    {
        QTest::addColumn<QString>("siteVersion");
        QTest::addColumn<bool>("notice");
        QTest::newRow("1.2.0") << "1.2.0" << false;
        QTest::newRow("equal") << "2.0.3" << false;
        QTest::newRow("2.0.2") << "2.0.2" << false;
        QTest::newRow("1.10.99") << "1.10.99" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("garbage") << "soon" << false;
        QTest::newRow("2.0.4") << "2.0.4" << true;
        QTest::newRow("2.1") << "2.1" << true;
        QTest::newRow("3") << "3" << true;
    }
    void noticeOnlyForANewerRelease()
    {
        QFETCH(QString, siteVersion);
        QFETCH(bool, notice);
        TestEnv env;
        ScriptedServices services;
        publishMessage(siteVersion.toLatin1() + "\r\nHello");
        frmMainMenu menu;
        if (!notice) {
            QVERIFY(services.shown.isEmpty());
            QCOMPARE(services.endProgramCalls, 0);
            return;
        }
        QCOMPARE(services.shown.size(), 1);
        QCOMPARE(services.last().prompt,
                 "Skiff has been updated to version " + siteVersion +
                     "\r\nYou are currently using version 2.0.3\r\n\r\nPlease get version " +
                     siteVersion + " from Orrin.");
        QCOMPARE(services.last().icon(), int(vbCritical));
        QCOMPARE(services.last().buttons(), int(vbOKOnly));
        QCOMPARE(services.endProgramCalls, 1);
    }

    void textWithoutALineEndIsAllVersion()
    {
        TestEnv env;
        ScriptedServices services;
        publishMessage("2.0.3");
        frmMainMenu menu;
        QCOMPARE(menu.txtMessage->toPlainText(), QString());
        QVERIFY(services.shown.isEmpty());
    }

    void missingMessageLeavesTheMenuUsable()
    {
        TestEnv env;
        ScriptedServices services;
        QFile::remove(m_site->sitePath("qxg/_message.dat"));
        CurrentLevel = 4;
        frmMainMenu menu;
        QCOMPARE(menu.txtMessage->toPlainText(), QString());
        QCOMPARE(services.endProgramCalls, 0);
        QVERIFY(services.shown.isEmpty());
        QVERIFY(menu.cmdAdventure->isEnabled() && menu.cmdUsers->isEnabled());
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
        ScriptedServices services;
        publishMessage("2.0.3\r\nHi");
        frmMainMenu menu;
        QCOMPARE(menu.cmdPostNews->isEnabled(), postNews);
        QCOMPARE(menu.cmdUsers->isEnabled(), users);
        QVERIFY(menu.cmdWebPage->isEnabled());
        QVERIFY(menu.cmdAdventure->isEnabled());
        QCOMPARE(menu.cmdPostNews->text(), QStringLiteral("Post News"));
        QCOMPARE(menu.cmdWebPage->text(), QStringLiteral("QX Webpage"));
        QCOMPARE(menu.cmdAdventure->text(), QStringLiteral("QX Adventure"));
        QCOMPARE(menu.cmdUsers->text(), QStringLiteral("Edit Users"));
    }

    void resizingKeepsThePanelCentredAndTheMessageFilling()
    {
        TestEnv env;
        ScriptedServices services;
        publishMessage("2.0.3\r\nHi");
        frmMainMenu menu;
        menu.show();
        menu.resize(900, 500);
        QTRY_COMPARE(menu.txtMessage->width(), 900);
        QCOMPARE(menu.txtMessage->height(), 500 - menu.txtMessage->y());
        QCOMPARE(menu.picPanel->x(), (900 - menu.picPanel->width()) / 2);
    }
};

QTEST_MAIN(TestMainMenu)
#include "tst_mainmenu.moc"
