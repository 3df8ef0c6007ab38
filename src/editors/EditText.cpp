#include "EditText.h"

#include "app/SiteText.h"
#include "app/shrmodStrings.h"

namespace EditText {
namespace {

const QChar kLoneCrSymbol(0x240D);
const QChar kParagraphBreak(0x2029);

} // namespace

QString WhyNotText(const QByteArray& bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        return QStringLiteral("it holds a NUL byte at byte %1").arg(nul + 1);
    if (SiteText::Detect(bytes) == SiteText::Encoding::Utf8)
        return QString();
    // The five codes Windows-1252 leaves unassigned.
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes.at(i));
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)
            return QStringLiteral("byte %1 is neither UTF-8 nor Windows-1252 text").arg(i + 1);
    }
    return QString();
}

bool FitsTheEditor(const QString& text)
{
    return text.size() < kTooLarge;
}

QString NormaliseLineEnds(QString text)
{
    shrmodStrings::ReplaceTextKeepCase(text, {QStringLiteral("\n"), QStringLiteral("\r\n")});
    shrmodStrings::ReplaceTextKeepCase(text, {QStringLiteral("\r\r\n"), QStringLiteral("\r\n")});
    return text;
}

QString ForTextBox(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r'))
            shown += c;
        else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            shown += QLatin1Char('\n'), ++i;
        else
            shown += kLoneCrSymbol;
    }
    return shown;
}

QString FromTextBox(const QString& rawText)
{
    QString text;
    text.reserve(rawText.size() + rawText.size() / 16);
    for (const QChar c : rawText) {
        if (c == kParagraphBreak)
            text += QLatin1String("\r\n");
        else if (c == kLoneCrSymbol)
            text += QLatin1Char('\r');
        else
            text += c;
    }
    return text;
}

} // namespace EditText
