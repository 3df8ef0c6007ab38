#pragma once
// The local half of UpdateFileDetails: rewrites "_files.txt" in the working
// directory (the local folder) to add, change or remove one record. The
// shared files window fetches the control file before it and uploads it
// after it; this part knows nothing of the server.

#include <QString>
#include <optional>

enum class RecordChange
{
    Update,
    Add,
    Delete
};

// The values to store; an absent one leaves its field as it is (for a new
// record: empty, version 0).
struct FileDetailsValues
{
    std::optional<QString> pvarVersion; // read as a number: "Overflow" beyond 16 bits, text is 0
    std::optional<QString> pvarController;
    std::optional<QString> pvarAuthor;
    std::optional<QString> pvarDesc;
    std::optional<QString> pvarComment;
};

// Moves "_files.txt" to "_files.txt.backup" (replacing the old backup) and
// writes the new "_files.txt": line 1 as it was, the count raised by one for
// Add, lowered by one for Delete, every record with a name written back,
// the values stored into every record of pstrFileName (letter case ignored),
// the matching record left out for Delete and a new one appended for Add.
//
// Throws SkiffError: "Cannot add a file that already exists.", "Cannot
// delete a file that doesn't exist.", the errors of reading the control file
// ("File not found", "Input past end of file", "Type mismatch", "Overflow")
// and of the file system. A missing or headless "_files.txt" is refused
// before anything is touched; once the backup is made, a failure leaves both
// "_files.txt.backup" and "_files.txt" holding the copy from before the
// change, so a later change in the same batch still starts from every record.
void RewriteControlFile(const QString& pstrFileName, RecordChange change,
                        const FileDetailsValues& values);
