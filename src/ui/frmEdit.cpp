#include "frmEdit.h"

#include "ModalWindow.h"
#include "PagePreview.h"
#include "WindowPlacement.h"
#include "widgets/BrowserView.h"
#include "widgets/CaptionButton.h"
#include "widgets/TextBox.h"
#include "widgets/TransferProgress.h"

#include "app/Errors.h"
#include "app/Guard.h"
#include "app/Services.h"
#include "transport/Inet.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPointer>
#include <QVBoxLayout>

#include <optional>

namespace {

const QString kPreview = QStringLiteral("Preview");
const QString kBackToEdit = QStringLiteral("Back to Edit Mode");

CaptionButton* NewButton(QWidget* bar, const char* name, const QString& caption,
                         const char* picture)
{
    auto* button = new CaptionButton(
        caption, QIcon(QStringLiteral(":/images/") + QLatin1String(picture) + ".svg"), bar);
    button->setObjectName(QLatin1String(name));
    return button;
}

// The calling window is disabled while the editor is open and comes back
// to the front afterwards, on every way out.
class CallerDisabled
{
public:
    explicit CallerDisabled(QWidget* caller) : m_caller(caller)
    {
        if (m_caller)
            m_caller->setEnabled(false);
    }
    ~CallerDisabled()
    {
        if (!m_caller)
            return;
        m_caller->setEnabled(true);
        m_caller->raise();
        m_caller->activateWindow();
    }
    CallerDisabled(const CallerDisabled&) = delete;
    CallerDisabled& operator=(const CallerDisabled&) = delete;

private:
    QPointer<QWidget> m_caller;
};

} // namespace

void frmEdit::EditFile(const QString& sitePath, QWidget* caller,
                       TransferProgress* downloadProgress)
{
    std::optional<BusyPointer> busy(std::in_place);
    const CallerDisabled disabled(caller);
    frmEdit editor(sitePath, caller);
    QString text;
    if (downloadProgress)
        downloadProgress->Watch(*editor.inet);
    const bool downloaded = editor.m_session.Download(text);
    if (downloadProgress)
        downloadProgress->Unwatch(*editor.inet);
    if (!downloaded)
        return;
    editor.txtEdit->setText(text);
    editor.setWindowTitle(sitePath);
    busy.reset();
    SetNormalPointer();
    ShowModally(&editor);
}

frmEdit::frmEdit(const QString& sitePath, QWidget* parent)
    : QWidget(parent, Qt::Window), inet(new Inet(this)), m_session(*inet, sitePath)
{
    setObjectName(QStringLiteral("frmEdit"));
    setWindowTitle(QStringLiteral("Skiff Text Editor"));
    inet->setObjectName(QStringLiteral("inet"));

    picButtonBar = new QWidget(this);
    picButtonBar->setObjectName(QStringLiteral("picButtonBar"));
    cmdSendToServer = NewButton(picButtonBar, "cmdSendToServer",
                                QStringLiteral("Send to Server"), "file-upload");
    cmdPreviewInRegisteredApplication =
        NewButton(picButtonBar, "cmdPreviewInRegisteredApplication",
                  QStringLiteral("Preview in Browser (or registered app.)"), "folder-open");
    cmdDiscard = NewButton(picButtonBar, "cmdDiscard", QStringLiteral("Discard Changes"), "delete");
    cmdPreview = NewButton(picButtonBar, "cmdPreview", kPreview, "preview");
    auto* bar = new QHBoxLayout(picButtonBar);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(2);
    for (CaptionButton* button :
         {cmdSendToServer, cmdPreviewInRegisteredApplication, cmdDiscard, cmdPreview})
        bar->addWidget(button);
    bar->addStretch();

    txtEdit = new TextBox(this);
    txtEdit->setObjectName(QStringLiteral("txtEdit"));
    webPreview = new BrowserView(this);
    webPreview->setObjectName(QStringLiteral("webPreview"));
    webPreview->hide();
    picTransfer = new TransferProgress(this);
    picTransfer->Watch(*inet);

    // The text box and the browser take the whole width and reach down to
    // the bottom; only one of them is shown.
    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(0, 0, 0, 0);
    window->setSpacing(0);
    window->addWidget(picButtonBar);
    window->addWidget(txtEdit, 1);
    window->addWidget(webPreview, 1);
    window->addWidget(picTransfer);

    connect(cmdSendToServer, &QToolButton::clicked, this,
            Guarded([this] { cmdSendToServer_Click(); }));
    connect(cmdDiscard, &QToolButton::clicked, this, Guarded([this] { cmdDiscard_Click(); }));
    connect(cmdPreview, &QToolButton::clicked, this,
            Guarded([this] { cmdPreview_Click(); }, kErrorsIgnored));
    connect(cmdPreviewInRegisteredApplication, &QToolButton::clicked, this,
            &frmEdit::cmdPreviewInRegisteredApplication_Click);

    resize(760, 560);
    CenterOnScreen(this);
}

frmEdit::~frmEdit() = default;

void frmEdit::cmdSendToServer_Click()
{
    m_session.SendChanges = true;
    m_session.DiscardChanges = false;
    close();
}

void frmEdit::cmdDiscard_Click()
{
    m_session.SendChanges = false;
    m_session.DiscardChanges = true;
    close();
}

void frmEdit::cmdPreview_Click()
{
    // Nothing here is worth a message: at worst the preview is not current.
    if (webPreview->isHidden()) {
        cmdPreview->setText(kBackToEdit);
        webPreview->show();
        txtEdit->hide();
        try {
            m_session.WriteMirrorCopy(txtEdit->text());
        } catch (const SkiffError&) {
        }
        webPreview->Navigate(QStringLiteral("file://") + m_session.MirrorCopy());
    } else {
        cmdPreview->setText(kPreview);
        webPreview->hide();
        txtEdit->show();
    }
}

void frmEdit::cmdPreviewInRegisteredApplication_Click()
{
    RunGuarded(
        [this] {
            m_session.WriteMirrorCopy(txtEdit->text());
            // Where the desktop has no browser, the editor's own preview.
            if (PagePreview::Open(m_session.MirrorCopy()) == PagePreview::OwnViewWanted &&
                webPreview->isHidden())
                cmdPreview_Click();
        },
        vbOKOnly);
}

void frmEdit::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->ignore();
        return;
    }
    // The upload waits with the windows alive: the text that goes up is the
    // one in the box, so the box and the buttons rest meanwhile.
    m_closing = true;
    txtEdit->setReadOnly(true);
    picButtonBar->setEnabled(false);
    const bool mayClose = m_session.QueryClose(txtEdit->text());
    picButtonBar->setEnabled(true);
    txtEdit->setReadOnly(false);
    m_closing = false;
    if (mayClose)
        event->accept();
    else
        event->ignore();
}
