#pragma once
// A button of a window's button bar: a picture above a caption that wraps
// onto a second line, so that long captions ("Delete File(s) from Server")
// fit a row of narrow buttons.

#include <QToolButton>

class CaptionButton : public QToolButton
{
    Q_OBJECT
public:
    CaptionButton(const QString& caption, const QIcon& icon, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
