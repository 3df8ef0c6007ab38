#include "FtpCommand.h"

#include "UploadName.h"

#include <QList>

namespace {

const QString kBackupSuffix = QStringLiteral(".backup");

QString fileNameOf(const QString& path)
{
    const int slash = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(slash + 1);
}

QString withoutBackup(const QString& name)
{
    return name.endsWith(kBackupSuffix) ? name.left(name.size() - kBackupSuffix.size()) : name;
}

struct Split
{
    QString left;
    QString right;
};

QList<Split> candidateSplits(const QString& names)
{
    QList<Split> splits;
    for (int at = names.indexOf(QLatin1Char(' ')); at >= 0;
         at = names.indexOf(QLatin1Char(' '), at + 1)) {
        if (at > 0 && at < names.size() - 1)
            splits.append({names.left(at), names.mid(at + 1)});
    }
    return splits;
}

// The rules from the surest to the weakest; the first split that a rule
// accepts is taken.
Split splitTwoNames(const QString& names, const std::function<bool(const QString&)>& isLocalFile)
{
    const QList<Split> splits = candidateSplits(names);
    if (splits.isEmpty())
        return {names, fileNameOf(names)};
    const QList<std::function<bool(const Split&)>> rules = {
        [](const Split& s) { return s.left == s.right; },
        [](const Split& s) {
            return s.left == s.right + kBackupSuffix || s.right == s.left + kBackupSuffix ||
                   UploadName::IsTemporaryOf(s.left, s.right);
        },
        [](const Split& s) {
            const QString left = fileNameOf(withoutBackup(s.left));
            return !left.isEmpty() && left == fileNameOf(withoutBackup(s.right));
        },
        [&isLocalFile](const Split& s) { return isLocalFile && isLocalFile(s.left); },
        [](const Split& s) {
            const QString left = withoutBackup(s.left);
            const QString right = withoutBackup(s.right);
            const int leftDot = left.lastIndexOf(QLatin1Char('.'));
            const int rightDot = right.lastIndexOf(QLatin1Char('.'));
            return leftDot > 0 && rightDot > 0 && left.mid(leftDot) == right.mid(rightDot);
        },
    };
    for (const auto& rule : rules) {
        for (const Split& split : splits) {
            if (rule(split))
                return split;
        }
    }
    return splits.first();
}

struct Word
{
    const char* text;
    FtpCommand::Kind kind;
};

// Keywords are read regardless of case, except that "LS" in capitals is the
// folder listing and is looked at before this table.
const Word kWords[] = {
    {"quit", FtpCommand::Quit},         {"close", FtpCommand::Quit},
    {"cd", FtpCommand::ChangeFolder},   {"cwd", FtpCommand::ChangeFolder},
    {"cdup", FtpCommand::ParentFolder}, {"get", FtpCommand::Download},
    {"recv", FtpCommand::Download},     {"send", FtpCommand::Upload},
    {"put", FtpCommand::Upload},        {"rename", FtpCommand::Rename},
    {"delete", FtpCommand::Delete},     {"ls", FtpCommand::NameList},
    {"nlst", FtpCommand::NameList},     {"dir", FtpCommand::LongList},
    {"list", FtpCommand::LongList},
};

// Friendly names for plain FTP commands.
const struct
{
    const char* word;
    const char* ftp;
} kAliases[] = {{"pwd", "PWD"}, {"mkdir", "MKD"}, {"rmdir", "RMD"}, {"size", "SIZE"}};

} // namespace

FtpCommand ParseFtpCommand(const QString& text,
                           const std::function<bool(const QString&)>& localFileExists)
{
    const int space = text.indexOf(QLatin1Char(' '));
    const QString word = space < 0 ? text : text.left(space);
    const QString rest = space < 0 ? QString() : text.mid(space + 1);

    FtpCommand command;
    if (word == QLatin1String("LS")) {
        command.kind = FtpCommand::FolderEntries;
        command.first = rest;
        return command;
    }
    for (const auto& alias : kAliases) {
        if (word.compare(QLatin1String(alias.word), Qt::CaseInsensitive) == 0) {
            command.first =
                QLatin1String(alias.ftp) + (space < 0 ? QString() : QLatin1Char(' ') + rest);
            return command;
        }
    }
    for (const Word& known : kWords) {
        if (word.compare(QLatin1String(known.text), Qt::CaseInsensitive) != 0)
            continue;
        command.kind = known.kind;
        if (known.kind == FtpCommand::Download || known.kind == FtpCommand::Rename) {
            const Split split = splitTwoNames(rest, nullptr);
            command.first = split.left;
            command.second = split.right;
        } else if (known.kind == FtpCommand::Upload) {
            const Split split = splitTwoNames(rest, localFileExists);
            command.first = split.left;
            command.second = split.right;
        } else {
            command.first = rest;
        }
        return command;
    }
    command.first = text;
    return command;
}
