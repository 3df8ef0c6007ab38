#pragma once

#include "ui/explorer/frmExplorer.h"
#include "filelist/frmFileList.h"

#include <QPointer>
#include <QWidget>

class Inet;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QFrame;

// The hub after login: the group's message, the program-version notice and
// the buttons that open the working windows.
class frmMainMenu : public QWidget
{
    Q_OBJECT
public:
    explicit frmMainMenu(QWidget* parent = nullptr);

    QPlainTextEdit* txtMessage;
    QFrame* picPanel;
    QPushButton* cmdPostNews;
    QPushButton* cmdWebPage;
    QPushButton* cmdAdventure;
    QPushButton* cmdUsers;
    QLabel* Label2;
    Inet* inet;

    // The shared files window, while it is open.
    frmFileList* FileList() const { return m_fileList; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Load();
    void cmdAdventure_Click();
    void cmdWebPage_Click();
    void cmdPostNews_Click();

    QPointer<frmFileList> m_fileList;
    QPointer<frmExplorer> m_explorer;
    QPointer<QWidget> m_postNews;
};
