#pragma once
// The internal editor's work without its window: one site file's text
// fetched for editing, its mirror copy, and what closing the editor does
// with the member's text (the question, the mirror copy, the upload). The
// window holds the text box and calls these with its text.
//
// The messages go through the message facade; transfers run on the
// editor's own component.

#include "app/SiteText.h"

#include <QByteArray>
#include <QString>

#include <optional>

class Inet;

class EditSession
{
public:
    EditSession(Inet& inet, const QString& sitePath);

    // The file's site path ("news/index.html"; "/" or "\" between folders).
    const QString EditPath;
    // Write and upload when the editor closes.
    bool SendChanges = false;
    // Close without writing.
    bool DiscardChanges = false;

    // The file's text for the editor, its line ends made CR LF: the whole
    // file (SiteCopy), empty for a file the server does not have. False,
    // after saying why, when the download failed or the file is no text or
    // too large; the editor is then not shown.
    bool Download(QString& text);

    // The mirror copy: relative to the working directory, and in full.
    QString MirrorFile() const;
    QString MirrorCopy() const;
    // Replaces the mirror copy with the text exactly (no line end added), in
    // the encoding the file came in, or UTF-8 when that cannot hold the text.
    // SkiffError when it cannot be written.
    void WriteMirrorCopy(const QString& text) const;

    // What closing the editor does with this text; true when it may close.
    // Every refused close clears both flags, so the question comes again.
    bool QueryClose(const QString& text);

private:
    // Sends the mirror copy under the change lock. When the server's copy is
    // no longer the one the editor opened, the member chooses: send over it,
    // keep the text as the local copy only, or go back to editing. True
    // when the editor may close.
    bool Send();
    bool RefuseClose();

    Inet& m_inet;
    SiteText::Encoding m_encoding = SiteText::Encoding::Utf8;
    // The server's copy as the editor opened it; none for a new file.
    std::optional<QByteArray> m_opened;
};
