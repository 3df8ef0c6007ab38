#pragma once
// One file taking part in a batch of check out, check in or add: the row it
// came from and the values its control-file record is to receive.

#include <QString>

// The shared files list's row type; the store only carries the pointer.
class ListItem;

class clsFileDetails
{
public:
    ::ListItem* ListItem = nullptr;
    bool DontUpdateServer = false; // given back without sending the file
    QString Name;
    QString Controller;
    short CurrentVersion = 0;
    QString Comment;
    QString Description;
    QString Author;
};
