// The web site explorer and the editors through the real windows against the
// local site: what each level sees, the file operations with their messages,
// marks and effects, the preview pane; the internal and external editors.

#include "ModalDriver.h"
#include "SiteTestCase.h"

#include "app/GlobalState.h"
#include "transport/Inet.h"
#include "transport/SiteConfig.h"
#include "ui/Resources.h"
#include "ui/explorer/frmExplorer.h"
#include "ui/filelist/SplitterBar.h"
#include "ui/frmEdit.h"
#include "ui/frmExternalEditors.h"
#include "ui/frmMainMenu.h"
#include "ui/widgets/BrowserView.h"
#include "ui/widgets/CaptionButton.h"
#include "ui/widgets/ListView.h"
#include "ui/widgets/TextBox.h"

#include <QAbstractItemView>
#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QtTest>
#include <memory>
#include <optional>
#if __has_include(<QWebEngineView>)
#include <QWebEnginePage>
#include <QWebEngineView>
#endif

using namespace modSkiff;

namespace {

const QString kNoneToDelete =
    QStringLiteral("No Files are Selected.  Please select the files to delete.");
const QString kSpaces =
    QStringLiteral("\r\n\r\nSorry, spaces are not allows in files for the QX Web Site");

const QString kSendChanges = QStringLiteral("Send changes to server?");
const QString kSaveChanges = QStringLiteral("Save Changes?");

// Runs the action on the modal window of class W that open() shows; the
// action ends by closing it. True when it closed; a window left open (after
// a failed check) is hidden, which ends its loop without a question.
template <typename W> bool Drive(const std::function<void()>& open, std::function<void(W*)> action)
{
    bool closed = false;
    ModalScript<W> script({[&](W* window) {
        action(window);
        closed = !window->isVisible();
        window->hide();
    }});
    open();
    return closed;
}

bool Edit(const QString& sitePath, std::function<void(frmEdit*)> action)
{
    return Drive<frmEdit>([&] { frmEdit::EditFile(sitePath); }, std::move(action));
}

// The text the preview shows once its page has loaded (polled by QTRY_*).
QString PreviewText(BrowserView* view)
{
    QWidget* engine = view->findChild<QWidget*>("engine");
#if __has_include(<QWebEngineView>)
    if (auto* web = qobject_cast<QWebEngineView*>(engine)) {
        auto text = std::make_shared<std::optional<QString>>();
        web->page()->toPlainText([text](const QString& shown) { *text = shown; });
        // A page that never answers reads as empty, which the caller's comparison reports.
        if (!QTest::qWaitFor([&] { return text->has_value(); }, 2000))
            return QString();
        return text->value_or(QString()).trimmed();
    }
#endif
    auto* browser = qobject_cast<QTextBrowser*>(engine);
    return browser ? browser->toPlainText().trimmed() : QString();
}

QString Confirm(const QString& what)
{
    return QStringLiteral("Please confirm.  You are about to ") + what;
}

} // namespace

class TestExplorer : public SiteTestCase
{
    Q_OBJECT

    QPointer<frmExplorer> m_window;

    frmExplorer& openAs(const QString& nickname, unsigned char level)
    {
        signIn(nickname, level);
        return reopen();
    }
    frmExplorer& reopen()
    {
        delete m_window;
        m_window = new frmExplorer;
        m_window->Do_ShowWebPage();
        return *m_window;
    }
    // The folder node of this text ("WebPage" is the root).
    QTreeWidgetItem* node(const QString& text) const
    {
        return m_window->tvwExplorer->findItems(text, Qt::MatchExactly | Qt::MatchRecursive).value(0);
    }
    QStringList folders(const QString& text) const
    {
        QStringList texts;
        for (int i = 0; i < node(text)->childCount(); ++i)
            texts << node(text)->child(i)->text(0);
        texts.sort();
        return texts;
    }
    void click(const QString& text) const
    {
        QTreeWidget* tree = m_window->tvwExplorer;
        QTreeWidgetItem* target = node(text);
        QVERIFY2(target, qPrintable(text));
        tree->scrollToItem(target);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(target).center());
    }
    QStringList files() const
    {
        QStringList names;
        for (ListItem* item : m_window->lvwExplorer->items())
            names << item->text();
        return names;
    }
    ListItem* item(const QString& name) const
    {
        return m_window->lvwExplorer->item(int(files().indexOf(name)));
    }
    // The list's files with their icons, in name order: "a.html file, b.html filenotfound".
    QString rows() const
    {
        QStringList rows;
        for (ListItem* item : m_window->lvwExplorer->items())
            rows << item->text() + ' ' + item->smallIcon();
        rows.sort();
        return rows.join(", ");
    }
    // The rights the buttons show: "add", "delete", both or none.
    QString rights() const
    {
        const frmExplorer& w = *m_window;
        const bool add = w.cmdAddFilesToServer->isEnabled() && w.cmdNewFile->isEnabled();
        const bool del = w.cmdDeleteFile->isEnabled() && w.mnuActionDeleteFile->isEnabled();
        return QStringList{add ? "add" : "", del ? "delete" : ""}.join(' ').trimmed();
    }
    // The list's view on screen (the list keeps one per view mode).
    QAbstractItemView* listView() const
    {
        QAbstractItemView* view = nullptr;
        for (QAbstractItemView* candidate : m_window->lvwExplorer->findChildren<QAbstractItemView*>())
            view = candidate->isVisible() ? candidate : view;
        return view;
    }
    void select(const QStringList& names) const
    {
        for (ListItem* row : m_window->lvwExplorer->items())
            row->setSelected(names.contains(row->text()));
    }
    // An existing program whose path holds a blank.
    QString program() const { return env().root() + QStringLiteral("/my tools/page editor"); }
    int listings(const QString& key)
    {
        return int(site().ftpLog().count(QStringLiteral("MLSD /users/tarnwardens/") + key));
    }

