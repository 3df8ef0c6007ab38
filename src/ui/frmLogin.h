#pragma once

#include <QDialog>
#include <QTemporaryFile>
#include <memory>

class Inet;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Signs a member in against the site's user file and leaves CurrentUser,
// CurrentLevel and ProxyServer behind. Shown modally by start-up.
class frmLogin : public QDialog
{
    Q_OBJECT
public:
    explicit frmLogin(QWidget* parent = nullptr);
    ~frmLogin() override;

    QLabel* lblUserName;
    QLineEdit* txtUserName;
    QLabel* lblPassword;
    QLineEdit* txtPassword;
    QCheckBox* chkSavePassword;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QCheckBox* chkProxyServer;
    QGroupBox* fraProxyServer;
    QLineEdit* txtProxyName;
    QLineEdit* txtProxyPort;
    Inet* inet;

    // Where the downloaded user file lies during an attempt ("" outside one).
    QString TemporaryFileName() const;
    int CollapsedHeight() const { return m_collapsedHeight; }

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadLoginSettings();
    void SaveLoginSettings();
    void cmdOK_Click();
    void chkProxyServer_Click();
    void setAttemptRunning(bool running);
    void matchUserFile(const QString& path);
    void unloadTemporaryFile();

    int m_collapsedHeight = 0;
    std::unique_ptr<QTemporaryFile> m_userFile;
};
