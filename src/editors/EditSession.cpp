#include "EditSession.h"

#include "EditText.h"
#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/Windows1252.h"
#include "site/MirrorFiles.h"
#include "site/SiteChange.h"
#include "site/SiteCopy.h"
#include "site/WebFiles.h"
#include "transport/Inet.h"
#include "transport/TransferLog.h"

#include <QDir>
#include <QFileInfo>

using namespace modSkiff;

EditSession::EditSession(Inet& inet, const QString& sitePath) : EditPath(sitePath), m_inet(inet)
{
}

bool EditSession::Download(QString& text)
{
    BusyPointer busy;
    try {
        // A file neither HTTP nor FTP has is a new one, written from here.
        m_opened = SiteCopy::Fetch(m_inet, SiteCopy::ForSitePath(EditPath));
    } catch (const SkiffError& error) {
        TransferLog::Note(m_inet.Log, EditPath, QStringLiteral("not downloaded: ") + error.description());
        MsgBox(error.description(), vbCritical);
        return false;
    }
    const QByteArray bytes = m_opened.value_or(QByteArray());
    TransferLog::Note(m_inet.Log, EditPath,
                      m_opened ? QStringLiteral("downloaded for editing")
                               : QStringLiteral("not on the server, an empty text"));
    const QString notText = EditText::WhyNotText(bytes);
    if (!notText.isEmpty()) {
        MsgBox(EditPath + QStringLiteral(" is not a text file (") + notText +
                   QStringLiteral("), so the Skiff internal editor does not open it: it would "
                                  "change the file. Use Edit With... for it."),
               vbExclamation);
        return false;
    }
    const QString downloaded = SiteText::Decode(bytes, &m_encoding);
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
        return Send() || RefuseClose();
    } catch (const SkiffError& error) {
        if (MsgBox(error.description() +
                       QStringLiteral("\r\n\r\nChanges may not be saved.  Press Cancel to try to "
                                      "save your changes."),
                   vbOKCancel | vbExclamation) == vbOK)
            return true;
        return RefuseClose();
    }
}

bool EditSession::Send()
{
    bool closes = false;
    QString why;
    const bool locked = SiteChange::UnderChangeLock(
        m_inet,
        [&](FtpLink& link) {
            const SiteCopy::Source source = SiteCopy::ForSitePath(EditPath);
            if (SiteCopy::FetchOverFtp(link, source) != m_opened) {
                switch (MsgBox(EditPath + QStringLiteral(" has changed on the server since you "
                                                         "opened it.\r\n\r\nYes: send your "
                                                         "text over it. No: keep your text only "
                                                         "as the local copy ") +
                                   MirrorCopy() +
                                   QStringLiteral(". Cancel: go back to editing."),
                               vbYesNoCancel | vbExclamation)) {
                case vbNo: closes = true; return true;
                case vbCancel: return true;
                default: break;
                }
            }
            closes = UploadWebFile(m_inet, EditPath);
            return true;
        },
        &why);
    if (!locked)
        MsgBox(EditPath + QStringLiteral(" was not sent: ") + why, vbCritical);
    return closes;
}

bool EditSession::RefuseClose()
{
    SendChanges = false;
    DiscardChanges = false;
    return false;
}
