#include "SiteTestCase.h"

#include <QDir>
#include <QtTest>

void PublishControlFile(const SiteServer& site, const QStringList& records, int count,
                        const QString& release)
{
    QString text = release + QStringLiteral("\r\n") +
                   QString::number(count < 0 ? records.size() : count) + QStringLiteral("\r\n");
    for (const QString& record : records)
        text += record + QStringLiteral("\r\n");
    site.writeSiteFile(QStringLiteral("qxg/_files.txt"), text.toLatin1());
}

QString RecordLine(const QString& name, int version, const QString& holder, const QString& author,
                   const QString& description, const QString& comment)
{
    auto quoted = [](const QString& text) { return QLatin1Char('"') + text + QLatin1Char('"'); };
    return quoted(name) + QLatin1Char(',') + QString::number(version) + QLatin1Char(',') +
           quoted(holder) + QLatin1Char(',') + quoted(author) + QLatin1Char(',') +
           quoted(description) + QLatin1Char(',') + quoted(comment);
}

void PublishSharedFile(const SiteServer& site, const QString& name, const QByteArray& bytes)
{
    site.writeSiteFile(QStringLiteral("qxg/") + name, bytes);
}

ControlFile::Contents SiteControlFile(const SiteServer& site)
{
    return ControlFile::Parse(site.readSiteFile(QStringLiteral("qxg/_files.txt")));
}

FileRecord SiteRecord(const SiteServer& site, const QString& name)
{
    for (const FileRecord& record : SiteControlFile(site).records)
        if (ControlFile::SameFileName(record.Name, name))
            return record;
    return FileRecord();
}

QString SiteFields(const SiteServer& site, const QString& name)
{
    const FileRecord record = SiteRecord(site, name);
    return QString::number(record.CurrentVersion) + QLatin1Char(',') + record.Controller +
           QLatin1Char(',') + record.Comment;
}

QByteArray StoredUserRecord(const QByteArray& name, const QByteArray& password, int level)
{
    QByteArray clear = name.leftJustified(30, ' ', true) + password.leftJustified(29, ' ', true);
    clear += char(level);
    QByteArray stored;
    for (const char byte : clear)
        stored += char(~static_cast<unsigned char>(byte));
    return stored;
}

QByteArray SampleUserFile()
{
    return StoredUserRecord("Orrin", "Lantern", 4) + StoredUserRecord("Ann", "heron", 3) +
           StoredUserRecord("P\xE9pin", "caf\xE9", 2) + StoredUserRecord("Mordo", "cinder", 1);
}

QStringList OperationCommands(const QStringList& log)
{
    static const QStringList session = {"USER", "PASS", "PWD",  "TYPE", "PASV", "EPSV", "EPRT",
                                        "PORT", "SYST", "FEAT", "OPTS", "SIZE", "MDTM", "REST",
                                        "AUTH", "PBSZ", "PROT"};
    // A name listing is one operation however the client asks for it.
    static const QStringList nameListings = {"NLST", "MLST"};
    QStringList commands;
    for (const QString& line : log) {
        const QString word = line.section(QLatin1Char(' '), 0, 0).toUpper();
        if (nameListings.contains(word))
            commands << QStringLiteral("ls") + line.mid(word.size());
        else if (!session.contains(word))
            commands << line;
    }
    return commands;
}

void SiteTestCase::initTestCase()
{
    m_site = std::make_unique<SiteServer>();
    QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
}

void SiteTestCase::cleanupTestCase()
{
    m_site.reset();
}

void SiteTestCase::init()
{
    QDir group(m_site->sitePath(QStringLiteral("qxg")));
    QVERIFY(group.removeRecursively() && QDir().mkpath(group.path()));
    m_site->clearRefusals();
    m_site->clearLog();
    m_services = std::make_unique<ScriptedServices>();
}

TestEnv& SiteTestCase::signIn(const QString& nickname, unsigned char level)
{
    m_env = std::make_unique<TestEnv>(nickname, level);
    return *m_env;
}

void SiteTestCase::cleanup()
{
    if (QTest::currentTestFailed()) {
        // What the server saw, for a failure that does not come again.
        for (const QStringList& log : {m_site->ftpLog(), m_site->tlsHandshakes()}) {
            for (const QString& line : log.mid(qMax(0, log.size() - 25)))
                qInfo("site: %s", qPrintable(line));
        }
    }
    const int pending = m_services->pendingAnswers();
    m_services.reset();
    m_env.reset();
    QVERIFY2(pending == 0,
             qPrintable(QStringLiteral("%1 queued answer(s) found no box").arg(pending)));
}
