// The web site explorer window against the real local site (the demo's):
// what each level sees, the listings and their cache, the file operations
// with their messages, marks and effects on the server and in the mirror,
// the file dialogs, the preview pane and the layout.

#include "ScriptedServices.h"
#include "SiteServer.h"
#include "TestEnv.h"

#include "app/GlobalState.h"
#include "transport/Inet.h"
#include "ui/Resources.h"
#include "ui/explorer/frmExplorer.h"
#include "ui/filelist/SplitterBar.h"
#include "ui/frmMainMenu.h"
#include "ui/widgets/BrowserView.h"
#include "ui/widgets/CaptionButton.h"
#include "ui/widgets/ListView.h"

#include <QAbstractItemView>
#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using namespace modSkiff;

namespace {

const QString kNoneToDelete = QStringLiteral("No Files are Selected.  Please select the files to delete.");

// One member with the explorer open on a fresh copy of the demo site.
class World
{
public:
    World(const QString& nickname, unsigned char level)
        : site(SiteServer::DemoSite()), env(nickname, level)
    {
    }
    ~World() { delete window; }

    bool start() { return site.start(); }
    frmExplorer* open()
    {
        window = new frmExplorer;
        window->Do_ShowWebPage();
        return window;
    }

    // The tree node at a path of node texts below the root ("" = the root).
    QTreeWidgetItem* node(const QString& path) const
    {
        QTreeWidgetItem* at = window->tvwExplorer->topLevelItem(0);
        for (const QString& text : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            QTreeWidgetItem* found = nullptr;
            for (int i = 0; at && i < at->childCount(); ++i) {
                if (at->child(i)->text(0) == text)
                    found = at->child(i);
            }
            at = found;
        }
        return at;
    }
    QStringList folders(const QString& path) const
    {
        QStringList texts;
        QTreeWidgetItem* parent = node(path);
        for (int i = 0; parent && i < parent->childCount(); ++i)
            texts << parent->child(i)->text(0);
        texts.sort();
        return texts;
    }
    void click(const QString& path) const
    {
        QTreeWidget* tree = window->tvwExplorer;
        QTreeWidgetItem* target = node(path);
        QVERIFY2(target, qPrintable(path));
        tree->scrollToItem(target);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(target).center());
    }
    QStringList files() const
    {
        QStringList names;
        for (ListItem* item : window->lvwExplorer->items())
            names << item->text();
        return names;
    }
    ListItem* item(const QString& name) const
    {
        for (ListItem* row : window->lvwExplorer->items()) {
            if (row->text() == name)
                return row;
        }
        return nullptr;
    }
    QString icon(const QString& name) const
    {
        ListItem* row = item(name);
        return row ? row->smallIcon() : QStringLiteral("(no row)");
    }
    void select(const QStringList& names) const
    {
        for (ListItem* row : window->lvwExplorer->items())
            row->setSelected(names.contains(row->text()));
    }
    QString mirror(const QString& sitePath) const
    {
        return env.localPath(QStringLiteral("WebPage/") + sitePath);
    }
    int listings(const QString& key) const
    {
        return int(site.ftpLog().count(QStringLiteral("MLSD /users/tarnwardens/") + key));
    }

    SiteServer site;
    TestEnv env;
    ScriptedServices services;
    QPointer<frmExplorer> window;
};

} // namespace

class TestExplorer : public QObject
{
    Q_OBJECT

    std::unique_ptr<World> m_world;

    World& world(const QString& nickname, unsigned char level)
    {
        m_world = std::make_unique<World>(nickname, level);
        if (!m_world->start())
            qFatal("site server: %s", qPrintable(m_world->site.errorString()));
        return *m_world;
    }

public:
    // As the program does: the preview's web engine needs it before the
    // application object exists.
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private slots:
    void initTestCase()
    {
        qputenv("SKIFF_NET_TIMEOUT", "3");
        InitResources();
    }
    void cleanup()
    {
        if (m_world) {
            QCOMPARE(m_world->services.pendingAnswers(), 0);
            if (m_world->window)
                QVERIFY(m_world->window->isEnabled());
        }
        m_world.reset();
    }

