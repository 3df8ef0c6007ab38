// The news window against the local site server, as a member uses it:
// opening, posting and previewing, the insert buttons, the name picture,
// and the main menu's "Post News".

#include "SiteTestCase.h"

#include "app/Clock.h"
#include "app/Settings.h"
#include "news/NewsItem.h"
#include "transport/Inet.h"
#include "transport/SiteConfig.h"
#include "ui/Resources.h"
#include "ui/PagePreview.h"
#include "ui/frmMainMenu.h"
#include "ui/frmPostNews.h"
#include "ui/widgets/BrowserView.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

using namespace modSkiff;

namespace {

const QString kIndex = QStringLiteral("news/index.html");
const QString kMembers = QStringLiteral("news/members.html");
const QString kAnnGif = QStringLiteral("images/ann.gif");
const QByteArray kPage = "<h1>News</h1>\r\n<!--begin-->\r\n<p>older news</p>\r\n";

QByteArray DemoFile(const QString& path)
{
    return ReadFileBytes(SiteServer::DemoSite() + QLatin1Char('/') + path);
}

// A picture as the window draws it, and what the window shows.
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

} // namespace

class TestPostNews : public SiteTestCase
{
    Q_OBJECT

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
    // The page with Ann's "a<BR>b" of 15:07 on top.
    static QByteArray PostedAt1507()
    {
        const QByteArray item = "<p>ann 11" + NewsItem::SystemDateSeparator().toUtf8() + "28 3" +
                                NewsItem::SystemTimeSeparator().toUtf8() + "07 PM EST<br>\na<BR>b</p>\n";
        return QByteArray(kPage).replace("<!--begin-->", "<!--begin-->" + item) + "\r\n";
    }

private slots:
    void initTestCase()
    {
        InitResources();
        SiteTestCase::initTestCase();
    }
    void init()
    {
        SiteTestCase::init();
        site().writeSiteFile("qxg/_news.dat", "Front Page,news/index.html,news/item.html\r\n"
                                              "Members' Corner,news/members.html,news/item.html,Pip\r\n");
        site().writeSiteFile("news/item.html", "<p>@NICKNAME@ @DATE@ @TIME@ @AMPM@ @TIMEZONE@<br>\n@POST@</p>\n");
        site().writeSiteFile(kIndex, kPage);
        site().writeSiteFile(kMembers, kPage);
        site().writeSiteFile(kAnnGif, DemoFile(kAnnGif));
        signIn("Ann", 3);
        Clock::SetSource([] { return QDateTime(QDate(2025, 11, 28), QTime(15, 7)); });
    }
    void cleanup()
    {
        delete m_window;
        Clock::SetSource({});
        SiteTestCase::cleanup();
    }

    void openingFillsTheWindowAndClosingKeepsTheTimeZone()
    {
        SaveSetting("PostNews", "TimeZone", "CET");
        frmPostNews& window = open();
        QCOMPARE(window.txtTimeZone->text(), "CET");
        QCOMPARE(window.cboWhichPage->count(), 2);
        QCOMPARE(window.cboWhichPage->currentText(), "Front Page");
        QCOMPARE(window.txtNameGIF->text(), kAnnGif);
        QCOMPARE(Shown(window), AsDrawn(DemoFile(kAnnGif)));
        QVERIFY(window.isEnabled());

        window.txtTimeZone->setText("PST");
        click(window.cmdCancel);
        QTRY_VERIFY(!m_window);
        QCOMPARE(GetSetting("PostNews", "TimeZone", "EST"), "PST");
        QVERIFY(site().ftpCommands("STOR").isEmpty());
    }

