// Long transfers in the windows that run them: the progress strip appears
// once a transfer has run a second, its Cancel ends the transfer and the
// operation follows its failure path, and the transfer log says what became
// of each file.

#include "SharedFilesFixture.h"

#include "store/FileVersions.h"
#include "transport/Inet.h"
#include "transport/SiteConfig.h"
#include "transport/TransferLog.h"
#include "ui/explorer/frmExplorer.h"
#include "ui/frmTransferLog.h"
#include "ui/widgets/CaptionButton.h"
#include "ui/widgets/TransferProgress.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using namespace modSkiff;

namespace {

// Presses the strip's Cancel once it shows (the operation is waiting for
// the server meanwhile), after noting what it read and which of the
// window's controls the member could still use.
class CancelWhenShown : public QObject
{
public:
    explicit CancelWhenShown(TransferProgress* strip) : m_strip(strip)
    {
        connect(strip, &TransferProgress::shownChanged, this, [this](bool shown) {
            if (!shown || !reading.isEmpty())
                return;
            // Once the first report has come.
            const auto cancel = [this] {
                reading = m_strip->lblTransfer->text() + " | " +
                          m_strip->lblTransferAmount->text();
                cancelUsable = m_strip->cmdCancelTransfer->isEnabled();
                QTest::mouseClick(m_strip->cmdCancelTransfer, Qt::LeftButton);
            };
            QTimer::singleShot(0, this, cancel);
        });
    }
    QString reading;
    bool cancelUsable = false;

private:
    TransferProgress* m_strip;
};

} // namespace

class TestProgress : public SharedFilesTestCase
{
    Q_OBJECT

private slots:
    // The explorer's download of a file that stalls: the strip shows over
    // the window, whose other controls rest; Cancel ends the download, the
    // mirror copy stays, and the log says why the file did not come.
    void cancellingAnExplorerDownload()
    {
        TestEnv orrin(QStringLiteral("Orrin"), 4);
        site().writeSiteFile("big.html", QByteArray(40960, 'b'));
        site().stall("big.html");
        orrin.writeLocal("WebPage/big.html", "my copy");
        QPointer<frmExplorer> window = new frmExplorer;
        window->Do_ShowWebPage();
        ListItem* item = nullptr;
        for (ListItem* row : window->lvwExplorer->items())
            if (row->text() == QLatin1String("big.html"))
                item = row;
        QVERIFY(item);
        item->setSelected(true);

        CancelWhenShown cancel(window->picTransfer);
        bool listUsable = true;
        connect(window->picTransfer, &TransferProgress::shownChanged, this,
                [&] { listUsable = window->lvwExplorer->isEnabled(); });
        services().answer(vbOK); // the confirmation
        services().expect("The download of " + SiteConfig::HttpBase() + "big.html was cancelled.",
                          vbCritical);
        window->cmdDownload->click();

        QVERIFY2(cancel.reading.startsWith("Downloading big.html | 1.0 KB of 40.0 KB - "),
                 qPrintable(cancel.reading));
        QVERIFY(cancel.cancelUsable);
        QVERIFY(!listUsable);
        QCOMPARE(orrin.readLocal("WebPage/big.html"), QByteArray("my copy"));
        QCOMPARE(item->smallIcon(), QStringLiteral("filedownload"));
        QVERIFY(window->lvwExplorer->isEnabled());
        QTRY_VERIFY(window->picTransfer->isHidden());

        QTest::keyClick(static_cast<QWidget*>(window->tvwExplorer), Qt::Key_L, Qt::ControlModifier);
        auto* log = window->findChild<frmTransferLog*>();
        QVERIFY(log && log->isVisible());
        QVERIFY2(log->txtLog->toPlainText().contains("big.html: not downloaded: The download of " +
                                                     SiteConfig::HttpBase() + "big.html was "
                                                                              "cancelled."),
                 qPrintable(log->txtLog->toPlainText()));
        delete window;
    }

    // Get latest version of a file whose download stalls, before one that
    // would come: the strip shows in the status bar, Cancel ends the stalled
    // download, the member's copy and recorded version stay as they were,
    // the batch stops there (the next file is not fetched), and the
    // window's log says so.
    void cancellingAGetLatestVersion()
    {
        PublishControlFile(site(), {RecordLine("big.txt", 2, {}, "Orrin", "a big file", "Orrin: x"),
                                    RecordLine("one.txt", 1, {}, "Orrin", "first", "Orrin: y")});
        PublishSharedFile(site(), "big.txt", QByteArray(100000, 'b'));
        PublishSharedFile(site(), "one.txt", "one");
        site().stall("big.txt");
        Member& ann = openAs("Ann");
        ann.env.writeLocal("big.txt", "my copy");
        FileVersions::Set("big.txt", 1);
        ann.select({"one.txt", "big.txt"});

        CancelWhenShown cancel(ann.window()->picTransfer);
        services().answer(vbOK); // whatever the download's failure says
        ann.window()->GetLatestVersion();

        QVERIFY2(cancel.reading.startsWith("Downloading big.txt"), qPrintable(cancel.reading));
        QVERIFY(cancel.cancelUsable);
        QCOMPARE(ann.env.readLocal("big.txt"), QByteArray("my copy"));
        QCOMPARE(FileVersions::Get("big.txt"), short(1));
        QCOMPARE(ann.env.readLocal("one.txt"), QByteArray());
        QCOMPARE(FileVersions::Get("one.txt"), short(0));
        const QString log = ann.window()->txtResults->toPlainText();
        QVERIFY2(!log.contains("one.txt") && log.contains("big.txt: not fetched: "),
                 qPrintable(log));
        QTRY_VERIFY(ann.window()->picTransfer->isHidden());
    }
};

QTEST_MAIN(TestProgress)
#include "tst_progress.moc"
