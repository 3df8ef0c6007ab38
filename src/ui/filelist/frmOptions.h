#pragma once

#include <QDialog>
#include <QPointer>
#include <QVector>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class frmFileList;

// How the shared files window shows its list, and which extra lists and
// safeguards are on. Everything takes effect when the dialog closes, unless
// the member cancelled.
class frmOptions : public QDialog
{
    Q_OBJECT
public:
    // Owned by the shared files window when owner is that window; without an
    // owner the dialog is a window of its own.
    frmOptions(frmFileList& fileList, QWidget* owner);

    // Shows the shared files window's options dialog, opening it when it is
    // not open yet.
    static frmOptions* ShowFor(frmFileList& fileList, bool owned);

    QGroupBox* fraIcons;
    QCheckBox* chkShowOutOfDateAsRed;
    QCheckBox* chkShowUpToDateAsBlue;
    QCheckBox* chkShowCheckedOutAsGreen;
    QCheckBox* chkShowUnavailableAsYellow;
    QCheckBox* chkShowOutdatedFilesOnStartup;
    QCheckBox* chkShowCheckedOutFilesOnExit;
    QCheckBox* chkShowPreviewPane;
    QCheckBox* chkNoReadOnly;
    QGroupBox* fraListViewCurrentView;
    QRadioButton* optList;
    QRadioButton* optSmallIcons;
    QRadioButton* optDetails;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    // A yes/no setting and the box that shows it.
    struct Option
    {
        QString section;
        QString key;
        QString defaultValue;
        QCheckBox* box;
    };

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape means Cancel; the window's close box saves like OK.
    void reject() override;

private:
    void Form_Load(frmFileList& fileList);
    void Apply(frmFileList& fileList);

    QVector<Option> m_iconOptions;
    QVector<Option> m_settingsOptions;
    QPointer<frmFileList> m_fileList;
    bool m_cancelled = false;
};