    void nothingToShowNothingToPostTo()
    {
        QFile::remove(site().sitePath(kAnnGif));
        site().writeSiteFile("qxg/_news.dat", "Lonely,news/index.html\r\n");
        frmPostNews& window = open();
        QCOMPARE(window.txtTimeZone->text(), "EST");
        QVERIFY(window.picNameGIF->pixmap().isNull());
        QCOMPARE(window.cboWhichPage->itemText(0), "Lonely");

        type("Hello");
        services().expect("Please Select a News Page.", vbOKOnly);
        click(window.cmdPost);
        QVERIFY(m_window);
        QCOMPARE(site().readSiteFile(kIndex), kPage);
    }

    // Spaces only are refused; a post the server refuses keeps the window
    // with the text, and Post again once the refusal is lifted succeeds.
    void postingPutsTheItemOnTheSite()
    {
        frmPostNews& window = open();
        window.cboWhichPage->setCurrentIndex(1);
        type("    ");
        services().expect("You must type something in order to make a news post @_@",
                          vbOKOnly | vbExclamation);
        click(window.cmdPost);
        QVERIFY(m_window);

        type("a\nb");
        site().refuse("members.html");
        services().answer(vbOK);
        click(window.cmdPost);
        QVERIFY(services().last().prompt.contains("could not be sent to the server"));
        QVERIFY(m_window);
        QCOMPARE(window.txtNews->toPlainText(), "a\nb");
        QCOMPARE(site().readSiteFile(kMembers), kPage);

        site().clearRefusals();
        click(window.cmdPost);
        QTRY_VERIFY(!m_window);
        QCOMPARE(site().readSiteFile(kMembers), PostedAt1507());
        QCOMPARE(site().readSiteFile(kMembers + ".backup"), kPage);
        // And that is the page visitors get.
        Inet visitor;
        QCOMPARE(visitor.OpenURLBytes(SiteConfig::HttpBase() + kMembers), PostedAt1507());
    }

    void closingOrPostingAgainDuringAPost()
    {
        frmPostNews& window = open();
        type("a\nb");
        bool sentBeforeClosing = true;
        bool postable = true;
        QTimer::singleShot(0, &window, [&] {
            sentBeforeClosing = !site().ftpCommands("STOR").isEmpty();
            // A second click meanwhile would post the item twice.
            postable = m_window->cmdPost->isEnabled() || m_window->cmdPreview->isEnabled();
            m_window->close();
        });
        click(window.cmdPost);
        QTRY_VERIFY(!m_window);
        QVERIFY(!sentBeforeClosing);
        QVERIFY(!postable);
        QCOMPARE(site().readSiteFile(kIndex), PostedAt1507());
    }

    void previewShowsTheMirrorPageOnly()
    {
        frmPostNews& window = open();
        type("a\nb");
        click(window.cmdPreview);
        QCOMPARE(services().shell.size(), 1);
        QCOMPARE(services().shell.first().kind, ShellRequest::OpenFile);
        QCOMPARE(QFileInfo(services().shell.first().path).absoluteFilePath(), mirror(kIndex));
        QCOMPARE(ReadFileBytes(mirror(kIndex)), PostedAt1507());
        QCOMPARE(site().readSiteFile(kIndex), kPage);
        QVERIFY(site().ftpCommands("STOR").isEmpty());
        QVERIFY(m_window);

        // A desktop without a browser: the member is told, and Yes shows the
        // page in Skiff's own view, one window however often.
        services().desktopOpens = false;
        const QString question = "No program on this desktop could open " + services().shell.first().path +
                                 ".\r\n\r\nShow the page in Skiff's own preview instead?";
        services().expect(question, vbYesNo | vbQuestion, vbNo);
        click(window.cmdPreview);
        QVERIFY(!window.findChild<PagePreviewWindow*>());
        for (int i = 0; i < 2; ++i) {
            services().expect(question, vbYesNo | vbQuestion, vbYes);
            click(window.cmdPreview);
        }
        const QList<PagePreviewWindow*> own = window.findChildren<PagePreviewWindow*>();
        QCOMPARE(own.size(), 1);
        QVERIFY(own.first()->isVisible());
        QCOMPARE(own.first()->webPreview->LocationURL(), "file://" + services().shell.first().path);
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
        services().answerInput(address);
        if (newWindow)
            services().expect("Would you like this hyperlink to open in a new window?", vbYesNoCancel,
                              newWindow);
        if (!proposed.isEmpty())
            services().answerInput(proposed);
        click(window.cmdInsertHyperlink);

        QCOMPARE(window.txtNews->toPlainText(), result);
        QCOMPARE(services().shown.first().prompt, "Please Enter Hyperlink Reference");
        QCOMPARE(services().shown.first().defaultText, SiteConfig::HttpBase() + "somepage.html");
        for (const ShownMessage& box : services().shown)
            QCOMPARE(box.title, "Insert Hyperlink");
        if (!proposed.isEmpty()) {
            QCOMPARE(services().last().prompt, "How would you like this hyperlink to appear on the page?");
            QCOMPARE(services().last().defaultText, proposed);
        }
    }

