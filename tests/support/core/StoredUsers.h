#pragma once
// User files built byte by byte, so that a codec fault which scrambles and
// unscrambles symmetrically cannot hide behind the program's own codec.

#include <QByteArray>

// One record as the user file stores it: nickname and password (bytes of
// Windows-1252) padded with blanks to 30 and 29, the level, then every byte
// complemented.
QByteArray StoredUserRecord(const QByteArray& name, const QByteArray& password, int level);
