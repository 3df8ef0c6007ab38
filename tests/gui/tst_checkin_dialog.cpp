// The check-in dialog on its own: what Do_CheckInFile returns for each way
// out, how the two boxes and the comment box play together, and the quotes
// typed or pasted into the comment.

#include "ModalDriver.h"

#include "ui/filelist/frmCheckIn.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

struct Outcome
{
    bool result = false;
    QString comment;
    bool keep = false;
    bool all = false;
    bool dontUpdate = false;
};

// Shows the dialog for a file, lets the action answer it and returns what
// the dialog handed back.
Outcome Run(frmCheckIn& dialog, const QString& file, std::function<void(frmCheckIn*)> action)
{
    WhenShown<frmCheckIn>(std::move(action));
    Outcome outcome;
    outcome.result =
        dialog.Do_CheckInFile(file, outcome.comment, outcome.keep, outcome.all, outcome.dontUpdate);
    return outcome;
}

} // namespace

class TestCheckInDialog : public QObject
{
    Q_OBJECT

private slots:
    void eachWayOutAnswers_data()
    {
        QTest::addColumn<int>("way"); // 0 Check In, 1 Check In All, 2 Cancel, 3 close box, 4 Esc
        QTest::addColumn<bool>("result");
        QTest::addColumn<bool>("all");
        QTest::newRow("check in") << 0 << true << false;
        QTest::newRow("check in all") << 1 << true << true;
        QTest::newRow("cancel") << 2 << false << false;
        QTest::newRow("close box") << 3 << false << false;
        QTest::newRow("escape") << 4 << false << false;
    }
    void eachWayOutAnswers()
    {
        QFETCH(int, way);
        QFETCH(bool, result);
        QFETCH(bool, all);
        frmCheckIn dialog;
        // An earlier Check In All must not carry over.
        Run(dialog, "x.txt", [](frmCheckIn* d) { d->cmdCheckInAll->click(); });

        QString shownFile;
        const Outcome outcome = Run(dialog, "report.doc", [&](frmCheckIn* d) {
            shownFile = d->txtCheckingInFile->text();
            d->txtComments->setText("done");
            d->chkKeepFileCheckedOut->click();
            switch (way) {
            case 0:
                QTest::mouseClick(d->cmdCheckIn, Qt::LeftButton);
                break;
            case 1:
                QTest::mouseClick(d->cmdCheckInAll, Qt::LeftButton);
                break;
            case 2:
                QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
                break;
            case 3:
                d->close();
                break;
            default:
                QTest::keyClick(d, Qt::Key_Escape);
            }
        });
        QCOMPARE(shownFile, "report.doc");
        QCOMPARE(outcome.result, result);
        QCOMPARE(outcome.all, all);
        QCOMPARE(outcome.comment, "done");
        QVERIFY(outcome.keep);
        QVERIFY(!outcome.dontUpdate);
        // Closed means hidden: the dialog keeps what the member left in it.
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.txtComments->text(), "done");
    }

    void theTwoBoxesExcludeEachOtherAndGivingBackSetsTheCommentAside()
    {
        frmCheckIn dialog;
        dialog.chkKeepFileCheckedOut->click();
        QVERIFY(!dialog.chkRevert->isEnabled());
        dialog.chkKeepFileCheckedOut->click();
        QVERIFY(dialog.chkRevert->isEnabled());

        bool othersEnabled = true;
        const Outcome outcome = Run(dialog, "a.txt", [&](frmCheckIn* d) {
            d->txtComments->setText("lost work");
            d->chkRevert->click();
            othersEnabled = d->chkKeepFileCheckedOut->isEnabled() || d->txtComments->isEnabled();
            d->cmdCheckIn->click();
        });
        QVERIFY(!othersEnabled);
        QVERIFY(outcome.result && outcome.dontUpdate && !outcome.keep);
        QCOMPARE(outcome.comment, QString());

        // Shown again, unticking brings the comment back.
        const Outcome again = Run(dialog, "b.txt", [&](frmCheckIn* d) {
            d->chkRevert->click();
            othersEnabled = d->chkKeepFileCheckedOut->isEnabled() && d->txtComments->isEnabled();
            d->cmdCheckIn->click();
        });
        QVERIFY(othersEnabled);
        QCOMPARE(again.comment, "lost work");
        QVERIFY(!again.dontUpdate);
    }

    void quotesBecomeApostrophesWhereverTheyComeFrom()
    {
        frmCheckIn dialog;
        dialog.show();
        QLineEdit* box = dialog.txtComments;
        QTest::keyClicks(box, "\"quoted\"");
        QCOMPARE(box->text(), "'quoted'");
        QCOMPARE(box->cursorPosition(), 8);

        box->setCursorPosition(1);
        QTest::keyClick(box, '"');
        QCOMPARE(box->text(), "''quoted'");
        QCOMPARE(box->cursorPosition(), 2);

        QGuiApplication::clipboard()->setText("say \"yes\" ");
        box->setText("then stop");
        box->setCursorPosition(5);
        box->paste();
        QCOMPARE(box->text(), "then say 'yes' stop");
        QCOMPARE(box->cursorPosition(), 15);
    }
};

QTEST_MAIN(TestCheckInDialog)
#include "tst_checkin_dialog.moc"
