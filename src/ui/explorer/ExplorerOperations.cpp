// The explorer's file operations on the shown folder: which files, in which
// order, with which marks; the work on each file is SiteExplorer's.

#include "frmExplorer.h"

#include "ui/OpenOnce.h"
#include "ui/frmTransferLog.h"
#include "ui/widgets/ListView.h"

#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Guard.h"
#include "app/Services.h"
#include "transport/Inet.h"
#include "transport/TransferLog.h"
#include "site/WebFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTreeWidget>

using namespace modSkiff;

namespace {

// "1 file", "3 files".
// The file dialogs of the explorer report cancelling as an error, and leave
// the local folder the working directory.
QStringList ChosenFiles(const QString& title, bool several)
{
    const QStringList files = GetOpenFileNames(title, LocalFolder, QString(), several);
    QDir::setCurrent(LocalFolder);
    if (files.isEmpty())
        throw SkiffError::cancelSelected();
    return files;
}

} // namespace

QList<ListItem*> frmExplorer::ConfirmedSelection(SiteExplorer::Batch batch, int icon)
{
    const QList<ListItem*> items = lvwExplorer->selectedItems();
    if (items.isEmpty()) {
        MsgBox(SiteExplorer::NothingSelectedText(batch), vbOKOnly);
        return {};
    }
    if (MsgBox(SiteExplorer::ConfirmationText(batch, int(items.size())), vbOKCancel | icon) != vbOK)
        return {};
    return items;
}

void frmExplorer::ForEachSelected(const QList<ListItem*>& items, const QString& busyIcon,
                                  const std::function<bool(const QString& sitePath)>& step)
{
    const QTreeWidgetItem* node = SelectedNode();
    if (!node)
        return;
    const QString key = NodeKey(node);
    for (ListItem* item : items) {
        item->ensureVisible();
        item->setSmallIcon(busyIcon);
        if (!step(key + item->text()))
            return; // the failed item keeps its mark
        item->setSmallIcon(GetFileIcon(item->text(), key));
    }
}

void frmExplorer::cmdDownload_Click()
{
    Operation([this] {
        const QList<ListItem*> items = ConfirmedSelection(SiteExplorer::Batch::Download, vbInformation);
        ForEachSelected(items, QStringLiteral("filedownload"), [this](const QString& sitePath) {
            QString toFile = kSaveToFile;
            return DownloadWebFile(*inet, sitePath, toFile);
        });
    });
}

void frmExplorer::cmdUploadFile_Click()
{
    Operation([this] {
        const QList<ListItem*> items = ConfirmedSelection(SiteExplorer::Batch::Upload, vbInformation);
        ForEachSelected(items, QStringLiteral("fileupload"), [this](const QString& sitePath) {
            return UploadWebFile(*inet, sitePath);
        });
    });
}

void frmExplorer::cmdDeleteLocal_Click()
{
    Operation([this] {
        const QList<ListItem*> items = ConfirmedSelection(SiteExplorer::Batch::DeleteLocal, vbCritical);
        ForEachSelected(items, QStringLiteral("filedelete"), [this](const QString& sitePath) {
            SiteExplorer::DeleteLocalCopy(QString(), sitePath);
            TransferLog::Note(transferLog, sitePath, QStringLiteral("local copy deleted"));
            return true;
        });
    });
}

void frmExplorer::cmdDeleteFile_Click()
{
    Operation([this] {
        QTreeWidgetItem* node = SelectedNode();
        if (ConfirmedSelection(SiteExplorer::Batch::DeleteFromServer, vbCritical).isEmpty() ||
            !node)
            return;
        const QString key = NodeKey(node);
        // By position: a removed item's place is taken by the next one,
        // which is looked at next.
        int position = 0;
        while (position < lvwExplorer->count()) {
            ListItem* item = lvwExplorer->item(position);
            if (!item->selected()) {
                ++position;
                continue;
            }
            item->ensureVisible();
            item->setSmallIcon(QStringLiteral("filedelete"));
            QString tag = NodeTag(node);
            const bool deleted = m_site.DeleteFromServer(key, item->text(), tag);
            SetNodeTag(node, tag);
            if (!deleted)
                return;
            lvwExplorer->removeItem(item);
        }
    });
}

void frmExplorer::cmdNewFile_Click()
{
    Operation([this] {
        QTreeWidgetItem* node = SelectedNode();
        if (!node)
            return;
        const QString name = InputBox(QStringLiteral("Please enter a name for the new file"),
                                      AppTitle(), QStringLiteral("newfile.html"));
        if (name.isEmpty())
            return;
        QString tag = NodeTag(node);
        const bool registered = m_site.RegisterNewFile(NodeKey(node), name, tag);
        SetNodeTag(node, tag);
        if (registered)
            lvwExplorer->addItem(QString(), name, GetFileIcon(name, NodeKey(node)));
    });
}

void frmExplorer::cmdAddFilesToServer_Click()
{
    Operation([this] {
        QTreeWidgetItem* node = SelectedNode();
        if (!node)
            return;
        const QString key = NodeKey(node);
        for (const QString& file : ChosenFiles(QString(), true)) {
            QString tag = NodeTag(node);
            const bool added = m_site.AddToServer(key, file, tag);
            SetNodeTag(node, tag);
            if (added) {
                const QString name = QFileInfo(file).fileName();
                lvwExplorer->addItem(QString(), name, GetFileIcon(name, key));
            }
        }
    });
}

void frmExplorer::cmdReplaceWith_Click()
{
    Operation([this] {
        const QTreeWidgetItem* node = SelectedNode();
        ListItem* item = lvwExplorer->selectedItem();
        if (!node || !item)
            return;
        const QString name = item->text();
        const QStringList chosen =
            ChosenFiles(QStringLiteral("Replace ") + name + QStringLiteral(" With..."), false);
        m_site.ReplaceOnServer(NodeKey(node), name, chosen.first());
    });
}

void frmExplorer::cmdSelectAll_Click()
{
    RunGuarded([this] {
        for (ListItem* item : lvwExplorer->items())
            item->setSelected(true);
    }, vbOKOnly);
}

void frmExplorer::cmdExplorer_Click()
{
    RunGuarded([] { ShellOpenFolderOrTell(LocalFolder + QStringLiteral("WebPage")); }, vbOKOnly);
}

void frmExplorer::cmdPreviewPAne_Click()
{
    RunGuarded([this] {
        picPreview->setVisible(picPreview->isHidden());
        LayoutWindow();
        // The file selected before the pane opened shows at once.
        PreviewSelected();
    }, vbOKOnly);
}

void frmExplorer::mnuTransferLog_Click()
{
    RunGuarded([this] {
        OpenOnce<frmTransferLog>(m_logWindow, [this] { return new frmTransferLog(*transferLog, this); });
    }, vbOKOnly);
}
