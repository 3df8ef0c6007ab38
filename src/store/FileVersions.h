#pragma once
// The version of each shared file the member holds a local copy of: settings
// section FileVersions, key = the file name in lower case, decimal text.
// 0 (also a missing key) means the member has no local copy.

#include <QString>

namespace FileVersions {

// A value that is not a number reads as 0, like a missing one. So does a
// number outside 16 bits: such a value can only come from editing the store
// by hand, and failing on it would keep the member from ever listing the
// files again, whereas 0 merely offers the file for download.
short Get(const QString& fileName);
void Set(const QString& fileName, short version);

} // namespace FileVersions
