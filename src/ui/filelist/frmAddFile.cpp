#include "frmAddFile.h"

#include "frmFileList.h"

#include "ui/widgets/ListView.h"

#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/shrmodStrings.h"
#include "store/ControlFile.h"
#include "store/FileVersions.h"
#include "store/HiddenList.h"
#include "store/SafeName.h"
#include "store/clsFileDetails.h"
#include "transport/SiteConfig.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace modSkiff;

namespace {

QString quoted(const char* text)
{
    return QLatin1Char('"') + QLatin1String(text) + QLatin1Char('"');
}

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
    lvwAddFileList->addColumn(QStringLiteral("filename"), QStringLiteral("File Name"), 330);

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
    connect(cmdAdd, &QPushButton::clicked, this, &frmAddFile::cmdAdd_Click);
    connect(cmdHideFiles, &QPushButton::clicked, this, &frmAddFile::cmdHideFiles_Click);
    connect(cmdDeleteFiles, &QPushButton::clicked, this, &frmAddFile::cmdDeleteFiles_Click);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmAddFile::FillAddFileList);
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
    try {
        if (!m_fileList->UpdateFileList() || !m_fileList->GetControlFile())
            return;
        QVector<clsFileDetails> batch;
        if (!CollectBatch(batch))
            return;
        if (!batch.isEmpty()) {
            SendBatch(batch);
            WriteRecords(batch);
        }
        m_fileList->UpdateFileList();
        FillAddFileList();
    } catch (const SkiffError& error) {
        MsgBox(error.description(), vbCritical);
    }
}

// False when the member gave no description: then nothing at all is added.
bool frmAddFile::CollectBatch(QVector<clsFileDetails>& batch)
{
    for (const QString& name : SelectedNames()) {
        const QString lower = name.toLower();
        if (lower.startsWith(QLatin1String("_files.txt")) ||
            lower.endsWith(QLatin1String("backup"))) {
            MsgBox(name + QStringLiteral(" - files that start with ") + quoted("_files.txt") +
                       QStringLiteral(" or end with ") + quoted("backup") +
                       QStringLiteral(" cannot be added."),
                   vbOKOnly);
            continue;
        }
        // The candidate list may be older than the control file just fetched.
        if (ControlFile::ListsFile(ControlFile::FileName(), name)) {
            MsgBox(name + QStringLiteral(" could not be added.\r\nA file with the same name "
                                         "already exists."),
                   vbOKOnly);
            continue;
        }
        QString description =
            InputBox(QStringLiteral("Please enter a file description for ") + name +
                     QStringLiteral("\r\n\r\nYou must enter a description, or the file cannot "
                                    "be added."));
        shrmodStrings::ReplaceTextKeepCase(description,
                                           {QStringLiteral("\""), QStringLiteral("'")});
        if (description.isEmpty()) {
            MsgBox(QStringLiteral("No Description Was Entered - ") + name +
                       QStringLiteral(" Was Not Added\r\n\r\nOperation Canceled"),
                   vbOKOnly);
            return false;
        }
        clsFileDetails entry;
        entry.Name = name;
        entry.CurrentVersion = 1;
        entry.Author = CurrentUser;
        entry.Description = description;
        entry.Comment = CurrentUser + QStringLiteral(": *new file*");
        batch.append(entry);
        FileVersions::Set(name, 1);
    }
    return true;
}

// No server backup: the files are new there.
void frmAddFile::SendBatch(const QVector<clsFileDetails>& batch)
{
    m_fileList->ExecuteAndWait(QStringLiteral("QUIT"));
    m_fileList->ExecuteAndWait(QStringLiteral("cd ") + SiteConfig::GroupFolder());
    for (const clsFileDetails& entry : batch) {
        m_fileList->ExecuteAndWait(QStringLiteral("send ") + entry.Name + QLatin1Char(' ') +
                                   entry.Name);
        // A listing that fails keeps the previous answer; it must not count
        // as this file's.
        m_fileList->GetChunkData.clear();
        m_fileList->ExecuteAndWait(QStringLiteral("ls ") + entry.Name);
        if (!m_fileList->GetChunkData.contains(entry.Name))
            throw SkiffError(QStringLiteral("Error sending ") + entry.Name +
                             QStringLiteral(", please try again."));
    }
}

void frmAddFile::WriteRecords(const QVector<clsFileDetails>& batch)
{
    // Without a fresh control file there is nothing safe to upload.
    if (!m_fileList->UpdateFileDetails(QString(), false, {}, false, true))
        return;
    int added = 0;
    for (const clsFileDetails& entry : batch) {
        FileDetailsValues values;
        values.pvarVersion = QString::number(entry.CurrentVersion);
        values.pvarController = entry.Controller;
        values.pvarAuthor = entry.Author;
        values.pvarDesc = entry.Description;
        values.pvarComment = entry.Comment;
        if (m_fileList->UpdateFileDetails(entry.Name, true, values))
            ++added;
    }
    // Every record refused (all added meanwhile by others): uploading the
    // unchanged file would only push the server's older backup out.
    if (added > 0)
        m_fileList->UpdateFileDetails(QString(), false, {}, false, false, true);
}
