#pragma once

#include "MarkedFilesWindow.h"

// The files whose server version differs from the member's local copy, to
// fetch the latest version of them all at once.
class frmOutdatedFiles : public MarkedFilesWindow
{
    Q_OBJECT
public:
    explicit frmOutdatedFiles(frmFileList& fileList);

    // Shows the shared files window's out-of-date list, opening it when it
    // is not open yet.
    static frmOutdatedFiles* ShowFor(frmFileList& fileList);

    ListView* lvwUpdatedFiles;
    QPushButton* cmdGetLatesVersionAll;

protected:
    bool IsListed(const ListItem& row) const override;
    void RunAction(frmFileList& fileList) override;
};
