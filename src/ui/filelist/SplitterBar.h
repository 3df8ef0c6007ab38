#pragma once

#include <QFrame>

// A bar the member drags and drops to move the border between two panes.
class SplitterBar : public QFrame
{
    Q_OBJECT
public:
    explicit SplitterBar(QWidget* parent = nullptr);

signals:
    // The bar was dropped at this point of the screen.
    void dropped(const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_dragging = false;
};
