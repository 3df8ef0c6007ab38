#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Collects the comment and the options for one file of a check-in. It is
// kept (hidden) between files and between check-ins, so the comment and the
// boxes stay as the member left them.
class frmCheckIn : public QDialog
{
    Q_OBJECT
public:
    explicit frmCheckIn(QWidget* parent = nullptr);

    // Shows the dialog for the file and waits for the member. True for
    // Check In or Check In All, false for Cancel or the close box.
    bool Do_CheckInFile(const QString& fileName, QString& pstrComment, bool& pblnKeepCheckedOut,
                        bool& pblnCheckInAll, bool& pblnDontUpdateServer);

    QLabel* lblCheckingInFileLabel;
    QLineEdit* txtCheckingInFile;
    QLabel* Label1;
    QLineEdit* txtComments;
    QCheckBox* chkKeepFileCheckedOut;
    QCheckBox* chkRevert;
    QPushButton* cmdCheckIn;
    QPushButton* cmdCheckInAll;
    QPushButton* cmdCancel;

private:
    void txtComments_Change();
    void chkKeepFileCheckedOut_Click(bool ticked);
    void chkRevert_Click(bool ticked);
    void finish(bool result, bool checkInAll);

    bool m_result = false;
    bool m_checkInAll = false;
    // Set while the comment box is being written back with its quotes replaced.
    bool m_replacingQuotes = false;
    // The comment as it was when "Don't update server" emptied the box.
    QString m_putAsideComment;
};
