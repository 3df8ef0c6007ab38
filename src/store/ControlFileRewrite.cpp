#include "ControlFileRewrite.h"

#include "ControlFile.h"
#include "app/PartFile.h"
#include "app/Errors.h"
#include "app/modSkiff.h"

#include <QFile>

namespace {

short versionNumber(const QString& text)
{
    return modSkiff::ToInteger(modSkiff::Val(text));
}

void storeValues(FileRecord& record, const FileDetailsValues& values)
{
    if (values.pvarVersion)
        record.CurrentVersion = versionNumber(*values.pvarVersion);
    if (values.pvarController)
        record.Controller = *values.pvarController;
    if (values.pvarAuthor)
        record.Author = *values.pvarAuthor;
    if (values.pvarDesc)
        record.Description = *values.pvarDesc;
    if (values.pvarComment)
        record.Comment = *values.pvarComment;
}

QByteArray rewritten(const ControlFile::Contents& contents, const QString& name,
                     RecordChange change, const FileDetailsValues& values)
{
    short count = contents.expectedCount;
    if (change == RecordChange::Add)
        count = modSkiff::ToInteger(count + 1.0);
    else if (change == RecordChange::Delete)
        count = modSkiff::ToInteger(count - 1.0);

    QByteArray out;
    out.reserve(64 * (contents.records.size() + 2));
    ControlFile::AppendHeader(out, contents.release, count);
    bool found = false;
    for (const FileRecord& record : contents.records) {
        if (!ControlFile::IsListed(record))
            continue;
        if (!ControlFile::SameFileName(record.Name, name)) {
            ControlFile::AppendRecord(out, record);
            continue;
        }
        if (change == RecordChange::Add)
            throw SkiffError(QStringLiteral("Cannot add a file that already exists."));
        FileRecord changed = record;
        storeValues(changed, values);
        if (change == RecordChange::Delete)
            found = true;
        else
            ControlFile::AppendRecord(out, changed);
    }
    // A record the list format could not read ends the rewrite where the
    // reader stopped.
    if (contents.error)
        throw *contents.error;

    if (change == RecordChange::Add) {
        FileRecord added;
        added.Name = name;
        storeValues(added, values);
        ControlFile::AppendRecord(out, added);
    }
    if (change == RecordChange::Delete && !found)
        throw SkiffError(QStringLiteral("Cannot delete a file that doesn't exist."));
    return out;
}

void writeWhole(const QString& path, const QByteArray& bytes)
{
    QString problem;
    if (!PartFile::Replace(path, bytes, &problem))
        throw SkiffError(QStringLiteral("Path/File access error"), 75);
}

} // namespace

void RewriteControlFile(const QString& pstrFileName, RecordChange change,
                        const FileDetailsValues& values)
{
    const QString file = ControlFile::FileName();
    const QString backup = ControlFile::BackupName();

    // The old backup may be the only good copy left (the recovery uploads
    // it), so it goes only when there is a control file to take its place.
    const ControlFile::Contents contents = ControlFile::Read(file);
    contents.requireHeader();

    if (QFile::exists(backup) && !QFile::remove(backup))
        throw SkiffError(QStringLiteral("Permission denied"), 70);
    if (!QFile::rename(file, backup))
        throw SkiffError(QStringLiteral("Path/File access error"), 75);
    try {
        writeWhole(file, rewritten(contents, pstrFileName, change, values));
    } catch (const SkiffError&) {
        if (!QFile::exists(file))
            QFile::copy(backup, file);
        throw;
    }
}
