#pragma once

#include <QDialog>

class QLabel;

// The splash window shown while the member signs in. A key press or a click
// on its frame closes it early.
class frmSplash : public QDialog
{
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);
    ~frmSplash() override;

    // The splash window on screen, if any (the login window brings it to the
    // front during a sign-in attempt).
    static frmSplash* Current();

    QLabel* lblProductName;
    QLabel* lblCompany;
    QLabel* lblPlatform;
    QLabel* lblVersion;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
