#include "frmCheckedOutFiles.h"

#include "FileListColumns.h"
#include "ui/OpenOnce.h"
#include "frmFileList.h"

#include "ui/widgets/ListItem.h"

frmCheckedOutFiles::frmCheckedOutFiles(frmFileList& fileList)
    : MarkedFilesWindow(fileList, QStringLiteral("Files Currently Checked Out"),
                        "lvwCheckedOutFiles", "cmdCheckInAll",
                        QStringLiteral("Check In All Files Marked Above"))
{
    setObjectName(QStringLiteral("frmCheckedOutFiles"));
    lvwCheckedOutFiles = m_list;
    cmdCheckInAll = m_action;
    Form_Load();
}

frmCheckedOutFiles* frmCheckedOutFiles::ShowFor(frmFileList& fileList)
{
    return OpenOnce<frmCheckedOutFiles>(fileList.CheckedOutFilesWindow,
                                        [&fileList] { return new frmCheckedOutFiles(fileList); });
}

bool frmCheckedOutFiles::IsListed(const ListItem& row) const
{
    return SharedFiles::HeldByMe(FileListColumns::ListedFileOf(row).Record);
}

void frmCheckedOutFiles::RunAction(frmFileList& fileList)
{
    fileList.CheckIn();
}
