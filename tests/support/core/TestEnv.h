#pragma once
// One member's private world for a test: a temporary folder holding the
// program folder, the settings store and the local folder, with the global
// state that goes with it. Two of them let one test run two members against
// one site; activate() switches the process over to a member.

#include "app/Errors.h"
#include "app/GlobalState.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class TestEnv
{
public:
    // Creates the folders; the member is signed in with the given name and
    // level and the local folder is the working directory.
    explicit TestEnv(const QString& user = QStringLiteral("Ann"), unsigned char level = 3);
    ~TestEnv();

    // Makes this member's state, settings store and working directory current.
    void activate();
    // Remembers the current global state as this member's (call after the
    // program changed it, before switching to another member).
    void capture();

    QString root() const { return m_dir.path(); }
    QString programFolder() const { return m_dir.path() + QStringLiteral("/program"); }
    QString localFolder() const { return m_dir.path() + QStringLiteral("/local/"); }
    QString settingsFile() const { return m_dir.path() + QStringLiteral("/config/Skiff.ini"); }
    QString localPath(const QString& name) const { return localFolder() + name; }

    void writeLocal(const QString& name, const QByteArray& bytes) const;
    QByteArray readLocal(const QString& name) const;

    modSkiff::GlobalState state;

private:
    QTemporaryDir m_dir;
    QString m_previousDir;
};

// The description of the SkiffError a call throws; "" when it throws none.
template <typename Call> QString ErrorOf(Call call)
{
    try {
        call();
    } catch (const SkiffError& error) {
        return error.description();
    }
    return QString();
}

// Reads a whole file; an empty array when it is missing.
QByteArray ReadFileBytes(const QString& path);
void WriteFileBytes(const QString& path, const QByteArray& bytes);
