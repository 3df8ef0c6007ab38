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
#include <QTreeWidget>
#include <QtTest>

#include <functional>
#include <memory>

using namespace modSkiff;

namespace {

const QString kSendChanges = QStringLiteral("Send changes to server?");
const QString kSaveChanges = QStringLiteral("Save Changes?");

// Runs the action on the modal window of class W as soon as it shows, while
// open() waits in its loop; false when no such window showed. A failed check
// in the action leaves no window open behind it.
template <typename W>
bool Drive(const std::function<void()>& open, const std::function<void(W*)>& action,
           const std::function<void(W*)>& leave)
{
    bool shown = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<W*>(widget);
            if (!window || !window->isVisible())
                continue;
            poll.stop();
            shown = true;
            action(window);
            if (QTest::currentTestFailed() && window->isVisible())
                leave(window);
            return;
        }
    });
    poll.start();
    open();
    return shown;
}

bool Edit(const QString& sitePath, const std::function<void(frmEdit*)>& action)
{
    return Drive<frmEdit>([&] { frmEdit::EditFile(sitePath); }, action,
                          [](frmEdit* editor) { editor->cmdDiscard->click(); });
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

    void theTextBoxHandsBackWhatItWasGiven_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("back");
        QTest::newRow("CR LF") << "a\r\nb\r\n" << "a\r\nb\r\n";
        QTest::newRow("lone CR") << "a\rb\r\r\n" << "a\rb\r\r\n";
        QTest::newRow("bare LF") << "a\nb" << "a\r\nb";
        QTest::newRow("no-break space") << "a\u00a0b" << "a\u00a0b";
        QTest::newRow("line separator") << "a\u2028b" << "a\u2028b";
        QTest::newRow("empty") << "" << "";
    }
    void theTextBoxHandsBackWhatItWasGiven()
    {
        QFETCH(QString, text);
        QFETCH(QString, back);
        TextBox box;
        box.setText(text);
        QCOMPARE(box.text(), back);
        // A new line typed is CR LF, whatever the modifier.
        box.moveCursor(QTextCursor::End);
        QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(&box, QStringLiteral("z"));
        QCOMPARE(box.text(), back + QStringLiteral("\r\nz"));
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
        QString text;
        QString caption;
        const bool opened = Edit(QStringLiteral("news/t.html"), [&](frmEdit* editor) {
            text = editor->txtEdit->text();
            caption = editor->windowTitle();
            editor->cmdDiscard->click();
        });
        QCOMPARE(opened, !shown.isEmpty());
        if (!opened) {
            QCOMPARE(m_services->prompts(),
                     QStringList{"This file is too large to edit with the Skiff internal editor."});
            return;
        }
        QCOMPARE(text, shown);
        QCOMPARE(caption, QStringLiteral("news/t.html"));
        QVERIFY(m_services->shown.isEmpty()); // discarding asks nothing
    }

    void closingWithTheCloseBox()
    {
        const QByteArray before = m_site->readSiteFile(QStringLiteral("about.html"));
        QVERIFY(Edit(QStringLiteral("about.html"), [&](frmEdit* editor) {
            editor->txtEdit->setText(QStringLiteral("changed"));
            m_services->answer(vbCancel);
            editor->close();
            QVERIFY(editor->isVisible());
            QCOMPARE(editor->txtEdit->text(), QStringLiteral("changed"));
            m_services->answer(vbNo);
            editor->close();
            QVERIFY(!editor->isVisible());
        }));
        QCOMPARE(m_services->prompts(), (QStringList{kSendChanges, kSendChanges}));
        QCOMPARE(m_services->last().style, int(vbYesNoCancel));
        QVERIFY(!QFile::exists(mirror(QStringLiteral("about.html"))));
        QVERIFY(m_site->ftpCommands(QStringLiteral("STOR")).isEmpty());
        QCOMPARE(m_site->readSiteFile(QStringLiteral("about.html")), before);
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
            QVERIFY(m_site->start());
            editor->cmdSendToServer->click();
            QVERIFY2(!editor->isVisible(), qPrintable(m_services->prompts().join('\n')));
        }));
        QCOMPARE(m_services->shown.size(), 1);
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
        QString opened;
        QVERIFY(Drive<frmEdit>([&] { window->mnuActionOpenEdit->trigger(); },
                               [&](frmEdit* editor) {
                                   opened = editor->txtEdit->text();
                                   editor->cmdDiscard->click();
                               },
                               [](frmEdit* editor) { editor->cmdDiscard->click(); }));
        const QString page = QString::fromUtf8(m_site->readSiteFile(QStringLiteral("index.html")));
        QCOMPARE(opened, QString(page).replace(QStringLiteral("\n"), QStringLiteral("\r\n")));

        const QString changed = opened + QStringLiteral("<p>Regatta on Saturday</p>");
        QVERIFY(Drive<frmEdit>([&] { window->cmdOpenEdit->click(); },
                               [&](frmEdit* editor) {
                                   QCOMPARE(editor->windowTitle(), QStringLiteral("index.html"));
                                   editor->txtEdit->setText(changed);
                                   editor->cmdSendToServer->click();
                               },
                               [](frmEdit* editor) { editor->cmdDiscard->click(); }));
        QVERIFY(window->isEnabled());
        QCOMPARE(window->lvwExplorer->selectedItem()->smallIcon(), QStringLiteral("file"));
        Inet http;
        http.Protocol = icHTTP;
        QCOMPARE(http.OpenURLBytes(SiteConfig::HttpBase() + QStringLiteral("index.html")),
                 changed.toUtf8());
        QVERIFY(m_services->shown.isEmpty());
    }

    void previewWritesTheMirrorCopyEvenWhenDiscarded()
    {
        const QByteArray before = m_site->readSiteFile(QStringLiteral("about.html"));
        const QString draft = QStringLiteral("<h1>Draft</h1>");
        QVERIFY(Edit(QStringLiteral("about.html"), [&](frmEdit* editor) {
            editor->txtEdit->setText(draft);
            editor->cmdPreview->click();
            QCOMPARE(editor->cmdPreview->text(), QStringLiteral("Back to Edit Mode"));
            QVERIFY(editor->webPreview->isVisible() && editor->txtEdit->isHidden());
            QCOMPARE(editor->webPreview->LocationURL(),
                     QStringLiteral("file://") + mirror(QStringLiteral("about.html")));
            QCOMPARE(editor->webPreview->geometry().bottom(), editor->height() - 1);
            QCOMPARE(editor->webPreview->width(), editor->width());
            QCOMPARE(ReadFileBytes(mirror(QStringLiteral("about.html"))), draft.toUtf8());
            editor->cmdPreview->click();
            QCOMPARE(editor->cmdPreview->text(), QStringLiteral("Preview"));
            QVERIFY(editor->webPreview->isHidden() && editor->txtEdit->isVisible());

            editor->txtEdit->setText(draft + QStringLiteral("!"));
            editor->cmdPreviewInRegisteredApplication->click();
            editor->cmdDiscard->click();
            QVERIFY(!editor->isVisible());
        }));
        QCOMPARE(m_services->shell.size(), 1);
        QCOMPARE(m_services->shell.first().kind, ShellRequest::OpenFile);
        QCOMPARE(m_services->shell.first().path, LocalFolder + QStringLiteral("WebPage/about.html"));
        QCOMPARE(ReadFileBytes(mirror(QStringLiteral("about.html"))), (draft + "!").toUtf8());
        QCOMPARE(m_site->readSiteFile(QStringLiteral("about.html")), before);
        QVERIFY(m_services->shown.isEmpty());
    }

    void externalEditorsFromTheExplorer()
    {
        const QString quoted = '"' + program() + '"';
        WriteFileBytes(ExternalEditorsFile, ("Pager\r\n" + quoted + "\r\n\r\n/x\r\nGone\r\n"
                                             "/no/such/editor\r\nLone").toUtf8());
        frmExplorer* window = explorer();
        auto items = [&] {
            QStringList shown;
            for (QAction* action : window->mnuAction->actions()) {
                if (action->isVisible())
                    shown << (action->isSeparator() ? QStringLiteral("-")
                                                    : action->text() +
                                                          (action->isEnabled() ? "" : " (off)"));
            }
            return shown;
        };
        // "Edit With..." offers only the editors and the configuration.
        window->cmdExternalEditor->click();
        QTRY_VERIFY(window->mnuAction->isVisible());
        QCOMPARE(items(), (QStringList{"Pager", "Gone - FILE NOT FOUND (off)",
                                       "Configure External Editors..."}));
        QCOMPARE(window->mnuAction->pos(),
                 window->cmdExternalEditor->mapToGlobal(
                     QPoint(2, window->cmdExternalEditor->height() + 2)));
        window->mnuAction->close();
        QCOMPARE(window->mnuActionExternalEditor.at(1)->data().toString(), quoted);

        selectFile(QStringLiteral("index.html"));
        const auto chooseFirst = [&] { window->mnuActionExternalEditor.at(1)->trigger(); };
        m_services->answer(vbCancel);
        chooseFirst();
        QVERIFY(m_services->shell.isEmpty());
        QVERIFY(!QFile::exists(mirror(QStringLiteral("index.html"))));
        m_services->answer(vbOK);
        chooseFirst();
        QCOMPARE(m_services->last().prompt,
                 QStringLiteral("WebPage/index.html does not exist on your local hard drive.  "
                                "Press OK to download it from the web page."));
        QCOMPARE(ReadFileBytes(mirror(QStringLiteral("index.html"))),
                 m_site->readSiteFile(QStringLiteral("index.html")));
        QCOMPARE(m_services->shell.size(), 1);
        QCOMPARE(m_services->shell.first().path, program());
        QCOMPARE(m_services->shell.first().arguments,
                 QStringList{LocalFolder + QStringLiteral("WebPage/index.html")});
        QCOMPARE(window->lvwExplorer->selectedItem()->smallIcon(), QStringLiteral("file"));

        // The configuration window: Cancel stays, Yes writes exactly the
        // text; the shorter list hides the surplus item.
        const QString shorter = "Pager\r\n" + quoted;
        auto configure = [&](const std::function<void(frmExternalEditors*)>& action) {
            return Drive<frmExternalEditors>(
                [&] { window->mnuActionConfigure->trigger(); }, action,
                [this](frmExternalEditors* editors) {
                    m_services->answer(vbNo);
                    editors->close();
                });
        };
        QVERIFY(configure([&](frmExternalEditors* editors) {
            QCOMPARE(editors->windowTitle(), QStringLiteral("Configure External Editors"));
            QCOMPARE(editors->txtExternalEditors->text(),
                     QString::fromUtf8(ReadFileBytes(ExternalEditorsFile)));
            editors->txtExternalEditors->setText(shorter);
            m_services->answer(vbCancel);
            editors->close();
            QVERIFY(editors->isVisible());
            m_services->answer(vbYes);
            editors->close();
            QVERIFY(!editors->isVisible());
        }));
        QCOMPARE(m_services->last().prompt, kSaveChanges);
        QCOMPARE(m_services->last().style, int(vbYesNoCancel | vbQuestion));
        QCOMPARE(ReadFileBytes(ExternalEditorsFile), shorter.toUtf8());
        window->cmdExternalEditor->click();
        QTRY_VERIFY(window->mnuAction->isVisible());
        QCOMPARE(items(), (QStringList{"Pager", "Configure External Editors..."}));
        window->mnuAction->close();

        // No leaves the file alone; an empty file gives no editors.
        QVERIFY(configure([&](frmExternalEditors* editors) {
            editors->txtExternalEditors->setText(QString());
            m_services->answer(vbNo);
            editors->close();
        }));
        QCOMPARE(ReadFileBytes(ExternalEditorsFile), shorter.toUtf8());
        QVERIFY(configure([&](frmExternalEditors* editors) {
            editors->txtExternalEditors->setText(QString());
            m_services->answer(vbYes);
            editors->close();
        }));
        QCOMPARE(ReadFileBytes(ExternalEditorsFile), QByteArray());
        QVERIFY(!window->mnuActionExternalEditor.at(1)->isVisible());
        QVERIFY(window->isEnabled());
    }
};

QTEST_MAIN(TestEditors)
#include "tst_editors.moc"
