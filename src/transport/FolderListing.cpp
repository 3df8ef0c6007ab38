#include "FolderListing.h"

#include "UploadName.h"

#include <QByteArrayList>
#include <QList>

namespace FolderListing {
namespace {

struct Entry
{
    QByteArray name;
    bool folder = false;
    bool link = false;
};

QByteArrayList linesOf(const QByteArray& listing)
{
    QByteArrayList lines;
    for (QByteArray line : listing.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            lines.append(line);
    }
    return lines;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// One file of one folder: no separator of either kind, not the folder
// itself or its parent, no control characters.
bool isPlainName(const QByteArray& name)
{
    if (name.isEmpty() || name == "." || name == "..")
        return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || u < 0x20 || u == 0x7F)
            return false;
    }
    return true;
}

QByteArray withoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

// Some servers answer with paths: the listed path itself when one file was
// listed, or the folder's path and the name. Any other path is not an entry
// of the listed folder.
QByteArray nameOf(const QByteArray& listed, const QByteArray& listedPath)
{
    if (!listed.contains('/'))
        return listed;
    const QByteArray path = withoutTrailingSlashes(listed);
    const QByteArray base = path.mid(path.lastIndexOf('/') + 1);
    const QByteArray asked = withoutTrailingSlashes(listedPath);
    if (asked.isEmpty())
        return QByteArray();
    if (path == asked || path == asked + '/' + base)
        return base;
    return QByteArray();
}

QByteArray render(const QList<Entry>& entries, const QByteArray& listedPath,
                  const FolderLinks& folderLinks)
{
    QByteArrayList names;
    QByteArrayList links;
    for (const Entry& entry : entries) {
        names.append(nameOf(entry.name, listedPath));
        if (entry.link && isPlainName(names.last()))
            links.append(names.last());
    }
    const QSet<QByteArray> linkedFolders =
        folderLinks && !links.isEmpty() ? folderLinks(links) : QSet<QByteArray>();
    QByteArray text;
    for (int i = 0; i < entries.size(); ++i) {
        const QByteArray& name = names.at(i);
        if (!isPlainName(name))
            continue;
        text += name;
        if (entries.at(i).folder || (entries.at(i).link && linkedFolders.contains(name)))
            text += '/';
        text += "\r\n";
    }
    return text;
}

// A word of a line and where the rest of the line starts after it.
struct Word
{
    QByteArray text;
    int end = 0;
};

QList<Word> wordsOf(const QByteArray& line)
{
    QList<Word> words;
    int at = 0;
    while (at < line.size()) {
        while (at < line.size() && isBlank(line.at(at)))
            ++at;
        const int start = at;
        while (at < line.size() && !isBlank(line.at(at)))
            ++at;
        if (at > start)
            words.append({line.mid(start, at - start), at});
    }
    return words;
}

// What follows a word, less all the blanks after it.
QByteArray restAfterBlanks(const QByteArray& line, const Word& word)
{
    int at = word.end;
    while (at < line.size() && isBlank(line.at(at)))
        ++at;
    return line.mid(at);
}

// What follows a word, less the one blank that separates it: ls pads its
// columns before the name, never inside it, so a name's own leading blanks
// survive.
QByteArray restAfterOneBlank(const QByteArray& line, const Word& word)
{
    return line.mid(word.end + 1);
}

bool isNumber(const QByteArray& word)
{
    bool ok = false;
    word.toLongLong(&ok);
    return ok;
}

bool isDigits(const QByteArray& word, int from, int count)
{
    if (word.size() < from + count)
        return false;
    for (int i = from; i < from + count; ++i) {
        if (word.at(i) < '0' || word.at(i) > '9')
            return false;
    }
    return true;
}

bool isMonth(const QByteArray& word)
{
    static const QByteArrayList months = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    return months.contains(word.toLower());
}

// "10:00", "9:05" or "10:00:59" (servers that list full times).
bool isClock(const QByteArray& word)
{
    const int colon = word.indexOf(':');
    return colon >= 1 && colon <= 2 && isDigits(word, 0, colon) && isDigits(word, colon + 1, 2) &&
           (word.size() == colon + 3 || (word.size() == colon + 6 && word.at(colon + 3) == ':' &&
                                         isDigits(word, colon + 4, 2)));
}

bool isYear(const QByteArray& word) { return word.size() == 4 && isDigits(word, 0, 4); }

// "2024-01-05": the ISO dates of ls --time-style=long-iso and of some servers.
bool isIsoDate(const QByteArray& word)
{
    return word.size() == 10 && isDigits(word, 0, 4) && word.at(4) == '-' &&
           isDigits(word, 5, 2) && word.at(7) == '-' && isDigits(word, 8, 2);
}

// "-rw-r--r--", "drwxr-sr-x+", "lrwxrwxrwx.": a type and nine permission
// letters, perhaps with a mark for extended attributes.
bool isPermissions(const QByteArray& word)
{
    if (word.size() < 10 || word.size() > 11 || !QByteArray("-dlcbpsD").contains(word.at(0)))
        return false;
    for (int i = 1; i < 10; ++i) {
        if (!QByteArray("-rwxsStTlL").contains(word.at(i)))
            return false;
    }
    return word.size() == 10 || QByteArray("+@.").contains(word.at(10));
}

// The last word of a date that starts at word i, or -1.
int dateEndingAt(const QList<Word>& words, int i)
{
    if (i + 3 < words.size() && isMonth(words.at(i).text) && isNumber(words.at(i + 1).text) &&
        (isClock(words.at(i + 2).text) || isYear(words.at(i + 2).text)))
        return i + 2;
    if (i + 2 < words.size() && isIsoDate(words.at(i).text) && isClock(words.at(i + 1).text))
        return i + 1;
    return -1;
}

// "-rw-r--r-- 1 owner group 12 Jan 5 10:00 my file.txt": the name is what
// follows the date, whatever the columns before it (some servers leave out
// the group, devices list two numbers for the size). The date comes after
// the link count, the owner and the size at the least, so an owner or group
// named like a month ("jun" followed by numbers) is not taken for it; only
// a line too short for all of those may have it one word earlier.
bool parseUnixLine(const QByteArray& line, Entry& entry)
{
    const QList<Word> words = wordsOf(line);
    if (words.size() < 5 || !isPermissions(words.first().text))
        return false;
    const char type = words.first().text.at(0);
    int last = -1; // the date's last word
    for (int i = 4; last < 0 && i + 1 < words.size(); ++i)
        last = dateEndingAt(words, i);
    if (last < 0)
        last = dateEndingAt(words, 3);
    if (last < 0)
        return false;
    entry.name = restAfterOneBlank(line, words.at(last));
    if (type == 'l' && entry.name.contains(" -> "))
        entry.name.truncate(entry.name.indexOf(" -> "));
    entry.folder = type == 'd';
    entry.link = type == 'l';
    return !entry.name.isEmpty();
}

// "01-05-20  10:00AM  <DIR>  news" or "01-05-2020  22:00  1234 my file.txt".
bool parseDosLine(const QByteArray& line, Entry& entry)
{
    const QList<Word> words = wordsOf(line);
    if (words.size() < 4)
        return false;
    const QByteArray& date = words.at(0).text;
    if (date.count('-') != 2 && date.count('/') != 2)
        return false;
    int at = 1;
    if (!words.at(at).text.contains(':'))
        return false;
    // "10:00 AM" with the blank some servers put before the half of the day.
    const QByteArray half = words.at(at + 1).text.toUpper();
    if (half == "AM" || half == "PM")
        ++at;
    if (at + 1 >= words.size())
        return false;
    const Word& sizeOrFolder = words.at(at + 1);
    entry.folder = sizeOrFolder.text.compare("<DIR>", Qt::CaseInsensitive) == 0;
    if (!entry.folder && !isNumber(sizeOrFolder.text))
        return false;
    entry.name = restAfterBlanks(line, sizeOrFolder);
    return !entry.name.isEmpty();
}

} // namespace

