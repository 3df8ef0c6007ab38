#include "frmSplash.h"

#include "WindowPlacement.h"

#include "app/modSkiff.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

namespace {
QPointer<frmSplash> g_current;
}

frmSplash::frmSplash(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Skiff - Tarn Wardens Connection to the Web"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("fraMainFrame"));
    frame->setFrameShape(QFrame::Box);
    frame->installEventFilter(this);

    auto* picture = new QLabel(frame);
    picture->setObjectName(QStringLiteral("imgLogo"));
    picture->setPixmap(QIcon(QStringLiteral(":/images/skiff.svg")).pixmap(128, 128));

    lblProductName = new QLabel(QStringLiteral("Skiff"), frame);
    lblProductName->setObjectName(QStringLiteral("lblProductName"));
    QFont big = lblProductName->font();
    big.setPointSize(32);
    big.setBold(true);
    lblProductName->setFont(big);

    lblCompany = new QLabel(QStringLiteral("Tarn Wardens"), frame);
    lblCompany->setObjectName(QStringLiteral("lblCompany"));
    QFont medium = lblCompany->font();
    medium.setPointSize(14);
    lblCompany->setFont(medium);

    lblPlatform = new QLabel(QStringLiteral("for Windows 95"), frame);
    lblPlatform->setObjectName(QStringLiteral("lblPlatform"));

    lblVersion = new QLabel(QStringLiteral("Version ") + modSkiff::AppVersion(), frame);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    auto* text = new QVBoxLayout;
    text->addStretch();
    text->addWidget(lblProductName);
    text->addWidget(lblCompany);
    text->addSpacing(12);
    text->addWidget(lblPlatform);
    text->addWidget(lblVersion);
    text->addStretch();

    auto* inside = new QHBoxLayout(frame);
    inside->setContentsMargins(24, 24, 32, 24);
    inside->setSpacing(24);
    inside->addWidget(picture, 0, Qt::AlignVCenter);
    inside->addLayout(text);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->addWidget(frame);
    // Wide enough for the whole caption in the title bar.
    setFixedSize(sizeHint().expandedTo(QSize(500, 250)));
    CenterOnScreen(this);

    g_current = this;
}

frmSplash::~frmSplash()
{
    if (g_current == this)
        g_current = nullptr;
}

frmSplash* frmSplash::Current() { return g_current; }

void frmSplash::keyPressEvent(QKeyEvent*) { close(); }

bool frmSplash::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && watched->objectName() == "fraMainFrame") {
        close();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
