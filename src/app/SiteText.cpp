#include "SiteText.h"

#include "Windows1252.h"

namespace SiteText {

Encoding Detect(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes).toUtf8() == bytes ? Encoding::Utf8 : Encoding::Windows1252;
}

QString Decode(const QByteArray& bytes, Encoding* used)
{
    const Encoding encoding = Detect(bytes);
    if (used)
        *used = encoding;
    return encoding == Encoding::Utf8 ? QString::fromUtf8(bytes) : Windows1252::decode(bytes);
}

QByteArray Encode(const QString& text, Encoding encoding)
{
    return encoding == Encoding::Utf8 ? text.toUtf8() : Windows1252::encode(text);
}

} // namespace SiteText
