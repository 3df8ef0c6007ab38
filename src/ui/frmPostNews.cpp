#include "frmPostNews.h"

#include "PagePreview.h"
#include "WindowPlacement.h"
#include "CloseAfterOperation.h"
#include "widgets/TransferProgress.h"

#include "app/Guard.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/Settings.h"
#include "news/NameGif.h"
#include "news/NewsInserts.h"
#include "news/NewsList.h"
#include "news/NewsPosting.h"
#include "transport/Inet.h"
#include "site/WebFiles.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <QVBoxLayout>


using namespace modSkiff;

namespace {

const QString kPostNews = QStringLiteral("PostNews");
const QString kTimeZone = QStringLiteral("TimeZone");
const QString kHyperlinkTitle = QStringLiteral("Insert Hyperlink");
const QSize kNameGifSize(96, 26);

// A panel of buttons, which line up in the panel's direction in the order
// they are made, packed towards where the direction starts.
QWidget* makePanel(QWidget* parent, const char* name, QBoxLayout::Direction direction)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(QLatin1String(name));
    auto* layout = new QBoxLayout(direction, panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch();
    return panel;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setMinimumWidth(96);
    // In a panel the button takes its place before the closing stretch.
    if (auto* panel = qobject_cast<QBoxLayout*>(parent->layout()))
        panel->insertWidget(panel->count() - 1, button);
    return button;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(buddy);
    return label;
}

} // namespace

frmPostNews::frmPostNews(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmPostNews"));
    setWindowTitle(QStringLiteral("Post QX News"));
    setAttribute(Qt::WA_DeleteOnClose);

    cboWhichPage = new QComboBox(this);
    cboWhichPage->setObjectName(QStringLiteral("cboWhichPage"));
    lblNewsPage = makeLabel(this, "lblNewsPage", QStringLiteral("Post To:"), cboWhichPage);

    txtNews = new QPlainTextEdit(this);
    txtNews->setObjectName(QStringLiteral("txtNews"));
    txtNews->setTabChangesFocus(true);
    lblNews = makeLabel(this, "lblNews", QStringLiteral("News:"), txtNews);

    picNewsButtons = makePanel(this, "picNewsButtons", QBoxLayout::TopToBottom);
    cmdNewMember = makeButton(picNewsButtons, "cmdNewMember", QStringLiteral("New Member"));
    cmdInsertHyperlink =
        makeButton(picNewsButtons, "cmdInsertHyperlink", QStringLiteral("Hyperlink"));
    cmdInsertImage = makeButton(picNewsButtons, "cmdInsertImage", QStringLiteral("Image"));

    txtTimeZone = new QLineEdit(this);
    txtTimeZone->setObjectName(QStringLiteral("txtTimeZone"));
    txtTimeZone->setMaximumWidth(80);
    lblTimeZone = makeLabel(this, "lblTimeZone", QStringLiteral("Time Zone:"), txtTimeZone);

    // The name is set from the member's nickname; typing another would
    // replace another member's picture.
    txtNameGIF = new QLineEdit(this);
    txtNameGIF->setObjectName(QStringLiteral("txtNameGIF"));
    txtNameGIF->setReadOnly(true);
    lblNameGIF = makeLabel(this, "lblNameGIF", QStringLiteral("Name GIF:"), txtNameGIF);
    cmdChangeGIF = makeButton(this, "cmdChangeGIF", QStringLiteral("Change GIF..."));

    picNameGIF = new QLabel(this);
    picNameGIF->setObjectName(QStringLiteral("picNameGIF"));
    picNameGIF->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picNameGIF->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picNameGIF->setFixedSize(kNameGifSize + QSize(2 * picNameGIF->frameWidth(),
                                                  2 * picNameGIF->frameWidth()));
    lblPreview = makeLabel(this, "lblPreview", QStringLiteral("Preview:"), nullptr);
    lblNoAnimatedGifs = new QLabel(
        QStringLiteral("Animated GIFs may not show correctly in the preview window."), this);
    lblNoAnimatedGifs->setObjectName(QStringLiteral("lblNoAnimatedGifs"));
    lblNoAnimatedGifs->setWordWrap(true);

    picButtons = makePanel(this, "picButtons", QBoxLayout::RightToLeft);
    cmdCancel = makeButton(picButtons, "cmdCancel", QStringLiteral("Cancel"));
    cmdPost = makeButton(picButtons, "cmdPost", QStringLiteral("Post"));
    cmdPreview = makeButton(picButtons, "cmdPreview", QStringLiteral("Preview"));
    setTabOrder(cmdPreview, cmdPost);
    setTabOrder(cmdPost, cmdCancel);

    inet = new Inet(this);
    inet->setObjectName(QStringLiteral("inet"));
    picTransfer = new TransferProgress(this);
    picTransfer->Watch(*inet);

    // The text box and the button panels follow the window's edges.
    auto* page = new QHBoxLayout;
    page->addWidget(lblNewsPage);
    page->addWidget(cboWhichPage, 1);
    auto* news = new QHBoxLayout;
    news->addWidget(txtNews, 1);
    news->addWidget(picNewsButtons);
    auto* details = new QGridLayout;
    details->addWidget(lblTimeZone, 0, 0);
    details->addWidget(txtTimeZone, 0, 1, Qt::AlignLeft);
    details->addWidget(lblNameGIF, 1, 0);
    details->addWidget(txtNameGIF, 1, 1);
    details->addWidget(cmdChangeGIF, 1, 2);
    details->addWidget(lblPreview, 2, 0, Qt::AlignTop);
    auto* preview = new QHBoxLayout;
    preview->addWidget(picNameGIF, 0, Qt::AlignTop);
    preview->addWidget(lblNoAnimatedGifs, 1);
    details->addLayout(preview, 2, 1, 1, 2);
    details->setColumnStretch(1, 1);
    auto* window = new QVBoxLayout(this);
    window->addLayout(page);
    window->addWidget(lblNews);
    window->addLayout(news, 1);
    window->addLayout(details);
    window->addSpacing(4);
    window->addWidget(picButtons);
    window->addWidget(picTransfer);

    connect(cboWhichPage, qOverload<int>(&QComboBox::currentIndexChanged), this,
            Guarded([this] { cboWhichPage_Click(); }));
    OnClick(cmdPost, &frmPostNews::cmdPost_Click);
    OnClick(cmdPreview, &frmPostNews::cmdPreview_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QWidget::close);
    OnInsert(cmdNewMember, &frmPostNews::cmdNewMember_Click);
    OnInsert(cmdInsertImage, &frmPostNews::cmdInsertImage_Click);
    OnInsert(cmdInsertHyperlink, &frmPostNews::cmdInsertHyperlink_Click);
    OnClick(cmdChangeGIF, &frmPostNews::cmdChangeGIF_Click);

    resize(560, 460);
    CenterOnScreen(this);
    // Read before anything else, as closing the window writes it back.
    txtTimeZone->setText(GetSetting(kPostNews, kTimeZone, QStringLiteral("EST")));
    // The member sees the window at once; it fills itself from the site.
    setEnabled(false);
    QTimer::singleShot(0, this, Guarded([this] { Form_Load(); }));
}

