#include "frmTransferLog.h"

#include "transport/TransferLog.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

frmTransferLog::frmTransferLog(TransferLog& log, QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("frmTransferLog"));
    setWindowTitle(QStringLiteral("Skiff - Transfer Log"));
    setAttribute(Qt::WA_DeleteOnClose);

    txtLog = new QPlainTextEdit(this);
    txtLog->setObjectName(QStringLiteral("txtLog"));
    txtLog->setReadOnly(true);
    txtLog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtLog->setPlainText(log.Lines().join(QLatin1Char('\n')));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(txtLog);

    connect(&log, &TransferLog::Added, this, [this](const QString& line) {
        txtLog->appendPlainText(line);
    });
    txtLog->verticalScrollBar()->setValue(txtLog->verticalScrollBar()->maximum());
    resize(640, 300);
}
