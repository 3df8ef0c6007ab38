// The editors end to end against the real local site (the demo's): the
// internal editor opened from the explorer (what it opens, closing with the
// close box, sending with the server down and back, the bytes that arrive,
// the preview), its text box, and the external editors (the menu built from
// the editors file, starting one, the configuration window).

#include "ScriptedServices.h"
#include "SiteServer.h"
#include "TestEnv.h"

#include "app/GlobalState.h"
#include "transport/Inet.h"
#include "transport/SiteConfig.h"
#include "ui/Resources.h"
#include "ui/explorer/frmExplorer.h"
#include "ui/frmEdit.h"
#include "ui/frmExternalEditors.h"
#include "ui/widgets/BrowserView.h"
#include "ui/widgets/CaptionButton.h"
#include "ui/widgets/ListView.h"
#include "ui/widgets/TextBox.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace modSkiff;

namespace {

const QString kSendChanges = QStringLiteral("Send changes to server?");
const QString kSaveChanges = QStringLiteral("Save Changes?");

// Runs the action on the modal window of class W as soon as it shows, while
// open() waits in its loop; the action ends by closing the window. False
// when none showed or it stayed open; a window left open (after a failed
// check) is hidden, which ends its loop without a question.
template <typename W>
bool Drive(const std::function<void()>& open, const std::function<void(W*)>& action)
{
    bool closed = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<W*>(widget); window && window->isVisible()) {
                poll.stop();
                action(window);
                closed = !window->isVisible();
                window->hide();
                return;
            }
        }
    });
    poll.start(10);
    open();
    return closed;
}

bool Edit(const QString& sitePath, const std::function<void(frmEdit*)>& action)
{
    return Drive<frmEdit>([&] { frmEdit::EditFile(sitePath); }, action);
}

} // namespace

class TestEditors : public QObject
{
    Q_OBJECT

    std::unique_ptr<SiteServer> m_site;
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<ScriptedServices> m_services;
    QPointer<frmExplorer> m_explorer;

    QString mirror(const QString& relative) const
    {
        return m_env->localPath(QStringLiteral("WebPage/") + relative);
    }
    frmExplorer* explorer()
    {
        m_explorer = new frmExplorer;
        m_explorer->Do_ShowWebPage();
        return m_explorer;
    }
    void selectFile(const QString& name)
    {
        for (ListItem* row : m_explorer->lvwExplorer->items())
            row->setSelected(row->text() == name);
        QVERIFY(m_explorer->lvwExplorer->selectedItem());
        QCOMPARE(m_explorer->lvwExplorer->selectedItem()->text(), name);
    }
    // An existing program whose path holds a blank.
    QString program() const { return m_env->root() + QStringLiteral("/my tools/page editor"); }

public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private slots:
    // One site for every case: each reads what it changes from the site
    // first.
    void initTestCase()
    {
        qputenv("SKIFF_NET_TIMEOUT", "2");
        InitResources();
        m_site = std::make_unique<SiteServer>(SiteServer::DemoSite());
        QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
    }
    void cleanupTestCase() { m_site.reset(); }

    void init()
    {
        m_site->clearLog();
        m_env = std::make_unique<TestEnv>(QStringLiteral("Orrin"), 4);
        m_services = std::make_unique<ScriptedServices>();
        WriteFileBytes(program(), "#!/bin/sh\n");
        // As start-up makes it.
        QVERIFY(QDir(m_env->localFolder()).mkpath(QStringLiteral("WebPage")));
    }

    void cleanup()
    {
        QCOMPARE(m_services->pendingAnswers(), 0);
        delete m_explorer;
        m_services.reset();
        m_env.reset();
    }

