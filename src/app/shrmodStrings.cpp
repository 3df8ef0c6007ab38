#include "shrmodStrings.h"

namespace shrmodStrings {
namespace {

enum class CaseRule { Unchanged, KeepCase };

QString replacementFor(const QString& found, const QString& replacement, CaseRule rule)
{
    if (rule == CaseRule::Unchanged)
        return replacement;
    if (IsUpperCase(found))
        return replacement.toUpper();
    if (IsLowerCase(found))
        return replacement.toLower();
    if (!IsCapitalized(found))
        return replacement;
    return Capitalize(replacement);
}

QString replacePairs(QString& text, const QStringList& pairs, CaseRule rule)
{
    for (int i = 0; i + 1 < pairs.size(); i += 2) {
        const QString& search = pairs.at(i);
        const QString& replacement = pairs.at(i + 1);
        if (search.isEmpty())
            continue;
        qsizetype p = text.indexOf(search, 0, Qt::CaseInsensitive);
        while (p >= 0) {
            const QString found = text.mid(p, search.size());
            text.replace(p, search.size(), replacementFor(found, replacement, rule));
            p = text.indexOf(search, p + replacement.size(), Qt::CaseSensitive);
        }
    }
    return text;
}

} // namespace

QString ReplaceText(QString& text, const QStringList& pairs)
{
    return replacePairs(text, pairs, CaseRule::Unchanged);
}

QString ReplaceTextKeepCase(QString& text, const QStringList& pairs)
{
    return replacePairs(text, pairs, CaseRule::KeepCase);
}

bool StripLeadingText(QString& text, const QString& prefix)
{
    QString subject = text;
    if (!prefix.startsWith(QLatin1Char(' '))) {
        qsizetype blanks = 0;
        while (blanks < subject.size() && subject.at(blanks) == QLatin1Char(' '))
            ++blanks;
        subject = subject.mid(blanks);
    }
    if (subject.left(prefix.size()).compare(prefix, Qt::CaseInsensitive) != 0)
        return false;
    text = subject.mid(prefix.size());
    return true;
}

void SplitAt(const QString& source, const QString& delimiter, QString& before, QString& after)
{
    const qsizetype p = delimiter.isEmpty() ? -1 : source.indexOf(delimiter);
    if (p < 0) {
        before = source;
        after.clear();
        return;
    }
    // Copy first: before or after may be the same object as source.
    const QString whole = source;
    before = whole.left(p);
    after = whole.mid(p + delimiter.size());
}

bool IsUpperCase(const QString& text) { return text == text.toUpper(); }

bool IsLowerCase(const QString& text) { return text == text.toLower(); }

bool IsCapitalized(const QString& text)
{
    if (text.isEmpty())
        return true;
    return IsUpperCase(text.left(1)) && IsLowerCase(text.mid(1));
}

QString Capitalize(const QString& text)
{
    return text.left(1).toUpper() + text.mid(1).toLower();
}

} // namespace shrmodStrings
