#pragma once

#include "MarkedFilesWindow.h"

// The files the signed-in member holds checked out, to check them all in
// at once.
class frmCheckedOutFiles : public MarkedFilesWindow
{
    Q_OBJECT
public:
    explicit frmCheckedOutFiles(frmFileList& fileList);

    // Shows the shared files window's checked-out list, opening it when it
    // is not open yet.
    static frmCheckedOutFiles* ShowFor(frmFileList& fileList);

    ListView* lvwCheckedOutFiles;
    QPushButton* cmdCheckInAll;

protected:
    bool IsListed(const ListItem& row) const override;
    void RunAction(frmFileList& fileList) override;
};