public:
    // As the program does: the preview's web engine needs it before the
    // application object exists.
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private slots:
    void initTestCase()
    {
        qputenv("SKIFF_NET_TIMEOUT", "2");
        InitResources();
        SiteTestCase::initTestCase();
        for (const char* path : {"index.html", "about.html", ".htaccess", "news/index.html",
                                 "news/item.html", "news/members.html", "news/archive/old.html",
                                 "events/2026.html", "images/logo.gif", ".git/config"})
            site().writeSiteFile(QLatin1String(path), QByteArray("<p>") + path + "</p>");
        QDir().mkpath(site().sitePath(QStringLiteral("empty")));
    }
    void cleanup()
    {
        if (m_window)
            QVERIFY(m_window->isEnabled());
        delete m_window;
        SiteTestCase::cleanup();
    }

    // Level 4 reads no access list and sees the server's real folders; a
    // folder with entries is listed from the server once, an empty one at
    // every visit, the shown one not again.
    void anAdministratorBrowsesTheServersFolders()
    {
        frmExplorer& window = openAs(QStringLiteral("Orrin"), 4);
        QVERIFY(site().httpLog().filter(QStringLiteral(".dat")).isEmpty());
        QCOMPARE(folders("WebPage"), (QStringList{"empty", "events", "images", "news", "qxg"}));
        QCOMPARE(rows(), ".htaccess filenotfound, about.html filenotfound, index.html filenotfound");
        QCOMPARE(window.windowTitle(), "Skiff - Transfer Complete");
        QCOMPARE(rights(), "add delete");
        for (const char* folder : {"news", "empty", "empty", "news"})
            click(folder);
        QCOMPARE(folders("news"), QStringList{"archive"});
        QVERIFY(files().contains("item.html"));
        click("empty");
        QVERIFY(files().isEmpty());
        QCOMPARE(listings(QString()), 1);
        QCOMPARE(listings("news/"), 1);
        QCOMPARE(listings("empty/"), 2);
    }

    // By name, letter case aside and numbers by their value, whatever order
    // the server lists them in.
    void theFilesAreListedByName()
    {
        for (const char* name : {"b.html", "A10.html", "a2.html"})
            site().writeSiteFile(QStringLiteral("mixed/") + name, "x");
        openAs(QStringLiteral("Orrin"), 4);
        click("mixed");
        QCOMPARE(files(), (QStringList{"a2.html", "A10.html", "b.html"}));
    }

    // The rights of each folder come from the list, and the member's picture
    // shows in "images" once, named or not.
    void aRestrictedMemberSeesTheirList()
    {
        site().writeSiteFile("qxg/anna.dat", "news/index.html\r\nnews/*add files*");
        openAs(QStringLiteral("Anna"), 3);
        QVERIFY(site().httpLog().contains("GET /tarnwardens/qxg/Anna.dat"));
        QCOMPARE(folders("WebPage"), (QStringList{"images", "news"}));
        QCOMPARE(rows() + '|' + rights(), "|");
        click("news");
        QCOMPARE(rows() + '|' + rights(), "index.html filenotfound|add");
        click("images");
        QCOMPARE(files(), QStringList{"anna.gif"});
        QVERIFY(site().ftpLog().filter("MLSD").isEmpty());

        // Not exactly the full-access marker: a file of that name.
        site().writeSiteFile("qxg/anna.dat", "*full access*\r\nimages/Anna.gif\r\nimages/logo.gif");
        reopen();
        QCOMPARE(files(), QStringList{"*full access*"});
        click("images");
        QCOMPARE(files(), (QStringList{"anna.gif", "logo.gif"}));
    }

    void downloadAndDeleteLocalCopies()
    {
        frmExplorer& window = openAs(QStringLiteral("Orrin"), 4);
        click("news");
        services().expect("No Files are Selected.  Please select the files to download.", vbOKOnly);
        window.cmdDownload->click();

        select({"item.html"});
        services().expect(Confirm("download 1 file from the server."), vbOKCancel | vbInformation);
        window.cmdDownload->click();
        QCOMPARE(rows(), "index.html filenotfound, item.html file, members.html filenotfound");
        QCOMPARE(ReadFileBytes(mirror("news/item.html")), site().readSiteFile("news/item.html"));
        QVERIFY(site().httpLog().contains("GET /tarnwardens/news/item.html"));

        window.cmdSelectAll->click();
        services().expect(Confirm("download 3 files from the server."), vbOKCancel | vbInformation,
                          vbCancel);
        window.cmdDownload->click();
        QCOMPARE(rows(), "index.html filenotfound, item.html file, members.html filenotfound");
        services().answer(vbOK);
        window.mnuActionDownload->trigger();
        QCOMPARE(rows(), "index.html file, item.html file, members.html file");

        services().expect(Confirm("DELETE 3 files from your LOCAL hard drive."), vbOKCancel | vbCritical);
        window.cmdDeleteLocal->click();
        QCOMPARE(rows(), "index.html filenotfound, item.html filenotfound, members.html filenotfound");
        QVERIFY(QDir(mirror("news")).entryList({"*.html"}).isEmpty());
        QVERIFY(site().ftpCommands("DELE").isEmpty());
        select({});
        services().expect(kNoneToDelete, vbOKOnly);
        window.cmdDeleteLocal->click();
    }

    // The loop stops at the first failed file, which keeps its mark.
    void aFailedUploadStopsTheRest()
    {
        for (const char* name : {"a.html", "b.html", "c.html"})
            site().writeSiteFile(QStringLiteral("upload/") + name, "old");
        frmExplorer& window = openAs(QStringLiteral("Orrin"), 4);
        click("upload");
        const QStringList order = files();
        for (const QString& name : order)
            WriteFileBytes(mirror("upload/" + name), "new");
        click("WebPage");
        click("upload");
        site().refuse(order.at(1));
        select(order);
        services().expect(Confirm("send (upload) 3 files to the server."), vbOKCancel | vbInformation);
        services().answer(vbOK); // the refusal
        window.cmdUploadFile->click();
        QVERIFY(services().last().prompt.startsWith(
            "/users/tarnwardens/upload/" + order.at(1) + " could not be sent to the server: "));
        QCOMPARE(site().readSiteFile("upload/" + order.at(0)) + site().readSiteFile("upload/" + order.at(1)) +
                     site().readSiteFile("upload/" + order.at(2)), "newoldold");
        QCOMPARE(item(order.at(1))->smallIcon(), "fileupload");
        QCOMPARE(item(order.at(0))->smallIcon() + item(order.at(2))->smallIcon(), "filefile");
    }

    // Two neighbours in the list are both deleted; the cached listing
    // follows, so the next visit shows the rest without asking the server.
    void deletingOnTheServerKeepsTheCachedListing()
    {
        for (const char* name : {"a.html", "b.html", "c.html"})
            site().writeSiteFile(QStringLiteral("old/") + name, "x");
        frmExplorer& window = openAs(QStringLiteral("Orrin"), 4);
        click("old");
        const QStringList order = files();
        select(order.mid(0, 2));
        services().expect(Confirm("DELETE 2 files from the server."), vbOKCancel | vbCritical);
        window.cmdDeleteFile->click();
        QCOMPARE(files(), order.mid(2));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(site().siteFileExists("old/" + order.at(i)), i == 2);
        click("WebPage");
        click("old");
        QCOMPARE(files(), order.mid(2));
        QCOMPARE(listings("old/"), 1);

        services().expect(kNoneToDelete, vbOKOnly);
        window.mnuActionDeleteFile->trigger();
    }

    // What a restricted member's access list becomes after a delete, a new
    // file and an added file, byte for byte.
    void aRestrictedMembersListFollowsTheirChanges()
    {
        site().writeSiteFile("qxg/ann.dat",
                             "news/a.html\r\noldnews/a.html\r\nnews/*add files*\r\nnews/*delete files*");
        site().writeSiteFile("news/a.html", "a");
        frmExplorer& window = openAs(QStringLiteral("Ann"), 3);
        click("news");
        select({"a.html"});
        services().answer(vbOK);
        window.cmdDeleteFile->click();
        QVERIFY(files().isEmpty());
        const QByteArray afterDelete = "\r\noldnews/a.html\r\nnews/*add files*\r\nnews/*delete files*";
        QCOMPARE(site().readSiteFile("qxg/ann.dat"), afterDelete);
        QCOMPARE(ReadFileBytes(mirror("qxg/ann.dat")), afterDelete);

        services().answerInput("fresh.html");
        window.cmdNewFile->click();
        QCOMPARE(services().last().prompt, "Please enter a name for the new file");
        QCOMPARE(services().last().defaultText, "newfile.html");
        QCOMPARE(services().last().title, "Skiff");
        const QByteArray afterNew = afterDelete + "\r\nnews/fresh.html";
        QCOMPARE(site().readSiteFile("qxg/ann.dat"), afterNew);
        QVERIFY(!site().siteFileExists("news/fresh.html"));

        env().writeLocal("mine/added.html", "added");
        env().writeLocal("mine/two words.html", "no");
        services().answerFiles({env().localPath("mine/two words.html"), env().localPath("mine/added.html")});
        services().expect("two words.html" + kSpaces, vbOKOnly); // the next name goes on
        window.cmdAddFilesToServer->click();
        QCOMPARE(site().readSiteFile("qxg/ann.dat"), afterNew + "\r\nnews/added.html");
        QCOMPARE(site().readSiteFile("news/added.html"), "added");
        QCOMPARE(rows(), "added.html file, fresh.html filenotfound");
        // The next window reads the list as written back.
        reopen();
        click("news");
        QCOMPARE(files(), (QStringList{"added.html", "fresh.html"}));
    }

    void newFileNames()
    {
        frmExplorer& window = openAs(QStringLiteral("Orrin"), 4);
        click("news");
        const QStringList before = files();
        services().answerInput("my page.html");
        services().expect("my page.html" + kSpaces, vbOKOnly);
        window.cmdNewFile->click();
        services().answerInput("index.html");
        services().expect("news/index.html already exists on the server.  Try using the REPLACE button.",
                          vbOKOnly | vbCritical);
        window.cmdNewFile->click();
        services().answerInput(QString()); // cancelled
        window.cmdNewFile->click();
        QCOMPARE(files(), before);

        services().answerInput("INDEX.html");
        window.cmdNewFile->click();
        QStringList after = files();
        QVERIFY(after.removeOne("INDEX.html"));
        QCOMPARE(after, before);
        QVERIFY(!site().siteFileExists("news/INDEX.html"));
        // The cached listing holds it for the next visit.
        click("WebPage");
        click("news");
        QVERIFY(files().contains("INDEX.html"));
    }

    // A name with a blank is refused; the replaced copy stays as ".backup".
    void replaceAndCancelledDialogs()
    {
        site().writeSiteFile("index.html", "old index");
        frmExplorer& window = openAs(QStringLiteral("Orrin"), 4);
        env().writeLocal("old.htm", "<html>the old page</html>");
        env().writeLocal("two words.htm", "x");
        select({"index.html"});
        services().answerFiles({env().localPath("two words.htm")});
        services().expect("two words.htm" + kSpaces, vbOKOnly);
        window.cmdReplaceWith->click();
        services().answerFiles({env().localPath("old.htm")});
        window.cmdReplaceWith->click();
        QCOMPARE(site().readSiteFile("index.html"), "<html>the old page</html>");
        QCOMPARE(site().readSiteFile("index.html.backup"), "old index");
        QCOMPARE(ReadFileBytes(mirror("index.html")), "<html>the old page</html>");
        QVERIFY(!site().siteFileExists("old.htm"));
        QCOMPARE(files().count("index.html"), 1);
        QVERIFY(!files().contains("old.htm"));

        for (CaptionButton* button : {window.cmdReplaceWith, window.cmdAddFilesToServer}) {
            services().expect("Cancel was selected.", vbOKOnly);
            button->click(); // no files queued: the dialog is cancelled
            QVERIFY(window.isEnabled());
        }
        QCOMPARE(QDir::currentPath() + QLatin1Char('/'), LocalFolder);
    }

    void popupAndFileBrowser()
    {
        frmExplorer& window = openAs(QStringLiteral("Orrin"), 4);
        select({"index.html"});
        window.mnuActionDownload->setVisible(false);
        QTest::mouseRelease(listView()->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        QTRY_VERIFY(window.mnuAction->isVisible());
        QVERIFY(window.mnuActionDownload->isVisible());
        QCOMPARE(window.mnuAction->defaultAction(), window.mnuActionOpenEdit);
        window.mnuAction->close();

        window.cmdExplorer->click();
        QCOMPARE(services().shell.size(), 1);
        QCOMPARE(services().shell.first().kind, ShellRequest::OpenFolder);
        QCOMPARE(services().shell.first().path, LocalFolder + "WebPage");
        // Where the desktop has no file manager, the member hears so.
        services().desktopOpens = false;
        services().expect("No file manager on this desktop could show the folder " + LocalFolder +
                              "WebPage.",
                          vbExclamation);
        window.cmdExplorer->click();
    }

    void previewPaneAndLayout()
    {
        frmExplorer& window = openAs(QStringLiteral("Orrin"), 4);
        window.resize(1100, 600);
        BrowserView* browser = window.webPreview;
        QVERIFY(window.picPreview->isHidden() && !browser->EngineCreated());
        QCOMPARE(window.lvwExplorer->geometry().right(), window.width() - 1);
        QCOMPARE(window.cmdPreviewPAne->geometry().right(), window.width() - 1 - 4);
        QCOMPARE(window.tvwExplorer->height(), window.height() - window.picButtonBar->height());

        window.cmdPreviewPAne->click();
        QVERIFY(window.picPreview->isVisible() && window.picResize2->isVisible());
        QVERIFY(browser->EngineCreated());
        QCOMPARE(window.picPreview->geometry().right(), window.width() - 1);
        QCOMPARE(window.picResize2->geometry().right() + 1, window.picPreview->x());
        QCOMPARE(window.lvwExplorer->geometry().right() + 1, window.picResize2->x());
        QCOMPARE(window.picResize1->x(), window.tvwExplorer->geometry().right() + 1);

        WriteFileBytes(mirror("index.html"), "<html>mirror</html>");
        for (const QString& name : {QStringLiteral("index.html"), QStringLiteral("about.html")}) {
            select({name});
            emit window.lvwExplorer->itemClick(item(name));
        }
        QCOMPARE(browser->LocationURL(), "about:blank");
        QCOMPARE(item("index.html")->smallIcon(), "file");
        select({"index.html"});
        emit window.lvwExplorer->itemClick(item("index.html"));
        QCOMPARE(browser->LocationURL(), "file://" + mirror("index.html"));

        // The first bar dropped on the list widens the tree; the second
        // dropped on the list widens the pane, on the pane narrows it.
        const int tree = window.tvwExplorer->width();
        const int pane = window.picPreview->width();
        emit window.picResize1->dropped(window.lvwExplorer->mapToGlobal(QPoint(30, 10)));
        QCOMPARE(window.tvwExplorer->width(), tree + 30);
        const int list = window.lvwExplorer->width();
        emit window.picResize2->dropped(window.lvwExplorer->mapToGlobal(QPoint(list - 50, 10)));
        QCOMPARE(window.picPreview->width(), pane + 50);
        emit window.picResize2->dropped(window.picPreview->mapToGlobal(QPoint(20, 10)));
        QCOMPARE(window.picPreview->width(), pane + 30);

        window.cmdPreviewPAne->click();
        QVERIFY(window.picPreview->isHidden() && window.picResize2->isHidden());
        QCOMPARE(window.lvwExplorer->geometry().right(), window.width() - 1);
    }

    // The pane shows the file selected before it opened, and the page as the
    // editor has just sent it.
    void thePreviewFollowsTheSelectionAndTheEditor()
    {
        site().writeSiteFile("about.html", "<p>about us</p>");
        frmExplorer& window = openAs("Orrin", 4);
        WriteFileBytes(mirror("about.html"), "<p>as it was</p>");
        select({"about.html"});
        window.cmdPreviewPAne->click();
        QCOMPARE(window.webPreview->LocationURL(), "file://" + mirror("about.html"));
        QTRY_COMPARE_WITH_TIMEOUT(PreviewText(window.webPreview), "as it was", 20000);
        QVERIFY(Drive<frmEdit>([&] { window.cmdOpenEdit->click(); }, [&](frmEdit* editor) {
            editor->txtEdit->setText("<p>as sent</p>");
            editor->cmdSendToServer->click();
        }));
        QTRY_COMPARE_WITH_TIMEOUT(PreviewText(window.webPreview), "as sent", 20000);
    }

    void theMainMenuOpensOneExplorer()
    {
        signIn("Pip", 2);
        frmMainMenu menu;
        menu.cmdWebPage->click();
        menu.cmdWebPage->click();
        QList<frmExplorer*> open;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* explorer = qobject_cast<frmExplorer*>(top); explorer && explorer->isVisible())
                open << explorer;
        }
        QCOMPARE(open.size(), 1);
        m_window = open.first();
    }

    // The line ends and a lone CR go through the box in the cases below.
    void theTextBoxHandsBackWhatItWasGiven()
    {
        for (const QString& text : {QStringLiteral("a\u00a0b"), QStringLiteral("a\u2028b"), QString()}) {
            TextBox box;
            box.setText(text);
            QCOMPARE(box.text(), text);
            // A new line typed is CR LF, whatever the modifier.
            box.moveCursor(QTextCursor::End);
            QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier);
            QTest::keyClicks(&box, QStringLiteral("z"));
            QCOMPARE(box.text(), text + QStringLiteral("\r\nz"));
        }
    }

    void theEditorOpensWhatFits_data()
    {
        QTest::addColumn<QByteArray>("server");
        QTest::addColumn<QString>("shown"); // "" when the editor does not open
        QTest::newRow("LF only") << QByteArray("a\nb\n") << "a\r\nb\r\n";
        QTest::newRow("CR LF") << QByteArray("a\r\nb") << "a\r\nb";
        QTest::newRow("lone CR") << QByteArray("a\rb\r\n") << "a\rb\r\n";
        QTest::newRow("CR before CR LF") << QByteArray("a\r\r\nb") << "a\r\r\nb";
        const QByteArray longest = QByteArray(29990, 'x') + QByteArray(9, '\n');
        QTest::newRow("29999 characters")
            << longest << QString::fromLatin1(QByteArray(longest).replace("\n", "\r\n"));
        QTest::newRow("30000 characters") << QByteArray(30000, 'x') << "";
    }
    void theEditorOpensWhatFits()
    {
        QFETCH(QByteArray, server);
        QFETCH(QString, shown);
        signIn("Orrin", 4);
        site().writeSiteFile("news/t.html", server);
        if (shown.isEmpty())
            services().expect("This file is too large to edit with the Skiff internal editor.", vbOKOnly);
        QString opened;
        QCOMPARE(Edit("news/t.html", [&](frmEdit* editor) {
                     opened = editor->windowTitle() + QLatin1Char('|') + editor->txtEdit->text();
                     editor->cmdDiscard->click(); // asks nothing
                 }),
                 !shown.isEmpty());
        if (!shown.isEmpty())
            QCOMPARE(opened, "news/t.html|" + shown);
    }

    // A member changes a page from the explorer while the server is down,
    // and once it is back the site shows exactly the text.
    void sendingWhileTheServerIsDownKeepsTheText()
    {
        const QString edited = QStringLiteral("<p>new \u00e9</p>\r\n<p>end</p>");
        site().writeSiteFile("about.html", "<p>about us</p>\n");
        frmExplorer& window = openAs("Orrin", 4);
        select({"about.html"});
        QVERIFY(Drive<frmEdit>([&] { window.cmdOpenEdit->click(); }, [&](frmEdit* editor) {
            editor->txtEdit->setText(edited);
            site().stop();
            services().answer(vbOK); // the failed upload
            editor->cmdSendToServer->click();
            QVERIFY(editor->isVisible());
            QCOMPARE(editor->txtEdit->text(), edited);
            QVERIFY2(services().last().prompt.startsWith("about.html was not sent: "),
                     qPrintable(services().last().prompt));
            services().expect(kSendChanges, vbYesNoCancel, vbCancel); // the question is back
            editor->close();
            QVERIFY(site().start());
            editor->cmdSendToServer->click();
        }));
        // Exactly the text shown, with no line end added; the previous copy
        // kept as ".backup".
        QCOMPARE(item("about.html")->smallIcon(), "file");
        QCOMPARE(Inet().OpenURLBytes(SiteConfig::HttpBase() + "about.html"), edited.toUtf8());
        QCOMPARE(site().readSiteFile("about.html.backup"), "<p>about us</p>\n");
        static const QRegularExpression changes(QStringLiteral("^(DELE|RNFR|RNTO|STOR) "));
        QCOMPARE(site().ftpLog().filter(changes).filter("about.html"),
                 SiteServer::UploadCommands("/users/tarnwardens/about.html"));
    }

    // "Download and Edit" on a picture opens no editor, so nothing can turn
    // its LF bytes into CR LF; a page the web hides comes over FTP, and one
    // changed on the server meanwhile is sent over only when the member says.
    void theEditorTakesOnlyWholeTextAndAsksBeforeOverwriting()
    {
        const QByteArray gif("GIF89a\x01\x00\x01\x00\x80\n\x00\xff\xff\xff;", 19);
        site().writeSiteFile("banner.gif", gif);
        site().writeSiteFile("hidden.html", "<p>hidden from the web</p>\n");
        site().webHide("hidden.html");
        frmExplorer& window = openAs("Orrin", 4);
        select({"banner.gif"});
        services().expect("banner.gif is not a text file (it holds a NUL byte at byte 8), so the "
                          "Skiff internal editor does not open it: it would change the file. Use "
                          "Edit With... for it.",
                          vbExclamation);
        bool opened = false;
        Drive<frmEdit>([&] { window.cmdOpenEdit->click(); }, [&](frmEdit* editor) {
            opened = true;
            editor->cmdDiscard->click();
        });
        QVERIFY(!opened);

        select({"hidden.html"});
        QVERIFY(Drive<frmEdit>([&] { window.cmdOpenEdit->click(); }, [&](frmEdit* editor) {
            QCOMPARE(editor->txtEdit->text(), "<p>hidden from the web</p>\r\n");
            editor->txtEdit->setText("<p>mine</p>");
            site().writeSiteFile("hidden.html", "<p>theirs</p>");
            services().expect(kSendChanges, vbYesNoCancel, vbYes);
            services().expect("hidden.html has changed on the server since you opened it.\r\n\r\n"
                              "Yes: send your text over it. No: keep your text only as the local "
                              "copy " + LocalFolder + "WebPage/hidden.html. Cancel: go back to editing.",
                              vbYesNoCancel | vbExclamation, vbCancel);
            editor->close();
            QVERIFY(editor->isVisible());
            QCOMPARE(site().readSiteFile("hidden.html"), "<p>theirs</p>");
            services().expect(kSendChanges, vbYesNoCancel, vbYes);
            services().answer(vbNo); // keep it as the local copy only
            editor->close();
        }));
        QCOMPARE(site().readSiteFile("hidden.html"), "<p>theirs</p>");
        QCOMPARE(ReadFileBytes(mirror("hidden.html")), "<p>mine</p>");
        QCOMPARE(site().readSiteFile("banner.gif"), gif);
        QVERIFY(site().ftpCommands("STOR").filter(QRegularExpression("(gif|html)$")).isEmpty());
    }

    // Opened with the list's pop-up item; closed with the close box.
    void previewWritesTheMirrorCopyButNoClosesWithoutWriting()
    {
        const QString draft = QStringLiteral("<h1>Draft</h1>");
        site().writeSiteFile("about.html", "<p>about us</p>\n");
        frmExplorer& window = openAs("Orrin", 4);
        select({"about.html"});
        QVERIFY(Drive<frmEdit>([&] { window.mnuActionOpenEdit->trigger(); }, [&](frmEdit* editor) {
            editor->txtEdit->setText(draft);
            editor->cmdPreview->click();
            QCOMPARE(editor->cmdPreview->text(), "Back to Edit Mode");
            QVERIFY(editor->webPreview->isVisible() && editor->txtEdit->isHidden());
            QCOMPARE(editor->webPreview->LocationURL(), "file://" + mirror("about.html"));
            QCOMPARE(ReadFileBytes(mirror("about.html")), draft.toUtf8());
            editor->cmdPreview->click();
            QCOMPARE(editor->cmdPreview->text(), "Preview");
            QVERIFY(editor->webPreview->isHidden() && editor->txtEdit->isVisible());
            editor->txtEdit->setText(draft + "!");
            editor->cmdPreviewInRegisteredApplication->click();
            // No browser on this desktop: Yes turns to the editor's own preview.
            services().desktopOpens = false;
            services().expect("No program on this desktop could open " + mirror("about.html") +
                                  ".\r\n\r\nShow the page in Skiff's own preview instead?",
                              vbYesNo | vbQuestion, vbYes);
            editor->cmdPreviewInRegisteredApplication->click();
            QVERIFY(editor->webPreview->isVisible());
            editor->cmdPreview->click();

            editor->txtEdit->setText("changed");
            services().expect(kSendChanges, vbYesNoCancel, vbCancel);
            editor->close();
            QVERIFY(editor->isVisible());
            services().expect(kSendChanges, vbYesNoCancel, vbNo); // asked again
            editor->close();
        }));
        QCOMPARE(services().shell.size(), 2);
        QCOMPARE(services().shell.first().kind, ShellRequest::OpenFile);
        QCOMPARE(services().shell.first().path, LocalFolder + "WebPage/about.html");
        QCOMPARE(ReadFileBytes(mirror("about.html")), (draft + "!").toUtf8());
        QVERIFY(site().ftpCommands("STOR").isEmpty());
        QCOMPARE(site().readSiteFile("about.html"), "<p>about us</p>\n");
    }

    void externalEditorsFromTheExplorer()
    {
        signIn("Orrin", 4);
        WriteFileBytes(program(), "#!/bin/sh\n");
        const QString quoted = '"' + program() + '"';
        WriteFileBytes(ExternalEditorsFile,
                       ("Pager\r\n" + quoted + "\r\nGone\r\n/no/such/editor\r\n").toUtf8());
        frmExplorer& window = reopen();
        select({"index.html"});
        // What "Edit With..." pops up: only the editors and the configuration.
        auto popUp = [&] {
            window.cmdExternalEditor->click();
            QStringList shown;
            for (QAction* action : window.mnuAction->actions()) {
                if (action->isVisible())
                    shown << action->text() + (action->isEnabled() ? "" : " (off)");
            }
            window.mnuAction->close();
            return shown;
        };
        QCOMPARE(popUp(), (QStringList{"Pager", "Gone - FILE NOT FOUND (off)",
                                       "Configure External Editors..."}));
        QCOMPARE(window.mnuAction->pos(), window.cmdExternalEditor->mapToGlobal(QPoint(
                                               2, window.cmdExternalEditor->height() + 2)));

        // Once that menu has closed, the file items' shortcuts work again, one
        // after the other.
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        select({});
        listView()->setFocus();
        services().expect("No Files are Selected.  Please select the files to download.", vbOKOnly);
        QTest::keyClick(listView(), Qt::Key_D, Qt::ControlModifier);
        services().expect(kNoneToDelete, vbOKOnly);
        QTest::keyClick(listView(), Qt::Key_Delete);
        QCOMPARE(services().pendingAnswers(), 0);
        select({"index.html"});

        // No mirror copy: Cancel starts nothing, OK downloads and starts.
        const QString notHere = QStringLiteral("WebPage/index.html does not exist on your local hard "
                                               "drive.  Press OK to download it from the web page.");
        services().expect(notHere, vbOKCancel | vbInformation, vbCancel);
        window.mnuActionExternalEditor.at(1)->trigger();
        QVERIFY(services().shell.isEmpty() && site().httpLog().isEmpty());
        services().expect(notHere, vbOKCancel | vbInformation, vbOK);
        window.mnuActionExternalEditor.at(1)->trigger();
        QCOMPARE(ReadFileBytes(mirror("index.html")), site().readSiteFile("index.html"));
        QCOMPARE(services().shell.size(), 1);
        QCOMPARE(services().shell.first().path, program());
        QCOMPARE(services().shell.first().arguments, QStringList{LocalFolder + "WebPage/index.html"});

        // The editors window: Cancel keeps it, Yes writes exactly the text,
        // and the shorter list hides the surplus item.
        const QString shorter = "Pager\r\n" + quoted;
        QVERIFY(Drive<frmExternalEditors>([&] { window.mnuActionConfigure->trigger(); },
                                          [&](frmExternalEditors* editors) {
            QCOMPARE(editors->txtExternalEditors->text(),
                     QString::fromUtf8(ReadFileBytes(ExternalEditorsFile)));
            editors->txtExternalEditors->setText(shorter);
            services().expect(kSaveChanges, vbYesNoCancel | vbQuestion, vbCancel);
            editors->close();
            QVERIFY(editors->isVisible());
            services().expect(kSaveChanges, vbYesNoCancel | vbQuestion, vbYes);
            editors->close();
        }));
        QCOMPARE(ReadFileBytes(ExternalEditorsFile), shorter.toUtf8());
        QCOMPARE(popUp(), (QStringList{"Pager", "Configure External Editors..."}));
    }
};

QTEST_MAIN(TestExplorer)
#include "tst_explorer.moc"
