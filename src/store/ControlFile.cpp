#include "ControlFile.h"

#include "app/Windows1252.h"
#include "app/modSkiff.h"

#include <QFile>
#include <algorithm>
#include <cstring>

namespace ControlFile {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool isSeparator(char c)
{
    return c == ',' || c == '\r' || c == '\n';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

QString decodeSpan(const char* begin, const char* end)
{
    if (begin == end)
        return QString();
    QString text(end - begin, Qt::Uninitialized);
    QChar* out = text.data();
    for (const char* p = begin; p != end; ++p) {
        const auto byte = static_cast<unsigned char>(*p);
        *out++ = byte < 0x80 ? QChar(char16_t(byte)) : Windows1252::decodeByte(byte);
    }
    return text;
}

// A version field that does not even begin like a number cannot be read
// into one: the list format's reader stops there with a type mismatch.
bool beginsWithNumber(const char* p, const char* end)
{
    if (p != end && (*p == '+' || *p == '-'))
        ++p;
    if (p != end && *p == '.')
        ++p;
    return p != end && isDigit(*p);
}

// The common case of a version field, without the general conversion's
// cost: an optional minus and at most nine digits, nothing else.
std::optional<int> plainWholeNumber(const char* p, const char* end)
{
    const bool negative = p != end && *p == '-';
    if (negative)
        ++p;
    if (p == end || end - p > 9)
        return std::nullopt;
    int value = 0;
    for (; p != end; ++p) {
        if (!isDigit(*p))
            return std::nullopt;
        value = value * 10 + (*p - '0');
    }
    return negative ? -value : value;
}

// A number field the reader cannot take: the conversion's error and the
// field's text.
struct Damage
{
    SkiffError error;
    QString text;
};

// Why a number cannot be a version or a count, in words.
QString whyNotANumber(const Damage& damage)
{
    if (damage.error.number() == SkiffError::typeMismatch().number())
        return QStringLiteral("is not a number");
    return damage.text.trimmed().startsWith(QLatin1Char('-')) ? QStringLiteral("is below -32768")
                                                               : QStringLiteral("is above 32767");
}

// The text after line 2 as the list format's reader sees it. Works on the raw
// bytes and decodes only the fields, so a large file costs one pass.
class FieldStream
{
public:
    FieldStream(const char* begin, const char* end) : m_p(begin), m_end(end) {}

    bool atEnd() const { return m_p == m_end; }

    // A whole line without its line end (CR LF, LF or CR).
    QString readLine()
    {
        const char* begin = m_p;
        while (m_p != m_end && *m_p != '\r' && *m_p != '\n')
            ++m_p;
        const char* end = m_p;
        skipLineEnd();
        return decodeSpan(begin, end);
    }

    QString readText()
    {
        const char *begin, *end;
        nextField(begin, end);
        return decodeSpan(begin, end);
    }

    // Throws Damage (not a number, out of range) naming the field's text.
    short readNumber()
    {
        const char *begin, *end;
        nextField(begin, end);
        while (begin != end && isBlank(*begin))
            ++begin;
        if (begin == end)
            return 0;
        if (!beginsWithNumber(begin, end))
            throw Damage{SkiffError::typeMismatch(), decodeSpan(begin, end)};
        try {
            if (const std::optional<int> whole = plainWholeNumber(begin, end))
                return modSkiff::ToInteger(*whole);
            return modSkiff::ToInteger(modSkiff::Val(decodeSpan(begin, end)));
        } catch (const SkiffError& error) {
            throw Damage{error, decodeSpan(begin, end)};
        }
    }

private:
    // A quoted field runs to its closing quote, over commas and line ends,
    // and whatever follows the quote up to the separator is dropped. An
    // unquoted one runs to the separator, without surrounding blanks.
    void nextField(const char*& begin, const char*& end)
    {
        while (m_p != m_end && isBlank(*m_p))
            ++m_p;
        if (m_p != m_end && *m_p == '"') {
            begin = m_p + 1;
            const void* quote = std::memchr(begin, '"', size_t(m_end - begin));
            end = quote ? static_cast<const char*>(quote) : m_end;
            m_p = quote ? end + 1 : m_end;
            while (m_p != m_end && !isSeparator(*m_p))
                ++m_p;
        } else {
            begin = m_p;
            while (m_p != m_end && !isSeparator(*m_p))
                ++m_p;
            end = m_p;
            while (end != begin && isBlank(end[-1]))
                --end;
        }
        if (m_p != m_end && *m_p == ',')
            ++m_p;
        else
            skipLineEnd();
    }

    void skipLineEnd()
    {
        if (m_p != m_end && *m_p == '\r')
            ++m_p;
        if (m_p != m_end && *m_p == '\n')
            ++m_p;
    }

