#pragma once
// The control file "_files.txt", the same on the server and in the local
// folder, Windows-1252 text with CR LF line ends:
//   line 1   the program release that wrote it ("2.0.3"), read as a whole line
//   line 2   the number of records, decimal
//   then     records of six fields in the "write" list format:
//            "name",3,"holder","author","description","comment"
//
// Records are read back the way the list format's reader does it: the text
// after line 2 is one stream of fields separated by commas and line ends, so
// a record short of fields borrows from the next line, and each field is
// read only while the end of the file has not been reached.

#include "app/Errors.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <optional>

struct FileRecord
{
    QString Name;
    short CurrentVersion = 0;
    QString Controller;
    QString Author;
    QString Description;
    QString Comment;
};

namespace ControlFile {

QString FileName();   // "_files.txt"
QString BackupName(); // "_files.txt.backup", locally and on the server

// Shared file names are the same file whatever their letter case.
bool SameFileName(const QString& a, const QString& b);

// A record with an empty name is kept by the reader (it still counts for the
// stream of fields) but is never listed, matched or written back.
inline bool IsListed(const FileRecord& record)
{
    return !record.Name.isEmpty();
}

// Everything one read found, in the order the program checks it. The read
// stops at the first error and keeps what came before it, so a caller can
// first use the records and then report the error, exactly as a reader that
// fails halfway would have left things.
struct Contents
{
    bool exists = false;         // the file was there
    bool hasReleaseLine = false; // false: the file is empty
    QString release;
    bool hasCountLine = false;   // false: the file holds line 1 only
    short expectedCount = 0;     // line 2 as a number
    QVector<FileRecord> records; // in file order, including unlisted ones
    // Set when the file could not be opened, line 2 is out of range, or a
    // record's version is not a number or out of range. Records before the
    // faulty one are in records.
    std::optional<SkiffError> error;
    // For a damaged file (not one that could not be opened): which line or
    // record and why, e.g. record 3 (notes.txt): the version "abc" is not a
    // number. The error's description says the same in a sentence.
    QString damage;

    int listedCount() const;
    // For callers that need both header lines before they use the records:
    // throws "File not found" for a missing file, the error of a file that
    // could not be opened, and "Input past end of file" when line 1 or line
    // 2 is missing. Any other error is left in error for after the records
    // (a bad count line leaves none to use).
    void requireHeader() const;
};

// Reads a control file; never throws.
Contents Read(const QString& path);
Contents Parse(const QByteArray& bytes);

// Whether the file at path lists a file of that name (letter case ignored).
// Throws as requireHeader() does; a faulty record throws only when no record
// before it matched.
bool ListsFile(const QString& path, const QString& name);
// Who the file at path says has that file checked out; "" when nobody or
// when it lists no such file. Throws as requireHeader() does, and for a
// faulty record.
QString HolderOf(const QString& path, const QString& name);

// One record in the write list format, CR LF included. A double quote cannot
// be held between the quotes, so it is stored as an apostrophe, as the
// windows store typed text.
void AppendRecord(QByteArray& out, const FileRecord& record);
// Lines 1 and 2, CR LF each.
void AppendHeader(QByteArray& out, const QString& release, short count);

} // namespace ControlFile
