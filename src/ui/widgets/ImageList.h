#pragma once
// A keyed set of pictures for lists, trees and buttons. Keys are unique
// without regard to letter case, as the platform's image lists treat them;
// the key keeps the spelling it was added with.

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QStringList>
#include <QVector>

class ImageList : public QObject
{
    Q_OBJECT
public:
    explicit ImageList(QObject* parent = nullptr);

    // A key already present (in any letter case) gets the new picture.
    void add(const QString& key, const QIcon& icon);
    QIcon icon(const QString& key) const; // any letter case; a null icon when missing
    bool contains(const QString& key) const;
    QStringList keys() const; // in the order added
    // The stored spelling of the key, or "" when there is none.
    QString findKey(const QString& key, Qt::CaseSensitivity sensitivity) const;

private:
    struct Entry
    {
        QString key;
        QIcon icon;
    };
    const Entry* find(const QString& key) const;

    QVector<Entry> m_entries;
    QHash<QString, int> m_byFoldedKey;
};

// The program's image lists, named as their windows know them.
ImageList* NewFileListImages(QObject* parent); // imglstFileList
ImageList* NewUserImages(QObject* parent);     // imglstUsers
ImageList* NewExplorerImages(QObject* parent); // imglistExplorer
