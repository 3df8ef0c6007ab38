// The explorer's and the editors' work without windows, against the local
// site: the web-site operations they are built on (the upload with a server
// backup, downloads into the mirror or as text, their messages, the proxy),
// the member's web access list and its upkeep, listings, the file
// operations' branch cases, the editors file, opening a file in an external
// editor, closing the internal editor, and the encoding a text goes back in.

#include "SiteTestCase.h"

#include "app/Errors.h"
#include "app/GlobalState.h"
#include "editors/EditSession.h"
#include "editors/EditText.h"
#include "editors/ExternalEditors.h"
#include "transport/Inet.h"
#include "transport/SiteConfig.h"
#include "explorer/SiteExplorer.h"
#include "site/SiteCopy.h"
#include "site/WebFiles.h"
#include "users/WebAccessList.h"

#include <QDir>
#include <QtTest>

using namespace modSkiff;

Q_DECLARE_METATYPE(WebAccessList::FolderStep)

namespace {

// The explorer's component, its state changes read as the window reads them.
struct Explorer
{
    Inet inet;
    SiteExplorer site{inet};
    Explorer()
    {
        QObject::connect(&inet, &Inet::StateChanged, &inet, [this](int state) { site.ReadResponse(state); });
        site.PrepareAccess();
    }
};

const QString kCannotSave =
    QStringLiteral("\r\n\r\nChanges may not be saved.  Press Cancel to try to save your changes.");

// The menu as the explorer builds it from the editors: "caption|x" for an
// enabled item, "caption|-" for a disabled one.
QStringList MenuOf(const QList<ExternalEditors::Editor>& editors)
{
    QStringList items;
    for (const ExternalEditors::Editor& editor : editors)
        items << editor.Caption() + (editor.found ? QStringLiteral("|x") : QStringLiteral("|-"));
    return items;
}

QStringList Files(const QString& webAccess, const QString& key, const QString& nickname = "Ann")
{
    return WebAccessList::ViewOf(webAccess, key, nickname).files;
}

} // namespace

class TestSiteExplorer : public SiteTestCase
{
    Q_OBJECT

    int countInLog(const QString& line) { return int(site().ftpLog().count(line)); }
    // An existing program with a blank in its path.
    QString program() const { return env().root() + QStringLiteral("/my tools/edit page"); }
    // Ann, restricted by this list on the server.
    std::unique_ptr<Explorer> restricted(const QByteArray& list)
    {
        site().writeSiteFile("qxg/ann.dat", list);
        auto explorer = std::make_unique<Explorer>();
        site().clearLog();
        return explorer;
    }
    std::unique_ptr<Explorer> administrator()
    {
        CurrentLevel = 4;
        return std::make_unique<Explorer>();
    }

private slots:
    void init()
    {
        SiteTestCase::init();
        signIn();
        WriteFileBytes(program(), "#!/bin/sh\n");
        site().writeSiteFile("news/a.html", "<p>server copy</p>");
    }