    // The line ends and a lone CR go through the box in the cases below.
    void theTextBoxHandsBackWhatItWasGiven_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("no-break space") << "a\u00a0b";
        QTest::newRow("line separator") << "a\u2028b";
        QTest::newRow("empty") << "";
    }
    void theTextBoxHandsBackWhatItWasGiven()
    {
        QFETCH(QString, text);
        TextBox box;
        box.setText(text);
        QCOMPARE(box.text(), text);
        // A new line typed is CR LF, whatever the modifier.
        box.moveCursor(QTextCursor::End);
        QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(&box, QStringLiteral("z"));
        QCOMPARE(box.text(), text + QStringLiteral("\r\nz"));
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
        m_site->writeSiteFile(QStringLiteral("news/t.html"), server);
        if (shown.isEmpty())
            m_services->answer(vbOK);
        QString opened;
        QCOMPARE(Edit(QStringLiteral("news/t.html"), [&](frmEdit* editor) {
                     opened = editor->windowTitle() + QLatin1Char('|') + editor->txtEdit->text();
                     editor->cmdDiscard->click(); // asks nothing
                 }),
                 !shown.isEmpty());
        if (!shown.isEmpty())
            QCOMPARE(opened, QStringLiteral("news/t.html|") + shown);
        QCOMPARE(m_services->prompts(),
                 shown.isEmpty() ? QStringList{"This file is too large to edit with the Skiff "
                                               "internal editor."}
                                 : QStringList());
    }

    void sendingWhileTheServerIsDownKeepsTheText()
    {
        const QByteArray before = m_site->readSiteFile(QStringLiteral("about.html"));
        const QString edited = QStringLiteral("<p>new \u00e9</p>\r\n<p>end</p>");
        QVERIFY(Edit(QStringLiteral("about.html"), [&](frmEdit* editor) {
            editor->txtEdit->setText(edited);
            m_site->stop();
            m_services->answer(vbOK); // the failed upload
            editor->cmdSendToServer->click();
            QVERIFY(editor->isVisible());
            QCOMPARE(editor->txtEdit->text(), edited);
            QVERIFY(m_services->last().prompt.startsWith(
                QStringLiteral("/users/tarnwardens/about.html could not be sent to the server: ")));
            m_services->answer(vbCancel); // the question is back
            editor->close();
            QVERIFY(m_site->start());
            editor->cmdSendToServer->click();
        }));
        QCOMPARE(m_services->prompts().mid(1), QStringList{kSendChanges});
        // Exactly the text shown, with no line end added; the previous copy
        // kept as ".backup".
        QCOMPARE(m_site->readSiteFile(QStringLiteral("about.html")), edited.toUtf8());
        QCOMPARE(m_site->readSiteFile(QStringLiteral("about.html.backup")), before);
        static const QRegularExpression changes(QStringLiteral("^(DELE|RNFR|RNTO|STOR) "));
        QCOMPARE(m_site->ftpLog().filter(changes),
                 (QStringList{"DELE /users/tarnwardens/about.html.backup",
                              "RNFR /users/tarnwardens/about.html",
                              "RNTO /users/tarnwardens/about.html.backup",
                              "STOR /users/tarnwardens/about.html"}));
    }

    // A member changes a page from the explorer and the site shows it.
    void downloadAndEditFromTheExplorer()
    {
        frmExplorer* window = explorer();
        selectFile(QStringLiteral("index.html"));
        QString changed;
        QVERIFY(Drive<frmEdit>([&] { window->cmdOpenEdit->click(); }, [&](frmEdit* editor) {
            QCOMPARE(editor->windowTitle(), QStringLiteral("index.html"));
            changed = editor->txtEdit->text() + QStringLiteral("<p>Regatta on Saturday</p>");
            editor->txtEdit->setText(changed);
            editor->cmdSendToServer->click();
        }));
        QVERIFY(window->isEnabled());
        QCOMPARE(window->lvwExplorer->selectedItem()->smallIcon(), QStringLiteral("file"));
        Inet http;
        http.Protocol = icHTTP;
        QCOMPARE(http.OpenURLBytes(SiteConfig::HttpBase() + QStringLiteral("index.html")),
                 changed.toUtf8());
        QVERIFY(m_services->shown.isEmpty());
    }

    // Opened with the list's pop-up item; closed with the close box.
    void previewWritesTheMirrorCopyButNoClosesWithoutWriting()
    {
        const QByteArray before = m_site->readSiteFile(QStringLiteral("about.html"));
        const QString draft = QStringLiteral("<h1>Draft</h1>");
        frmExplorer* window = explorer();
        selectFile(QStringLiteral("about.html"));
        QVERIFY(Drive<frmEdit>([&] { window->mnuActionOpenEdit->trigger(); }, [&](frmEdit* editor) {
            editor->txtEdit->setText(draft);
            editor->cmdPreview->click();
            QCOMPARE(editor->cmdPreview->text(), QStringLiteral("Back to Edit Mode"));
            QVERIFY(editor->webPreview->isVisible() && editor->txtEdit->isHidden());
            QCOMPARE(editor->webPreview->LocationURL(),
                     QStringLiteral("file://") + mirror(QStringLiteral("about.html")));
            QCOMPARE(ReadFileBytes(mirror(QStringLiteral("about.html"))), draft.toUtf8());
            editor->cmdPreview->click();
            QCOMPARE(editor->cmdPreview->text(), QStringLiteral("Preview"));
            QVERIFY(editor->webPreview->isHidden() && editor->txtEdit->isVisible());
            editor->txtEdit->setText(draft + QStringLiteral("!"));
            editor->cmdPreviewInRegisteredApplication->click();

            editor->txtEdit->setText(QStringLiteral("changed"));
            m_services->answer(vbCancel);
            editor->close();
            QVERIFY(editor->isVisible());
            m_services->answer(vbNo); // asked again
            editor->close();
        }));
        QCOMPARE(m_services->shell.size(), 1);
        QCOMPARE(m_services->shell.first().kind, ShellRequest::OpenFile);
        QCOMPARE(m_services->shell.first().path, LocalFolder + QStringLiteral("WebPage/about.html"));
        QCOMPARE(m_services->prompts(), (QStringList{kSendChanges, kSendChanges}));
        QCOMPARE(m_services->last().style, int(vbYesNoCancel));
        QCOMPARE(ReadFileBytes(mirror(QStringLiteral("about.html"))), (draft + "!").toUtf8());
        QVERIFY(m_site->ftpCommands(QStringLiteral("STOR")).isEmpty());
        QCOMPARE(m_site->readSiteFile(QStringLiteral("about.html")), before);
    }

    void externalEditorsFromTheExplorer()
    {
        const QString quoted = '"' + program() + '"';
        WriteFileBytes(ExternalEditorsFile,
                       ("Pager\r\n" + quoted + "\r\nGone\r\n/no/such/editor\r\n").toUtf8());
        frmExplorer* window = explorer();
        // What "Edit With..." pops up: only the editors and the configuration.
        auto popUp = [&] {
            window->cmdExternalEditor->click();
            QStringList shown;
            for (QAction* action : window->mnuAction->actions()) {
                if (action->isVisible())
                    shown << action->text() + (action->isEnabled() ? "" : " (off)");
            }
            window->mnuAction->close();
            return shown;
        };
        QCOMPARE(popUp(), (QStringList{"Pager", "Gone - FILE NOT FOUND (off)",
                                       "Configure External Editors..."}));
        QCOMPARE(window->mnuAction->pos(), window->cmdExternalEditor->mapToGlobal(QPoint(
                                               2, window->cmdExternalEditor->height() + 2)));

        // No mirror copy: Cancel starts nothing, OK downloads and starts.
        selectFile(QStringLiteral("index.html"));
        m_services->answer(vbCancel);
        window->mnuActionExternalEditor.at(1)->trigger();
        QVERIFY(m_services->shell.isEmpty() && m_site->httpLog().isEmpty());
        m_services->answer(vbOK);
        window->mnuActionExternalEditor.at(1)->trigger();
        QCOMPARE(m_services->last().prompt,
                 QStringLiteral("WebPage/index.html does not exist on your local hard drive.  "
                                "Press OK to download it from the web page."));
        QCOMPARE(ReadFileBytes(mirror(QStringLiteral("index.html"))),
                 m_site->readSiteFile(QStringLiteral("index.html")));
        QCOMPARE(m_services->shell.size(), 1);
        QCOMPARE(m_services->shell.first().path, program());
        QCOMPARE(m_services->shell.first().arguments,
                 QStringList{LocalFolder + QStringLiteral("WebPage/index.html")});

        // The editors window: Cancel keeps it, Yes writes exactly the text,
        // and the shorter list hides the surplus item.
        const QString shorter = "Pager\r\n" + quoted;
        QVERIFY(Drive<frmExternalEditors>([&] { window->mnuActionConfigure->trigger(); },
                                          [&](frmExternalEditors* editors) {
            QCOMPARE(editors->windowTitle(), QStringLiteral("Configure External Editors"));
            QCOMPARE(editors->txtExternalEditors->text(),
                     QString::fromUtf8(ReadFileBytes(ExternalEditorsFile)));
            editors->txtExternalEditors->setText(shorter);
            m_services->answer(vbCancel);
            editors->close();
            QVERIFY(editors->isVisible());
            m_services->answer(vbYes);
            editors->close();
        }));
        QCOMPARE(m_services->prompts().mid(2), (QStringList{kSaveChanges, kSaveChanges}));
        QCOMPARE(m_services->last().style, int(vbYesNoCancel | vbQuestion));
        QCOMPARE(ReadFileBytes(ExternalEditorsFile), shorter.toUtf8());
        QCOMPARE(popUp(), (QStringList{"Pager", "Configure External Editors..."}));
    }
};

QTEST_MAIN(TestEditors)
#include "tst_editors.moc"
