#include "frmAddFile.h"
#include "frmFileList.h"

#include "app/GlobalState.h"
#include "app/Services.h"

void frmFileList::AddFiles()
{
    if (modSkiff::CurrentLevel != 3 && modSkiff::CurrentLevel != 4) {
        MsgBox(QStringLiteral("Sorry, you do not have access to that feature."), vbCritical);
        return;
    }
    // On the heap: closing this window while the add window is up must not
    // leave the child to be destroyed twice.
    auto* window = new frmAddFile(this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    AddFileWindow = window;
    window->exec();
}
