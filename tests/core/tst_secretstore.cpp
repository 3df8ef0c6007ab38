// The saved password against a real secret service: gnome-keyring on the
// private session bus secret_service.sh starts for this program, so neither
// the desktop nor the keyring of whoever runs the tests is asked or changed.
// The fall-back file without any store is covered by tst_startup.

#include "TestEnv.h"

#include "app/SecretStore.h"
#include "app/Settings.h"

#include <QtDBus>
#include <QtTest>
#include <csignal>

using namespace SecretStore;

namespace {

const QString kSecrets = QStringLiteral("org.freedesktop.secrets");
const QString kService = QStringLiteral("org.freedesktop.Secret.Service");

class SecretService
{
public:
    // The private home the wrapper made; empty when the program runs
    // without it, on what may be the desktop's own bus.
    static QString Home() { return qEnvironmentVariable("SKIFF_SECRET_SERVICE_HOME"); }

    // The daemon dies without a word, as when it crashes.
    void kill()
    {
        const pid_t daemon = pid_t(m_bus.interface()->servicePid(kSecrets).value());
        QVERIFY(daemon > 0 && ::kill(daemon, SIGKILL) == 0); // 0 would be the whole group
        QVERIFY(QTest::qWaitFor([this] { return items() < 0; }, 5000));
    }

    // What a screen lock does to the login keyring, and what the member's
    // typing its password into the desktop's prompt does.
    void lock()
    {
        call(kService, QStringLiteral("Lock"), {QVariant::fromValue(QList{collection()})});
    }
    void unlock()
    {
        const QDBusMessage session =
            call(kService, QStringLiteral("OpenSession"),
                 {QStringLiteral("plain"), QVariant::fromValue(QDBusVariant(QString()))});
        QDBusArgument secret;
        secret.beginStructure();
        secret << qdbus_cast<QDBusObjectPath>(session.arguments().value(1)) << QByteArray()
               << qgetenv("SKIFF_KEYRING_PASSWORD") << QStringLiteral("text/plain");
        secret.endStructure();
        call(QStringLiteral("org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface"),
             QStringLiteral("UnlockWithMasterPassword"),
             {QVariant::fromValue(collection()), QVariant::fromValue(secret)});
    }

    // The secrets in the keyring applications save theirs to; -1 when
    // nobody answers.
    int items()
    {
        const QVariant value =
            QDBusInterface(kSecrets, collection().path(),
                           QStringLiteral("org.freedesktop.Secret.Collection"), m_bus)
                .property("Items");
        return value.isValid() ? int(qdbus_cast<QList<QDBusObjectPath>>(value).size()) : -1;
    }

private:
    QDBusMessage call(const QString& interface, const QString& method,
                      const QVariantList& arguments)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(
            kSecrets, QStringLiteral("/org/freedesktop/secrets"), interface, method);
        message.setArguments(arguments);
        return m_bus.call(message);
    }
    QDBusObjectPath collection()
    {
        const QDBusMessage alias =
            call(kService, QStringLiteral("ReadAlias"), {QStringLiteral("default")});
        return qdbus_cast<QDBusObjectPath>(alias.arguments().value(0));
    }

    QDBusConnection m_bus = QDBusConnection::sessionBus();
};

} // namespace

// One daemon for the whole program: a restarted one would be a stranger to
// the store's connection, which keeps its old session until the program ends.
class TestSecretStore : public QObject
{
    Q_OBJECT

    SecretService m_service;
    std::unique_ptr<TestEnv> m_env;

    // Files of the member's and of the keyring's folders holding it in clear.
    QStringList filesHolding(const QByteArray& text) const
    {
        QStringList found;
        for (const QString& folder : {SecretService::Home(), m_env->root()}) {
            QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (files.hasNext())
                if (ReadFileBytes(files.next()).contains(text))
                    found << files.filePath();
        }
        return found;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!SecretService::Home().isEmpty(), "runs only under tests/core/secret_service.sh, "
                                                   "which starts its secret service (ctest does)");
        QVERIFY2(QTest::qWaitFor([this] { return m_service.items() >= 0; }, 10000),
                 "the secret service on the private bus does not answer");
    }
    void init() { m_env = std::make_unique<TestEnv>(); }
    void cleanup()
    {
        SavePassword(QString());
        m_env.reset();
    }

    // Saved, replaced and forgotten in the store, never written to a file.
    void thePasswordLivesInTheStoreAlone()
    {
        SavePassword(QStringLiteral("lantern"));
        QCOMPARE(m_service.items(), 1);
        QVERIFY(!QFile::exists(FallbackFile()));
        QCOMPARE(filesHolding("lantern"), QStringList());
        QCOMPARE(SavedPassword(), QStringLiteral("lantern"));
        SavePassword(QStringLiteral("osprey"));
        QCOMPARE(m_service.items(), 1);
        QCOMPARE(SavedPassword(), QStringLiteral("osprey"));
        SavePassword(QString());
        QCOMPARE(m_service.items(), 0);
        QCOMPARE(SavedPassword(), QString());
        QVERIFY(!QFile::exists(FallbackFile())); // not even an empty one once settings exist
    }

    // A password an earlier version kept in the settings, or one waiting in
    // the file from a time without the store, moves into the store on reading.
    void passwordsKeptElsewhereMoveIntoTheStore_data()
    {
        QTest::addColumn<bool>("inSettings");
        QTest::newRow("settings file") << true;
        QTest::newRow("fall-back file") << false;
    }
    void passwordsKeptElsewhereMoveIntoTheStore()
    {
        QFETCH(bool, inSettings);
        if (inSettings)
            modSkiff::SaveSetting(QStringLiteral("Login"), QStringLiteral("Password"),
                                  QStringLiteral("heron"));
        else
            WriteFileBytes(FallbackFile(), "[General]\nPassword=heron\n");
        QCOMPARE(SavedPassword(), QStringLiteral("heron"));
        modSkiff::FlushSettings();
        QCOMPARE(m_service.items(), 1);
        QCOMPARE(filesHolding("heron"), QStringList());
        QCOMPARE(SavedPassword(), QStringLiteral("heron"));
    }

    // A store that refuses leaves the password in the private file, and the
    // newest password wins once the store takes passwords again. The daemon
    // gone for good comes last: nothing after it has a store.
    void aStoreThatRefusesLosesNothing_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::newRow("keyring locked") << true;
        QTest::newRow("daemon gone") << false;
    }
    void aStoreThatRefusesLosesNothing()
    {
        QFETCH(bool, locked);
        SavePassword(QStringLiteral("heron"));
        QCOMPARE(m_service.items(), 1);
        locked ? m_service.lock() : m_service.kill();
        SavePassword(QStringLiteral("ferry"));
        QVERIFY(ReadFileBytes(FallbackFile()).contains("ferry"));
        QCOMPARE(SavedPassword(), QStringLiteral("ferry"));
        if (locked) {
            m_service.unlock();
            QCOMPARE(SavedPassword(), QStringLiteral("ferry"));
            QVERIFY(!QFile::exists(FallbackFile()));
            QCOMPARE(SavedPassword(), QStringLiteral("ferry"));
        }
    }
};

QTEST_GUILESS_MAIN(TestSecretStore)
#include "tst_secretstore.moc"
