// The options dialog of the shared files window: what it reads from the
// settings store, what it writes back (and what it leaves alone), when it
// rebuilds the list, and how it is opened and closed.

#include "SharedFilesFixture.h"

#include "app/GlobalState.h"
#include "app/Settings.h"
#include "ui/filelist/frmOptions.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

using namespace modSkiff;

namespace {

// Stands for "never stored" when reading a setting back.
const QString kAbsent = "<absent>";

QString stored(const QString& section, const QString& key)
{
    return GetSetting(section, key, kAbsent);
}

frmOptions* optionsOf(const Member& member)
{
    return qobject_cast<frmOptions*>(member.window()->OptionsWindow.data());
}

} // namespace

class TestOptions : public SharedFilesTestCase
{
    Q_OBJECT

    // How often the shared files window fetched the control file since the log was cleared.
    int controlFileFetches() { return commands().count("RETR _files.txt"); }

    // The options dialog opened from the toolbar button.
    static frmOptions* openOptions(Member& member)
    {
        member.window()->cmdOptions->click();
        return optionsOf(member);
    }

private slots:
    void init()
    {
        SharedFilesTestCase::init();
        // Version 0 is what a member without a local copy holds, so the two
        // files that are not Ann's read as up to date.
        PublishControlFile(site(), {RecordLine("mine.txt", 2, "Ann"), RecordLine("other.txt", 0),
                                    RecordLine("held.txt", 0, "Bob")});
    }

    // Only exactly "Yes" ticks a box, and a box left as it was is not
    // written back, whatever the stored spelling.
    void unchangedBoxesAreNotRewritten()
    {
        Member& ann = openAs("Ann");
        SaveSetting("Icons", "/ShowOutOfDateAsRed", "yes");
        SaveSetting("Icons", "/ShowUnavailableAsYellow", "Yes");
        SaveSetting("Settings", "ShowPreviewPane", "yes");
        SaveSetting("Settings", "NoReadOnly", "YES");
        frmOptions* options = openOptions(ann);
        QVERIFY(options && options->isVisible() && !options->isModal());
        // From the toolbar the dialog is a window of its own.
        QCOMPARE(options->parentWidget(), nullptr);
        const QList<QPair<QCheckBox*, bool>> ticks = {
            {options->chkShowOutOfDateAsRed, false},
            {options->chkShowUpToDateAsBlue, false},
            {options->chkShowCheckedOutAsGreen, false},
            {options->chkShowUnavailableAsYellow, true},
            {options->chkShowOutdatedFilesOnStartup, true},
            {options->chkShowCheckedOutFilesOnExit, true},
            {options->chkShowPreviewPane, false},
            {options->chkNoReadOnly, false}};
        for (const auto& [box, ticked] : ticks)
            QVERIFY2(box->isChecked() == ticked, qPrintable(box->objectName()));
        QVERIFY(options->optDetails->isChecked());

        site().clearLog();
        options->cmdOK->click();
        QCOMPARE(stored("Icons", "/ShowOutOfDateAsRed") + stored("Settings", "ShowPreviewPane") +
                     stored("Settings", "NoReadOnly"),
                 "yesyesYES");
        for (const char* key : {"/ShowUpToDateAsBlue", "/ShowCheckedOutAsGreen"})
            QCOMPARE(stored("Icons", key), kAbsent);
        for (const char* key : {"ShowOutdatedFilesOnStartup", "ShowCheckedOutFilesOnExit"})
            QCOMPARE(stored("Settings", key), kAbsent);
        QCOMPARE(stored("Icons", "/CurrentView"), "3");
        QVERIFY(!NoReadOnly);
        QCOMPARE(controlFileFetches(), 0);
        QTRY_VERIFY(ann.window()->OptionsWindow.isNull());
    }

    // OK and the window's close box save alike; Cancel and Escape save nothing.
    void closingSavesUnlessCancelled_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("saved");
        QTest::newRow("OK") << "OK" << true;
        QTest::newRow("close box") << "close" << true;
        QTest::newRow("Cancel") << "Cancel" << false;
        QTest::newRow("Escape") << "Escape" << false;
    }
    void closingSavesUnlessCancelled()
    {
        QFETCH(QString, how);
        QFETCH(bool, saved);
        Member& ann = openAs("Ann");
        frmOptions* options = openOptions(ann);
        QVERIFY(options);
        options->chkShowUpToDateAsBlue->setChecked(true);
        options->chkShowOutdatedFilesOnStartup->setChecked(false);
        options->optList->setChecked(true);
        options->chkNoReadOnly->setChecked(true);
        site().clearLog();
        if (how == "OK")
            options->cmdOK->click();
        else if (how == "close")
            QVERIFY(options->close());
        else if (how == "Cancel")
            options->cmdCancel->click();
        else
            QTest::keyClick(options, Qt::Key_Escape);
        QTRY_VERIFY(ann.window()->OptionsWindow.isNull());

        QCOMPARE(stored("Icons", "/ShowUpToDateAsBlue"), saved ? "Yes" : kAbsent);
        QCOMPARE(stored("Settings", "ShowOutdatedFilesOnStartup"), saved ? "No" : kAbsent);
        QCOMPARE(stored("Icons", "/CurrentView"), saved ? "2" : kAbsent);
        QCOMPARE(ann.list()->view(), saved ? 2 : 3);
        QCOMPARE(NoReadOnly, saved);
        QCOMPARE(controlFileFetches(), saved ? 1 : 0);
        // The rebuilt list shows the up-to-date file with its marking.
        QCOMPARE(ann.row("other.txt")->smallIcon(), saved ? "unlocked" : ".txt");
    }

    // Cancel counts for one opening only; from the menu the dialog belongs
    // to the shared files window, and there is one at a time.
    void cancelCountsForOneOpeningOnly()
    {
        Member& ann = openAs("Ann");
        frmOptions* first = openOptions(ann);
        first->chkShowCheckedOutAsGreen->setChecked(true);
        first->cmdCancel->click();
        QTRY_VERIFY(ann.window()->OptionsWindow.isNull());
        ann.window()->mnuViewOptions->trigger();
        frmOptions* second = optionsOf(ann);
        QCOMPARE(second->parentWidget(), ann.window());
        QVERIFY(!second->chkShowCheckedOutAsGreen->isChecked());
        ann.window()->cmdOptions->click();
        QCOMPARE(optionsOf(ann), second);
        second->cmdOK->click();
        QCOMPARE(stored("Icons", "/ShowCheckedOutAsGreen"), kAbsent);
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
