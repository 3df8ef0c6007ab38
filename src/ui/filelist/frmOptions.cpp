#include "frmOptions.h"

#include "ui/OpenOnce.h"
#include "frmFileList.h"

#include "ui/widgets/ListView.h"

#include "app/GlobalState.h"
#include "app/Guard.h"
#include "app/Settings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace modSkiff;

namespace {

const QString kIcons = QStringLiteral("Icons");
const QString kSettings = QStringLiteral("Settings");

QCheckBox* makeBox(QWidget* parent, const char* name, const QString& caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QRadioButton* makeOption(QWidget* parent, const char* name, const QString& caption)
{
    auto* option = new QRadioButton(caption, parent);
    option->setObjectName(QLatin1String(name));
    return option;
}

bool storedAsYes(const frmOptions::Option& option)
{
    return SettingIsYes(option.section, option.key, option.defaultValue);
}

// Writes the boxes whose state differs from what their setting reads as, so
// that a value the member did not change is left exactly as it was stored.
// Whether any was written.
bool SaveChangedOptions(const QVector<frmOptions::Option>& options)
{
    bool written = false;
    for (const frmOptions::Option& option : options) {
        if (option.box->isChecked() == storedAsYes(option))
            continue;
        SaveSetting(option.section, option.key,
                    option.box->isChecked() ? QStringLiteral("Yes") : QStringLiteral("No"));
        written = true;
    }
    return written;
}

} // namespace

frmOptions::frmOptions(frmFileList& fileList, QWidget* owner)
    : QDialog(owner), m_fileList(&fileList)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    // Without an owner nothing else ends the dialog with the window it sets.
    if (!owner)
        connect(&fileList, &QObject::destroyed, this, &QObject::deleteLater);

    fraIcons = new QGroupBox(QStringLiteral("Icons"), this);
    fraIcons->setObjectName(QStringLiteral("fraIcons"));
    chkShowOutOfDateAsRed = makeBox(fraIcons, "chkShowOutOfDateAsRed",
                                    QStringLiteral("Show out-of-date files as a &Red Circle"));
    chkShowUpToDateAsBlue = makeBox(fraIcons, "chkShowUpToDateAsBlue",
                                    QStringLiteral("Show up-to-date files as a &Blue Circle"));
    chkShowCheckedOutAsGreen = makeBox(fraIcons, "chkShowCheckedOutAsGreen",
                                       QStringLiteral("Show checked out files as a &Green Circle"));
    chkShowUnavailableAsYellow =
        makeBox(fraIcons, "chkShowUnavailableAsYellow",
                QStringLiteral("Show unavailable files as an &Yellow Circle"));
    auto* icons = new QVBoxLayout(fraIcons);
    for (QCheckBox* box : {chkShowOutOfDateAsRed, chkShowUpToDateAsBlue, chkShowCheckedOutAsGreen,
                           chkShowUnavailableAsYellow})
        icons->addWidget(box);

    chkShowOutdatedFilesOnStartup = makeBox(this, "chkShowOutdatedFilesOnStartup",
                                            QStringLiteral("Show Out-of-date Files On Startup"));
    chkShowCheckedOutFilesOnExit = makeBox(this, "chkShowCheckedOutFilesOnExit",
                                           QStringLiteral("Show Checked Out Files On Exit"));
    chkShowPreviewPane = makeBox(this, "chkShowPreviewPane", QStringLiteral("Show Preview Pane"));
    chkNoReadOnly =
        makeBox(this, "chkNoReadOnly", QStringLiteral("Never Mark Local Files as Read Only"));

