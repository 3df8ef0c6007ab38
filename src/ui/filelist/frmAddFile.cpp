#include "frmAddFile.h"

#include "FileListColumns.h"
#include "frmFileList.h"

#include "ui/widgets/ListView.h"

#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Guard.h"
#include "app/Services.h"
#include "store/HiddenList.h"
#include "store/SafeName.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace modSkiff;

namespace {

QPushButton* newButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace

frmAddFile::frmAddFile(frmFileList* fileList) : QDialog(fileList), m_fileList(fileList)
{
    setObjectName(QStringLiteral("frmAddFile"));
    setWindowTitle(QStringLiteral("Add File(s)"));

    lvwAddFileList = new ListView(this);
    lvwAddFileList->setObjectName(QStringLiteral("lvwAddFileList"));
    lvwAddFileList->setView(ListView::lvwReport);
    lvwAddFileList->addColumn(FileListColumns::FileName, QStringLiteral("File Name"), 330);

    cmdAdd = newButton(this, "cmdAdd", QStringLiteral("Add"));
    cmdHideFiles = newButton(this, "cmdHideFiles", QStringLiteral("Hide File(s)"));
    cmdDeleteFiles = newButton(this, "cmdDeleteFiles", QStringLiteral("Delete Files"));
    cmdRefresh = newButton(this, "cmdRefresh", QStringLiteral("Refresh"));
    cmdClose = newButton(this, "cmdClose", QStringLiteral("Close"));

    lblHidden = new QLabel(this);
    lblHidden->setObjectName(QStringLiteral("lblHidden"));
    lblHidden->hide();

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {cmdAdd, cmdHideFiles, cmdDeleteFiles, cmdRefresh})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto* top = new QHBoxLayout;
    top->addWidget(lvwAddFileList, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(lblHidden);
    resize(460, 360);

    connect(lvwAddFileList, &ListView::itemClick, lblHidden, &QWidget::hide);
    connect(cmdAdd, &QPushButton::clicked, this, Guarded([this] { cmdAdd_Click(); }));
    connect(cmdHideFiles, &QPushButton::clicked, this, Guarded([this] { cmdHideFiles_Click(); }));
    connect(cmdDeleteFiles, &QPushButton::clicked, this,
            Guarded([this] { cmdDeleteFiles_Click(); }));
    connect(cmdRefresh, &QPushButton::clicked, this, Guarded([this] { FillAddFileList(); }));
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);

    FillAddFileList();
}

bool frmAddFile::IsExcludedFile(const QString& name) const
{
    return HiddenList::IsReservedName(name) || m_hidden.contains(name.toLower());
}

void frmAddFile::FillAddFileList()
{
    BusyPointer busy;
    lvwAddFileList->clear();
    QDir::setCurrent(LocalFolder);
    try {
        m_hidden = HiddenList::Names();
    } catch (const SkiffError& error) {
        MsgBox(error.description(), vbExclamation);
    }
    const QStringList files = QDir::current().entryList(QDir::Files | QDir::NoDotAndDotDot,
                                                        QDir::Name | QDir::IgnoreCase);
    lvwAddFileList->beginUpdate();
    for (const QString& name : files) {
        // A name the control file cannot hold (a double quote) or that could
        // not be written back safely is never offered.
        if (!SafeName::IsSafeLocalName(name) || name.contains(QLatin1Char('"')))
            continue;
        if (IsExcludedFile(name))
            continue;
        const QString key = name.toLower();
        // Names differing only in letter case are one shared file: the
        // first is offered, and once shared it hides the others.
        if (m_fileList->lvwFileList->findItem(key) || lvwAddFileList->findItem(key))
            continue;
        lvwAddFileList->addItem(key, name);
    }
    lvwAddFileList->endUpdate();
}

QStringList frmAddFile::SelectedNames() const
{
    QStringList names;
    for (ListItem* item : lvwAddFileList->selectedItems())
        names << item->text();
    return names;
}

void frmAddFile::ShowDone(const QString& text)
{
    lblHidden->setText(text);
    lblHidden->show();
}

void frmAddFile::cmdHideFiles_Click()
{
    try {
        HiddenList::Append(SelectedNames());
        ShowDone(QStringLiteral("files added to _hidden.txt"));
    } catch (const SkiffError& error) {
        MsgBox(error.description(), vbCritical);
    }
    FillAddFileList();
}

void frmAddFile::cmdDeleteFiles_Click()
{
    if (MsgBox(QStringLiteral("Are you sure you want to DELETE the files that you have selected "
                              "from your local hard drive?"),
               vbYesNo | vbCritical) != vbYes)
        return;
    const QStringList names = SelectedNames();
    QStringList failed;
    for (const QString& name : names) {
        QFile file(name);
        if (!file.remove())
            failed << name + QStringLiteral(" (") + file.errorString() + QLatin1Char(')');
    }
    if (!failed.isEmpty())
        MsgBox(QStringLiteral("These files could not be deleted from your local hard drive:") +
                   QStringLiteral("\r\n\r\n") + failed.join(QStringLiteral("\r\n")),
               vbExclamation);
    if (failed.size() < names.size())
        ShowDone(QStringLiteral("files deleted from local drive"));
    FillAddFileList();
}

void frmAddFile::cmdAdd_Click()
{
    BusyPointer busy;
    if (!m_fileList->UpdateFileList())
        return;
    bool added = false;
    m_fileList->RunOperation([&] { added = m_fileList->Files().AddFiles(SelectedNames()); });
    if (!added)
        return;
    m_fileList->UpdateFileList();
    FillAddFileList();
}
