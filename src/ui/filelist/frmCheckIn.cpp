#include "frmCheckIn.h"

#include "app/Guard.h"
#include "app/shrmodStrings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

frmCheckIn::frmCheckIn(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCheckIn"));
    setWindowTitle(QStringLiteral("Check In"));

    auto named = [](QWidget* widget, const char* name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };
    lblCheckingInFileLabel = new QLabel(QStringLiteral("Checking In &File:"), this);
    txtCheckingInFile = new QLineEdit(this);
    txtCheckingInFile->setReadOnly(true);
    lblCheckingInFileLabel->setBuddy(txtCheckingInFile);
    Label1 = new QLabel(QStringLiteral("Co&mments:"), this);
    txtComments = new QLineEdit(this);
    Label1->setBuddy(txtComments);
    chkKeepFileCheckedOut =
        new QCheckBox(QStringLiteral("&Keep file checked out (update server only)"), this);
    chkRevert =
        new QCheckBox(QStringLiteral("&Don't update server (you will lose your changes)"), this);
    cmdCheckIn = new QPushButton(QStringLiteral("&Check In"), this);
    cmdCheckIn->setDefault(true);
    cmdCheckInAll = new QPushButton(QStringLiteral("Check In &All"), this);
    cmdCancel = new QPushButton(QStringLiteral("Canc&el"), this);
    named(lblCheckingInFileLabel, "lblCheckingInFileLabel");
    named(txtCheckingInFile, "txtCheckingInFile");
    named(Label1, "Label1");
    named(txtComments, "txtComments");
    named(chkKeepFileCheckedOut, "chkKeepFileCheckedOut");
    named(chkRevert, "chkRevert");
    named(cmdCheckIn, "cmdCheckIn");
    named(cmdCheckInAll, "cmdCheckInAll");
    named(cmdCancel, "cmdCancel");

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    grid->addWidget(lblCheckingInFileLabel, 0, 0);
    grid->addWidget(txtCheckingInFile, 0, 1);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(txtComments, 1, 1);
    grid->addWidget(chkKeepFileCheckedOut, 2, 1);
    grid->addWidget(chkRevert, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCheckIn);
    buttons->addWidget(cmdCheckInAll);
    buttons->addWidget(cmdCancel);
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(1, 360);

    connect(txtComments, &QLineEdit::textChanged, this, Guarded([this] { txtComments_Change(); }));
    connect(chkKeepFileCheckedOut, &QCheckBox::toggled, this, [this](bool ticked) {
        RunGuarded([&] { chkKeepFileCheckedOut_Click(ticked); });
    });
    connect(chkRevert, &QCheckBox::toggled, this,
            [this](bool ticked) { RunGuarded([&] { chkRevert_Click(ticked); }); });
    connect(cmdCheckIn, &QPushButton::clicked, this, Guarded([this] { finish(true, false); }));
    connect(cmdCheckInAll, &QPushButton::clicked, this, Guarded([this] { finish(true, true); }));
    connect(cmdCancel, &QPushButton::clicked, this, Guarded([this] { finish(false, false); }));
}

bool frmCheckIn::Do_CheckInFile(const QString& fileName, QString& pstrComment,
                                bool& pblnKeepCheckedOut, bool& pblnCheckInAll,
                                bool& pblnDontUpdateServer)
{
    m_result = false;
    m_checkInAll = false;
    txtCheckingInFile->setText(fileName);
    txtComments->setFocus();
    QPointer<frmCheckIn> alive(this);
    exec();
    // The shared files window may have been closed meanwhile, and this with it.
    if (!alive)
        return false;
    pstrComment = txtComments->text();
    pblnKeepCheckedOut = chkKeepFileCheckedOut->isChecked();
    pblnCheckInAll = m_checkInAll;
    pblnDontUpdateServer = chkRevert->isChecked();
    return m_result;
}

void frmCheckIn::finish(bool result, bool checkInAll)
{
    m_result = result;
    m_checkInAll = checkInAll;
    done(result ? Accepted : Rejected);
}

void frmCheckIn::txtComments_Change()
{
    // The control file quotes its text fields without escaping, so a double
    // quote cannot be stored; the member sees the apostrophe at once.
    QString text = txtComments->text();
    if (m_replacingQuotes || !text.contains(QLatin1Char('"')))
        return;
    m_replacingQuotes = true;
    const int caret = txtComments->cursorPosition();
    const int selectionStart = txtComments->selectionStart();
    const int selectionLength = int(txtComments->selectedText().size());
    shrmodStrings::ReplaceTextKeepCase(text, {QStringLiteral("\""), QStringLiteral("'")});
    txtComments->setText(text);
    // The replacement has the same length, so every position still holds.
    if (selectionLength == 0)
        txtComments->setCursorPosition(caret);
    else if (caret == selectionStart)
        txtComments->setSelection(selectionStart + selectionLength, -selectionLength);
    else
        txtComments->setSelection(selectionStart, selectionLength);
    m_replacingQuotes = false;
}

void frmCheckIn::chkKeepFileCheckedOut_Click(bool ticked)
{
    if (ticked)
        chkRevert->setChecked(false);
    chkRevert->setEnabled(!ticked);
}

void frmCheckIn::chkRevert_Click(bool ticked)
{
    if (ticked) {
        chkKeepFileCheckedOut->setChecked(false);
        m_putAsideComment = txtComments->text();
        txtComments->clear();
    } else {
        txtComments->setText(m_putAsideComment);
    }
    chkKeepFileCheckedOut->setEnabled(!ticked);
    txtComments->setEnabled(!ticked);
}
