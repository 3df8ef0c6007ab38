#include "ExternalEditors.h"

#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/SiteText.h"
#include "site/MirrorFiles.h"
#include "site/WebFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

using namespace modSkiff;

namespace ExternalEditors {

QString Editor::Caption() const
{
    return found ? name : name + QStringLiteral(" - FILE NOT FOUND");
}

QList<Editor> Parse(const QString& text)
{
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = text.split(lineEnd);
    // A line end closes its line; only text after the last one is a line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QList<Editor> editors;
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2) {
        const QString& name = lines.at(i);
        const QString& command = lines.at(i + 1);
        if (name.isEmpty() || command.isEmpty())
            continue;
        editors.append({name, command, ProgramExists(command)});
    }
    return editors;
}

QString ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return SiteText::Decode(file.readAll());
}

void WriteFile(const QString& path, const QString& text)
{
    MirrorFiles::Write(path, text.toUtf8());
}

QString ProgramOf(const QString& command)
{
    return QString(command).remove(QLatin1Char('"'));
}

bool ProgramExists(const QString& command)
{
    return QFileInfo(ProgramOf(command)).isFile();
}

bool OpenInEditor(Inet& inet, const QString& sitePath, const QString& caption,
                  const QString& command)
{
    const QString localFile = MapWebFileName(sitePath).localFile;
    bool download = false;
    if (QFileInfo(localFile).isFile()) {
        const int answer =
            MsgBox(QStringLiteral("Would you like to download ") + sitePath +
                       QStringLiteral(" from the web page before you edit it with ") + caption +
                       QLatin1Char('?'),
                   vbYesNoCancel | vbQuestion);
        if (answer == vbCancel)
            return false;
        download = answer == vbYes;
    } else {
        if (MsgBox(localFile + QStringLiteral(" does not exist on your local hard drive.  Press "
                                              "OK to download it from the web page."),
                   vbOKCancel | vbInformation) != vbOK)
            return false;
        download = true;
    }
    QString toFile = kSaveToFile;
    if (download && !DownloadWebFile(inet, sitePath, toFile))
        return false;
    const QString program = ProgramOf(command);
    if (!ShellStartProgram(program, {LocalFolder + localFile}))
        throw SkiffError(program + QStringLiteral(" could not be started."));
    return true;
}

} // namespace ExternalEditors
