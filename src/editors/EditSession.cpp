#include "EditSession.h"

#include "EditText.h"
#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/Windows1252.h"
#include "site/MirrorFiles.h"
#include "site/WebFiles.h"

#include <QDir>
#include <QFileInfo>

using namespace modSkiff;

EditSession::EditSession(Inet& inet, const QString& sitePath) : EditPath(sitePath), m_inet(inet)
{
}

bool EditSession::Download(QString& text)
{
    QString downloaded;
    if (!DownloadEditableText(m_inet, EditPath, downloaded, m_encoding))
        return false;
    if (!EditText::FitsTheEditor(downloaded)) {
        MsgBox(QStringLiteral("This file is too large to edit with the Skiff internal editor."),
               vbOKOnly);
        return false;
    }
    text = EditText::NormaliseLineEnds(downloaded);
    return true;
}

QString EditSession::MirrorFile() const
{
    return MapWebFileName(EditPath, true).localFile;
}

QString EditSession::MirrorCopy() const
{
    return LocalFolder + MirrorFile();
}

void EditSession::WriteMirrorCopy(const QString& text) const
{
    SiteText::Encoding encoding = m_encoding;
    // A Windows-1252 page that now holds a character outside that set is
    // written as UTF-8 rather than with a "?" in its place.
    if (encoding == SiteText::Encoding::Windows1252 &&
        Windows1252::decode(Windows1252::encode(text)) != text)
        encoding = SiteText::Encoding::Utf8;
    const QString file = MirrorFile();
    // Start-up makes "WebPage"; a member may have removed it since.
    QDir().mkpath(QFileInfo(file).path());
    MirrorFiles::Write(file, SiteText::Encode(text, encoding));
}

bool EditSession::QueryClose(const QString& text)
{
    try {
        if (!SendChanges) {
            if (!DiscardChanges) {
                switch (MsgBox(QStringLiteral("Send changes to server?"), vbYesNoCancel)) {
                case vbCancel: return RefuseClose();
                case vbYes: SendChanges = true; break;
                default: DiscardChanges = true;
                }
            }
            if (!SendChanges)
                return true;
        }
        WriteMirrorCopy(text);
        // A refused upload has said why; the member's text stays in the editor.
        if (!UploadWebFile(m_inet, EditPath))
            return RefuseClose();
        return true;
    } catch (const SkiffError& error) {
        if (MsgBox(error.description() +
                       QStringLiteral("\r\n\r\nChanges may not be saved.  Press Cancel to try to "
                                      "save your changes."),
                   vbOKCancel | vbExclamation) == vbOK)
            return true;
        return RefuseClose();
    }
}

bool EditSession::RefuseClose()
{
    SendChanges = false;
    DiscardChanges = false;
    return false;
}
