// The owner's actions on a shared file (its description, its removal from
// the store, giving up its ownership) and opening files with their programs.

#include "SharedFiles.h"

#include "FileVersions.h"
#include "SafeName.h"
#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/modSkiff.h"
#include "app/shrmodStrings.h"

using namespace modSkiff;

namespace {

QString WithoutDoubleQuotes(QString text)
{
    return shrmodStrings::ReplaceTextKeepCase(text, {QStringLiteral("\""), QStringLiteral("'")});
}

bool Refused(const FileRecord& file, const QString& what)
{
    if (SharedFiles::MayUseOwnerOptions(file))
        return false;
    MsgBox(QStringLiteral("Sorry, only ") + file.Author + QStringLiteral(" has permission to ") +
               what,
           vbOKOnly);
    return true;
}

} // namespace

bool SharedFiles::ChangeFileDescription(const FileRecord& file, QString& description)
{
    if (Refused(file, QStringLiteral("change ") + file.Name + QStringLiteral("'s description.")))
        return false;
    description = WithoutDoubleQuotes(
        InputBox(QStringLiteral("Please enter a new description for the following file:\r\n\r\n") +
                     file.Name,
                 QString(), file.Description));
    if (description.isEmpty())
        return false;
    BusyPointer busy;
    FileDetailsValues values;
    values.pvarDesc = description;
    return UpdateFileDetails(file.Name, RecordChange::Update, values);
}

bool SharedFiles::DeleteFile(const FileRecord& file)
{
    const QString& name = file.Name;
    if (Refused(file, QStringLiteral("remove ") + name + QLatin1Char('.')))
        return false;
    const int answer =
        MsgBox(QStringLiteral("Are you sure you want to remove ") + name +
                   QStringLiteral(" from Skiff?\r\n\r\nNOTE: This will not delete ") + name +
                   QStringLiteral(" from your local computer nor will it delete ") + name +
                   QStringLiteral(" from the computer of any other Skiff user."),
               vbYesNo | vbDefaultButton2 | vbExclamation);
    if (answer != vbYes)
        return false;
    BusyPointer busy;
    return UpdateFileDetails(name, RecordChange::Delete);
}

bool SharedFiles::RelinquishControl(const FileRecord& file)
{
    const QString& name = file.Name;
    if (!OwnsFile(file)) {
        MsgBox(QStringLiteral("Sorry, you do not have control ") + name + QLatin1Char('.'),
               vbOKOnly);
        return false;
    }
    if (MsgBox(QStringLiteral("Are you sure you want to relinquish control of ") + name +
                   QLatin1Char('?'),
               vbYesNo | vbDefaultButton2 | vbQuestion) != vbYes)
        return false;
    BusyPointer busy;
    FileDetailsValues values;
    values.pvarAuthor = QString();
    return UpdateFileDetails(name, RecordChange::Update, values);
}

std::optional<FileDetailsEdit> SharedFiles::EditFileDetails(const FileDetailsEdit& typed)
{
    FileDetailsEdit stored{WithoutDoubleQuotes(typed.Name),       WithoutDoubleQuotes(typed.ServerVersion),
                           WithoutDoubleQuotes(typed.Controller), WithoutDoubleQuotes(typed.Author),
                           WithoutDoubleQuotes(typed.Description), WithoutDoubleQuotes(typed.Comment),
                           WithoutDoubleQuotes(typed.LocalVersion)};
    // The local version is kept under the name.
    if (!SafeName::AcceptLocalName(stored.Name))
        return std::nullopt;
    const short localVersion = ToInteger(Val(stored.LocalVersion));
    FileDetailsValues values;
    values.pvarVersion = stored.ServerVersion;
    values.pvarController = stored.Controller;
    values.pvarAuthor = stored.Author;
    values.pvarDesc = stored.Description;
    values.pvarComment = stored.Comment;
    if (!UpdateFileDetails(stored.Name, RecordChange::Update, values))
        return std::nullopt;
    FileVersions::Set(stored.Name, localVersion);
    stored.LocalVersion = QString::number(localVersion);
    // The number as it was stored ("abc" is 0). A version no record can hold
    // was stored nowhere, since the record had been removed meanwhile: the
    // text stays as typed.
    try {
        stored.ServerVersion = QString::number(ToInteger(Val(stored.ServerVersion)));
    } catch (const SkiffError&) {
    }
    return stored;
}

void SharedFiles::OpenFile(const QList<ListedFile>& selected)
{
    if (selected.isEmpty()) {
        MsgBox(QStringLiteral("No Files Are Selected"), vbExclamation);
        return;
    }
    if (selected.size() == 1) {
        const FileRecord& file = selected.first().Record;
        if (!HasLatestVersion(selected.first())) {
            MsgBox(QStringLiteral("You do not have the latest version of this file."), vbCritical);
            return;
        }
        if (file.Controller.toLower() != CurrentUser.toLower() &&
            MsgBox(QStringLiteral("You do not have ") + file.Name +
                       QStringLiteral(" checked out.  You will not be able to save your changes "
                                      "to this file."),
                   vbOKCancel | vbInformation) != vbOK)
            return;
    } else if (MsgBox(QStringLiteral("Are you sure you want to open the ") +
                          QString::number(selected.size()) + QStringLiteral(" selected files?"),
                      vbYesNo | vbQuestion) == vbNo) {
        return;
    }
    int notOpened = 0;
    for (const ListedFile& file : selected) {
        if (!HasLatestVersion(file)) {
            ++notOpened;
            continue;
        }
        // Without a program for one file there is none for the rest either.
        if (SafeName::AcceptLocalName(file.Record.Name) &&
            !ShellOpenFileOrTell(LocalFolder + file.Record.Name))
            break;
    }
    if (notOpened > 0)
        MsgBox(QString::number(notOpened) +
                   QStringLiteral(" files were not opened because you do not have the latest "
                                  "version of these files."),
               vbInformation);
}