void frmPostNews::OnClick(QPushButton* button, void (frmPostNews::*handler)())
{
    connect(button, &QPushButton::clicked, this, Guarded([this, handler] { (this->*handler)(); }));
}

void frmPostNews::OnInsert(QPushButton* button, void (frmPostNews::*handler)())
{
    // The member goes on typing where the inserted text ends, whether or not
    // anything was inserted; a focused button would also open its question
    // again on the next Space.
    connect(button, &QPushButton::clicked, this, [this, handler] {
        RunGuarded([this, handler] { (this->*handler)(); });
        txtNews->setFocus(Qt::OtherFocusReason);
    });
}

void frmPostNews::Form_Load()
{
    CloseAfterOperation holdClose(*this);
    const auto ready = qScopeGuard([this] {
        m_loaded = true;
        setEnabled(true);
        txtNews->setFocus();
    });
    LoadNameGIF();
    QString list;
    if (!DownloadWebFile(*inet, NewsList::kFile, list))
        return;
    for (const NewsPage& page : NewsList::PagesFor(list, CurrentUser)) {
        cboWhichPage->addItem(page.name);
        const int at = cboWhichPage->count() - 1;
        cboWhichPage->setItemData(at, page.pagePath, PagePathRole);
        cboWhichPage->setItemData(at, page.templatePath, TemplatePathRole);
    }
    if (cboWhichPage->count() > 0) {
        cboWhichPage->setCurrentIndex(0);
        cboWhichPage_Click();
    }
}

