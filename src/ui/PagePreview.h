#pragma once
// A local page for the member to look at. The desktop's browser shows it
// where there is one; where the desktop has none (a bare window manager, a
// remote session) the member is told so and may have Skiff's own view.

#include <QString>
#include <QWidget>

class BrowserView;

namespace PagePreview {

enum Outcome { ByDesktop, OwnViewWanted, NotShown };

// Hands the page to the desktop; when no program takes it, asks whether
// Skiff's own view should show it instead.
Outcome Open(const QString& path);

} // namespace PagePreview

// Skiff's own view of a local page, in a window of its own.
class PagePreviewWindow : public QWidget
{
    Q_OBJECT
public:
    explicit PagePreviewWindow(QWidget* parent = nullptr);

    // Shows the page (again, when it changed) and brings the window forward.
    void ShowPage(const QString& path);

    BrowserView* webPreview;
};
