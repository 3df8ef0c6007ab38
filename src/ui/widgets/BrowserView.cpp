#include "BrowserView.h"

#include <QFileInfo>
#include <QUrl>
#include <QVBoxLayout>

#ifdef SKIFF_HAVE_WEBENGINE
#include <QWebEngineView>
#else
#include <QTextBrowser>
#endif

BrowserView::BrowserView(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

bool BrowserView::UsesWebEngine()
{
#ifdef SKIFF_HAVE_WEBENGINE
    return true;
#else
    return false;
#endif
}

void BrowserView::Navigate(const QString& url)
{
    m_url = url;
    if (m_engine)
        Load();
}

void BrowserView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_engine) {
        CreateEngine();
        if (!m_url.isEmpty())
            Load();
    }
}

#ifdef SKIFF_HAVE_WEBENGINE

void BrowserView::CreateEngine()
{
    auto* view = new QWebEngineView(this);
    view->setObjectName(QStringLiteral("engine"));
    layout()->addWidget(view);
    m_engine = view;
}

void BrowserView::Load()
{
    static_cast<QWebEngineView*>(m_engine)->load(QUrl(m_url));
}

#else

void BrowserView::CreateEngine()
{
    auto* view = new QTextBrowser(this);
    view->setObjectName(QStringLiteral("engine"));
    view->setOpenLinks(false);
    layout()->addWidget(view);
    m_engine = view;
}

void BrowserView::Load()
{
    auto* view = static_cast<QTextBrowser*>(m_engine);
    const QUrl url(m_url);
    if (!url.isLocalFile()) {
        // Without a web engine only local files can be shown.
        view->clear();
        return;
    }
    static const QStringList pictures = {QStringLiteral("gif"), QStringLiteral("png"),
                                         QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                         QStringLiteral("bmp"), QStringLiteral("svg")};
    if (pictures.contains(QFileInfo(url.toLocalFile()).suffix().toLower()))
        view->setHtml(QStringLiteral("<img src=\"%1\">").arg(url.toString().toHtmlEscaped()));
    else if (view->source() == url)
        view->reload(); // the file changed; the same address alone would not read it again
    else
        view->setSource(url);
}

#endif
