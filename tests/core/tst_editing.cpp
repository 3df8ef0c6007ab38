// The editors' work without windows, against the real local site: the
// editors file read as pairs, opening a site file in an external editor,
// what closing the internal editor does when the mirror copy cannot be
// written or the server refuses the upload, the encoding a text goes back
// in, and which access list "Web Site Access" edits.

#include "ScriptedServices.h"
#include "SiteServer.h"
#include "TestEnv.h"
#include "app/GlobalState.h"
#include "editors/EditSession.h"
#include "editors/ExternalEditors.h"
#include "transport/Inet.h"
#include "users/WebAccessList.h"

#include <QDir>
#include <QtTest>

#include <memory>

using namespace modSkiff;

namespace {

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

} // namespace

class TestEditing : public QObject
{
    Q_OBJECT

    std::unique_ptr<SiteServer> m_site;
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<ScriptedServices> m_services;
    std::unique_ptr<Inet> m_inet;

    QString mirror(const QString& relative) const
    {
        return m_env->localPath(QStringLiteral("WebPage/") + relative);
    }
    // An existing program with a blank in its path.
    QString program() const { return m_env->root() + QStringLiteral("/my tools/edit page"); }

private slots:
    void initTestCase()
    {
        qputenv("SKIFF_NET_TIMEOUT", "2");
        m_site = std::make_unique<SiteServer>();
        QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
    }

    void init()
    {
        m_env = std::make_unique<TestEnv>();
        m_services = std::make_unique<ScriptedServices>();
        m_inet = std::make_unique<Inet>();
        WriteFileBytes(program(), "#!/bin/sh\n");
        m_site->writeSiteFile(QStringLiteral("news/a.html"), "<p>server copy</p>");
        m_site->allowAll();
        m_site->clearLog();
    }

    void cleanup()
    {
        QCOMPARE(m_services->pendingAnswers(), 0);
        m_inet.reset();
        m_services.reset();
        m_env.reset();
    }

