#pragma once
// Text replacement, splitting and case tests shared by every window.

#include <QString>
#include <QStringList>

namespace shrmodStrings {

// pairs holds search and replacement texts alternately. Only the first
// occurrence of each search text is found regardless of case; later ones
// must match exactly, and inserted text is never searched again.
QString ReplaceText(QString& text, const QStringList& pairs);
// As ReplaceText, but the inserted text takes the case of what it replaces.
QString ReplaceTextKeepCase(QString& text, const QStringList& pairs);
bool StripLeadingText(QString& text, const QString& prefix);
void SplitAt(const QString& source, const QString& delimiter, QString& before, QString& after);
bool IsUpperCase(const QString& text);
bool IsLowerCase(const QString& text);
bool IsCapitalized(const QString& text);
QString Capitalize(const QString& text);

} // namespace shrmodStrings
