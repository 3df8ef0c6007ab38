#pragma once
// Small shared procedures of the main module.

#include <QString>

namespace modSkiff {

void SetReadOnly(const QString& path, bool readOnly, bool ignorePreference = false);
bool IsReadOnly(const QString& path);

QString AppVersion();
bool IsCurrentVersion(const QString& version);

QString ScrambleText(const QString& text);

bool IsPrivilegedMember();

// The platform's leading-number conversion: leading blanks skipped, an
// optional sign, digits and a decimal fraction; anything else ends the
// number; no number at all is 0.
double Val(const QString& text);
// A whole 16-bit number as the record format holds it: rounded half to even,
// an SkiffError "Overflow" outside -32768..32767.
short ToInteger(double value);

} // namespace modSkiff
