#include "FolderListing.h"

#include <QByteArrayList>
#include <QList>

namespace FolderListing {
namespace {

struct Entry
{
    QByteArray name;
    bool folder = false;
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

QByteArray render(const QList<Entry>& entries)
{
    QByteArray text;
    for (const Entry& entry : entries) {
        // Some servers answer with paths; the explorer wants names.
        QByteArray name = entry.name.mid(entry.name.lastIndexOf('/') + 1);
        if (name.isEmpty() || name == "." || name == "..")
            continue;
        text += name;
        if (entry.folder)
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
        while (at < line.size() && (line.at(at) == ' ' || line.at(at) == '\t'))
            ++at;
        const int start = at;
        while (at < line.size() && line.at(at) != ' ' && line.at(at) != '\t')
            ++at;
        if (at > start)
            words.append({line.mid(start, at - start), at});
    }
    return words;
}

// What follows a word, less the one run of blanks that separates it.
QByteArray restAfter(const QByteArray& line, const Word& word)
{
    int at = word.end;
    while (at < line.size() && (line.at(at) == ' ' || line.at(at) == '\t'))
        ++at;
    return line.mid(at);
}

bool isNumber(const QByteArray& word)
{
    bool ok = false;
    word.toLongLong(&ok);
    return ok;
}

bool isMonth(const QByteArray& word)
{
    static const QByteArrayList months = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    return months.contains(word.toLower());
}

bool isTimeOrYear(const QByteArray& word)
{
    return word.contains(':') || (word.size() == 4 && isNumber(word));
}

// "-rw-r--r-- 1 owner group 12 Jan 5 10:00 my file.txt": the name is what
// follows the date, whatever the columns before it (some servers leave out
// the group).
bool parseUnixLine(const QByteArray& line, Entry& entry)
{
    const QList<Word> words = wordsOf(line);
    if (words.size() < 5 || words.first().text.size() < 10)
        return false;
    const char type = words.first().text.at(0);
    for (int i = 1; i + 3 < words.size(); ++i) {
        if (isMonth(words.at(i).text) && isNumber(words.at(i + 1).text) &&
            isTimeOrYear(words.at(i + 2).text)) {
            entry.name = restAfter(line, words.at(i + 2));
            if (type == 'l' && entry.name.contains(" -> "))
                entry.name.truncate(entry.name.indexOf(" -> "));
            entry.folder = type == 'd';
            return !entry.name.isEmpty();
        }
    }
    return false;
}

// "01-05-20  10:00AM  <DIR>  news" or "01-05-20  10:00AM  1234 my file.txt".
bool parseDosLine(const QByteArray& line, Entry& entry)
{
    const QList<Word> words = wordsOf(line);
    if (words.size() < 4 || words.at(0).text.count('-') != 2 || !words.at(1).text.contains(':'))
        return false;
    const QByteArray& sizeOrFolder = words.at(2).text;
    if (sizeOrFolder.compare("<DIR>", Qt::CaseInsensitive) != 0 && !isNumber(sizeOrFolder))
        return false;
    entry.folder = sizeOrFolder.compare("<DIR>", Qt::CaseInsensitive) == 0;
    entry.name = restAfter(line, words.at(2));
    return !entry.name.isEmpty();
}

} // namespace

QByteArray FromMlsd(const QByteArray& listing)
{
    QList<Entry> entries;
    for (const QByteArray& line : linesOf(listing)) {
        const int space = line.indexOf(' ');
        if (space < 0)
            continue;
        QByteArray type;
        for (const QByteArray& fact : line.left(space).split(';')) {
            if (fact.toLower().startsWith("type="))
                type = fact.mid(5).toLower();
        }
        if (type == "cdir" || type == "pdir")
            continue;
        entries.append({line.mid(space + 1), type == "dir"});
    }
    return render(entries);
}

QByteArray FromList(const QByteArray& listing)
{
    QList<Entry> entries;
    for (const QByteArray& line : linesOf(listing)) {
        Entry entry;
        if (parseUnixLine(line, entry) || parseDosLine(line, entry))
            entries.append(entry);
    }
    return render(entries);
}

} // namespace FolderListing
