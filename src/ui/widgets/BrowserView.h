#pragma once
// The embedded web browser of the previews: navigate to an address or a
// local file, shown and hidden like any widget. Qt WebEngine does the work
// where the build found it, a QTextBrowser elsewhere; either is created the
// first time the view is shown, so a window whose preview is never shown
// never pays for a browser engine.

#include <QString>
#include <QWidget>

class BrowserView : public QWidget
{
    Q_OBJECT
public:
    explicit BrowserView(QWidget* parent = nullptr);

    // Goes to the address ("about:blank", "file:///...", "http://...");
    // before the view was first shown the address is kept until then.
    void Navigate(const QString& url);
    // The address last navigated to.
    QString LocationURL() const { return m_url; }
    // Whether the engine behind the view exists yet.
    bool EngineCreated() const { return m_engine != nullptr; }
    // Whether this build shows pages with Qt WebEngine.
    static bool UsesWebEngine();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateEngine();
    void Load();

    QString m_url;
    QWidget* m_engine = nullptr;
};
