// The explorer's editors: "Download and Edit" in the internal editor, and
// the external editors of the editors file in the pop-up menu.

#include "frmExplorer.h"

#include "ui/ModalWindow.h"
#include "ui/frmEdit.h"
#include "ui/frmExternalEditors.h"
#include "ui/widgets/CaptionButton.h"
#include "ui/widgets/ListView.h"

#include "app/GlobalState.h"
#include "app/Guard.h"
#include "editors/ExternalEditors.h"

#include <QAction>
#include <QMenu>
#include <QTreeWidget>

using namespace modSkiff;

namespace {

constexpr int kPopupOffset = 30 / 15; // 30 twips

// Menu captions take "&" for a mnemonic; an editor's name shows as written.
QString MenuText(QString caption)
{
    return caption.replace(QLatin1Char('&'), QLatin1String("&&"));
}
QString CaptionOf(const QAction* action)
{
    return action->text().replace(QLatin1String("&&"), QLatin1String("&"));
}

} // namespace

void frmExplorer::cmdOpenEdit_Click()
{
    Operation([this] {
        const QTreeWidgetItem* node = SelectedNode();
        ListItem* item = lvwExplorer->selectedItem();
        if (!node || !item)
            return;
        frmEdit::EditFile(NodeKey(node) + item->text(), nullptr, picTransfer);
        // A preview or a send has made the mirror copy.
        item->setSmallIcon(GetFileIcon(item->text()));
    });
}

void frmExplorer::LoadExternalEditors()
{
    const QList<ExternalEditors::Editor> editors =
        ExternalEditors::Parse(ExternalEditors::ReadFile(ExternalEditorsFile));
    for (int count = 1; count <= editors.size(); ++count) {
        if (count >= mnuActionExternalEditor.size()) {
            auto* element = new QAction(mnuAction);
            element->setObjectName(QStringLiteral("mnuActionExternalEditor"));
            mnuAction->insertAction(mnuActionConfigure, element);
            connect(element, &QAction::triggered, this,
                    [this, count] { mnuActionExternalEditor_Click(count); });
            mnuActionExternalEditor.append(element);
        }
        const ExternalEditors::Editor& editor = editors.at(count - 1);
        QAction* element = mnuActionExternalEditor.at(count);
        element->setText(MenuText(editor.Caption()));
        element->setEnabled(editor.found);
        element->setVisible(true);
        element->setData(editor.command);
    }
    // Left over from a longer list.
    for (qsizetype index = editors.size() + 1; index < mnuActionExternalEditor.size(); ++index)
        mnuActionExternalEditor.at(index)->setVisible(false);
}

void frmExplorer::ShowFileItems(bool visible)
{
    for (QAction* action : {mnuActionDownload, mnuActionBreak1, mnuActionOpenEdit, mnuActionBreak2,
                            mnuActionUpload, mnuActionDeleteFile, mnuActionDeleteLocal})
        action->setVisible(visible);
}

void frmExplorer::cmdExternalEditor_Click()
{
    RunGuarded([this] {
        ShowFileItems(false);
        mnuAction->popup(cmdExternalEditor->mapToGlobal(
            QPoint(kPopupOffset, cmdExternalEditor->height() + kPopupOffset)));
    }, vbOKOnly);
}

void frmExplorer::mnuActionExternalEditor_Click(int index)
{
    Operation([this, index] {
        const QTreeWidgetItem* node = SelectedNode();
        ListItem* item = lvwExplorer->selectedItem();
        if (!node || !item)
            return;
        const QAction* element = mnuActionExternalEditor.at(index);
        ExternalEditors::OpenInEditor(*inet, NodeKey(node) + item->text(), CaptionOf(element),
                                      element->data().toString());
        item->setSmallIcon(GetFileIcon(item->text()));
    });
}

void frmExplorer::mnuActionConfigure_Click()
{
    RunGuarded([this] {
        frmExternalEditors window(this);
        ShowModally(&window);
        LoadExternalEditors();
    }, vbOKOnly);
}