    void accessByLevelAndList_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QByteArray>("list"); // on the server; "-" for none
        QTest::addColumn<bool>("full");
        QTest::addColumn<QString>("webAccess");
        QTest::newRow("full access") << 3 << QByteArray("*full access*") << true << "*full access*";
        QTest::newRow("with a line end") << 2 << QByteArray("*full access*\r\n") << false
                                         << "*full access*\r\n";
        QTest::newRow("other letter case") << 2 << QByteArray("*Full Access*") << false << "*Full Access*";
        QTest::newRow("a blank first") << 2 << QByteArray(" *full access*") << false << " *full access*";
        QTest::newRow("backslashes") << 3 << QByteArray("news\\a.html") << false << "news/a.html";
        QTest::newRow("html page") << 3 << QByteArray("<html>nope</html>") << false << QString();
        QTest::newRow("missing") << 3 << QByteArray("-") << false << QString();
    }
    void accessByLevelAndList()
    {
        QFETCH(int, level);
        QFETCH(QByteArray, list);
        QFETCH(bool, full);
        QFETCH(QString, webAccess);
        CurrentLevel = static_cast<unsigned char>(level);
        if (list != "-")
            site().writeSiteFile("qxg/Ann.dat", list);
        Explorer explorer;
        QCOMPARE(explorer.site.FullAccess, full);
        QCOMPARE(explorer.site.WebAccess, webAccess);
        // The list is read under the nickname as the user file spells it,
        // and where that is missing, as the explorer writes it back; a
        // missing list is asked for twice (an upload may be renaming it in).
        QStringList reads;
        if (level != 4)
            reads << "GET /tarnwardens/qxg/Ann.dat";
        if (list == "-")
            reads << "GET /tarnwardens/qxg/Ann.dat" << "GET /tarnwardens/qxg/ann.dat"
                  << "GET /tarnwardens/qxg/ann.dat";
        QCOMPARE(site().httpLog(), reads);
        QCOMPARE(QFileInfo(mirror("qxg")).isDir(), level != 4);
    }

    void entriesLeavingTheSiteAreNamedOnce()
    {
        services().expect("../../etc/passwd is not a valid name for a file of the web site.\r\n"
                          "/abs.html is not a valid name for a file of the web site.",
                          vbExclamation);
        const auto explorer = restricted("index.html\r\n../../etc/passwd\r\n/abs.html");
        QString tag;
        QCOMPARE(explorer->site.ListFolder(QString(), tag, CurrentUser).files, QStringList{"index.html"});
    }

    void treeFoldersFromTheOutsideIn()
    {
        using WebAccessList::FolderStep;
        const QString list = QStringLiteral("news/archive/old.html\r\nNews/*add files*\r\n"
                                            "index.html\r\n.git/config\r\n../x/y.html\r\n"
                                            "/etc/passwd\r\nok/../b/c.html\r\n");
        const QList<FolderStep> expected = {{"", "images/"}, {"", "news/"}, {"news/", "archive/"},
                                            {"", "News/"},   {"", ".git/"}, {"", "ok/"}};
        QCOMPARE(WebAccessList::TreeFolders(list), expected);
        QCOMPARE(WebAccessList::TreeFolders(QString()), (QList<FolderStep>{{"", "images/"}}));
        QCOMPARE(WebAccessList::RefusedEntries(list),
                 (QStringList{"../x/y.html", "/etc/passwd", "ok/../b/c.html"}));
        QVERIFY(WebAccessList::RefusedEntries(QStringLiteral("news/\r\n  \r\n*add files*")).isEmpty());
    }

    void folderNodesFollowTheTreeRules()
    {
        const QStringList existing = {"", "news/", "news/archive/"};
        const auto hasNode = [&](const QString& key) { return existing.contains(key, Qt::CaseInsensitive); };
        for (const char* skipped : {"./", "../", ".git/", ".git", "/", "Archive/"})
            QVERIFY2(!SiteExplorer::NewFolderNode("news/", QLatin1String(skipped), hasNode), skipped);
        QVERIFY(!SiteExplorer::NewFolderNode("nowhere/", "x/", hasNode));
        const auto node = SiteExplorer::NewFolderNode("NEWS/", "Old", hasNode);
        QVERIFY(node);
        QCOMPARE(node->key, "NEWS/Old/");
        QCOMPARE(node->text, "Old");
    }

    // The window's tests go through the usual lists; these are the rest.
    void folderViewsOfTheList()
    {
        // Keys and entries meet in lower case; the list shows lower case.
        const auto mixed = WebAccessList::ViewOf("  News/Today.HTML\r\nNEWS/*Delete Files*", "News/", "Ann");
        QCOMPARE(mixed.files, QStringList{"today.html"});
        QVERIFY(mixed.deleteFiles && !mixed.addFiles);
        // Entries of subfolders and names leaving the site are not this folder's.
        QCOMPARE(Files("a/b.html\r\n..\r\nc.html", QString()), QStringList{"c.html"});
        // The member's picture shows only in the folder whose key is "images/".
        QVERIFY(Files(QString(), QString()).isEmpty());
        QVERIFY(Files(QString(), "Images/").isEmpty());
        QVERIFY(Files(QString(), "images/", "../x").isEmpty());
    }

    void upkeepAfterDeleteAndNewFile()
    {
        using namespace WebAccessList;
        QCOMPARE(WithoutEntry("  index.html\r\nNews/A.html\r\nnews/b.html\r\n  ", "news/a.html"),
                 "index.html\r\nnews/b.html\r\n");
        QCOMPARE(WithoutEntry("x.html", "y.html"), "x.html");
        QCOMPARE(WithEntry("index.html\r\n  ", "new.html"), "index.html\r\nnew.html");
        QCOMPARE(WithEntry(QString(), "new.html"), "\r\nnew.html");
        QCOMPARE(SitePathOf("Ann"), "qxg/ann.dat");
    }

    // The window's tests show the cache; here the server is asked in lower
    // case, and a listing that failed is asked again at every visit.
    // The list the explorer read was an error page served with status 200:
    // a new file's entry goes onto the list the server holds; a list that
    // is itself a web page is left as it is.
    void theAccessListChangesAsTheServerHoldsIt()
    {
        const QByteArray list = "news/*add files*\r\nnews/a.html";
        site().webServe("ann.dat", "<html>busy</html>");
        auto explorer = restricted(list);
        QCOMPARE(explorer->site.WebAccess, QString());
        QString tag;
        QVERIFY(explorer->site.RegisterNewFile("news/", "n.html", tag));
        QCOMPARE(site().readSiteFile("qxg/ann.dat"), list + "\r\nnews/n.html");

        site().writeSiteFile("qxg/ann.dat", "<html>busy</html>");
        QCOMPARE(ErrorOf([&] { explorer->site.RegisterNewFile("news/", "m.html", tag); }),
                 "qxg/ann.dat is not an access list: it reads as a web page, so it was left as it is.");
        QCOMPARE(site().readSiteFile("qxg/ann.dat"), "<html>busy</html>");
    }

    void listingsAreCachedOnlyWhenTheyHoldSomething()
    {
        site().writeSiteFile("cache/full/sub/b.html", "b");
        const auto explorer = administrator();
        QString fullTag, missingTag;
        const SiteExplorer::FolderContents full = explorer->site.ListFolder("Cache/Full/", fullTag, CurrentUser);
        QVERIFY(full.folders == QStringList{"sub"} && full.addFiles && full.deleteFiles);
        for (int visit = 0; visit < 2; ++visit)
            explorer->site.ListFolder("cache/missing/", missingTag, CurrentUser);
        QCOMPARE(countInLog("MLSD /users/tarnwardens/cache/full/"), 1);
        QCOMPARE(countInLog("MLSD /users/tarnwardens/cache/missing/"), 2);
        QVERIFY(missingTag.isEmpty());
    }

    // The window's tests show the spaces and REPLACE messages; here the
    // names that would lead elsewhere, which never reach the server.
    void newNamesLeadingElsewhereAreRefused()
    {
        const auto explorer = restricted("news/a.html\r\n");
        QString tag;
        for (const QString unsafe : {"../a.html", "sub/a.html", "..", "a\\b.html"}) {
            services().expect(unsafe + " is not a valid name for a file of the web site.", vbCritical);
            QVERIFY(!explorer->site.RegisterNewFile("news/", unsafe, tag));
        }
        QVERIFY(site().ftpLog().isEmpty());
        QCOMPARE(site().readSiteFile("qxg/ann.dat"), "news/a.html\r\n");
    }

    void addedFilesAreCopiedUploadedAndListed()
    {
        const auto explorer = administrator();
        site().writeSiteFile("news/index.html", "i");
        env().writeLocal("outside/new.html", "new page");
        QString tag = QStringLiteral("index.html\r\n");
        QVERIFY(explorer->site.AddToServer("news/", env().localPath("outside/new.html"), tag));
        QCOMPARE(site().readSiteFile("news/new.html"), "new page");
        QCOMPARE(ReadFileBytes(mirror("news/new.html")), "new page");
        QCOMPARE(tag, "index.html\r\n\r\nnew.html");

        // The mirror copy itself is sent as it is: copied onto itself it
        // would be emptied.
        WriteFileBytes(mirror("news/own.html"), "own");
        QVERIFY(explorer->site.AddToServer("news/", mirror("news/own.html"), tag));
        QCOMPARE(ReadFileBytes(mirror("news/own.html")) + site().readSiteFile("news/own.html"), "ownown");

        // A refused upload lists nothing.
        site().refuse("refused.html");
        env().writeLocal("outside/refused.html", "r");
        services().answer(vbOK);
        QVERIFY(!explorer->site.AddToServer("news/", env().localPath("outside/refused.html"), tag));
        QVERIFY(services().last().prompt.contains("could not be sent to the server"));
        QVERIFY(!tag.contains("refused"));
    }

    void replacingTheMirrorCopyLosesNothingOfTheMembers()
    {
        const auto explorer = administrator();
        env().writeLocal("outside/a.html", "chosen");
        // A file of the member's that happens to be named like a part file
        // beside the copy is not the copier's to remove.
        WriteFileBytes(mirror("news/a.html.part"), "member's own");
        QVERIFY(explorer->site.ReplaceOnServer("news/", "a.html", env().localPath("outside/a.html")));
        QCOMPARE(ReadFileBytes(mirror("news/a.html")) + site().readSiteFile("news/a.html"), "chosenchosen");
        QCOMPARE(ReadFileBytes(mirror("news/a.html.part")), "member's own");

        // A copy that cannot be replaced stays as it was, and nothing goes up.
        QDir().mkpath(mirror("news/b.html/inside"));
        WriteFileBytes(mirror("news/b.html/inside/kept.txt"), "kept");
        QVERIFY_THROWS_EXCEPTION(SkiffError, explorer->site.ReplaceOnServer(
                                                 "news/", "b.html", env().localPath("outside/a.html")));
        QCOMPARE(ReadFileBytes(mirror("news/b.html/inside/kept.txt")), "kept");
        QVERIFY(!site().siteFileExists("news/b.html"));
        QCOMPARE(QDir(mirror("news")).entryList({"*.part"}, QDir::Files), QStringList{"a.html.part"});
    }

    void mirrorCopiesAndTheirIcons()
    {
        WriteFileBytes(mirror("news/here.html"), "h");
        QCOMPARE(SiteExplorer::MirrorIcon("news/", "here.html"), "file");
        QCOMPARE(SiteExplorer::ExistingMirrorCopy("news/", "here.html"), mirror("news/here.html"));
        QCOMPARE(SiteExplorer::MirrorIcon("news/", "gone.html"), "filenotfound");
        // A folder of that name is no copy, and nothing outside is looked at.
        QCOMPARE(SiteExplorer::MirrorIcon(QString(), "news"), "filenotfound");
        env().writeLocal("outside.html", "o");
        QCOMPARE(SiteExplorer::MirrorIcon(QString(), "../outside.html"), "filenotfound");
        QVERIFY(SiteExplorer::ExistingMirrorCopy(QString(), "../outside.html").isEmpty());

        SiteExplorer::DeleteLocalCopy("news/", "here.html");
        QVERIFY(!QFile::exists(mirror("news/here.html")));
        SiteExplorer::DeleteLocalCopy("news/", "here.html");
        QVERIFY_THROWS_EXCEPTION(SkiffError, SiteExplorer::DeleteLocalCopy(QString(), "../outside.html"));
        QVERIFY(QFile::exists(env().localPath("outside.html")));
    }

    void theEditorsFileIsReadAsPairs_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("menu");
        QTest::newRow("an empty pair keeps the numbering")
            << "A\r\n{p}\r\n\r\n{p}\r\nC\r\n{p}\r\n" << QStringList{"A|x", "C|x"};
        QTest::newRow("an empty command") << "A\r\n\r\nB\r\n{p}" << QStringList{"B|x"};
        QTest::newRow("a last name alone") << "A\r\n{p}\r\nB\r\n" << QStringList{"A|x"};
        QTest::newRow("a last name without line end") << "A\r\n{p}\r\nB" << QStringList{"A|x"};
        QTest::newRow("a last command without line end") << "A\r\n{p}" << QStringList{"A|x"};
        QTest::newRow("line ends of other editors") << "A\n{p}\nB\r{p}\r" << QStringList{"A|x", "B|x"};
        QTest::newRow("arguments after the program")
            << "G\r\n\"{p}\" -n\r\n" << QStringList{"G - FILE NOT FOUND|-"};
        QTest::newRow("a folder is no program")
            << "F\r\n{d}\r\n" << QStringList{"F - FILE NOT FOUND|-"};
        QTest::newRow("empty file") << "" << QStringList();
    }
    void theEditorsFileIsReadAsPairs()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, menu);
        file.replace(QStringLiteral("{p}"), program());
        file.replace(QStringLiteral("{d}"), env().root());
        QCOMPARE(MenuOf(ExternalEditors::Parse(file)), menu);
    }

    // With a mirror copy the member is asked whether to download it first;
    // the window's tests go through the case without one.
    void choosingAnEditorForAFileWithACopy_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QByteArray>("edited"); // "" when nothing starts
        QTest::newRow("download first") << int(vbYes) << QByteArray("<p>server copy</p>");
        QTest::newRow("as it is") << int(vbNo) << QByteArray("<p>mine</p>");
        QTest::newRow("cancel") << int(vbCancel) << QByteArray();
    }
    void choosingAnEditorForAFileWithACopy()
    {
        Inet inet;
        QFETCH(int, answer);
        QFETCH(QByteArray, edited);
        WriteFileBytes(mirror("news/a.html"), "<p>mine</p>");
        services().expect("Would you like to download news/a.html from the web page before you "
                          "edit it with Page & Co?",
                          vbYesNoCancel | vbQuestion, answer);
        QCOMPARE(ExternalEditors::OpenInEditor(inet, "news/a.html", "Page & Co", '"' + program() + '"'),
                 !edited.isEmpty());
        QCOMPARE(site().httpLog().size(), answer == vbYes ? 1 : 0);
        QCOMPARE(ReadFileBytes(mirror("news/a.html")), edited.isEmpty() ? "<p>mine</p>" : edited);
        QCOMPARE(services().shell.size(), edited.isEmpty() ? 0 : 1);
        if (!edited.isEmpty())
            QCOMPARE(services().shell.first().arguments, QStringList{LocalFolder + "WebPage/news/a.html"});
    }

    void aFailedDownloadStartsNoEditor()
    {
        Inet inet;
        services().answer(vbOK); // download it
        services().expect(SiteConfig::HttpBase() + "news/gone.html could not be downloaded: the "
                                                   "server answered 404.",
                          vbCritical);
        QVERIFY(!ExternalEditors::OpenInEditor(inet, "news/gone.html", "A", program()));
        QVERIFY(services().shell.isEmpty());
    }

    void aMirrorCopyThatCannotBeWrittenAsksWhetherToCloseAnyway()
    {
        Inet inet;
        EditSession session(inet, QStringLiteral("news/a.html"));
        QString text;
        QVERIFY(session.Download(text));
        // A folder where the copy should be: it cannot be replaced.
        QDir().mkpath(mirror("news/a.html/inside"));
        session.SendChanges = true;
        services().answer(vbCancel);
        QVERIFY(!session.QueryClose("changed"));
        QVERIFY(services().last().prompt.startsWith("WebPage/news/a.html could not be written: "));
        QVERIFY(services().last().prompt.endsWith(kCannotSave));
        QCOMPARE(services().last().style, int(vbOKCancel | vbExclamation));
        QVERIFY(!session.SendChanges && !session.DiscardChanges);

        services().expect("Send changes to server?", vbYesNoCancel, vbYes); // asked again
        services().answer(vbOK); // close anyway
        QVERIFY(session.QueryClose("changed"));
        QVERIFY(site().ftpCommands("STOR").isEmpty()); // nothing went up
    }

    void theTextGoesBackInItsEncoding_data()
    {
        QTest::addColumn<QByteArray>("server");
        QTest::addColumn<QString>("edited");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("Windows-1252 stays") << QByteArray("caf\xe9") << QStringLiteral("caf\u00e9!")
                                            << QByteArray("caf\xe9!");
        QTest::newRow("beyond Windows-1252") << QByteArray("caf\xe9")
                                             << QStringLiteral("caf\u00e9 \u0151")
                                             << QByteArray("caf\xc3\xa9 \xc5\x91");
        QTest::newRow("new file") << QByteArray() << QStringLiteral("\u00e9") << QByteArray("\xc3\xa9");
    }
    void theTextGoesBackInItsEncoding()
    {
        Inet inet;
        QFETCH(QByteArray, server);
        QFETCH(QString, edited);
        QFETCH(QByteArray, sent);
        const QString path = QStringLiteral("news/enc.html");
        QFile::remove(site().sitePath(path));
        if (!server.isEmpty())
            site().writeSiteFile(path, server);
        EditSession session(inet, path);
        QString text;
        QVERIFY(session.Download(text));
        QCOMPARE(text.isEmpty(), server.isEmpty());
        services().answer(vbYes);
        QVERIFY(session.QueryClose(edited));
        QCOMPARE(site().readSiteFile(path), sent);
    }

    void webSiteAccessEditsTheListTheExplorerReads_data()
    {
        QTest::addColumn<QStringList>("onServer");
        QTest::addColumn<QString>("edited");
        QTest::newRow("as spelled") << QStringList{"Anna.dat", "anna.dat"} << "qxg/Anna.dat";
        QTest::newRow("lower case") << QStringList{"anna.dat"} << "qxg/anna.dat";
        QTest::newRow("none yet") << QStringList() << "qxg/anna.dat";
    }
    void webSiteAccessEditsTheListTheExplorerReads()
    {
        Inet inet;
        QFETCH(QStringList, onServer);
        QFETCH(QString, edited);
        for (const QString& name : onServer)
            site().writeSiteFile(QStringLiteral("qxg/") + name, "news/index.html");
        QCOMPARE(WebAccessList::ReadPathOf(inet, QStringLiteral("Anna")), edited);
    }

    // An upload the server refuses, or stores short while saying it is
    // complete, did not arrive: the previous server copy is put back.
    void anUploadThatDidNotArrivePutsThePreviousServerCopyBack_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("why");
        QTest::newRow("refused") << true << "550 Upload refused.";
        QTest::newRow("stored short")
            << false << "the server holds 7 of the 8 bytes sent for /users/tarnwardens/news/kept.html";
    }
    void anUploadThatDidNotArrivePutsThePreviousServerCopyBack()
    {
        QFETCH(bool, refused);
        QFETCH(QString, why);
        Inet inet;
        site().writeSiteFile("news/kept.html", "server copy");
        WriteFileBytes(mirror("news/kept.html"), "new copy");
        refused ? site().refuse("kept.html") : site().shorten("kept.html");
        services().expect(
            "/users/tarnwardens/news/kept.html could not be sent to the server: " + why,
            vbCritical);
        QVERIFY(!UploadWebFile(inet, "news/kept.html"));
        QCOMPARE(site().readSiteFile("news/kept.html"), QByteArray("server copy"));
        QVERIFY(!site().siteFileExists("news/kept.html.backup"));

        services().expect("WebPage/news/none.html does not exist on the local hard drive.",
                          vbCritical);
        site().clearLog();
        QVERIFY(!UploadWebFile(inet, "news\\none.html"));
        QCOMPARE(site().ftpLog(), QStringList());
    }

    void pathsLeavingTheSiteAreRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("parent") << "../outside.html";
        QTest::newRow("parent inside") << "news/../../outside.html";
        QTest::newRow("backslash parent") << "news\\..\\..\\outside.html";
        QTest::newRow("absolute") << "/etc/outside.html";
        QTest::newRow("empty folder") << "news//outside.html";
        QTest::newRow("folder only") << "news/";
        QTest::newRow("empty") << "";
        QTest::newRow("control character") << "news/a\x01.html";
    }
    void pathsLeavingTheSiteAreRefused()
    {
        QFETCH(QString, path);
        Inet inet;
        WriteFileBytes(mirror("outside.html"), "mirror copy");
        for (int i = 0; i < 3; ++i)
            services().expect(path + " is not a valid name for a file of the web site.",
                              vbCritical);
        QString contents = kSaveToFile;
        QVERIFY(!DownloadWebFile(inet, path, contents));
        QVERIFY(!UploadWebFile(inet, path));
        QVERIFY(!DeleteWebFile(inet, path));
        QVERIFY(site().ftpLog().isEmpty() && site().httpLog().isEmpty());
        QVERIFY(!QFileInfo::exists(env().localPath("outside.html")));
        QCOMPARE(ReadFileBytes(mirror("outside.html")), QByteArray("mirror copy"));
    }

    // An empty local copy is replaced, any other becomes the one backup.
    void downloadToFileSetsTheOldCopyAside()
    {
        Inet inet;
        site().writeSiteFile("news/today.html", "from server");
        QString contents = kSaveToFile;
        WriteFileBytes(mirror("news/today.html"), QByteArray());
        QVERIFY(DownloadWebFile(inet, "news/today.html", contents));
        QCOMPARE(contents, kSaveToFile);
        QVERIFY(!QFileInfo::exists(mirror("news/today.html.backup")));

        WriteFileBytes(mirror("news/today.html"), "my edit");
        WriteFileBytes(mirror("news/today.html.backup"), "older backup");
        QVERIFY(DownloadWebFile(inet, "news\\today.html", contents));
        QCOMPARE(ReadFileBytes(mirror("news/today.html")), QByteArray("from server"));
        QCOMPARE(ReadFileBytes(mirror("news/today.html.backup")), QByteArray("my edit"));
        QCOMPARE(inet.Protocol, int(icHTTP));
    }

    // As text a missing page is simply absent; to a file the member hears of
    // it and keeps the local copy and its backup.
    void aMissingPageIsAFailureThatLosesNothing()
    {
        Inet inet;
        QString contents = QStringLiteral("before");
        QVERIFY(!DownloadWebFile(inet, "qxg/nobody.dat", contents));
        QCOMPARE(contents, QStringLiteral("before"));

        WriteFileBytes(mirror("news/gone.html"), "my copy");
        WriteFileBytes(mirror("news/gone.html.backup"), "older");
        contents = kSaveToFile;
        services().expect(SiteConfig::HttpBase() + "news/gone.html could not be downloaded: the "
                                                   "server answered 404.",
                          vbCritical);
        QVERIFY(!DownloadWebFile(inet, "news/gone.html", contents));
        QCOMPARE(ReadFileBytes(mirror("news/gone.html")), QByteArray("my copy"));
        QCOMPARE(ReadFileBytes(mirror("news/gone.html.backup")), QByteArray("older"));
    }

    // Each name is one file: "?", "#" and "%" in a name do not address
    // another file (or a query of one), whatever the other file holds.
    void namesAreAddressedAsThemselves()
    {
        Inet inet;
        site().writeSiteFile("enc.txt", "site root");
        site().writeSiteFile("news/x", "plain x");
        for (const QString name : {"x?y", "x#y", "%2e%2e%2fenc.txt", "a b%20c"}) {
            const QString path = "news/" + name;
            site().writeSiteFile(path, name.toUtf8() + " itself");
            QString contents = kSaveToFile;
            QVERIFY2(DownloadWebFile(inet, path, contents), qPrintable(name));
            QCOMPARE(ReadFileBytes(mirror(path)), name.toUtf8() + " itself");
        }
    }

    // What the server sends in any of the standard forms; a byte only
    // Windows-1252 leaves unassigned makes a file no text.
    void sizeRepliesAndText()
    {
        QCOMPARE(EditText::WhyNotText(QByteArray("caf\xe9 \x81")),
                 "byte 6 is neither UTF-8 nor Windows-1252 text");
        QCOMPARE(EditText::WhyNotText(QByteArray("caf\xe9\r\n")), QString());
        QCOMPARE(SiteCopy::ParseSizeReply("213 1234\r\n"), std::optional<qint64>(1234));
        QCOMPARE(SiteCopy::ParseSizeReply("213-File status\r\n213 77\r\n"), std::optional<qint64>(77));
        QCOMPARE(SiteCopy::ParseSizeReply("550 1234: no such file\r\n"), std::nullopt);
        QCOMPARE(SiteCopy::ParseSizeReply("213 -5\r\n"), std::nullopt);
        QVERIFY(SiteCopy::MeansNoSuchFile("550 No such file or directory.\r\n"));
        QVERIFY(!SiteCopy::MeansNoSuchFile("451 Requested action aborted.\r\n"));
    }

    // Without a proxy the access type stays as it was; with one, everything
    // goes through it (the site server is a proxy too).
    void theProxyIsUsedOnlyWhenOneIsSet()
    {
        site().writeSiteFile("news/p.html", "page");
        WriteFileBytes(mirror("news/up.html"), "up");
        Inet direct;
        direct.AccessType = icDirect;
        QString contents;
        QVERIFY(DownloadWebFile(direct, "news/p.html", contents));
        QVERIFY(UploadWebFile(direct, "news/up.html"));
        QCOMPARE(direct.AccessType, int(icDirect));

        ProxyServer = QStringLiteral("127.0.0.1:%1").arg(site().httpPort());
        Inet proxied;
        contents.clear();
        QVERIFY(DownloadWebFile(proxied, "news/p.html", contents));
        QCOMPARE(contents, QStringLiteral("page"));
        QVERIFY(UploadWebFile(proxied, "news/up.html"));
        // Pages over HTTPS go through a tunnel too.
        QVERIFY(site().httpLog().contains(QString("CONNECT 127.0.0.1:%1").arg(site().httpPort())));
        QVERIFY(site().httpLog().contains(QString("CONNECT 127.0.0.1:%1").arg(site().ftpPort())));
    }
};

QTEST_GUILESS_MAIN(TestSiteExplorer)
#include "tst_siteexplorer.moc"
