// Check out: the member takes control of the selected free files and
// receives their current server copies.

#include "SharedFileSteps.h"
#include "frmFileList.h"

#include "ui/widgets/ListView.h"

#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "store/LocalCopy.h"
#include "store/clsFileDetails.h"

using namespace modSkiff;
using namespace SharedFileSteps;

namespace {

const QString kOwner = QStringLiteral("owner");

QString missingOnServerQuestion(const QString& name)
{
    return name + QStringLiteral(" does not exist on the server.\r\n\r\nDo you still want to check "
                                 "this file out?");
}

QString notDownloadedMessage(const QString& name)
{
    return name + QStringLiteral(" does not exist on the local computer.  Either it was not "
                                 "downloaded correctly, or it has been deleted off both the server "
                                 "and the local machine.");
}

} // namespace

void frmFileList::CheckOut()
{
    if (CurrentLevel != 3 && CurrentLevel != 4) {
        MsgBox(QStringLiteral("Sorry, you do not have access to that feature."), vbCritical);
        return;
    }
    CloseAfterOperation closing(*this);
    BusyPointer busy;
    try {
        // Whether a file is free is judged on the list as last rebuilt.
        QList<clsFileDetails> batch;
        for (RowRef ref : SelectedRows(*lvwFileList)) {
            ListItem* row = CurrentRow(*lvwFileList, ref);
            if (!row || !row->subItem(kOwner).isEmpty() || !AcceptLocalName(ref.name))
                continue;
            row->ensureVisible();
            if (FindOnServer(*this, ref.name)) {
                LocalCopy::KeepBackup(ref.name);
                ExecuteAndWait(QStringLiteral("get ") + ref.name + QLatin1Char(' ') + ref.name);
            } else if (MsgBox(missingOnServerQuestion(ref.name), vbYesNo | vbCritical) == vbNo) {
                continue;
            }
            if (!LocalCopy::Exists(ref.name)) {
                MsgBox(notDownloadedMessage(ref.name), vbCritical);
                continue;
            }
            clsFileDetails entry;
            entry.ListItem = row;
            entry.Name = ref.name;
            entry.Controller = CurrentUser;
            batch.append(entry);
            if ((row = CurrentRow(*lvwFileList, ref)))
                row->setSelected(false);
        }

        if (!batch.isEmpty()) {
            // Each record change starts from a freshly fetched control file,
            // so what other members changed meanwhile survives.
            UpdateFileDetails(QString(), false, {}, false, true);
            bool abandoned = false;
            for (clsFileDetails& entry : batch) {
                ListItem* row = CurrentRow(*lvwFileList, entry.ListItem, entry.Name);
                if (!row)
                    continue;
                RecordListedVersion(*row);
                FileDetailsValues values;
                values.pvarController = entry.Controller;
                if (!UpdateFileDetails(entry.Name, false, values, false, true, true)) {
                    abandoned = true;
                    break;
                }
                if ((row = CurrentRow(*lvwFileList, entry.ListItem, entry.Name))) {
                    row->setSelected(false);
                    row->setSmallIcon(QStringLiteral("open"));
                }
            }
            if (!abandoned)
                UpdateFileDetails(QString(), false, {}, false, true);
        }
        UpdateFileList();
    } catch (const SkiffError& error) {
        MsgBox(error.description(), vbCritical);
    }
}
