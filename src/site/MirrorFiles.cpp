#include "MirrorFiles.h"

#include "app/Errors.h"
#include "app/PartFile.h"

#include <QFile>
#include <functional>

namespace MirrorFiles {
namespace {

constexpr qint64 kCopyChunk = 64 * 1024;

void Replace(const QString& target, const std::function<QString(QIODevice&)>& fill)
{
    PartFile file(target);
    QString problem;
    if (!file.open(&problem) || !(problem = fill(*file.device())).isEmpty() ||
        !file.commit(&problem))
        throw SkiffError(target + QStringLiteral(" could not be written: ") + problem);
}

} // namespace

void Write(const QString& target, const QByteArray& bytes)
{
    QString problem;
    if (!PartFile::Replace(target, bytes, &problem))
        throw SkiffError(target + QStringLiteral(" could not be written: ") + problem);
}

void Copy(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw SkiffError(source + QStringLiteral(" could not be read: ") + in.errorString());
    Replace(target, [&](QIODevice& out) {
        while (!in.atEnd()) {
            const QByteArray chunk = in.read(kCopyChunk);
            if (chunk.isEmpty() && in.error() != QFile::NoError)
                return in.errorString();
            if (out.write(chunk) != chunk.size())
                return out.errorString();
        }
        return QString();
    });
}

} // namespace MirrorFiles
