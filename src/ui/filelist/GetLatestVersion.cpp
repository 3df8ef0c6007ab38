// Get latest version: brings the member's copies of the selected files up to
// the listed versions.

#include "SharedFileSteps.h"
#include "frmFileList.h"

#include "ui/widgets/ListView.h"

#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/modSkiff.h"
#include "store/FileVersions.h"
#include "store/LocalCopy.h"

using namespace modSkiff;
using namespace SharedFileSteps;

namespace {
// The group's plot document, which members are offered to read at once.
const QString kPlotDocument = QStringLiteral("qxplot.doc");
const QString kOwner = QStringLiteral("owner");
} // namespace

void frmFileList::GetLatestVersion()
{
    CloseAfterOperation closing(*this);
    BusyPointer busy;
    bool plotUpdated = false;
    try {
        for (RowRef ref : SelectedRows(*lvwFileList)) {
            ListItem* row = CurrentRow(*lvwFileList, ref);
            if (!row)
                continue;
            // The member's own checked-out copy is the working copy: never
            // overwritten, only counted as current.
            if (row->subItem(kOwner) == CurrentUser) {
                FileVersions::Set(ref.name, ListedVersion(*row));
                continue;
            }
            if (!AcceptLocalName(ref.name))
                continue;
            row->ensureVisible();
            if (!FindOnServer(*this, ref.name)) {
                MsgBox(ref.name + QStringLiteral(" does not exist on the server."), vbCritical);
                continue;
            }
            LocalCopy::KeepBackup(ref.name);
            ExecuteAndWait(QStringLiteral("get ") + ref.name + QLatin1Char(' ') + ref.name);
            if (!(row = CurrentRow(*lvwFileList, ref)))
                continue;
            RecordListedVersion(*row);
            SetReadOnly(ref.name, true);
            row->setSelected(false);
            row->setSmallIcon(row->subItem(kOwner).isEmpty() ? QStringLiteral("unlocked")
                                                             : QStringLiteral("locked"));
            if (ref.name.toLower() == kPlotDocument)
                plotUpdated = true;
        }
    } catch (const SkiffError& error) {
        MsgBox(error.description(), vbCritical);
        return;
    }

    UpdateFileList();
    if (plotUpdated &&
        MsgBox(QStringLiteral("QXplot.doc has been updated, press OK to view the changes."),
               vbOKCancel | vbInformation) == vbOK) {
        ListItem* plot = lvwFileList->findItem(kPlotDocument);
        for (ListItem* item : lvwFileList->items())
            item->setSelected(item == plot);
        if (plot)
            plot->ensureVisible();
        OpenFile();
    }
}
