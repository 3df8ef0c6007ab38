#pragma once

#include <QWidget>

class QPlainTextEdit;
class TransferLog;

// A window's transfer log on screen, for a window that has no room for it:
// the lines so far, and each new one as it comes.
class frmTransferLog : public QWidget
{
    Q_OBJECT
public:
    frmTransferLog(TransferLog& log, QWidget* owner);

    QPlainTextEdit* txtLog;
};