void frmPostNews::LoadNameGIF()
{
    txtNameGIF->setText(NameGif::SitePath(CurrentUser));
    // A member without a picture simply sees none.
    QImage picture;
    const QString file = NameGif::Fetch(*inet, txtNameGIF->text());
    if (!file.isEmpty())
        QImageReader(file).read(&picture);
    if (picture.isNull())
        picNameGIF->clear();
    else
        picNameGIF->setPixmap(QPixmap::fromImage(
            picture.scaled(kNameGifSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

void frmPostNews::cboWhichPage_Click()
{
    const int at = cboWhichPage->currentIndex();
    m_pagePath = cboWhichPage->itemData(at, PagePathRole).toString();
    m_templatePath = cboWhichPage->itemData(at, TemplatePathRole).toString();
}

bool frmPostNews::BuildNewsPage(bool send)
{
    CloseAfterOperation holdClose(*this);
    // The waits for the site let the member click on; a second post or
    // preview meanwhile would build the page twice.
    cmdPost->setEnabled(false);
    cmdPreview->setEnabled(false);
    const auto enable = qScopeGuard([this] {
        cmdPost->setEnabled(true);
        cmdPreview->setEnabled(true);
    });
    return NewsPosting::BuildNewsPage(
        *inet, {m_pagePath, m_templatePath, txtNews->toPlainText(), txtTimeZone->text()}, send);
}

void frmPostNews::cmdPost_Click()
{
    if (BuildNewsPage(true))
        close();
}

void frmPostNews::cmdPreview_Click()
{
    if (!BuildNewsPage(false))
        return;
    const QString page = NewsPosting::MirrorPage(m_pagePath);
    if (PagePreview::Open(page) != PagePreview::OwnViewWanted)
        return;
    if (!m_ownPreview)
        m_ownPreview = new PagePreviewWindow(this);
    m_ownPreview->ShowPage(page);
}

void frmPostNews::cmdNewMember_Click()
{
    const QString member = InputBox(QStringLiteral("Please enter the name of the new member"),
                                    QStringLiteral("New Member"), QStringLiteral("Orrin"));
    if (!member.isEmpty())
        InsertAtCaret(NewsInserts::WelcomeLine(member));
}

void frmPostNews::cmdInsertImage_Click()
{
    const QString location =
        InputBox(QStringLiteral("Please enter the image location."),
                 QStringLiteral("Insert Image"), NewsInserts::ProposedImage(CurrentUser));
    if (!location.isEmpty())
        InsertAtCaret(NewsInserts::ImageTag(location));
}

void frmPostNews::cmdInsertHyperlink_Click()
{
    const QString address = InputBox(QStringLiteral("Please Enter Hyperlink Reference"),
                                     kHyperlinkTitle, NewsInserts::ProposedAddress());
    if (address.isEmpty())
        return;
    QString attribute;
    switch (MsgBox(QStringLiteral("Would you like this hyperlink to open in a new window?"),
                   vbYesNoCancel, kHyperlinkTitle)) {
    case vbYes: attribute = NewsInserts::NewWindowAttribute(); break;
    case vbNo: break;
    default: return;
    }
    const QString linkText =
        InputBox(QStringLiteral("How would you like this hyperlink to appear on the page?"),
                 kHyperlinkTitle, NewsInserts::ProposedLinkText(SelectedNews()));
    if (!linkText.isEmpty())
        ReplaceSelection(NewsInserts::Hyperlink(address, attribute, linkText));
}

void frmPostNews::cmdChangeGIF_Click()
{
    CloseAfterOperation holdClose(*this);
    setEnabled(false);
    RunGuarded([this] { NameGif::Replace(*inet, txtNameGIF->text()); }, vbOKOnly);
    LoadNameGIF();
    setEnabled(true);
}

QString frmPostNews::SelectedNews() const
{
    return txtNews->textCursor().selectedText().replace(QChar::ParagraphSeparator,
                                                        QLatin1String("\r\n"));
}

void frmPostNews::InsertAtCaret(const QString& text)
{
    QTextCursor cursor = txtNews->textCursor();
    cursor.setPosition(cursor.selectionStart());
    txtNews->setTextCursor(cursor);
    ReplaceSelection(text);
}

void frmPostNews::ReplaceSelection(const QString& text)
{
    QTextCursor cursor = txtNews->textCursor();
    cursor.insertText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    txtNews->setTextCursor(cursor);
}

void frmPostNews::closeEvent(QCloseEvent* event)
{
    SaveSetting(kPostNews, kTimeZone, txtTimeZone->text());
    QWidget::closeEvent(event);
}
