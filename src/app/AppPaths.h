#pragma once

#include <QString>

namespace AppPaths {

// The program's own folder, home of "external editors.ini" and of the first
// run's "Local Folder": the executable's folder, or the per-user data folder
// where that is not writable or the program is installed (its desktop entry
// lies in ../share/applications). SKIFF_PROGRAM_DIR overrides both.
QString ProgramFolder();

// A folder path with exactly one trailing separator.
QString WithTrailingSeparator(const QString& folder);

} // namespace AppPaths
