#pragma once
// Reading one command text of the transfer component's vocabulary.

#include <QString>

#include <functional>

struct FtpCommand
{
    enum Kind
    {
        Quit,          // "QUIT", "close"
        ChangeFolder,  // "cd f"
        ParentFolder,  // "cdup"
        Download,      // "GET r l", "get r l", "recv r l"
        Upload,        // "send l r", "put l r"
        Rename,        // "rename old new"
        Delete,        // "delete n"
        NameList,      // "ls n" in any case but capitals: NLST
        FolderEntries, // "LS folder": MLSD, else LIST, one entry per line
        LongList,      // "dir f": the server's LIST as it stands
        Raw,           // anything else, sent as it stands
    };
    Kind kind = Raw;
    // Names as given. Download: remote, local. Upload: local, remote.
    // Rename: old, new. Raw: the whole line to send.
    QString first;
    QString second;
};

// Reads a command text. Names may hold spaces and are never quoted, so two
// names are told apart by what they usually are: the same name twice, a
// name and its ".backup", two paths ending in the same file name, or two
// names of the same type; for an upload the split that names an existing
// local file wins. localFileExists answers for a local name as given.
FtpCommand ParseFtpCommand(const QString& text,
                           const std::function<bool(const QString&)>& localFileExists);