    // Each insertion hands the focus back to the text, after what it put in,
    // so that typing on goes there and not to the button.
    void welcomeAndImageGoInBeforeTheSelection()
    {
        frmPostNews& window = open();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        type("Hello world");
        selectNews(6, 11);
        services().answerInput("Wren");
        click(window.cmdNewMember);
        QCOMPARE(services().last().prompt, "Please enter the name of the new member");
        QCOMPARE(services().last().title, "New Member");
        QCOMPARE(services().last().defaultText, "Orrin");
        QCOMPARE(QApplication::focusWidget(), window.txtNews);
        QTest::keyClicks(QApplication::focusWidget(), "!");
        QCOMPARE(window.txtNews->toPlainText(), "Hello \n<b>QX Welcomes Wren to the QX Team!</b>!world");

        selectNews(0, 5);
        services().answerInput("pic.gif");
        click(window.cmdInsertImage);
        QCOMPARE(services().last().prompt, "Please enter the image location.");
        QCOMPARE(services().last().title, "Insert Image");
        QCOMPARE(services().last().defaultText, SiteConfig::HttpBase() + kAnnGif);
        QCOMPARE(window.txtNews->toPlainText(),
                 "<img src=\"pic.gif\" border=\"0\">Hello \n<b>QX Welcomes Wren to the QX Team!</b>!world");

        // An empty answer inserts nothing, and the focus goes back all the same.
        const QString before = window.txtNews->toPlainText();
        services().answerInput("");
        click(window.cmdNewMember);
        QCOMPARE(window.txtNews->toPlainText(), before);
        QCOMPARE(QApplication::focusWidget(), window.txtNews);
    }

    void changingTheNameGif()
    {
        frmPostNews& window = open();
        const QString chosen = env().root() + "/brenn.gif";
        WriteFileBytes(chosen, DemoFile("images/brenn.gif"));
        QVERIFY(AsDrawn(DemoFile("images/brenn.gif")) != Shown(window));

        services().answerFiles({chosen});
        click(window.cmdChangeGIF);
        QCOMPARE(site().readSiteFile(kAnnGif), DemoFile("images/brenn.gif"));
        QCOMPARE(site().readSiteFile(kAnnGif + ".backup"), DemoFile(kAnnGif));
        QCOMPARE(Shown(window), AsDrawn(DemoFile("images/brenn.gif")));
        QVERIFY(window.isEnabled());

        // Cancelled: the error, the window enabled again and the local
        // folder the working directory.
        site().clearLog();
        QDir::setCurrent(QDir::tempPath());
        services().expect("Cancel was selected.", vbOKOnly);
        services().onNextMessage([&] { QVERIFY(!window.isEnabled()); });
        click(window.cmdChangeGIF);
        QVERIFY(window.isEnabled());
        QCOMPARE(QDir::current(), QDir(env().localFolder()));
        QVERIFY(site().ftpCommands("STOR").isEmpty());
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