    void theWindowAsDesigned()
    {
        World& w = world(QStringLiteral("Orrin"), 4);
        frmExplorer* window = w.open();
        const QList<std::pair<const char*, const char*>> buttons = {
            {"cmdDownload", "Download File(s)"},
            {"cmdOpenEdit", "Download and Edit"},
            {"cmdExternalEditor", "Edit With..."},
            {"cmdUploadFile", "Send File(s) to Server"},
            {"cmdAddFilesToServer", "Add File(s) to Server"},
            {"cmdNewFile", "New File"},
            {"cmdReplaceWith", "Replace File With..."},
            {"cmdDeleteFile", "Delete File(s) from Server"},
            {"cmdDeleteLocal", "Delete Local File(s)"},
            {"cmdSelectAll", "Select All Files"},
            {"cmdExplorer", "Explorer"},
            {"cmdPreviewPAne", "Preview Pane"},
        };
        QWidget* bar = window->findChild<QWidget*>(QStringLiteral("picButtonBar"));
        QVERIFY(bar);
        int right = 0;
        for (const auto& [name, caption] : buttons) {
            auto* button = bar->findChild<CaptionButton*>(QLatin1String(name));
            QVERIFY2(button, name);
            QCOMPARE(button->text(), QLatin1String(caption));
            QVERIFY2(button->x() >= right, name); // in this order, left to right
            right = button->x() + button->width();
        }
        QCOMPARE(window->cmdUploadFile->toolTip(),
                 QStringLiteral("This button sends the local copy of all selected files to the server"));
        QCOMPARE(window->cmdAddFilesToServer->toolTip(),
                 QStringLiteral("This button will allow you to brows your local hard drive and add "
                                "a file to the server."));
        QCOMPARE(window->cmdExternalEditor->toolTip(),
                 QStringLiteral("This will let you edit a file that is on your local hard drive.  "
                                "If you want to send the changes to the server when you are done, "
                                "click <Send File(s) to Server>"));
        QVERIFY(window->cmdNewFile->toolTip().isEmpty());
        for (const char* name : {"tvwExplorer", "picResize1", "lvwExplorer", "picResize2",
                                 "picPreview", "webPreview", "imglistExplorer", "mnuAction"})
            QVERIFY2(window->findChild<QObject*>(QLatin1String(name)), name);

        QStringList menu;
        for (QAction* action : window->mnuAction->actions())
            menu << (action->isSeparator() ? QStringLiteral("-")
                                           : action->text() + QLatin1Char('|') +
                                                 action->shortcut().toString());
        QCOMPARE(menu, (QStringList{"Download selected file(s) from server|Ctrl+D", "-",
                                    "Download and Edit (quick and easy)|Ctrl+E",
                                    "Edit With...|", "Configure External Editors...|", "-",
                                    "Upload selected file(s) to server|Ctrl+U",
                                    "Delete selected file(s) from server|Del",
                                    "Delete selected file(s) from your local hard drive|"}));
    }

