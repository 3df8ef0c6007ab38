#include "CaptionButton.h"

#include <QPainter>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace {
constexpr int kWidth = 84;
constexpr int kIcon = 22;
constexpr int kMargin = 3;
} // namespace

CaptionButton::CaptionButton(const QString& caption, const QIcon& icon, QWidget* parent)
    : QToolButton(parent)
{
    setText(caption);
    setIcon(icon);
    setIconSize(QSize(kIcon, kIcon));
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
}

QSize CaptionButton::sizeHint() const
{
    // As narrow as the row allows while the caption takes two lines at most.
    const QFontMetrics metrics = fontMetrics();
    const int twoLines = 2 * metrics.lineSpacing();
    int width = kWidth;
    while (metrics.boundingRect(QRect(0, 0, width - 2 * kMargin, 1000), Qt::TextWordWrap, text())
               .height() > twoLines &&
           width < 4 * kWidth)
        width += 4;
    return QSize(width, kMargin * 3 + kIcon + twoLines);
}

void CaptionButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    // The frame as the style draws it (raised when hovered or pressed), then
    // the picture and the wrapped caption of our own.
    option.text.clear();
    option.icon = QIcon();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);

    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    const QRect iconRect((width() - kIcon) / 2, kMargin, kIcon, kIcon);
    icon().paint(&painter, iconRect, Qt::AlignCenter, mode);

    const QRect textRect(kMargin, iconRect.bottom() + kMargin, width() - 2 * kMargin,
                         height() - iconRect.bottom() - 2 * kMargin);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                   QPalette::ButtonText));
    painter.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text());
}
