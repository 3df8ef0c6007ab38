#pragma once
// The user file as user administration works on it: downloaded once into a
// local working copy, changed there record by record, and sent back whole.
// Record number n (counted from 1) of the working copy belongs to entry n of
// the administrator's list.

#include "UserFileMerge.h"
#include "UserRecord.h"
#include "site/WebFiles.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

class Inet;

namespace UserFile {

// The name of the user file in the group folder, and of the working copy.
inline const QString kFileName = QStringLiteral("_files.dat");

// Downloads the site's user file in one request, with the two query values
// as given (through ProxyServer when it is set), checks it (VerifiedForm)
// and writes it raw to workingCopy, replacing what was there; returns the
// bytes, which the upload compares with. A server that cannot be reached,
// an error page, a body shorter than the server's file, a file that is not a
// user file or a working copy that cannot be written throws SkiffError
// saying so; the working copy is then left as it was.
QByteArray Download(Inet& inet, const QString& userName, const QString& password,
                    const QString& workingCopy);

// What is wrong with bytes that are to be taken as the user file: not a
// whole number of records, no record at all, or a record whose nickname or
// password does not decode to printable characters, or has no nickname (an
// error page or garbage reads that way). Empty when they are a user file.
QString FormProblem(const QByteArray& file);

// Every complete record of the working copy in clear values, in file order;
// a trailing partial record is ignored. A missing file throws SkiffError.
QList<UserRecord> ReadAll(const QString& workingCopy);
// Record number n in clear values; none when the copy holds fewer records.
std::optional<UserRecord> Read(const QString& workingCopy, int number);
// Writes a record with clear values as record number n: over that record, or
// appended when n is one past the last. A missing copy, or a number further
// out (the records in between would be garbage), throws SkiffError and
// leaves the file unchanged. The record is stored as the format describes:
// each field padded with blanks, then every byte complemented (a pad is 223).
void Write(const QString& workingCopy, int number, const UserRecord& clear);

// How an upload of the working copy ended.
enum class Outcome
{
    Sent,
    NothingToSend, // the working copy holds nothing the site's file lacks
    Stopped,       // the administrator stopped at a record both changed
    Failed,        // failure says why; the site keeps its file
};

// Sends this administrator's changes to the site's user file. base is the
// file as downloaded; when the working copy still equals it nothing at all
// is sent. Otherwise, on a fresh connection ("QUIT") and under the server's
// change lock (ChangeLock), the site's file is fetched again over FTP and
// checked: when another administrator changed it meanwhile, the changed
// records go onto it (UserFileMerge; decide answers for a record both
// changed), and the result becomes the working copy and base the file it
// was merged onto. It is sent keeping the site's previous file as
// "_files.dat.backup"; the transport verifies it, and a new file that did
// not arrive is replaced by the previous one again.
// A missing working copy throws SkiffError before anything is sent.
Outcome Upload(Inet& inet, const QString& workingCopy, QByteArray& base,
               const UserFileMerge::Decide& decide, modSkiff::SendFailure* failure = nullptr);

} // namespace UserFile
