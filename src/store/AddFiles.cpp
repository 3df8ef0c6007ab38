// Add files: local files become shared, version 1, owned by the member. The
// descriptions are asked for first; the files go up next; the records are
// written last, in one upload of the control file.

#include "SharedFiles.h"

#include "FileVersions.h"
#include "SafeName.h"
#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/shrmodStrings.h"
#include "clsFileDetails.h"
#include "transport/FtpLink.h"
#include "site/WebFiles.h"

#include <optional>

using namespace modSkiff;

namespace {

QString quoted(const char* text)
{
    return QLatin1Char('"') + QLatin1String(text) + QLatin1Char('"');
}

// The entries of the files to add, or nothing when a description was left
// empty: then no file at all is added.
std::optional<QList<clsFileDetails>> Collect(const QStringList& names)
{
    QList<clsFileDetails> batch;
    for (const QString& name : names) {
        const QString lower = name.toLower();
        if (lower.startsWith(QLatin1String("_files.txt")) ||
            lower.endsWith(QLatin1String("backup"))) {
            MsgBox(name + QStringLiteral(" - files that start with ") + quoted("_files.txt") +
                       QStringLiteral(" or end with ") + quoted("backup") +
                       QStringLiteral(" cannot be added."),
                   vbOKOnly);
            continue;
        }
        if (!SafeName::AcceptLocalName(name))
            continue;
        // The member's list may be older than the control file just fetched.
        if (ControlFile::ListsFile(ControlFile::FileName(), name)) {
            MsgBox(name + QStringLiteral(" could not be added.\r\nA file with the same name "
                                         "already exists."),
                   vbOKOnly);
            continue;
        }
        QString description =
            InputBox(QStringLiteral("Please enter a file description for ") + name +
                     QStringLiteral("\r\n\r\nYou must enter a description, or the file cannot "
                                    "be added."));
        shrmodStrings::ReplaceTextKeepCase(description,
                                           {QStringLiteral("\""), QStringLiteral("'")});
        if (description.isEmpty()) {
            MsgBox(QStringLiteral("No Description Was Entered - ") + name +
                       QStringLiteral(" Was Not Added\r\n\r\nOperation Canceled"),
                   vbOKOnly);
            return std::nullopt;
        }
        clsFileDetails entry;
        entry.Name = name;
        entry.CurrentVersion = 1;
        entry.Author = CurrentUser;
        entry.Description = description;
        entry.Comment = CurrentUser + QStringLiteral(": *new file*");
        batch.append(entry);
        FileVersions::Set(name, 1);
    }
    return batch;
}

} // namespace

bool SharedFiles::AddFiles(const QStringList& names)
{
    BeginBatch();
    if (!GetControlFile())
        return false;
    std::optional<QList<clsFileDetails>> collected = Collect(names);
    if (!collected)
        return false;
    QList<clsFileDetails>& batch = *collected;
    if (batch.isEmpty())
        return true;

    // No server backup: the files are new there.
    reconnect();
    for (int index = 0; index < batch.size(); ++index) {
        // Only the files sent are recorded.
        if (StopRequested()) {
            batch.erase(batch.begin() + index, batch.end());
            break;
        }
        const clsFileDetails& entry = batch.at(index);
        ShowFileStep(QStringLiteral("Adding"), index, int(batch.size()), entry.Name);
        modSkiff::SendFailure failure;
        const bool refused = !modSkiff::SendNewFile(m_link, entry.Name, entry.Name, &failure);
        if (refused || !IsListedOnServer(entry.Name).value_or(false)) {
            view().ReportFile(entry.Name,
                              QStringLiteral("not sent: ") +
                                  (refused ? failure.why
                                           : QStringLiteral("not listed on the server after it")));
            if (StopRequested()) {
                batch.erase(batch.begin() + index, batch.end());
                break;
            }
            throw SkiffError(QStringLiteral("Error sending ") + entry.Name +
                             QStringLiteral(", please try again."));
        }
        view().ReportFile(entry.Name, QStringLiteral("sent"));
    }
    if (batch.isEmpty())
        return true;

    // A record the control file already holds (added meanwhile by another
    // member) is refused on its own; the others go up in one upload. With
    // every record refused, uploading the unchanged file would only push the
    // server's older backup out.
    ChangeControlFile([&] {
        int added = 0;
        for (const clsFileDetails& entry : batch) {
            FileDetailsValues values;
            values.pvarVersion = QString::number(entry.CurrentVersion);
            values.pvarController = entry.Controller;
            values.pvarAuthor = entry.Author;
            values.pvarDesc = entry.Description;
            values.pvarComment = entry.Comment;
            try {
                RewriteControlFile(entry.Name, RecordChange::Add, values);
                ++added;
            } catch (const SkiffError& error) {
                MsgBox(error.description(), vbCritical);
            }
        }
        return added > 0;
    });
    return true;
}
