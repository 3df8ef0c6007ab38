#pragma once
// Replacing files of the local mirror in one step: the new content goes into
// a file beside the target that takes its name only once complete, so a
// failure leaves the previous file as it was. Both throw SkiffError naming
// the file and the reason.

#include <QByteArray>
#include <QString>

namespace MirrorFiles {

void Write(const QString& target, const QByteArray& bytes);
void Copy(const QString& source, const QString& target);

} // namespace MirrorFiles