    // Level 4 reads no access list and sees the server's real folders; a
    // folder with entries is listed from the server once, an empty one at
    // every visit, the shown one not again.
    void anAdministratorBrowsesTheServersFolders()
    {
        World& w = world(QStringLiteral("Orrin"), 4);
        w.site.writeSiteFile(QStringLiteral(".git/config"), "c");
        QDir().mkpath(w.site.sitePath(QStringLiteral("empty")));
        frmExplorer* window = w.open();
        QVERIFY(window->isVisible());
        for (const QString& line : w.site.httpLog())
            QVERIFY2(!line.endsWith(QLatin1String(".dat")), qPrintable(line));
        QCOMPARE(window->tvwExplorer->topLevelItem(0)->text(0), QStringLiteral("WebPage"));
        QCOMPARE(w.folders(QString()),
                 (QStringList{"empty", "events", "images", "news", "qxg"}));
        QVERIFY(w.files().contains(QStringLiteral(".htaccess")));
        QVERIFY(w.files().contains(QStringLiteral("index.html")));
        QCOMPARE(w.icon(QStringLiteral("index.html")), QStringLiteral("filenotfound"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Skiff - Transfer Complete"));
        QVERIFY(window->cmdAddFilesToServer->isEnabled() && window->cmdNewFile->isEnabled() &&
                window->cmdDeleteFile->isEnabled() && window->mnuActionDeleteFile->isEnabled());

        w.click(QStringLiteral("news"));
        QCOMPARE(w.folders(QStringLiteral("news")), QStringList{"archive"});
        QVERIFY(w.files().contains(QStringLiteral("item.html")));
        w.click(QStringLiteral("news"));
        w.click(QStringLiteral("empty"));
        QVERIFY(w.files().isEmpty());
        w.click(QStringLiteral("news"));
        w.click(QStringLiteral("empty"));
        QCOMPARE(w.listings(QStringLiteral("news/")), 1);
        QCOMPARE(w.listings(QStringLiteral("empty/")), 2);
        QCOMPARE(w.listings(QString()), 1);
        QVERIFY(w.services.shown.isEmpty());
    }

    void aRestrictedMemberSeesTheirList()
    {
        World& w = world(QStringLiteral("Anna"), 3);
        w.site.writeSiteFile(QStringLiteral("qxg/anna.dat"), "news/index.html\r\nnews/*add files*");
        frmExplorer* window = w.open();
        QVERIFY(w.site.httpLog().contains(QStringLiteral("GET /tarnwardens/qxg/Anna.dat")));
        QCOMPARE(w.folders(QString()), (QStringList{"images", "news"}));
        QVERIFY(w.files().isEmpty());
        QVERIFY(!window->cmdAddFilesToServer->isEnabled() && !window->cmdNewFile->isEnabled());
        w.click(QStringLiteral("news"));
        QCOMPARE(w.files(), QStringList{"index.html"});
        QVERIFY(window->cmdAddFilesToServer->isEnabled() && window->cmdNewFile->isEnabled());
        QVERIFY(!window->cmdDeleteFile->isEnabled() && !window->mnuActionDeleteFile->isEnabled());
        w.click(QStringLiteral("images"));
        QCOMPARE(w.files(), QStringList{"anna.gif"});
        // No listing ever comes from the server for a restricted member.
        for (const QString& line : w.site.ftpLog())
            QVERIFY2(!line.startsWith(QLatin1String("MLSD")), qPrintable(line));

        // Named in the list too: still once.
        w.site.writeSiteFile(QStringLiteral("qxg/anna.dat"), "images/Anna.gif\r\nimages/logo.gif");
        delete w.window;
        w.open();
        w.click(QStringLiteral("images"));
        QCOMPARE(w.files(), (QStringList{"anna.gif", "logo.gif"}));
    }

    void downloadAndDeleteLocalCopies()
    {
        World& w = world(QStringLiteral("Orrin"), 4);
        frmExplorer* window = w.open();
        w.click(QStringLiteral("news"));

        w.select({});
        w.services.answer(vbOK);
        window->cmdDownload->click();
        QCOMPARE(w.services.last().prompt,
                 QStringLiteral("No Files are Selected.  Please select the files to download."));

        w.select({QStringLiteral("item.html")});
        w.services.answer(vbOK);
        window->cmdDownload->click();
        QCOMPARE(w.services.last().prompt, QStringLiteral("Please confirm.  You are about to "
                                                          "download 1 file from the server."));
        QCOMPARE(w.services.last().buttons(), int(vbOKCancel));
        QCOMPARE(w.services.last().icon(), int(vbInformation));
        QCOMPARE(w.icon(QStringLiteral("item.html")), QStringLiteral("file"));
        QCOMPARE(ReadFileBytes(w.mirror(QStringLiteral("news/item.html"))),
                 w.site.readSiteFile(QStringLiteral("news/item.html")));
        QVERIFY(w.site.httpLog().contains(QStringLiteral("GET /tarnwardens/news/item.html")));

        const QStringList three = {"index.html", "item.html", "members.html"};
        w.select(three);
        w.services.answer(vbCancel);
        window->cmdDownload->click();
        QCOMPARE(w.services.last().prompt, QStringLiteral("Please confirm.  You are about to "
                                                          "download 3 files from the server."));
        QCOMPARE(w.icon(QStringLiteral("index.html")), QStringLiteral("filenotfound"));
        w.services.answer(vbOK);
        window->mnuActionDownload->trigger();
        for (const QString& name : three)
            QCOMPARE(w.icon(name), QStringLiteral("file"));

        w.services.answer(vbOK);
        window->cmdDeleteLocal->click();
        QCOMPARE(w.services.last().prompt, QStringLiteral("Please confirm.  You are about to DELETE "
                                                          "3 files from your LOCAL hard drive."));
        QCOMPARE(w.services.last().icon(), int(vbCritical));
        for (const QString& name : three) {
            QCOMPARE(w.icon(name), QStringLiteral("filenotfound"));
            QVERIFY(!QFile::exists(w.mirror(QStringLiteral("news/") + name)));
            QVERIFY(w.site.siteFileExists(QStringLiteral("news/") + name));
        }
        w.select({});
        w.services.answer(vbOK);
        window->cmdDeleteLocal->click();
        QCOMPARE(w.services.last().prompt, kNoneToDelete);
    }

    // The loop stops at the first failed file, which keeps its mark.
    void aFailedUploadStopsTheRest()
    {
        World& w = world(QStringLiteral("Orrin"), 4);
        frmExplorer* window = w.open();
        w.click(QStringLiteral("events"));
        w.site.writeSiteFile(QStringLiteral("events/2027.html"), "next year");
        w.site.writeSiteFile(QStringLiteral("events/2028.html"), "later");
        w.click(QString());
        w.click(QStringLiteral("events"));
        QCOMPARE(w.files(), QStringList{"2026.html"}); // listed once per window
        const QStringList names = {"2026.html", "2027.html", "2028.html"};
        for (const QString& name : names)
            WriteFileBytes(w.mirror(QStringLiteral("events/") + name), "changed " + name.toLatin1());
        delete w.window;
        window = w.open();
        w.click(QStringLiteral("events"));
        QStringList listed = w.files();
        listed.sort();
        QCOMPARE(listed, names);
        w.site.refuse(QStringLiteral("2027.html"));
        w.site.clearLog();
        const QStringList order = w.files();
        const int refused = int(order.indexOf(QStringLiteral("2027.html")));
        w.select(names);
        w.services.answer(vbOK); // the confirmation
        w.services.answer(vbOK); // the refusal
        window->cmdUploadFile->click();
        QCOMPARE(w.services.shown.first().prompt,
                 QStringLiteral("Please confirm.  You are about to send (upload) 3 files to the server."));
        QVERIFY(w.services.last().prompt.startsWith(
            QStringLiteral("/users/tarnwardens/events/2027.html could not be sent to the server: ")));
        for (int i = 0; i < order.size(); ++i) {
            const QString name = order.at(i);
            const bool sent = w.site.readSiteFile(QStringLiteral("events/") + name) ==
                              "changed " + name.toLatin1();
            QCOMPARE(sent, i < refused);
            QCOMPARE(w.icon(name), i == refused ? QStringLiteral("fileupload") : QStringLiteral("file"));
        }
    }

    void deletingOnTheServerKeepsTheCachedListing()
    {
        World& w = world(QStringLiteral("Orrin"), 4);
        for (const char* name : {"a.html", "b.html", "c.html"})
            w.site.writeSiteFile(QStringLiteral("old/") + QLatin1String(name), "x");
        frmExplorer* window = w.open();
        w.click(QStringLiteral("old"));
        const QStringList order = w.files();
        QCOMPARE(order.size(), 3);
        // Two neighbours in the list.
        const QStringList two = {order.at(0), order.at(1)};
        w.select(two);
        w.services.answer(vbOK);
        window->cmdDeleteFile->click();
        QCOMPARE(w.services.last().prompt,
                 QStringLiteral("Please confirm.  You are about to DELETE 2 files from the server."));
        QCOMPARE(w.services.last().icon(), int(vbCritical));
        QCOMPARE(w.files(), QStringList{order.at(2)});
        for (const QString& name : two)
            QVERIFY(!w.site.siteFileExists(QStringLiteral("old/") + name));
        QVERIFY(w.site.siteFileExists(QStringLiteral("old/") + order.at(2)));
        w.click(QString());
        w.click(QStringLiteral("old"));
        QCOMPARE(w.files(), QStringList{order.at(2)});
        QCOMPARE(w.listings(QStringLiteral("old/")), 1);

        w.select({});
        w.services.answer(vbOK);
        window->mnuActionDeleteFile->trigger();
        QCOMPARE(w.services.last().prompt, kNoneToDelete);
    }

    // What a restricted member's access list becomes after a delete, a new
    // file and an added file, byte for byte.
    void aRestrictedMembersListFollowsTheirChanges()
    {
        World& w = world(QStringLiteral("Ann"), 3);
        w.site.writeSiteFile(QStringLiteral("qxg/ann.dat"),
                             "news/a.html\r\noldnews/a.html\r\nnews/*add files*\r\nnews/*delete files*");
        w.site.writeSiteFile(QStringLiteral("news/a.html"), "a");
        frmExplorer* window = w.open();
        w.click(QStringLiteral("news"));
        QCOMPARE(w.files(), QStringList{"a.html"});
        w.select({QStringLiteral("a.html")});
        w.services.answer(vbOK);
        window->cmdDeleteFile->click();
        QVERIFY(w.files().isEmpty());
        const QByteArray afterDelete = "\r\noldnews/a.html\r\nnews/*add files*\r\nnews/*delete files*";
        QCOMPARE(w.site.readSiteFile(QStringLiteral("qxg/ann.dat")), afterDelete);
        QCOMPARE(ReadFileBytes(w.mirror(QStringLiteral("qxg/ann.dat"))), afterDelete);

        w.services.answerInput(QStringLiteral("fresh.html"));
        window->cmdNewFile->click();
        QCOMPARE(w.services.last().prompt, QStringLiteral("Please enter a name for the new file"));
        QCOMPARE(w.services.last().defaultText, QStringLiteral("newfile.html"));
        QCOMPARE(w.services.last().title, QStringLiteral("Skiff"));
        const QByteArray afterNew = afterDelete + "\r\nnews/fresh.html";
        QCOMPARE(w.site.readSiteFile(QStringLiteral("qxg/ann.dat")), afterNew);
        QVERIFY(!w.site.siteFileExists(QStringLiteral("news/fresh.html")));

        w.env.writeLocal(QStringLiteral("mine/added.html"), "added");
        w.env.writeLocal(QStringLiteral("mine/two words.html"), "no");
        w.services.answerFiles({w.env.localPath(QStringLiteral("mine/two words.html")),
                                w.env.localPath(QStringLiteral("mine/added.html"))});
        w.services.answer(vbOK); // the spaces message; the next name goes on
        window->cmdAddFilesToServer->click();
        QCOMPARE(w.services.last().prompt,
                 QStringLiteral("two words.html\r\n\r\nSorry, spaces are not allows in files for the QX Web Site"));
        QCOMPARE(w.site.readSiteFile(QStringLiteral("qxg/ann.dat")), afterNew + "\r\nnews/added.html");
        QCOMPARE(w.site.readSiteFile(QStringLiteral("news/added.html")), QByteArray("added"));
        QCOMPARE(w.files(), (QStringList{"fresh.html", "added.html"}));
        QCOMPARE(w.icon(QStringLiteral("fresh.html")), QStringLiteral("filenotfound"));
        QCOMPARE(w.icon(QStringLiteral("added.html")), QStringLiteral("file"));
        // The next window reads the list as written back.
        delete w.window;
        w.open();
        w.click(QStringLiteral("news"));
        QCOMPARE(w.files(), (QStringList{"fresh.html", "added.html"}));
    }

    void newFileNames()
    {
        World& w = world(QStringLiteral("Orrin"), 4);
        frmExplorer* window = w.open();
        w.click(QStringLiteral("news"));
        const QStringList before = w.files();

        w.services.answerInput(QStringLiteral("my page.html"));
        w.services.answer(vbOK);
        window->cmdNewFile->click();
        QCOMPARE(w.services.last().prompt,
                 QStringLiteral("my page.html\r\n\r\nSorry, spaces are not allows in files for the QX Web Site"));

        w.services.answerInput(QStringLiteral("index.html"));
        w.services.answer(vbOK);
        window->cmdNewFile->click();
        QCOMPARE(w.services.last().prompt, QStringLiteral("news/index.html already exists on the "
                                                          "server.  Try using the REPLACE button."));
        QCOMPARE(w.services.last().icon(), int(vbCritical));
        QCOMPARE(w.files(), before);

        w.services.answerInput(QString()); // cancelled
        window->cmdNewFile->click();
        w.services.answerInput(QStringLiteral("INDEX.html"));
        window->cmdNewFile->click();
        QCOMPARE(w.files(), before + QStringList{"INDEX.html"});
        QVERIFY(!w.site.siteFileExists(QStringLiteral("news/INDEX.html")));
        // The cached listing holds it for the next visit.
        w.click(QString());
        w.click(QStringLiteral("news"));
        QVERIFY(w.files().contains(QStringLiteral("INDEX.html")));
    }

    void replaceAndCancelledDialogs()
    {
        World& w = world(QStringLiteral("Orrin"), 4);
        frmExplorer* window = w.open();
        w.env.writeLocal(QStringLiteral("old.htm"), "<html>the old page</html>");
        w.select({QStringLiteral("index.html")});
        w.services.answerFiles({w.env.localPath(QStringLiteral("old.htm"))});
        window->cmdReplaceWith->click();
        QCOMPARE(w.site.readSiteFile(QStringLiteral("index.html")),
                 QByteArray("<html>the old page</html>"));
        QVERIFY(!w.site.siteFileExists(QStringLiteral("old.htm")));
        QCOMPARE(w.files().count(QStringLiteral("index.html")), 1);
        QVERIFY(!w.files().contains(QStringLiteral("old.htm")));

        for (CaptionButton* button : {window->cmdReplaceWith, window->cmdAddFilesToServer}) {
            w.services.answer(vbOK);
            button->click(); // no files queued: the dialog is cancelled
            QCOMPARE(w.services.last().prompt, QStringLiteral("Cancel was selected."));
            QCOMPARE(w.services.last().buttons(), int(vbOKOnly));
            QVERIFY(window->isEnabled());
        }
        QCOMPARE(QDir::currentPath() + QLatin1Char('/'), LocalFolder);
    }

    void selectAllPopupAndFileBrowser()
    {
        World& w = world(QStringLiteral("Orrin"), 4);
        frmExplorer* window = w.open();
        window->cmdSelectAll->click();
        QCOMPARE(window->lvwExplorer->selectedItems().size(), window->lvwExplorer->count());

        window->mnuActionDownload->setVisible(false);
        auto* view = window->lvwExplorer->findChild<QAbstractItemView*>();
        QList<QAbstractItemView*> views = window->lvwExplorer->findChildren<QAbstractItemView*>();
        for (QAbstractItemView* candidate : views) {
            if (candidate->isVisible())
                view = candidate;
        }
        QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        QTRY_VERIFY(window->mnuAction->isVisible());
        QVERIFY(window->mnuActionDownload->isVisible());
        QCOMPARE(window->mnuAction->defaultAction(), window->mnuActionOpenEdit);
        window->mnuAction->close();

        window->cmdExplorer->click();
        QCOMPARE(w.services.shell.size(), 1);
        QCOMPARE(w.services.shell.first().kind, ShellRequest::OpenFolder);
        QCOMPARE(w.services.shell.first().path, LocalFolder + QStringLiteral("WebPage"));
    }

    void previewPaneAndLayout()
    {
        World& w = world(QStringLiteral("Orrin"), 4);
        frmExplorer* window = w.open();
        window->resize(1100, 600);
        BrowserView* browser = window->webPreview;
        QVERIFY(window->picPreview->isHidden());
        QVERIFY(!browser->EngineCreated());
        QCOMPARE(window->lvwExplorer->geometry().right(), window->width() - 1);
        QCOMPARE(window->cmdPreviewPAne->geometry().right(), window->width() - 1 - 4);
        QCOMPARE(window->tvwExplorer->height(), window->height() - window->picButtonBar->height());

        window->cmdPreviewPAne->click();
        QVERIFY(window->picPreview->isVisible() && window->picResize2->isVisible());
        QVERIFY(browser->EngineCreated());
        QCOMPARE(window->picPreview->geometry().right(), window->width() - 1);
        QCOMPARE(window->picResize2->geometry().right() + 1, window->picPreview->x());
        QCOMPARE(window->lvwExplorer->geometry().right() + 1, window->picResize2->x());
        QCOMPARE(window->picResize1->x(), window->tvwExplorer->geometry().right() + 1);

        WriteFileBytes(w.mirror(QStringLiteral("index.html")), "<html>mirror</html>");
        auto clickRow = [&](const QString& name) {
            w.select({name});
            ListItem* row = w.item(name);
            row->ensureVisible();
            emit window->lvwExplorer->itemClick(row);
        };
        clickRow(QStringLiteral("index.html"));
        QCOMPARE(browser->LocationURL(), QStringLiteral("file://") + w.mirror(QStringLiteral("index.html")));
        QCOMPARE(w.icon(QStringLiteral("index.html")), QStringLiteral("file"));
        clickRow(QStringLiteral("about.html"));
        QCOMPARE(browser->LocationURL(), QStringLiteral("about:blank"));

        // The splitters: the first bar dropped on the list widens the tree,
        // the second dropped on the list widens the pane.
        const int tree = window->tvwExplorer->width();
        const int pane = window->picPreview->width();
        emit window->picResize1->dropped(window->lvwExplorer->mapToGlobal(QPoint(30, 10)));
        QCOMPARE(window->tvwExplorer->width(), tree + 30);
        const int list = window->lvwExplorer->width();
        emit window->picResize2->dropped(window->lvwExplorer->mapToGlobal(QPoint(list - 50, 10)));
        QCOMPARE(window->picPreview->width(), pane + 50);
        emit window->picResize2->dropped(window->picPreview->mapToGlobal(QPoint(20, 10)));
        QCOMPARE(window->picPreview->width(), pane + 30);

        window->cmdPreviewPAne->click();
        QVERIFY(window->picPreview->isHidden() && window->picResize2->isHidden());
        QCOMPARE(window->lvwExplorer->geometry().right(), window->width() - 1);
        // Narrow windows keep the button in its place in the row.
        window->resize(700, 500);
        const int designed = window->cmdPreviewPAne->x();
        QVERIFY(designed > window->cmdExplorer->geometry().right());
        window->resize(600, 500);
        QCOMPARE(window->cmdPreviewPAne->x(), designed);
    }

    void theMainMenuOpensOneExplorer()
    {
        World& w = world(QStringLiteral("Pip"), 2);
        frmMainMenu menu;
        menu.cmdWebPage->click();
        menu.cmdWebPage->click();
        QList<frmExplorer*> open;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* explorer = qobject_cast<frmExplorer*>(top); explorer && explorer->isVisible())
                open << explorer;
        }
        QCOMPARE(open.size(), 1);
        w.window = open.first();
        // The demo's Pip reads the list written in lower case.
        QCOMPARE(w.files(), QStringList{"index.html"});
        w.window->close();
        QTRY_VERIFY(!w.window);
    }
};

QTEST_MAIN(TestExplorer)
#include "tst_explorer.moc"
