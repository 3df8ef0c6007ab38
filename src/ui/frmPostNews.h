#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class Inet;
class PagePreviewWindow;
class TransferProgress;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Writes a news item and posts it into one of the site's news pages; also
// shows and replaces the member's name picture. Opened from the main menu
// without a modal loop. The window fills itself right after it is shown.
class frmPostNews : public QWidget
{
    Q_OBJECT
public:
    explicit frmPostNews(QWidget* parent = nullptr);

    QLabel* lblNewsPage;
    // The pages' names; each entry also holds its page and template paths
    // (PagePathRole, TemplatePathRole).
    QComboBox* cboWhichPage;
    QLabel* lblNews;
    QPlainTextEdit* txtNews;
    QLabel* lblTimeZone;
    QLineEdit* txtTimeZone;
    QLabel* lblNameGIF;
    QLineEdit* txtNameGIF;
    QLabel* lblPreview;
    QLabel* picNameGIF;
    QLabel* lblNoAnimatedGifs;
    QPushButton* cmdChangeGIF;
    QWidget* picNewsButtons;
    QPushButton* cmdNewMember;
    QPushButton* cmdInsertHyperlink;
    QPushButton* cmdInsertImage;
    QWidget* picButtons;
    QPushButton* cmdPreview;
    QPushButton* cmdPost;
    QPushButton* cmdCancel;
    Inet* inet;
    // Long downloads and the page's upload, with their Cancel.
    TransferProgress* picTransfer;

    static constexpr int PagePathRole = Qt::UserRole;
    static constexpr int TemplatePathRole = Qt::UserRole + 1;

    // Whether the opening steps that ask the site (name picture, page list)
    // are done.
    bool IsLoaded() const { return m_loaded; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void LoadNameGIF();
    bool BuildNewsPage(bool send);

    void cboWhichPage_Click();
    void cmdPost_Click();
    void cmdPreview_Click();
    void cmdNewMember_Click();
    void cmdInsertImage_Click();
    void cmdInsertHyperlink_Click();
    void cmdChangeGIF_Click();

    void OnClick(QPushButton* button, void (frmPostNews::*handler)());
    // An inserting button: the focus goes back into the news text after it.
    void OnInsert(QPushButton* button, void (frmPostNews::*handler)());

    // The news box as the member's text: selection and insertions with
    // CR LF line breaks.
    QString SelectedNews() const;
    void InsertAtCaret(const QString& text);
    void ReplaceSelection(const QString& text);

    QString m_pagePath;
    QString m_templatePath;
    bool m_loaded = false;
    // Skiff's own view of the previewed page, where the desktop has no browser.
    QPointer<PagePreviewWindow> m_ownPreview;
};
