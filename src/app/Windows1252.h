#pragma once
// The 8-bit character set of the group's shared files (user file, control
// file): Windows-1252, so the files stay compatible with the Windows clients.
// Every byte maps to a character and back, so bytes round-trip unchanged.

#include <QByteArray>
#include <QString>

namespace Windows1252 {

QString decode(const QByteArray& bytes);
// Characters outside the set become "?".
QByteArray encode(const QString& text);
char encodeChar(QChar c);
QChar decodeByte(unsigned char b);

} // namespace Windows1252
