#include "frmMainMenu.h"

#include "filelist/frmFileList.h"
#include "OpenOnce.h"
#include "filelist/frmOutdatedFiles.h"
#include "frmPostNews.h"

#include "WindowPlacement.h"
#include "frmUsers.h"

#include "app/MemberLevel.h"
#include "app/GlobalState.h"
#include "app/Guard.h"
#include "app/Services.h"
#include "app/Settings.h"
#include "app/modSkiff.h"
#include "app/shrmodStrings.h"
#include "transport/Inet.h"
#include "transport/Wait.h"
#include "site/WebFiles.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setMinimumSize(120, 44);
    return button;
}

} // namespace

frmMainMenu::frmMainMenu(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmMainMenu"));
    setWindowTitle(QStringLiteral("Skiff Main Menu"));
    setAttribute(Qt::WA_DeleteOnClose);

    picPanel = new QFrame(this);
    picPanel->setObjectName(QStringLiteral("picPanel"));
    cmdPostNews = makeButton(picPanel, "cmdPostNews", QStringLiteral("Post News"));
    cmdWebPage = makeButton(picPanel, "cmdWebPage", QStringLiteral("QX Webpage"));
    cmdAdventure = makeButton(picPanel, "cmdAdventure", QStringLiteral("QX Adventure"));
    cmdUsers = makeButton(picPanel, "cmdUsers", QStringLiteral("Edit Users"));
    Label2 = new QLabel(
        QStringLiteral("\"Still water keeps the oldest stories; row gently and listen.\""), picPanel);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(QFont(QStringLiteral("Tahoma"), 10, -1, true));
    Label2->setAlignment(Qt::AlignCenter);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    for (QPushButton* button : {cmdPostNews, cmdWebPage, cmdAdventure, cmdUsers})
        buttons->addWidget(button);
    auto* panelLayout = new QVBoxLayout(picPanel);
    panelLayout->setContentsMargins(10, 10, 10, 6);
    panelLayout->addLayout(buttons);
    panelLayout->addWidget(Label2);
    picPanel->resize(picPanel->sizeHint());

    txtMessage = new QPlainTextEdit(this);
    txtMessage->setObjectName(QStringLiteral("txtMessage"));
    txtMessage->setReadOnly(true);
    txtMessage->move(0, picPanel->height() + 6);

    inet = new Inet(this);
    inet->setObjectName(QStringLiteral("inet"));

    connect(cmdAdventure, &QPushButton::clicked, this, Guarded([this] { cmdAdventure_Click(); }));
    connect(cmdPostNews, &QPushButton::clicked, this, Guarded([this] { cmdPostNews_Click(); }));
    connect(cmdWebPage, &QPushButton::clicked, this, Guarded([this] { cmdWebPage_Click(); }));
    connect(cmdUsers, &QPushButton::clicked, this, Guarded([] { frmUsers::ShowUsers(); }));

    resize(picPanel->width() + 40, picPanel->height() + 260);
    CenterOnScreen(this);
    Form_Load();
}

void frmMainMenu::Form_Load()
{
    using namespace modSkiff;
    QString contents;
    if (DownloadWebFile(*inet, QStringLiteral("qxg/_message.dat"), contents)) {
        QString siteVersion, message;
        shrmodStrings::SplitAt(contents, QStringLiteral("\r\n"), siteVersion, message);
        txtMessage->setPlainText(message);
        if (!IsCurrentVersion(siteVersion)) {
            MsgBox(QStringLiteral("Skiff has been updated to version ") + siteVersion +
                       QStringLiteral("\r\nYou are currently using version ") + AppVersion() +
                       QStringLiteral("\r\n\r\nPlease get version ") + siteVersion +
                       QStringLiteral(" from Orrin."),
                   vbCritical);
            EndProgram();
            return;
        }
    }
    cmdPostNews->setEnabled(MemberLevel::MayChangeFiles());
    cmdUsers->setEnabled(MemberLevel::IsAdministrator());
}

void frmMainMenu::cmdAdventure_Click()
{
    if (!m_fileList)
        m_fileList = new frmFileList;
    m_fileList->show();
    m_fileList->raise();
    Wait::DoEvents();
    if (!m_fileList)
        return;
    m_fileList->UpdateFileList();
    if (m_fileList && m_fileList->LastCountOfOutdatedFiles > 0 &&
        modSkiff::SettingIsYes(QStringLiteral("Settings"),
                               QStringLiteral("ShowOutdatedFilesOnStartup"), QStringLiteral("Yes")))
        frmOutdatedFiles::ShowFor(*m_fileList);
}

void frmMainMenu::cmdPostNews_Click()
{
    OpenOnce<frmPostNews>(m_postNews, [] { return new frmPostNews; });
}

// One explorer at a time: a second click brings the open one to the front.
void frmMainMenu::cmdWebPage_Click()
{
    if (m_explorer) {
        m_explorer->showNormal();
        m_explorer->raise();
        m_explorer->activateWindow();
        return;
    }
    m_explorer = new frmExplorer;
    m_explorer->Do_ShowWebPage();
}

void frmMainMenu::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    txtMessage->resize(width(), qMax(0, height() - txtMessage->y()));
    picPanel->move((width() - picPanel->width()) / 2, picPanel->y());
}
