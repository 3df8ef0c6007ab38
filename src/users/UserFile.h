#pragma once
// The user file as user administration works on it: downloaded once into a
// local working copy, changed there record by record, and sent back whole.
// Record number n (counted from 1) of the working copy belongs to entry n of
// the administrator's list.

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
// as given (through ProxyServer when it is set), and writes it raw to workingCopy, replacing what was there. A
// server that cannot be reached, an error page or a working copy that cannot
// be written throws SkiffError saying so; the working copy is then left as
// it was.
void Download(Inet& inet, const QString& userName, const QString& password,
              const QString& workingCopy);

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

// Sends workingCopy over FTP as the site's user file on a fresh connection
// ("QUIT" first), under the server's change lock (ChangeLock), keeping the
// site's previous file as "_files.dat.backup". False, with failure saying
// why, also when the lock was not taken.
// A missing working copy throws SkiffError before anything is sent.
// False when the new file did not arrive (the transport verifies it); the
// site's previous file is then put back and failure says why.
bool Upload(Inet& inet, const QString& workingCopy, modSkiff::SendFailure* failure = nullptr);

} // namespace UserFile
