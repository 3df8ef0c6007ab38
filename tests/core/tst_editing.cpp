// The editors' work without windows, against the real local site: the
// editors file read as pairs, opening a site file in an external editor,
// what closing the internal editor does when the mirror copy cannot be
// written, the encoding a text goes back in, and which access list "Web Site
// Access" edits.

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
        m_site->clearRefusals();
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
    }
    void theEditorsFileIsReadAsPairs()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, menu);
        file.replace(QStringLiteral("{p}"), program());
        file.replace(QStringLiteral("{d}"), m_env->root());
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
        QFETCH(int, answer);
        QFETCH(QByteArray, edited);
        WriteFileBytes(mirror(QStringLiteral("news/a.html")), "<p>mine</p>");
        m_services->answer(answer);
        QCOMPARE(ExternalEditors::OpenInEditor(*m_inet, QStringLiteral("news/a.html"),
                                               QStringLiteral("Page & Co"), '"' + program() + '"'),
                 !edited.isEmpty());
        QCOMPARE(m_services->prompts(),
                 QStringList{"Would you like to download news/a.html from the web page before "
                             "you edit it with Page & Co?"});
        QCOMPARE(m_services->last().style, int(vbYesNoCancel | vbQuestion));
        QCOMPARE(m_site->httpLog().size(), answer == vbYes ? 1 : 0);
        QCOMPARE(ReadFileBytes(mirror(QStringLiteral("news/a.html"))),
                 edited.isEmpty() ? QByteArray("<p>mine</p>") : edited);
        QCOMPARE(m_services->shell.size(), edited.isEmpty() ? 0 : 1);
        if (!edited.isEmpty())
            QCOMPARE(m_services->shell.first().arguments,
                     QStringList{LocalFolder + QStringLiteral("WebPage/news/a.html")});
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
        QVERIFY(m_site->ftpCommands(QStringLiteral("STOR")).isEmpty()); // nothing went up
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
