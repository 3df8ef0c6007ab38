#include "PartFile.h"

#include "app/modSkiff.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
constexpr int kNameAttempts = 8;
}

PartFile::~PartFile()
{
    if (!m_committed && m_file.isOpen()) {
        m_file.close();
        m_file.remove();
    }
}

bool PartFile::open(QString* problem)
{
    if (QFileInfo::exists(m_target) && modSkiff::IsReadOnly(m_target)) {
        *problem = QStringLiteral("the file is read-only");
        return false;
    }
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        m_file.setFileName(
            QStringLiteral("%1.%2.part")
                .arg(m_target)
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            return true;
    }
    *problem = m_file.errorString();
    return false;
}

bool PartFile::Replace(const QString& target, const QByteArray& bytes, QString* problem)
{
    PartFile file(target);
    if (!file.open(problem))
        return false;
    if (file.device()->write(bytes) != bytes.size()) {
        *problem = file.device()->errorString();
        return false;
    }
    return file.commit(problem);
}

bool PartFile::commit(QString* problem)
{
    m_file.close();
    // rename() replaces an existing target atomically, where QFile::rename
    // would refuse.
    if (std::rename(QFile::encodeName(m_file.fileName()).constData(),
                    QFile::encodeName(m_target).constData()) != 0) {
        *problem = QString::fromLocal8Bit(std::strerror(errno));
        m_file.remove();
        return false;
    }
    m_committed = true;
    return true;
}
