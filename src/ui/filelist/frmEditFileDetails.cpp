#include "frmEditFileDetails.h"

#include "FileListColumns.h"
#include "frmFileList.h"

#include "ui/widgets/ListView.h"

#include "app/Errors.h"
#include "app/Guard.h"
#include "app/Services.h"
#include "app/modSkiff.h"
#include "app/shrmodStrings.h"
#include "store/FileVersions.h"
#include "store/SafeName.h"

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
                      const QString& tag) {
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
    };
    using namespace FileListColumns;
    addBox(txtFileName, "txtFileName", QStringLiteral("File Name:"), FileName);
    addBox(txtCheckedOutBy, "txtCheckedOutBy", QStringLiteral("Checked Out By:"), CheckedOut);
    addBox(txtLastComment, "txtLastComment", QStringLiteral("Last Comment:"), LastUpdatedBy);
    addBox(txtFileDescription, "txtFileDescription", QStringLiteral("File Description:"),
           Description);
    addBox(txtAuthor, "txtAuthor", QStringLiteral("Author:"), Owner);
    addBox(txtServerVersion, "txtServerVersion", QStringLiteral("Server Version:"), LatestVersion);
    addBox(txtLocalVersion, "txtLocalVersion", QStringLiteral("Local Version:"), MyVersion);
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

QString frmEditFileDetails::BoxText(const QLineEdit* box)
{
    QString text = box->text();
    return shrmodStrings::ReplaceTextKeepCase(text, {QStringLiteral("\""), QStringLiteral("'")});
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
    const QString name = BoxText(txtFileName);
    // The local version is kept under the name: a name no local copy can
    // have is refused before anything changes.
    if (!SafeName::AcceptLocalName(name))
        return;
    // A local version the settings cannot hold is refused before the record
    // changes, so a typing slip changes nothing at all.
    const short localVersion = ToInteger(Val(BoxText(txtLocalVersion)));
    FileDetailsValues values;
    values.pvarVersion = BoxText(txtServerVersion);
    values.pvarController = BoxText(txtCheckedOutBy);
    values.pvarAuthor = BoxText(txtAuthor);
    values.pvarDesc = BoxText(txtFileDescription);
    values.pvarComment = BoxText(txtLastComment);
    if (!m_fileList->UpdateFileDetails(name, false, values, false, true, true))
        return;
    FileVersions::Set(name, localVersion);
    // The waits let the list be rebuilt meanwhile: find the row again.
    ListItem* row = m_fileList->lvwFileList->findItem(m_rowKey);
    if (!row)
        return;
    for (const QLineEdit* box : m_boxes) // the name too: its tag is the first column
        row->setSubItem(tagOf(box), BoxText(box));
    row->setSubItem(tagOf(txtLocalVersion), QString::number(localVersion));
    // The number as it was stored ("abc" is 0). A version no record can hold
    // was stored nowhere, since the record had been removed meanwhile: the
    // row keeps the text as typed.
    try {
        row->setSubItem(tagOf(txtServerVersion),
                        QString::number(ToInteger(Val(*values.pvarVersion))));
    } catch (const SkiffError&) {
    }
}