    fraListViewCurrentView = new QGroupBox(QStringLiteral("List Style"), this);
    fraListViewCurrentView->setObjectName(QStringLiteral("fraListViewCurrentView"));
    optList = makeOption(fraListViewCurrentView, "optList", QStringLiteral("&List"));
    optSmallIcons =
        makeOption(fraListViewCurrentView, "optSmallIcons", QStringLiteral("Small &Icons"));
    optDetails = makeOption(fraListViewCurrentView, "optDetails", QStringLiteral("&Details"));
    auto* styles = new QHBoxLayout(fraListViewCurrentView);
    for (QRadioButton* option : {optList, optSmallIcons, optDetails})
        styles->addWidget(option);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(fraIcons);
    for (QCheckBox* box : {chkShowOutdatedFilesOnStartup, chkShowCheckedOutFilesOnExit,
                           chkShowPreviewPane, chkNoReadOnly})
        layout->addWidget(box);
    layout->addWidget(fraListViewCurrentView);
    layout->addSpacing(4);
    layout->addLayout(buttons);

    m_iconOptions = {
        {kIcons, QStringLiteral("/ShowOutOfDateAsRed"), QStringLiteral("Yes"),
         chkShowOutOfDateAsRed},
        {kIcons, QStringLiteral("/ShowUpToDateAsBlue"), QStringLiteral("No"),
         chkShowUpToDateAsBlue},
        {kIcons, QStringLiteral("/ShowCheckedOutAsGreen"), QStringLiteral("No"),
         chkShowCheckedOutAsGreen},
        {kIcons, QStringLiteral("/ShowUnavailableAsYellow"), QStringLiteral("No"),
         chkShowUnavailableAsYellow},
    };
    m_settingsOptions = {
        {kSettings, QStringLiteral("ShowOutdatedFilesOnStartup"), QStringLiteral("Yes"),
         chkShowOutdatedFilesOnStartup},
        {kSettings, QStringLiteral("ShowCheckedOutFilesOnExit"), QStringLiteral("Yes"),
         chkShowCheckedOutFilesOnExit},
        {kSettings, QStringLiteral("ShowPreviewPane"), QStringLiteral("Yes"), chkShowPreviewPane},
        {kSettings, QStringLiteral("NoReadOnly"), QStringLiteral("No"), chkNoReadOnly},
    };

    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        m_cancelled = true;
        close();
    });

    Form_Load(fileList);
}

frmOptions* frmOptions::ShowFor(frmFileList& fileList, bool owned)
{
    return OpenOnce<frmOptions>(fileList.OptionsWindow, [&fileList, owned] {
        return new frmOptions(fileList, owned ? &fileList : nullptr);
    });
}

void frmOptions::Form_Load(frmFileList& fileList)
{
    fileList.SaveIcons();
    switch (fileList.lvwFileList->view()) {
    case ListView::lvwReport:
        optDetails->setChecked(true);
        break;
    case ListView::lvwSmallIcon:
        optSmallIcons->setChecked(true);
        break;
    default:
        optList->setChecked(true);
        break;
    }
    for (const QVector<Option>* options : {&m_iconOptions, &m_settingsOptions})
        for (const Option& option : *options)
            option.box->setChecked(storedAsYes(option));
}

void frmOptions::reject()
{
    cmdCancel->click();
}

void frmOptions::closeEvent(QCloseEvent* event)
{
    if (!m_cancelled && m_fileList) {
        // Rebuilding the list takes a while; the dialog is gone meanwhile.
        hide();
        RunGuarded([this] { Apply(*m_fileList); });
    }
    event->accept();
}

void frmOptions::Apply(frmFileList& fileList)
{
    const int mode = optSmallIcons->isChecked() ? ListView::lvwSmallIcon
                     : optList->isChecked()     ? ListView::lvwList
                                                : ListView::lvwReport;
    fileList.lvwFileList->setView(mode);
    SaveSetting(kIcons, QStringLiteral("/CurrentView"), QString::number(mode));
    fileList.LoadIcons();
    if (SaveChangedOptions(m_iconOptions))
        fileList.UpdateFileList();
    SaveChangedOptions(m_settingsOptions);
    NoReadOnly = SettingIsYes(kSettings, QStringLiteral("NoReadOnly"), QStringLiteral("No"));
}
