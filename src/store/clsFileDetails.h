#pragma once
// One file taking part in a batch of check out, check in or add: the values
// its control-file record is to receive. The file is known by its name, so a
// batch survives the list being rebuilt while it runs.

#include <QString>

class clsFileDetails
{
public:
    bool DontUpdateServer = false; // given back without sending the file
    QString Name;
    QString Controller;
    short CurrentVersion = 0;
    QString Comment;
    QString Description;
    QString Author;
};
