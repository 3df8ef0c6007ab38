#include "frmEditFileDetails.h"

#include "FileListColumns.h"
#include "frmFileList.h"

#include "ui/widgets/ListView.h"

#include "app/Guard.h"
#include "app/Services.h"
#include "app/modSkiff.h"
#include "store/SharedFiles.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace modSkiff;

namespace {

// Each box mirrors the list column whose key is its tag.
const char* const kTag = "Tag";

QString tagOf(const QLineEdit* box)
{
    return box->property(kTag).toString();
}

} // namespace

frmEditFileDetails::frmEditFileDetails(frmFileList* fileList)
    : QDialog(fileList), m_fileList(fileList)
{
    setObjectName(QStringLiteral("frmEditFileDetails"));
    setWindowTitle(QStringLiteral("Edit File Detials"));

    auto* grid = new QGridLayout;
    auto addBox = [&](QLineEdit*& box, const char* name, const QString& caption,
                      const QString& tag, QString FileDetailsEdit::*field) {
        box = new QLineEdit(this);
        box->setObjectName(QLatin1String(name));
        box->setProperty(kTag, tag);
        auto* label = new QLabel(caption, this);
        label->setObjectName(QStringLiteral("lbl") + QLatin1String(name + 3));
        label->setBuddy(box);
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0, Qt::AlignRight);
        grid->addWidget(box, row, 1);
        m_boxes << box;
        m_fields.insert(box, field);
    };
    using namespace FileListColumns;
    addBox(txtFileName, "txtFileName", QStringLiteral("File Name:"), FileName, &FileDetailsEdit::Name);
    addBox(txtCheckedOutBy, "txtCheckedOutBy", QStringLiteral("Checked Out By:"), CheckedOut,
           &FileDetailsEdit::Controller);
    addBox(txtLastComment, "txtLastComment", QStringLiteral("Last Comment:"), LastUpdatedBy,
           &FileDetailsEdit::Comment);
    addBox(txtFileDescription, "txtFileDescription", QStringLiteral("File Description:"),
           Description, &FileDetailsEdit::Description);
    addBox(txtAuthor, "txtAuthor", QStringLiteral("Author:"), Owner, &FileDetailsEdit::Author);
    addBox(txtServerVersion, "txtServerVersion", QStringLiteral("Server Version:"), LatestVersion,
           &FileDetailsEdit::ServerVersion);
    addBox(txtLocalVersion, "txtLocalVersion", QStringLiteral("Local Version:"), MyVersion,
           &FileDetailsEdit::LocalVersion);
    grid->setColumnStretch(1, 1);

    // The name finds the record; it is shown, not edited.
    txtFileName->setReadOnly(true);
    txtFileName->setFocusPolicy(Qt::ClickFocus);
    txtFileName->setBackgroundRole(QPalette::Window);
    QPalette dialogColoured = txtFileName->palette();
    dialogColoured.setColor(QPalette::Base, palette().color(QPalette::Window));
    txtFileName->setPalette(dialogColoured);

    cmdApply = new QPushButton(QStringLiteral("&Apply"), this);
    cmdApply->setObjectName(QStringLiteral("cmdApply"));
    cmdClose = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdApply);
    buttons->addWidget(cmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(440, sizeHint().height());

    connect(cmdApply, &QPushButton::clicked, this, Guarded([this] { cmdApply_Click(); }));
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    Form_Load();
}

void frmEditFileDetails::Form_Load()
{
    const ListItem* row = m_fileList->lvwFileList->selectedItem();
    cmdApply->setEnabled(row != nullptr);
    if (!row)
        return;
    m_rowKey = row->key();
    for (QLineEdit* box : m_boxes)
        if (!tagOf(box).isEmpty())
            box->setText(row->subItem(tagOf(box)));
}

void frmEditFileDetails::cmdApply_Click()
{
    {
        BusyPointer busy;
        if (!m_rowKey.isEmpty())
            RunGuarded([this] { Apply(); });
    }
    accept();
}

void frmEditFileDetails::Apply()
{
    FileDetailsEdit typed;
    for (const QLineEdit* box : m_boxes)
        typed.*m_fields.value(box) = box->text();
    const std::optional<FileDetailsEdit> stored = m_fileList->Files().EditFileDetails(typed);
    if (!stored)
        return;
    // The waits let the list be rebuilt meanwhile: find the row again.
    ListItem* row = m_fileList->lvwFileList->findItem(m_rowKey);
    if (!row)
        return;
    FileListColumns::ShowEdit(*row, *stored);
}
