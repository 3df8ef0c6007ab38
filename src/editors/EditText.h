#pragma once
// The text of a file in the internal editor: which texts it takes, the line
// ends it shows them with, and the way a text travels through a plain text
// box and back without a character changing.

#include <QByteArray>
#include <QString>

namespace EditText {

// A downloaded text of this many characters or more is not edited.
inline constexpr int kTooLarge = 30000;

bool FitsTheEditor(const QString& text);

// Why bytes are no text the editor may take (a NUL byte, or bytes that are
// neither UTF-8 nor Windows-1252: a picture or a program), or empty. Taken
// as text they would go back changed (every LF a CR LF).
QString WhyNotText(const QByteArray& bytes);

// Bare LF line ends become CR LF; CR LF stays single; a lone CR is kept.
QString NormaliseLineEnds(QString text);

// A text box keeps paragraphs, not line-end characters: CR LF (and a bare
// LF) become paragraph breaks, and a lone CR, which the box would also take
// for a break, is shown as the symbol "␍". FromTextBox reads the box's raw
// text back: every break is CR LF again and every "␍" a CR. Non-breaking
// spaces and line separators stay what they were.
QString ForTextBox(const QString& text);
QString FromTextBox(const QString& rawText);

} // namespace EditText
