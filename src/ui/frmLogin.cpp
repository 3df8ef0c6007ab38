#include "frmLogin.h"

#include "WindowPlacement.h"
#include "frmSplash.h"

#include "app/Guard.h"
#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/SecretStore.h"
#include "app/Services.h"
#include "app/Settings.h"
#include "app/modSkiff.h"
#include "app/shrmodStrings.h"
#include "transport/Inet.h"
#include "transport/SiteConfig.h"
#include "transport/TlsSupport.h"
#include "users/AdministratorKeys.h"
#include "users/UserRecord.h"

#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

const QString kLogin = QStringLiteral("Login");
const QString kProxy = QStringLiteral("Proxy");

bool readsAsYes(const QString& value)
{
    return value.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0;
}

QLineEdit* makeBox(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    return box;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                  QWidget* buddy)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setBuddy(buddy);
    return label;
}

} // namespace

frmLogin::frmLogin(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Tarn Wardens Login"));

    txtUserName = makeBox(this, "txtUserName", {104, 12, 212, 24});
    lblUserName = makeLabel(this, "lblUserName", QStringLiteral("&User Name:"),
                            {12, 12, 88, 24}, txtUserName);
    txtPassword = makeBox(this, "txtPassword", {104, 44, 212, 24});
    txtPassword->setEchoMode(QLineEdit::Password);
    lblPassword = makeLabel(this, "lblPassword", QStringLiteral("&Password:"),
                            {12, 44, 88, 24}, txtPassword);

    chkSavePassword = new QCheckBox(QStringLiteral("Sa&ve Password"), this);
    chkSavePassword->setObjectName(QStringLiteral("chkSavePassword"));
    chkSavePassword->setGeometry(104, 74, 212, 22);

    cmdOK = new QPushButton(QStringLiteral("Login"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(104, 104, 102, 28);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(214, 104, 102, 28);

    chkProxyServer =
        new QCheckBox(QStringLiteral("Use Proxy Server >>> (FTP && HTTP Protocol)"), this);
    chkProxyServer->setObjectName(QStringLiteral("chkProxyServer"));
    chkProxyServer->setGeometry(12, 144, 304, 22);

    fraProxyServer = new QGroupBox(QStringLiteral("Proxy Sever Settings"), this);
    fraProxyServer->setObjectName(QStringLiteral("fraProxyServer"));
    fraProxyServer->setGeometry(12, 174, 304, 88);
    txtProxyName = makeBox(fraProxyServer, "txtProxyName", {92, 24, 200, 24});
    makeLabel(fraProxyServer, "lblProxyName", QStringLiteral("Name or IP:"), {10, 24, 80, 24},
              txtProxyName);
    txtProxyPort = makeBox(fraProxyServer, "txtProxyPort", {92, 54, 80, 24});
    makeLabel(fraProxyServer, "lblProxyPort", QStringLiteral("Port:"), {10, 54, 80, 24},
              txtProxyPort);

    inet = new Inet(this);
    inet->setObjectName(QStringLiteral("inet"));

    setTabOrder(txtUserName, txtPassword);
    setTabOrder(txtPassword, chkSavePassword);
    setTabOrder(chkSavePassword, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    setTabOrder(cmdCancel, chkProxyServer);
    setTabOrder(chkProxyServer, txtProxyName);
    setTabOrder(txtProxyName, txtProxyPort);
    txtUserName->installEventFilter(this);
    txtPassword->installEventFilter(this);

    connect(cmdOK, &QPushButton::clicked, this, Guarded([this] { cmdOK_Click(); }));
    connect(cmdCancel, &QPushButton::clicked, this, &frmLogin::reject);
    connect(chkProxyServer, &QCheckBox::clicked, this,
            Guarded([this] { chkProxyServer_Click(); }));

    // The client area ends where the proxy frame begins.
    m_collapsedHeight = fraProxyServer->y();
    setFixedSize(328, m_collapsedHeight);

    LoadLoginSettings();
    if (!modSkiff::ProxyServer.isEmpty()) {
        chkProxyServer->setChecked(true);
        QString name, port;
        shrmodStrings::SplitAt(modSkiff::ProxyServer, QStringLiteral(":"), name, port);
        txtProxyName->setText(name);
        txtProxyPort->setText(port);
    }
    chkProxyServer_Click();
    CenterOnScreen(this);
    txtUserName->setFocus();
}

frmLogin::~frmLogin() { unloadTemporaryFile(); }

QString frmLogin::TemporaryFileName() const
{
    return m_userFile ? m_userFile->fileName() : QString();
}

void frmLogin::LoadLoginSettings()
{
    using modSkiff::GetSetting;
    txtUserName->setText(GetSetting(kLogin, QStringLiteral("UserName"), QString()));
    if (readsAsYes(GetSetting(kLogin, QStringLiteral("SavePassword"), QStringLiteral("Yes")))) {
        chkSavePassword->setChecked(true);
        txtPassword->setText(SecretStore::SavedPassword());
    } else {
        chkSavePassword->setChecked(false);
    }
    chkProxyServer->setChecked(
        readsAsYes(GetSetting(kProxy, QStringLiteral("UseProxy"), QStringLiteral("no"))));
    txtProxyName->setText(GetSetting(kProxy, QStringLiteral("Name"), QString()));
    txtProxyPort->setText(GetSetting(kProxy, QStringLiteral("Port"), QString()));
}

void frmLogin::SaveLoginSettings()
{
    using modSkiff::SaveSetting;
    SaveSetting(kLogin, QStringLiteral("UserName"), txtUserName->text());
    const bool save = chkSavePassword->isChecked();
    SaveSetting(kLogin, QStringLiteral("SavePassword"), save ? QStringLiteral("Yes") : QStringLiteral("No"));
    SecretStore::SavePassword(save ? txtPassword->text() : QString());
    SaveSetting(kProxy, QStringLiteral("UseProxy"),
                chkProxyServer->isChecked() ? QStringLiteral("Yes") : QStringLiteral("No"));
    SaveSetting(kProxy, QStringLiteral("Name"), txtProxyName->text());
    SaveSetting(kProxy, QStringLiteral("Port"), txtProxyPort->text());
}

void frmLogin::chkProxyServer_Click()
{
    const bool expanded = chkProxyServer->isChecked();
    const int gap = fraProxyServer->y() - chkProxyServer->geometry().bottom() - 1;
    const int height =
        expanded ? m_collapsedHeight + fraProxyServer->height() + gap : m_collapsedHeight;
    setFixedHeight(height);
    fraProxyServer->setEnabled(expanded);
    if (expanded && isVisible())
        txtProxyName->setFocus();
}

bool frmLogin::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        // After the click that gave the focus has placed the caret.
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            QTimer::singleShot(0, box, &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}

void frmLogin::setAttemptRunning(bool running)
{
    for (QLineEdit* box : {txtUserName, txtPassword}) {
        // Back to the style's own colours afterwards, not the greyed ones.
        QPalette palette;
        if (running) {
            palette = box->palette();
            palette.setColor(QPalette::Base, palette.color(QPalette::Active, QPalette::Button));
        }
        box->setPalette(palette);
    }
    setEnabled(!running);
}

void frmLogin::cmdOK_Click()
{
    using namespace modSkiff;
    {
        BusyPointer busy;
        setAttemptRunning(true);
        if (frmSplash* splash = frmSplash::Current())
            splash->raise();

        if (chkProxyServer->isChecked()) {
            ProxyServer = txtProxyName->text() + QLatin1Char(':') + txtProxyPort->text();
            inet->Proxy = ProxyServer;
            inet->AccessType = icNamedProxy;
        } else {
            ProxyServer.clear();
            inet->Proxy.clear();
            inet->AccessType = icDirect;
        }

        try {
            // Nobody is signed in while the attempt runs: a changed
            // certificate is confirmed only by the administrator typing.
            CurrentUser.clear();
            CurrentLevel = 0;
            const QString name = txtUserName->text();
            const QString password = txtPassword->text();
            const SignInConfirmation confirmation(
                [name, password] { return AdministratorKeys::Matches(name, password); });
            const QByteArray userFile = inet->OpenURLBytes(
                SiteConfig::HttpBase() + QStringLiteral("qxg/") + QStringLiteral("_files.dat") +
                QStringLiteral("?username=") + txtUserName->text() + QStringLiteral("&password=") +
                txtPassword->text());
            unloadTemporaryFile();
            m_userFile = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                          QStringLiteral("/skiff-login-XXXXXX.dt3"));
            if (!m_userFile->open() || m_userFile->write(userFile) != userFile.size() ||
                !m_userFile->flush())
                throw SkiffError(QStringLiteral("Cannot write the temporary file ") +
                                 m_userFile->fileName() + QStringLiteral(": ") +
                                 m_userFile->errorString());
            matchUserFile(m_userFile->fileName());
        } catch (const SkiffError& error) {
            CurrentUser.clear();
            MsgBox(error.description(), vbCritical);
            setAttemptRunning(false);
            raise();
            activateWindow();
            SetNormalPointer();
            return;
        }
    }

    if (!CurrentUser.isEmpty()) {
        AdministratorKeys::Keep(CurrentUser, txtPassword->text(), CurrentLevel);
        SaveLoginSettings();
        accept();
        unloadTemporaryFile();
    } else {
        MsgBox(QStringLiteral("Invalid Username/Password"), vbOKOnly);
        setAttemptRunning(false);
        raise();
        activateWindow();
    }
    SetNormalPointer();
}

void frmLogin::matchUserFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SkiffError(QStringLiteral("Cannot read the temporary file ") + path);
    if (const auto member = FindMember(file.readAll(), txtUserName->text(), txtPassword->text())) {
        modSkiff::CurrentUser = member->Nickname;
        modSkiff::CurrentLevel = member->Level;
    }
}

void frmLogin::reject()
{
    modSkiff::CurrentUser.clear();
    unloadTemporaryFile();
    QDialog::reject();
}

void frmLogin::unloadTemporaryFile() { m_userFile.reset(); }
