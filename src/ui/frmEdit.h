#pragma once

#include "editors/EditSession.h"

#include <QWidget>


class BrowserView;
class CaptionButton;
class Inet;
class TextBox;
class TransferProgress;

// The internal editor: one site file's text, downloaded, shown, previewed
// in the embedded browser or the desktop's program for its type, and on
// closing written into the mirror and uploaded. What closing does is
// EditSession's; the window holds the text and the buttons.
class frmEdit : public QWidget
{
    Q_OBJECT
public:
    // Downloads the site file, shows the editor modally and returns once it
    // has closed. A calling window is disabled meanwhile. The download's
    // progress shows in downloadProgress, if given, as the editor is not on
    // screen yet.
    static void EditFile(const QString& sitePath, QWidget* caller = nullptr,
                         TransferProgress* downloadProgress = nullptr);

    explicit frmEdit(const QString& sitePath, QWidget* parent = nullptr);
    ~frmEdit() override;

    const QString& EditPath() const { return m_session.EditPath; }

    QWidget* picButtonBar;
    CaptionButton* cmdSendToServer;
    CaptionButton* cmdPreviewInRegisteredApplication;
    CaptionButton* cmdDiscard;
    CaptionButton* cmdPreview;
    TextBox* txtEdit;
    BrowserView* webPreview;
    Inet* inet;
    // The upload's progress while closing, with its Cancel.
    TransferProgress* picTransfer;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void cmdSendToServer_Click();
    void cmdDiscard_Click();
    void cmdPreview_Click();
    void cmdPreviewInRegisteredApplication_Click();

    EditSession m_session;
    // While closing works (the upload waits with the windows alive), a
    // second close is not started.
    bool m_closing = false;
};
