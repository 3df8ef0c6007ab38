#include "frmEditFileDetails.h"

#include "frmFileList.h"

#include "ui/widgets/ListView.h"

#include "app/Errors.h"
#include "app/Services.h"
#include "app/modSkiff.h"
#include "app/shrmodStrings.h"
#include "store/FileVersions.h"

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
    addBox(txtFileName, "txtFileName", QStringLiteral("File Name:"), QStringLiteral("filename"));
    addBox(txtCheckedOutBy, "txtCheckedOutBy", QStringLiteral("Checked Out By:"),
           QStringLiteral("owner"));
    addBox(txtLastComment, "txtLastComment", QStringLiteral("Last Comment:"),
           QStringLiteral("comment"));
    addBox(txtFileDescription, "txtFileDescription", QStringLiteral("File Description:"),
           QStringLiteral("desc"));
    addBox(txtAuthor, "txtAuthor", QStringLiteral("Author:"), QStringLiteral("author"));
    addBox(txtServerVersion, "txtServerVersion", QStringLiteral("Server Version:"),
           QStringLiteral("ver"));
    addBox(txtLocalVersion, "txtLocalVersion", QStringLiteral("Local Version:"),
           QStringLiteral("myver"));
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

    connect(cmdApply, &QPushButton::clicked, this, &frmEditFileDetails::cmdApply_Click);
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
            Apply();
    }
    accept();
}

void frmEditFileDetails::Apply()
{
    const QString name = BoxText(txtFileName);
    short localVersion = 0;
    try {
        // A local version the settings cannot hold is refused before the
        // record changes, so a typing slip changes nothing at all.
        localVersion = ToInteger(Val(BoxText(txtLocalVersion)));
    } catch (const SkiffError& error) {
        MsgBox(error.description(), vbCritical);
        return;
    }
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
    // The numbers as they were stored ("abc" is 0).
    row->setSubItem(tagOf(txtServerVersion), QString::number(ToInteger(Val(*values.pvarVersion))));
    row->setSubItem(tagOf(txtLocalVersion), QString::number(localVersion));
}
