#pragma once

#include "store/SharedFiles.h"

#include <QDialog>
#include <QHash>
#include <QList>

class QLineEdit;
class QPushButton;
class frmFileList;

// Lets an administrator repair a shared file's record by hand, and the
// administrator's own local version of it.
class frmEditFileDetails : public QDialog
{
    Q_OBJECT
public:
    explicit frmEditFileDetails(frmFileList* fileList);

    QLineEdit* txtFileName;
    QLineEdit* txtCheckedOutBy;
    QLineEdit* txtLastComment;
    QLineEdit* txtFileDescription;
    QLineEdit* txtAuthor;
    QLineEdit* txtServerVersion;
    QLineEdit* txtLocalVersion;
    QPushButton* cmdApply;
    QPushButton* cmdClose;

private:
    void Form_Load();
    void cmdApply_Click();
    // Writes the record and the local version; the row follows on success.
    void Apply();

    frmFileList* m_fileList; // the owner, which outlives this dialog
    QList<QLineEdit*> m_boxes;
    QHash<const QLineEdit*, QString FileDetailsEdit::*> m_fields; // the detail each box holds
    QString m_rowKey; // the row the dialog was opened for; "" = none
};
