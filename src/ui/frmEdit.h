#pragma once

#include "editors/EditSession.h"

#include <QWidget>


class BrowserView;
class CaptionButton;
class Inet;
class TextBox;

// The internal editor: one site file's text, downloaded, shown, previewed
// in the embedded browser or the desktop's program for its type, and on
// closing written into the mirror and uploaded. What closing does is
// EditSession's; the window holds the text and the buttons.
class frmEdit : public QWidget
{
    Q_OBJECT
public:
    // Downloads the site file, shows the editor modally and returns once it
    // has closed. A calling window is disabled meanwhile.
    static void EditFile(const QString& sitePath, QWidget* caller = nullptr);

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