    void cleanupTestCase() { m_site.reset(); }

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
        QTest::newRow("quoted with blanks") << "Q\r\n\"{p}\"\r\n" << QStringList{"Q|x"};
        QTest::newRow("missing program")
            << "M\r\n/no/such/editor\r\n" << QStringList{"M - FILE NOT FOUND|-"};
        QTest::newRow("arguments after the program")
            << "G\r\n\"{p}\" -n\r\n" << QStringList{"G - FILE NOT FOUND|-"};
        QTest::newRow("a folder is no program")
            << "F\r\n{d}\r\n" << QStringList{"F - FILE NOT FOUND|-"};
        QTest::newRow("empty file") << "" << QStringList();
        QTest::newRow("blank lines only") << "\r\n\r\n\r\n" << QStringList();
    }
    void theEditorsFileIsReadAsPairs()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, menu);
        file.replace(QStringLiteral("{p}"), program());
        file.replace(QStringLiteral("{d}"), m_env->root());
        QCOMPARE(MenuOf(ExternalEditors::Parse(file)), menu);
    }

    void theEditorsFileIsWrittenAsShown()
    {
        const QString path = m_env->programFolder() + QStringLiteral("/external editors.ini");
        QCOMPARE(ExternalEditors::ReadFile(path), QString()); // missing: no editors
        const QString text = QStringLiteral("Caf\u00e9\r\n\"") + program() + QStringLiteral("\"");
        ExternalEditors::WriteFile(path, text);
        QCOMPARE(ReadFileBytes(path), text.toUtf8());
        QCOMPARE(ExternalEditors::ReadFile(path), text);
        // A list another program wrote in Windows-1252 reads as well.
        WriteFileBytes(path, "Caf\xe9\r\n/x");
        QCOMPARE(ExternalEditors::ReadFile(path), QStringLiteral("Caf\u00e9\r\n/x"));
    }

    // hasCopy: a mirror copy exists; answer: the member's answer to the
    // question; then whether the file came down and the editor started.
    void choosingAnEditor_data()
    {
        QTest::addColumn<bool>("hasCopy");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("downloaded");
        QTest::addColumn<bool>("started");
        QTest::newRow("copy, download first") << true << int(vbYes) << true << true;
        QTest::newRow("copy, edit it as it is") << true << int(vbNo) << false << true;
        QTest::newRow("copy, cancel") << true << int(vbCancel) << false << false;
        QTest::newRow("no copy, download") << false << int(vbOK) << true << true;
        QTest::newRow("no copy, cancel") << false << int(vbCancel) << false << false;
    }
    void choosingAnEditor()
    {
        QFETCH(bool, hasCopy);
        QFETCH(int, answer);
        QFETCH(bool, downloaded);
        QFETCH(bool, started);
        const QByteArray local = "<p>my local copy</p>";
        if (hasCopy)
            WriteFileBytes(mirror(QStringLiteral("news/a.html")), local);
        m_services->answer(answer);
        const bool opened =
            ExternalEditors::OpenInEditor(*m_inet, QStringLiteral("news/a.html"),
                                          QStringLiteral("Page & Co"), '"' + program() + '"');
        QCOMPARE(opened, started);
        QCOMPARE(m_services->shown.size(), 1);
        const ShownMessage question = m_services->last();
        if (hasCopy) {
            QCOMPARE(question.prompt, QStringLiteral("Would you like to download news/a.html from "
                                                     "the web page before you edit it with Page & Co?"));
            QCOMPARE(question.style, int(vbYesNoCancel | vbQuestion));
        } else {
            QCOMPARE(question.prompt, QStringLiteral("WebPage/news/a.html does not exist on your "
                                                     "local hard drive.  Press OK to download it "
                                                     "from the web page."));
            QCOMPARE(question.style, int(vbOKCancel | vbInformation));
        }
        QCOMPARE(m_site->httpLog().size(), downloaded ? 1 : 0);
        const QByteArray now = ReadFileBytes(mirror(QStringLiteral("news/a.html")));
        QCOMPARE(now, downloaded ? QByteArray("<p>server copy</p>") : hasCopy ? local : QByteArray());
        if (downloaded && hasCopy)
            QCOMPARE(ReadFileBytes(mirror(QStringLiteral("news/a.html.backup"))), local);
        QCOMPARE(m_services->shell.size(), started ? 1 : 0);
        if (started) {
            // The quotes only hold the path together.
            QCOMPARE(m_services->shell.first().kind, ShellRequest::StartProgram);
            QCOMPARE(m_services->shell.first().path, program());
            QCOMPARE(m_services->shell.first().arguments,
                     QStringList{LocalFolder + QStringLiteral("WebPage/news/a.html")});
        }
    }

    void aFailedDownloadStartsNoEditor()
    {
        m_services->answer(vbOK); // download it
        m_services->answer(vbOK); // the server has no such file
        QVERIFY(!ExternalEditors::OpenInEditor(*m_inet, QStringLiteral("news/gone.html"),
                                               QStringLiteral("A"), program()));
        QVERIFY(m_services->last().prompt.endsWith(QStringLiteral("news/gone.html could not be "
                                                                  "downloaded: the server answered 404.")));
        QVERIFY(m_services->shell.isEmpty());
    }

    void aMirrorCopyThatCannotBeWrittenAsksWhetherToCloseAnyway()
    {
        EditSession session(*m_inet, QStringLiteral("news/a.html"));
        QString text;
        QVERIFY(session.Download(text));
        // A folder where the copy should be: it cannot be replaced.
        QDir().mkpath(mirror(QStringLiteral("news/a.html/inside")));
        session.SendChanges = true;
        m_services->answer(vbCancel);
        QVERIFY(!session.QueryClose(QStringLiteral("changed")));
        QVERIFY(m_services->last().prompt.endsWith(kCannotSave));
        QVERIFY(m_services->last().prompt.startsWith(QStringLiteral("WebPage/news/a.html could not be written: ")));
        QCOMPARE(m_services->last().style, int(vbOKCancel | vbExclamation));
        QVERIFY(!session.SendChanges && !session.DiscardChanges);

        m_services->answer(vbYes); // send changes: the question is back
        m_services->answer(vbOK);  // close anyway
        QVERIFY(session.QueryClose(QStringLiteral("changed")));
        QCOMPARE(m_services->prompts().at(1), QStringLiteral("Send changes to server?"));
        QCOMPARE(m_site->readSiteFile(QStringLiteral("news/a.html")), QByteArray("<p>server copy</p>"));
        QVERIFY(m_site->ftpCommands(QStringLiteral("STOR")).isEmpty());
    }

    void aRefusedUploadKeepsTheEditorOpenAndAsksAgain()
    {
        EditSession session(*m_inet, QStringLiteral("news/a.html"));
        QString text;
        QVERIFY(session.Download(text));
        m_site->refuse(QStringLiteral("a.html"));
        m_services->answer(vbYes);
        m_services->answer(vbOK); // the refusal
        QVERIFY(!session.QueryClose(QStringLiteral("mine")));
        QVERIFY(m_services->last().prompt.startsWith(
            QStringLiteral("/users/tarnwardens/news/a.html could not be sent to the server: ")));
        QVERIFY(!session.SendChanges && !session.DiscardChanges);
        QCOMPARE(m_site->readSiteFile(QStringLiteral("news/a.html")), QByteArray("<p>server copy</p>"));
        // The mirror holds the member's text all the same.
        QCOMPARE(ReadFileBytes(mirror(QStringLiteral("news/a.html"))), QByteArray("mine"));

        m_services->answer(vbNo);
        QVERIFY(session.QueryClose(QStringLiteral("mine")));
        QCOMPARE(m_services->prompts().count(QStringLiteral("Send changes to server?")), 2);
    }

    void theTextGoesBackInItsEncoding_data()
    {
        QTest::addColumn<QByteArray>("server");
        QTest::addColumn<QString>("edited");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("Windows-1252 stays") << QByteArray("caf\xe9") << QStringLiteral("caf\u00e9!")
                                            << QByteArray("caf\xe9!");
        QTest::newRow("UTF-8 stays") << QByteArray("caf\xc3\xa9") << QStringLiteral("caf\u00e9!")
                                     << QByteArray("caf\xc3\xa9!");
        QTest::newRow("beyond Windows-1252") << QByteArray("caf\xe9")
                                             << QStringLiteral("caf\u00e9 \u0151")
                                             << QByteArray("caf\xc3\xa9 \xc5\x91");
        QTest::newRow("new file") << QByteArray() << QStringLiteral("\u00e9") << QByteArray("\xc3\xa9");
    }
    void theTextGoesBackInItsEncoding()
    {
        QFETCH(QByteArray, server);
        QFETCH(QString, edited);
        QFETCH(QByteArray, sent);
        const QString path = QStringLiteral("news/enc.html");
        if (server.isEmpty())
            QFile::remove(m_site->sitePath(path));
        else
            m_site->writeSiteFile(path, server);
        EditSession session(*m_inet, path);
        QString text;
        QVERIFY(session.Download(text));
        QCOMPARE(text.isEmpty(), server.isEmpty());
        m_services->answer(vbYes);
        QVERIFY(session.QueryClose(edited));
        QCOMPARE(m_site->readSiteFile(path), sent);
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
        QFETCH(QStringList, onServer);
        QFETCH(QString, edited);
        for (const QString& name : {QStringLiteral("Anna.dat"), QStringLiteral("anna.dat")})
            QFile::remove(m_site->sitePath(QStringLiteral("qxg/") + name));
        for (const QString& name : onServer)
            m_site->writeSiteFile(QStringLiteral("qxg/") + name, "news/index.html");
        QCOMPARE(WebAccessList::ReadPathOf(*m_inet, QStringLiteral("Anna")), edited);
    }
};

QTEST_GUILESS_MAIN(TestEditing)
#include "tst_editing.moc"
