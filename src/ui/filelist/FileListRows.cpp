#include "FileListRows.h"

#include "FileListColumns.h"

#include "transport/TransferLog.h"
#include "ui/widgets/ListView.h"
#include "ui/widgets/TransferProgress.h"

#include <QLabel>
#include <QProgressBar>

ListItem* FileListRows::Row(const QString& name) const
{
    ListItem* row = m_list.findItem(name.toLower());
    return row && row->text() == name ? row : nullptr;
}

void FileListRows::ShowFile(const QString& name)
{
    if (ListItem* row = Row(name))
        row->ensureVisible();
}

void FileListRows::SelectFile(const QString& name, bool selected)
{
    if (ListItem* row = Row(name))
        row->setSelected(selected);
}

void FileListRows::SetFileIcon(const QString& name, const QString& icon)
{
    if (ListItem* row = Row(name))
        row->setSmallIcon(icon);
}

void FileListRows::SetLocalVersion(const QString& name, short version)
{
    if (ListItem* row = Row(name))
        FileListColumns::ShowRecord(*row, FileListColumns::ListedFileOf(*row).Record, version);
}

void FileListRows::ReportFile(const QString& name, const QString& what)
{
    TransferLog::Note(&m_log, name, what);
}

void FileListRows::ShowStepsIn(QLabel& step, QProgressBar& bar)
{
    m_step = &step;
    m_bar = &bar;
    m_showLater.setSingleShot(true);
    m_showLater.setInterval(TransferProgress::kShowAfterMs);
    QObject::connect(&m_showLater, &QTimer::timeout, m_step, [this] {
        m_step->show();
        m_bar->setVisible(m_bar->maximum() > 0);
    });
}

void FileListRows::ShowStep(const QString& step, int done, int total)
{
    if (!m_step)
        return;
    m_step->setText(step);
    if (total > 0) {
        m_bar->setRange(0, total);
        m_bar->setValue(done);
        if (m_step->isVisible())
            m_bar->show();
    }
    if (m_step->isHidden() && !m_showLater.isActive())
        m_showLater.start();
}

void FileListRows::EndSteps()
{
    if (!m_step)
        return;
    m_showLater.stop();
    m_step->hide();
    m_step->clear();
    m_bar->hide();
    m_bar->setRange(0, 0);
}
