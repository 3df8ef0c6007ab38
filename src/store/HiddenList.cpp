#include "HiddenList.h"

#include "app/Errors.h"
#include "app/SiteText.h"

#include <QFile>

namespace HiddenList {
namespace {

SkiffError notWritten(const QFile& file)
{
    return SkiffError(QStringLiteral("The files could not be added to ") + FileName() +
                          QStringLiteral(": ") + file.errorString(),
                      75);
}

} // namespace

QString FileName()
{
    return QStringLiteral("_hidden.txt");
}

bool IsReservedName(const QString& name)
{
    const QString lower = name.toLower();
    return lower.startsWith(QLatin1String("_control")) ||
           lower.startsWith(QLatin1String("_files")) ||
           lower.startsWith(QLatin1String("_hidden")) || lower.endsWith(QLatin1String("backup"));
}

QSet<QString> Names()
{
    QFile file(FileName());
    if (!file.exists())
        QFile(FileName()).open(QIODevice::Append);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!file.exists())
            return {};
        throw SkiffError(FileName() + QStringLiteral(" could not be read: ") + file.errorString(),
                         75);
    }
    QSet<QString> names;
    // Each line on its own: a list begun on Windows holds Windows-1252
    // names, the lines added here are UTF-8.
    for (QByteArray line : file.readAll().split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            names.insert(SiteText::Decode(line).toLower());
    }
    return names;
}

void Append(const QStringList& names)
{
    QFile file(FileName());
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append))
        throw notWritten(file);
    QByteArray lines;
    // A list edited by hand may lack its last line end; the first new name
    // must not be glued to the last old one.
    if (file.size() > 0 && file.seek(file.size() - 1) && file.read(1) != "\n")
        lines += "\r\n";
    for (const QString& name : names)
        lines += name.toUtf8() + "\r\n";
    if (file.write(lines) != lines.size())
        throw notWritten(file);
}

} // namespace HiddenList
