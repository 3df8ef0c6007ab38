#pragma once
// Steps the operations on shared files share: finding a file on the server,
// refusing names unfit for the local folder, recording versions, and
// holding on to rows and the window while transfers run.

#include <QList>
#include <QObject>
#include <QString>

class ListItem;
class ListView;
class QEvent;
class QWidget;
class frmFileList;

namespace SharedFileSteps {

// Whether "ls" of the name, in the folder the window's connection is in,
// lists it (a test on the listing's text, letter case counting). A listing
// that failed counts as not listing it.
bool IsListedOnServer(frmFileList& window, const QString& name);

// Changes to the group folder and looks for the file there. A file that is
// missing while its ".backup" copy remains (the trace of an interrupted
// check-in) is put back from that copy first. True when the file is there.
bool FindOnServer(frmFileList& window, const QString& name);

// Whether the name can be used as a local file name; shows the refusal when
// it cannot.
bool AcceptLocalName(const QString& name);

// The row's "Latest Version" as a whole 16-bit number.
short ListedVersion(const ListItem& row);
// The listed version becomes the member's local version, shown as "My Version".
void RecordListedVersion(ListItem& row);

// A row an operation reached, with its file name. The waits for the server
// let the member refresh the list meanwhile, which replaces every row, so a
// row is only used through CurrentRow.
struct RowRef
{
    ListItem* row;
    QString name;
};
// The selected rows in list order.
QList<RowRef> SelectedRows(const ListView& list);
// The row now listed for the file: the same row while the list holds it,
// else the file's row in the rebuilt list (row is updated), or null when
// the file is no longer listed. A stale row is compared, never read.
ListItem* CurrentRow(const ListView& list, ListItem*& row, const QString& name);
inline ListItem* CurrentRow(const ListView& list, RowRef& ref)
{
    return CurrentRow(list, ref.row, ref.name);
}

// Holds back the member's closing of the window while an operation runs.
// The waits for the server let the member close it meanwhile; closing then
// would send "QUIT" under the operation and delete the window it runs in.
// The window closes as usual once the outermost operation is over.
class CloseAfterOperation : public QObject
{
public:
    explicit CloseAfterOperation(QWidget& window);
    ~CloseAfterOperation() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_window;
    bool m_outermost;
    bool m_closeRequested = false;
};

} // namespace SharedFileSteps
