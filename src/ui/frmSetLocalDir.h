#pragma once

#include <QDialog>

class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

// Lets the member choose the local folder for the shared files and the web
// mirror. Confirming stores the folder, makes it LocalFolder and the working
// directory, all together.
class frmSetLocalDir : public QDialog
{
    Q_OBJECT
public:
    explicit frmSetLocalDir(QWidget* parent = nullptr);

    // The folder selected in the list (without a trailing separator).
    QString SelectedFolder() const;
    void SelectFolder(const QString& path);

    QTreeView* dirLocalFolder;
    QLabel* lblSetLocalFolder;
    QPushButton* cmdSetLocalDir;
    QPushButton* cmdCancel;

private:
    void cmdSetLocalDir_Click();
    void showSelection();

    QFileSystemModel* m_model;
};
