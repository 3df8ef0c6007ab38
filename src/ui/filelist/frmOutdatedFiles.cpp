#include "frmOutdatedFiles.h"

#include "FileListColumns.h"
#include "ui/OpenOnce.h"
#include "frmFileList.h"

#include "ui/widgets/ListItem.h"


frmOutdatedFiles::frmOutdatedFiles(frmFileList& fileList)
    : MarkedFilesWindow(fileList, QStringLiteral("New/Updated Files"), "lvwUpdatedFiles",
                        "cmdGetLatesVersionAll",
                        QStringLiteral("Get the Latest Version of Files Marked Above"))
{
    setObjectName(QStringLiteral("frmOutdatedFiles"));
    lvwUpdatedFiles = m_list;
    cmdGetLatesVersionAll = m_action;
    Form_Load();
}

frmOutdatedFiles* frmOutdatedFiles::ShowFor(frmFileList& fileList)
{
    return OpenOnce<frmOutdatedFiles>(fileList.OutdatedFilesWindow,
                                      [&fileList] { return new frmOutdatedFiles(fileList); });
}

bool frmOutdatedFiles::IsListed(const ListItem& row) const
{
    return !SharedFiles::HasLatestVersion(FileListColumns::ListedFileOf(row));
}

void frmOutdatedFiles::RunAction(frmFileList& fileList)
{
    fileList.GetLatestVersion();
}
