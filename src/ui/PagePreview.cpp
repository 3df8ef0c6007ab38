#include "PagePreview.h"

#include "WindowPlacement.h"
#include "widgets/BrowserView.h"

#include "app/Services.h"

#include <QVBoxLayout>

namespace PagePreview {

Outcome Open(const QString& path)
{
    if (ShellOpenFile(path))
        return ByDesktop;
    return MsgBox(QStringLiteral("No program on this desktop could open ") + path +
                      QStringLiteral(".\r\n\r\nShow the page in Skiff's own preview instead?"),
                  vbYesNo | vbQuestion) == vbYes
               ? OwnViewWanted
               : NotShown;
}

} // namespace PagePreview

PagePreviewWindow::PagePreviewWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("PagePreviewWindow"));
    webPreview = new BrowserView(this);
    webPreview->setObjectName(QStringLiteral("webPreview"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(webPreview);
    resize(800, 600);
    CenterOnScreen(this);
}

void PagePreviewWindow::ShowPage(const QString& path)
{
    setWindowTitle(path);
    webPreview->Navigate(QStringLiteral("file://") + path);
    show();
    raise();
    activateWindow();
}
