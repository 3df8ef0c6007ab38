#include "ImageList.h"

#include "ui/Resources.h"

ImageList::ImageList(QObject* parent) : QObject(parent) {}

void ImageList::add(const QString& key, const QIcon& icon)
{
    const QString folded = key.toLower();
    const auto existing = m_byFoldedKey.constFind(folded);
    if (existing != m_byFoldedKey.constEnd()) {
        m_entries[*existing] = {key, icon};
        return;
    }
    m_byFoldedKey.insert(folded, int(m_entries.size()));
    m_entries.append({key, icon});
}

const ImageList::Entry* ImageList::find(const QString& key) const
{
    const auto found = m_byFoldedKey.constFind(key.toLower());
    return found == m_byFoldedKey.constEnd() ? nullptr : &m_entries[*found];
}

QIcon ImageList::icon(const QString& key) const
{
    const Entry* entry = find(key);
    return entry ? entry->icon : QIcon();
}

bool ImageList::contains(const QString& key) const
{
    return find(key) != nullptr;
}

QStringList ImageList::keys() const
{
    QStringList all;
    all.reserve(m_entries.size());
    for (const Entry& entry : m_entries)
        all.append(entry.key);
    return all;
}

QString ImageList::findKey(const QString& key, Qt::CaseSensitivity sensitivity) const
{
    const Entry* entry = find(key);
    if (!entry || (sensitivity == Qt::CaseSensitive && entry->key != key))
        return QString();
    return entry->key;
}

namespace {

struct Picture
{
    const char* key;
    const char* file; // in :/images/
};

ImageList* newImageList(QObject* parent, const char* name, std::initializer_list<Picture> pictures)
{
    InitResources();
    auto* images = new ImageList(parent);
    images->setObjectName(QLatin1String(name));
    for (const Picture& picture : pictures)
        images->add(QLatin1String(picture.key),
                    QIcon(QStringLiteral(":/images/") + QLatin1String(picture.file)));
    return images;
}

} // namespace

ImageList* NewFileListImages(QObject* parent)
{
    return newImageList(parent, "imglstFileList",
                        {
                            {"open", "state-open.svg"},
                            {"unlocked", "state-unlocked.svg"},
                            {"locked", "state-locked.svg"},
                            {"old", "state-old.svg"},
                            {"new", "state-new.svg"},
                            {".graal", "type-graal.svg"},
                            {".gif", "type-gif.svg"},
                            {".mid", "type-mid.svg"},
                            {".txt", "type-txt.svg"},
                            {".doc", "type-doc.svg"},
                            {".wav", "type-wav.svg"},
                            {"folder", "folder.svg"},
                            {"add", "add.svg"},
                            {"refresh", "refresh.svg"},
                            {"options", "options.svg"},
                            {"delete", "delete.svg"},
                        });
}

ImageList* NewUserImages(QObject* parent)
{
    return newImageList(parent, "imglstUsers",
                        {
                            {"level1", "user-level1.svg"},
                            {"level2", "user-level2.svg"},
                            {"level3", "user-level3.svg"},
                            {"level4", "user-level4.svg"},
                        });
}

ImageList* NewExplorerImages(QObject* parent)
{
    return newImageList(parent, "imglistExplorer",
                        {
                            {"folderclosed", "folder.svg"},
                            {"folderopen", "folder-open.svg"},
                            {"file", "file.svg"},
                            {"filenotfound", "file-notfound.svg"},
                            {"fileupload", "file-upload.svg"},
                            {"filedownload", "file-download.svg"},
                            {"filedelete", "file-delete.svg"},
                        });
}
