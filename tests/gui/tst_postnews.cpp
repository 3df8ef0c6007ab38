// The news window against the local site server, as a member uses it:
// opening, posting and previewing, the insert buttons, the name picture,
// and the main menu's "Post News".

#include "ScriptedServices.h"
#include "SiteServer.h"
#include "TestEnv.h"

#include "app/Clock.h"
#include "app/Settings.h"
#include "news/NewsItem.h"
#include "transport/Inet.h"
#include "transport/SiteConfig.h"
#include "ui/Resources.h"
#include "ui/frmMainMenu.h"
#include "ui/frmPostNews.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace modSkiff;

namespace {

const QString kIndex = QStringLiteral("news/index.html");
const QString kMembers = QStringLiteral("news/members.html");
const QString kAnnGif = QStringLiteral("images/ann.gif");

QByteArray DemoFile(const QString& path)
{
    return ReadFileBytes(SiteServer::DemoSite() + QLatin1Char('/') + path);
}

// A picture as the window draws it.
QImage AsDrawn(const QByteArray& gif)
{
    return QImage::fromData(gif)
        .scaled(96, 26, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

QImage Shown(const frmPostNews& window)
{
    return window.picNameGIF->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
}

QStringList Pages(const frmPostNews& window)
{
    QStringList names;
    for (int i = 0; i < window.cboWhichPage->count(); ++i)
        names << window.cboWhichPage->itemText(i);
    return names;
}

} // namespace

class TestPostNews : public QObject
{
    Q_OBJECT

    std::unique_ptr<SiteServer> m_site;
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<ScriptedServices> m_services;
    QPointer<frmPostNews> m_window;

    // Ann's news window, open and filled.
    frmPostNews& open()
    {
        m_window = new frmPostNews;
        m_window->show();
        if (!QTest::qWaitFor([this] { return m_window && m_window->IsLoaded(); }, 10000))
            qFatal("the news window did not finish opening");
        return *m_window;
    }
    void type(const QString& text) { m_window->txtNews->setPlainText(text); }
    void selectNews(int from, int to)
    {
        QTextCursor cursor = m_window->txtNews->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        m_window->txtNews->setTextCursor(cursor);
    }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // The page as the demo site holds it, with Ann's "a<BR>b" of 15:07 on top.
    QByteArray postedAt1507(const QString& page) const
    {
        const QByteArray item =
            "<p><img src=\"../images/ann.gif\" alt=\"ann\"> <b>11" +
            NewsItem::SystemDateSeparator().toUtf8() + "28 3" +
            NewsItem::SystemTimeSeparator().toUtf8() + "07 PM EST</b><br>\na<BR>b</p>\n";
        return DemoFile(page).replace("<!--begin-->", "<!--begin-->" + item) + "\r\n";
    }

private slots:
    void initTestCase()
    {
        InitResources();
        m_site = std::make_unique<SiteServer>(SiteServer::DemoSite());
        QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
    }

    void init()
    {
        for (const QString& path : {kIndex, kMembers, kAnnGif, QStringLiteral("qxg/_news.dat")})
            m_site->writeSiteFile(path, DemoFile(path));
        QFile::remove(m_site->sitePath(kIndex + ".backup"));
        m_site->clearRefusals();
        m_env = std::make_unique<TestEnv>("Ann", 3);
        m_services = std::make_unique<ScriptedServices>();
        Clock::SetSource([] { return QDateTime(QDate(2025, 11, 28), QTime(15, 7)); });
        m_site->clearLog();
    }

    void cleanup()
    {
        delete m_window;
        Clock::SetSource({});
        m_services.reset();
        m_env.reset();
    }

    void cleanupTestCase() { m_site.reset(); }

    void captionsAsTheMembersKnowThem()
    {
        frmPostNews& window = open();
        QCOMPARE(window.windowTitle(), "Post QX News");
        const QList<QPair<const char*, QString>> captions = {
            {"lblNewsPage", "Post To:"}, {"lblNews", "News:"}, {"lblTimeZone", "Time Zone:"},
            {"lblNameGIF", "Name GIF:"}, {"lblPreview", "Preview:"},
            {"lblNoAnimatedGifs", "Animated GIFs may not show correctly in the preview window."},
            {"cmdChangeGIF", "Change GIF..."}, {"picNewsButtons", ""}, {"cmdNewMember", "New Member"},
            {"cmdInsertHyperlink", "Hyperlink"}, {"cmdInsertImage", "Image"}, {"picButtons", ""},
            {"cmdPreview", "Preview"}, {"cmdPost", "Post"}, {"cmdCancel", "Cancel"}};
        for (const auto& [name, text] : captions) {
            const QWidget* control = window.findChild<QWidget*>(name);
            QVERIFY2(control, name);
            QCOMPARE(control->property("text").toString(), text);
        }
    }

    void openingFillsTheWindowAndClosingKeepsTheTimeZone()
    {
        SaveSetting("PostNews", "TimeZone", "CET");
        m_site->writeSiteFile("qxg/_news.dat", DemoFile("qxg/_news.dat") +
                                                   "Elders,news/elders.html,news/item.html,"
                                                   "Kestrel,aNN\r\n");
        frmPostNews& window = open();
        QCOMPARE(window.txtTimeZone->text(), "CET");
        QCOMPARE(Pages(window),
                 (QStringList{"Front Page", "Members' Corner", "Events"}));
        QCOMPARE(window.cboWhichPage->currentIndex(), 0);
        QCOMPARE(window.txtNameGIF->text(), kAnnGif);
        QCOMPARE(Shown(window), AsDrawn(DemoFile(kAnnGif)));
        QVERIFY(window.isEnabled());
        QVERIFY(m_services->shown.isEmpty());

        window.txtTimeZone->setText("PST");
        click(window.cmdCancel);
        QTRY_VERIFY(!m_window);
        QCOMPARE(GetSetting("PostNews", "TimeZone", "EST"), "PST");
        QVERIFY(m_site->ftpCommands("STOR").isEmpty());
    }

    void nothingToShowNothingToPostTo()
    {
        QFile::remove(m_site->sitePath(kAnnGif));
        m_site->writeSiteFile("qxg/_news.dat", "Lonely,news/index.html\r\n");
        frmPostNews& window = open();
        QCOMPARE(window.txtTimeZone->text(), "EST");
        QVERIFY(window.picNameGIF->pixmap().isNull());
        QCOMPARE(Pages(window), QStringList{"Lonely"});
        QVERIFY(m_services->shown.isEmpty());

        type("Hello");
        m_services->answer(vbOK);
        click(window.cmdPost);
        m_services->answer(vbOK);
        click(window.cmdPreview);
        QCOMPARE(m_services->prompts(), QStringList(2, "Please Select a News Page."));
        QVERIFY(m_window);
        QVERIFY(m_services->shell.isEmpty());
        QCOMPARE(m_site->readSiteFile(kIndex), DemoFile(kIndex));
    }

    void postingPutsTheItemOnTheSite()
    {
        frmPostNews& window = open();
        window.cboWhichPage->setCurrentIndex(1);
        type("    ");
        m_services->answer(vbOK);
        click(window.cmdPost);
        QCOMPARE(m_services->prompts(),
                 QStringList{"You must type something in order to make a news post @_@"});
        QCOMPARE(m_services->last().icon(), int(vbExclamation));
        QVERIFY(m_window);

        type("a\nb");
        click(window.cmdPost);
        QTRY_VERIFY(!m_window);
        QCOMPARE(m_services->shown.size(), 1);
        QCOMPARE(m_site->readSiteFile(kMembers), postedAt1507(kMembers));
        QCOMPARE(m_site->readSiteFile(kMembers + ".backup"), DemoFile(kMembers));
        // And that is the page visitors get.
        Inet visitor;
        QCOMPARE(visitor.OpenURLBytes(SiteConfig::HttpBase() + kMembers), postedAt1507(kMembers));
    }

    void aRefusedPostKeepsTheWindowForAnotherTry()
    {
        frmPostNews& window = open();
        type("a\nb");
        m_site->refuse("index.html");
        m_services->answer(vbOK);
        click(window.cmdPost);
        QCOMPARE(m_services->shown.size(), 1);
        QVERIFY(m_services->last().prompt.contains("could not be sent to the server"));
        QVERIFY(m_window);
        QCOMPARE(window.txtNews->toPlainText(), "a\nb");
        QCOMPARE(m_site->readSiteFile(kIndex), DemoFile(kIndex));

        m_site->clearRefusals();
        click(window.cmdPost);
        QTRY_VERIFY(!m_window);
        QCOMPARE(m_site->readSiteFile(kIndex), postedAt1507(kIndex));
    }

    void closingOrPostingAgainDuringAPost()
    {
        frmPostNews& window = open();
        type("a\nb");
        bool sentBeforeClosing = true;
        bool postable = true;
        QTimer::singleShot(0, &window, [&] {
            sentBeforeClosing = !m_site->ftpCommands("STOR").isEmpty();
            // A second click meanwhile would post the item twice.
            postable = m_window->cmdPost->isEnabled() || m_window->cmdPreview->isEnabled();
            m_window->close();
        });
        click(window.cmdPost);
        QTRY_VERIFY(!m_window);
        QVERIFY(!sentBeforeClosing);
        QVERIFY(!postable);
        QCOMPARE(m_site->readSiteFile(kIndex), postedAt1507(kIndex));
    }

    void previewShowsTheMirrorPageOnly()
    {
        frmPostNews& window = open();
        type("a\nb");
        click(window.cmdPreview);
        const QString mirror = m_env->localFolder() + "WebPage/" + kIndex;
        QCOMPARE(m_services->shell.size(), 1);
        QCOMPARE(m_services->shell.first().kind, ShellRequest::OpenFile);
        QCOMPARE(QFileInfo(m_services->shell.first().path).absoluteFilePath(),
                 QFileInfo(mirror).absoluteFilePath());
        QCOMPARE(ReadFileBytes(mirror), postedAt1507(kIndex));
        QCOMPARE(m_site->readSiteFile(kIndex), DemoFile(kIndex));
        QVERIFY(m_site->ftpCommands("STOR").isEmpty());
        QVERIFY(m_window);
    }

    void hyperlink_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("newWindow");
        QTest::addColumn<int>("selectFrom");
        QTest::addColumn<QString>("proposed");
        QTest::addColumn<QString>("result");
        QTest::newRow("no address") << "" << 0 << 4 << "" << "see our map";
        QTest::newRow("cancel on the new-window question")
            << "map.html" << int(vbCancel) << 4 << "" << "see our map";
        QTest::newRow("yes over the selection")
            << "map.html" << int(vbYes) << 4 << "our map"
            << "see <a href=\"map.html\" target=\"_TOP\">our map</a>";
        QTest::newRow("no, at the caret") << "map.html" << int(vbNo) << 11 << "click here"
                                          << "see our map<a href=\"map.html\">click here</a>";
        QTest::newRow("a blank selection proposes click here")
            << "map.html" << int(vbNo) << 3 << "click here"
            << "see<a href=\"map.html\">click here</a>our map";
    }
    void hyperlink()
    {
        QFETCH(QString, address);
        QFETCH(int, newWindow);
        QFETCH(int, selectFrom);
        QFETCH(QString, proposed);
        QFETCH(QString, result);
        frmPostNews& window = open();
        type("see our map");
        selectNews(selectFrom, selectFrom == 3 ? 4 : 11);
        m_services->answerInput(address);
        QStringList prompts{"Please Enter Hyperlink Reference"};
        if (newWindow) {
            m_services->answer(newWindow);
            prompts << "Would you like this hyperlink to open in a new window?";
        }
        if (!proposed.isEmpty()) {
            m_services->answerInput(proposed);
            prompts << "How would you like this hyperlink to appear on the page?";
        }
        click(window.cmdInsertHyperlink);

        QCOMPARE(window.txtNews->toPlainText(), result);
        QCOMPARE(m_services->prompts(), prompts);
        QCOMPARE(m_services->shown.first().defaultText, SiteConfig::HttpBase() + "somepage.html");
        for (const ShownMessage& box : m_services->shown)
            QCOMPARE(box.title, "Insert Hyperlink");
        if (newWindow)
            QCOMPARE(m_services->shown.at(1).buttons(), int(vbYesNoCancel));
        if (!proposed.isEmpty())
            QCOMPARE(m_services->last().defaultText, proposed);
    }

    void welcomeAndImageGoInBeforeTheSelection()
    {
        frmPostNews& window = open();
        type("Hello world");
        selectNews(6, 11);
        m_services->answerInput("Wren");
        click(window.cmdNewMember);
        QCOMPARE(m_services->last().prompt, "Please enter the name of the new member");
        QCOMPARE(m_services->last().title, "New Member");
        QCOMPARE(m_services->last().defaultText, "Orrin");
        QCOMPARE(window.txtNews->toPlainText(),
                 "Hello \n<b>QX Welcomes Wren to the QX Team!</b>world");

        selectNews(0, 5);
        m_services->answerInput("pic.gif");
        click(window.cmdInsertImage);
        QCOMPARE(m_services->last().prompt, "Please enter the image location.");
        QCOMPARE(m_services->last().title, "Insert Image");
        QCOMPARE(m_services->last().defaultText, SiteConfig::HttpBase() + kAnnGif);
        QCOMPARE(window.txtNews->toPlainText(),
                 "<img src=\"pic.gif\" border=\"0\">Hello \n<b>QX Welcomes Wren to the QX "
                 "Team!</b>world");

        // An empty answer inserts nothing.
        const QString before = window.txtNews->toPlainText();
        m_services->answerInput("");
        click(window.cmdNewMember);
        QCOMPARE(window.txtNews->toPlainText(), before);
    }

    void changingTheNameGif()
    {
        frmPostNews& window = open();
        const QString chosen = m_env->root() + "/brenn.gif";
        WriteFileBytes(chosen, DemoFile("images/brenn.gif"));
        QVERIFY(AsDrawn(DemoFile("images/brenn.gif")) != Shown(window));

        m_services->answerFiles({chosen});
        click(window.cmdChangeGIF);
        QCOMPARE(m_site->readSiteFile(kAnnGif), DemoFile("images/brenn.gif"));
        QCOMPARE(m_site->readSiteFile(kAnnGif + ".backup"), DemoFile(kAnnGif));
        QCOMPARE(Shown(window), AsDrawn(DemoFile("images/brenn.gif")));
        QVERIFY(window.isEnabled());
        QVERIFY(m_services->shown.isEmpty());

        m_site->clearLog();
        m_services->answerFiles({});
        m_services->answer(vbOK);
        m_services->onNextMessage([&] { QVERIFY(!window.isEnabled()); });
        click(window.cmdChangeGIF);
        QCOMPARE(m_services->prompts(), QStringList{"Cancel was selected."});
        QCOMPARE(m_services->last().style, int(vbOKOnly));
        QVERIFY(window.isEnabled());
        QVERIFY(m_site->ftpCommands("STOR").isEmpty());
        QCOMPARE(Shown(window), AsDrawn(DemoFile("images/brenn.gif")));
    }

    void mainMenuOpensOneNewsWindow()
    {
        frmMainMenu menu;
        QVERIFY(menu.cmdPostNews->isEnabled());
        click(menu.cmdPostNews);
        auto windows = [] {
            QList<frmPostNews*> found;
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* news = qobject_cast<frmPostNews*>(widget); news && news->isVisible())
                    found << news;
            return found;
        };
        QTRY_COMPARE(windows().size(), 1);
        m_window = windows().first();
        QTRY_VERIFY(m_window->IsLoaded());
        click(menu.cmdPostNews);
        QCOMPARE(windows(), QList<frmPostNews*>{m_window.data()});
    }
};

QTEST_MAIN(TestPostNews)
#include "tst_postnews.moc"
