#pragma once
// Text files of the web site may be UTF-8 or Windows-1252. A text is decoded
// as UTF-8 when its bytes are valid UTF-8 and as Windows-1252 otherwise, and
// written back in the encoding it came in, so an unchanged text keeps its
// exact bytes.

#include <QByteArray>
#include <QString>

namespace SiteText {

enum class Encoding { Utf8, Windows1252 };

Encoding Detect(const QByteArray& bytes);
QString Decode(const QByteArray& bytes, Encoding* used = nullptr);
QByteArray Encode(const QString& text, Encoding encoding);

} // namespace SiteText
