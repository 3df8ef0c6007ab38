#pragma once
// A download in the making: a new file beside the target that takes the
// target's name only once complete, so a failed download leaves no partial
// file and the previous file as it was. (QSaveFile would also force every
// byte to disk first, which costs a third of the speed on a large file.)

#include <QFile>
#include <QString>

class PartFile
{
public:
    explicit PartFile(const QString& target) : m_target(target) {}
    // Removes the partial file unless it was committed.
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    // Refuses a read-only target: such a copy is the member's.
    bool open(QString* problem);
    QIODevice* device() { return &m_file; }
    // Puts the finished file in the target's place in one step.
    bool commit(QString* problem);

    // The whole job for content at hand: false with *problem set, and the
    // target as it was, when the bytes could not all take its place.
    static bool Replace(const QString& target, const QByteArray& bytes, QString* problem);

private:
    QString m_target;
    QFile m_file;
    bool m_committed = false;
};