    const char* m_p;
    const char* m_end;
};

SkiffError fileNotFound()
{
    return SkiffError(QStringLiteral("File not found"), 53);
}
SkiffError inputPastEndOfFile()
{
    return SkiffError(QStringLiteral("Input past end of file"), 62);
}

void appendQuoted(QByteArray& out, const QString& text)
{
    const qsizetype start = out.size();
    out.resize(start + text.size() + 2);
    char* p = out.data() + start;
    *p++ = '"';
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const char byte = u < 0x80 ? char(u) : Windows1252::encodeChar(c);
        *p++ = byte == '"' ? '\'' : byte;
    }
    *p = '"';
}

} // namespace

QString FileName()
{
    return QStringLiteral("_files.txt");
}
QString BackupName()
{
    return QStringLiteral("_files.txt.backup");
}

bool SameFileName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

int Contents::listedCount() const
{
    return int(std::count_if(records.cbegin(), records.cend(), IsListed));
}

void Contents::requireHeader() const
{
    if (!exists)
        throw fileNotFound();
    if (!hasReleaseLine && error)
        throw *error;
    if (!hasReleaseLine || !hasCountLine)
        throw inputPastEndOfFile();
}

Contents Parse(const QByteArray& bytes)
{
    Contents contents;
    contents.exists = true;
    FieldStream stream(bytes.constData(), bytes.constData() + bytes.size());
    try {
        if (stream.atEnd())
            return contents;
        contents.hasReleaseLine = true;
        contents.release = stream.readLine();
        if (stream.atEnd())
            return contents;
        contents.hasCountLine = true;
        const QString countLine = stream.readLine();
        try {
            contents.expectedCount = modSkiff::ToInteger(modSkiff::Val(countLine));
        } catch (const SkiffError& error) {
            throw Damage{error, countLine};
        }
        contents.records.reserve(std::max<int>(contents.expectedCount, 0));
        while (!stream.atEnd()) {
            FileRecord record;
            record.Name = stream.readText();
            if (!stream.atEnd()) {
                try {
                    record.CurrentVersion = stream.readNumber();
                } catch (const Damage& damage) {
                    contents.damage = QStringLiteral("record %1 (%2): the version \"%3\" %4")
                                          .arg(contents.records.size() + 1)
                                          .arg(record.Name, damage.text, whyNotANumber(damage));
                    throw damage.error;
                }
            }
            if (!stream.atEnd())
                record.Controller = stream.readText();
            if (!stream.atEnd())
                record.Author = stream.readText();
            if (!stream.atEnd())
                record.Description = stream.readText();
            if (!stream.atEnd())
                record.Comment = stream.readText();
            contents.records.push_back(std::move(record));
        }
    } catch (const Damage& damage) {
        contents.damage = QStringLiteral("the count line \"%1\" %2")
                              .arg(damage.text, whyNotANumber(damage));
        contents.error = damage.error;
    } catch (const SkiffError& error) {
        contents.error = error;
    }
    if (!contents.damage.isEmpty())
        contents.error = SkiffError(QStringLiteral("The control file ") + FileName() +
                                        QStringLiteral(" on the server is damaged: ") +
                                        contents.damage +
                                        QStringLiteral(". Refresh the list to restore it from "
                                                       "the server's backup."),
                                    contents.error->number());
    return contents;
}

Contents Read(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return Contents();
    if (!file.open(QIODevice::ReadOnly)) {
        Contents contents;
        contents.exists = true;
        contents.error = SkiffError(QStringLiteral("Path/File access error"), 75);
        return contents;
    }
    return Parse(file.readAll());
}

bool ListsFile(const QString& path, const QString& name)
{
    const Contents contents = Read(path);
    contents.requireHeader();
    for (const FileRecord& record : contents.records)
        if (IsListed(record) && SameFileName(record.Name, name))
            return true;
    if (contents.error)
        throw *contents.error;
    return false;
}

QString HolderOf(const QString& path, const QString& name)
{
    const Contents contents = Read(path);
    contents.requireHeader();
    if (contents.error)
        throw *contents.error;
    QString holder;
    for (const FileRecord& record : contents.records)
        if (IsListed(record) && SameFileName(record.Name, name))
            holder = record.Controller;
    return holder;
}

void AppendRecord(QByteArray& out, const FileRecord& record)
{
    appendQuoted(out, record.Name);
    out += ',';
    out += QByteArray::number(record.CurrentVersion);
    out += ',';
    appendQuoted(out, record.Controller);
    out += ',';
    appendQuoted(out, record.Author);
    out += ',';
    appendQuoted(out, record.Description);
    out += ',';
    appendQuoted(out, record.Comment);
    out += "\r\n";
}

void AppendHeader(QByteArray& out, const QString& release, short count)
{
    out += Windows1252::encode(release);
    out += "\r\n";
    out += QByteArray::number(count);
    out += "\r\n";
}

} // namespace ControlFile
