// The add window: what it offers, hiding and deleting local files, and an
// add through it against the local site (the add's branches are tested
// without windows, tst_sharedfiles).

#include "ModalDriver.h"
#include "SharedFilesFixture.h"

#include "app/modSkiff.h"
#include "ui/filelist/frmAddFile.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>
#include <memory>

using namespace modSkiff;
using namespace FileListColumns;

namespace {

QStringList Candidates(const frmAddFile& window)
{
    QStringList names;
    for (ListItem* item : window.lvwAddFileList->items())
        names << item->text();
    return names;
}

void SelectCandidates(const frmAddFile& window, const QStringList& names)
{
    for (ListItem* item : window.lvwAddFileList->items())
        item->setSelected(names.contains(item->text()));
}

} // namespace

class TestAddFiles : public SharedFilesTestCase
{
    Q_OBJECT

    frmFileList* m_fileList = nullptr;

    // An add window over the member's shared files window on a store
    // holding "shared.txt"; the local files are written first.
    std::unique_ptr<frmAddFile> openAddWindow(const QList<QByteArray>& localFiles)
    {
        PublishControlFile(site(), {RecordLine("shared.txt", 2, "", "Bob", "Shared", "Bob: x")});
        PublishSharedFile(site(), "shared.txt", "shared");
        Member& ann = openAs("Ann");
        for (const QByteArray& name : localFiles)
            ann.env.writeLocal(QString::fromUtf8(name), "x");
        m_fileList = ann.window();
        auto window = std::make_unique<frmAddFile>(m_fileList);
        window->show();
        return window;
    }

private slots:
    void offersOnlyLocalFilesNotSharedOrReserved()
    {
        auto window =
            openAddWindow({"_files.txt.backup", "_hidden.TXT.old", "_control.dat", "_Control2",
                           "notes.backup", "a.txt.BACKUP", "mybackup", "plan.txt", "Shared.TXT",
                           "_other.txt", ".profile", "say \"hi\".txt"});
        QDir().mkpath("folder.txt");
        window->cmdRefresh->click();
        QCOMPARE(Candidates(*window), (QStringList{"_other.txt", "plan.txt"}));
        QVERIFY(QFile::exists("_hidden.txt"));
    }

    void hiddenFilesStayHiddenWhateverTheirCase()
    {
        // A list begun by a Windows client: Windows-1252, no final line end.
        auto window =
            openAddWindow({"Draft.TXT", "keep.txt", "OLD.TXT", "keep2.txt", "Caf\xc3\xa9.txt"});
        WriteFileBytes("_hidden.txt", "old.txt\r\ncaf\xe9.txt");
        window->cmdRefresh->click();
        QCOMPARE(Candidates(*window), (QStringList{"Draft.TXT", "keep.txt", "keep2.txt"}));

        SelectCandidates(*window, {"Draft.TXT", "keep2.txt"});
        window->cmdHideFiles->click();
        QCOMPARE(window->lblHidden->text(), QStringLiteral("files added to _hidden.txt"));
        QCOMPARE(Candidates(*window), QStringList{"keep.txt"});
        QCOMPARE(ReadFileBytes("_hidden.txt"),
                 QByteArray("old.txt\r\ncaf\xe9.txt\r\nDraft.TXT\r\nkeep2.txt\r\n"));
        auto* view = window->lvwAddFileList->findChild<QTreeView*>();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(0, 0)).center());
        QTRY_VERIFY(!window->lblHidden->isVisible());

        // A new window reads the list anew, whatever the file's letter case now.
        QFile::rename("Draft.TXT", "dRAFT.txt");
        frmAddFile again(m_fileList);
        QCOMPARE(Candidates(again), QStringList{"keep.txt"});
    }

    void deletesLocalFilesOnlyWhenConfirmed()
    {
        auto window = openAddWindow({"junk1.txt", "junk2.txt", "keep.txt"});
        SelectCandidates(*window, {"junk1.txt", "junk2.txt"});
        const QString question = "Are you sure you want to DELETE the files that you have "
                                 "selected from your local hard drive?";
        services().expect(question, vbYesNo | vbCritical, vbNo);
        window->cmdDeleteFiles->click();
        QVERIFY(QFile::exists("junk1.txt"));

        // One of them went away meanwhile: reported, the other still goes.
        QFile::remove("junk1.txt");
        services().expect(question, vbYesNo | vbCritical, vbYes);
        services().answer(vbOK);
        window->cmdDeleteFiles->click();
        QVERIFY(services().last().prompt.contains("junk1.txt"));
        QVERIFY(!services().last().prompt.contains("junk2.txt"));
        QVERIFY(!QFile::exists("junk2.txt"));
        QCOMPARE(window->lblHidden->text(), QStringLiteral("files deleted from local drive"));
        QCOMPARE(Candidates(*window), QStringList{"keep.txt"});
    }

    // The add rebuilds both lists: the new file is shared at version 1 and no
    // longer offered.
    void anAddedFileMovesToTheSharedList()
    {
        auto window = openAddWindow({"alpha.txt", "later.txt"});
        SelectCandidates(*window, {"alpha.txt"});
        services().answerInput("First");
        window->cmdAdd->click();
        ListItem* row = m_fileList->lvwFileList->findItem("alpha.txt");
        QVERIFY(row);
        QCOMPARE(row->subItem(LatestVersion) + "," + row->subItem(MyVersion) + "," +
                     row->subItem(Owner) + "," + row->subItem(LastUpdatedBy),
                 QStringLiteral("1,1,Ann,Ann: *new file*"));
        QCOMPARE(Candidates(*window), QStringList{"later.txt"});
    }

    void onlyFullAccessMembersMayAdd()
    {
        PublishControlFile(site(), {});
        Member& reader = openAs("Rita", 2);
        services().expect("Sorry, you do not have access to that feature.", vbCritical);
        reader.window()->cmdAddFile->click();

        Member& writer = openAs("Bob", 3);
        bool modalAndTracked = false;
        WhenShown<frmAddFile>([&](frmAddFile* window) {
            modalAndTracked = window->isModal() && writer.window()->AddFileWindow == window;
            window->cmdClose->click();
        });
        writer.window()->mnuFileAddFiles->trigger();
        QVERIFY(modalAndTracked);
        QTRY_VERIFY(!writer.window()->AddFileWindow);
    }
};

QTEST_MAIN(TestAddFiles)
#include "tst_addfiles.moc"
