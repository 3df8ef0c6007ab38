#include "InstalledEditors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <optional>

namespace InstalledEditors {
namespace {

struct Candidate
{
    const char* program;
    const char* name;
};

// Graphical editors of text and pages first, a picture editor last; editors
// that need a terminal are left out, as the menu starts programs without one.
constexpr Candidate kCommon[] = {
    {"gnome-text-editor", "Text Editor"}, {"gedit", "gedit"},
    {"kate", "Kate"},                     {"kwrite", "KWrite"},
    {"mousepad", "Mousepad"},             {"pluma", "Pluma"},
    {"xed", "Xed"},                       {"featherpad", "FeatherPad"},
    {"geany", "Geany"},                   {"bluefish", "Bluefish HTML Editor"},
    {"gvim", "GVim"},                     {"emacs", "Emacs"},
    {"code", "Visual Studio Code"},       {"gimp", "GIMP Image Editor"},
};

struct Found
{
    QString name;
    QString program; // full path
};

// The full path of a program named by a desktop entry or by its bare name.
QString Resolve(const QString& program)
{
    if (QDir::isAbsolutePath(program))
        return QFileInfo(program).isExecutable() ? program : QString();
    return QStandardPaths::findExecutable(program);
}

// The desktop entry file of this id in the applications folders, "" when none.
QString DesktopEntryPath(const QString& id)
{
    const QString home = qEnvironmentVariable("XDG_DATA_HOME", QDir::homePath() + "/.local/share");
    QStringList folders{home};
    folders += qEnvironmentVariable("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"))
                   .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& folder : folders) {
        const QString path = folder + QStringLiteral("/applications/") + id;
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

// The desktop's default program for plain text, from its desktop entry:
// the entry's name and the program of its Exec line (its field codes and
// arguments are not part of the editors file's format).
std::optional<Found> DesktopDefault()
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return std::nullopt;
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"),
                          QStringLiteral("text/plain")});
    if (!query.waitForFinished(3000) || query.exitCode() != 0)
        return std::nullopt;
    const QString id = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    if (id.isEmpty() || id.contains(QLatin1Char('/')))
        return std::nullopt;
    QFile entry(DesktopEntryPath(id));
    if (!entry.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QString name;
    QString exec;
    bool inMainGroup = false;
    QTextStream lines(&entry);
    while (!lines.atEnd()) {
        const QString line = lines.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup)
            continue;
        if (line.startsWith(QLatin1String("Name=")) && name.isEmpty())
            name = line.mid(5).trimmed();
        else if (line.startsWith(QLatin1String("Exec=")) && exec.isEmpty())
            exec = line.mid(5).trimmed();
        else if (line == QLatin1String("Terminal=true"))
            return std::nullopt;
    }
    const QStringList words = QProcess::splitCommand(exec);
    const QString program = words.isEmpty() ? QString() : Resolve(words.first());
    if (name.isEmpty() || program.isEmpty())
        return std::nullopt;
    return Found{name, program};
}

} // namespace

QByteArray FirstRunList()
{
    QList<Found> editors;
    if (const std::optional<Found> standard = DesktopDefault())
        editors.append(*standard);
    for (const Candidate& candidate : kCommon) {
        const QString program = Resolve(QLatin1String(candidate.program));
        if (program.isEmpty())
            continue;
        const bool listed = std::any_of(editors.cbegin(), editors.cend(), [&](const Found& found) {
            return QFileInfo(found.program).canonicalFilePath() ==
                   QFileInfo(program).canonicalFilePath();
        });
        if (!listed)
            editors.append({QLatin1String(candidate.name), program});
    }
    QString text;
    for (const Found& editor : editors) {
        const QString command = editor.program.contains(QLatin1Char(' '))
                                    ? QLatin1Char('"') + editor.program + QLatin1Char('"')
                                    : editor.program;
        text += editor.name + QStringLiteral("\r\n") + command + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

} // namespace InstalledEditors