QByteArray FromMlsd(const QByteArray& listing, const QByteArray& listedPath,
                    const FolderLinks& folderLinks)
{
    QList<Entry> entries;
    for (const QByteArray& line : linesOf(listing)) {
        // The facts end at the first blank; the name is everything after it.
        const int space = line.indexOf(' ');
        if (space < 0)
            continue;
        QByteArray type;
        for (const QByteArray& fact : line.left(space).split(';')) {
            if (fact.toLower().startsWith("type="))
                type = fact.mid(5).toLower();
        }
        if (type.isEmpty() || type == "cdir" || type == "pdir")
            continue;
        // proftpd names a link "OS.unix=symlink" or "OS.unix=slink:target".
        const bool link = type.startsWith("os.unix=slink") || type.startsWith("os.unix=symlink");
        entries.append({line.mid(space + 1), type == "dir", link});
    }
    return render(entries, listedPath, folderLinks);
}

QByteArray FromList(const QByteArray& listing, const QByteArray& listedPath,
                    const FolderLinks& folderLinks)
{
    QList<Entry> entries;
    for (const QByteArray& line : linesOf(listing)) {
        Entry entry;
        if (parseUnixLine(line, entry) || parseDosLine(line, entry))
            entries.append(entry);
    }
    return render(entries, listedPath, folderLinks);
}

Entries ReadListingText(const QString& listingText)
{
    Entries entries;
    for (const QString& line : listingText.split(QStringLiteral("\r\n"))) {
        if (QString(line).remove(QLatin1Char(' ')).isEmpty() || UploadName::IsTemporary(line))
            continue;
        if (line.endsWith(QLatin1Char('/')))
            entries.folders.append(line.left(line.size() - 1));
        else
            entries.files.append(line);
    }
    return entries;
}

} // namespace FolderListing
