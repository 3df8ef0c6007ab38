#include "frmExternalEditors.h"

#include "WindowPlacement.h"
#include "widgets/TextBox.h"

#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "editors/ExternalEditors.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

frmExternalEditors::frmExternalEditors(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmExternalEditors"));
    setWindowTitle(QStringLiteral("Configure External Editors"));
    lblFormat = new QLabel(
        QStringLiteral("Two lines for each editor: the name the menu shows, then the program to "
                       "start (its full path, in double quotes when it holds a space)."),
        this);
    lblFormat->setObjectName(QStringLiteral("lblFormat"));
    lblFormat->setWordWrap(true);
    lblFormat->setContentsMargins(6, 4, 6, 4);
    txtExternalEditors = new TextBox(this);
    txtExternalEditors->setObjectName(QStringLiteral("txtExternalEditors"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(lblFormat);
    layout->addWidget(txtExternalEditors);
    resize(520, 300);
    CenterOnScreen(this);
    Form_Load();
}

void frmExternalEditors::Form_Load()
{
    txtExternalEditors->setText(ExternalEditors::ReadFile(modSkiff::ExternalEditorsFile));
}

void frmExternalEditors::closeEvent(QCloseEvent* event)
{
    switch (MsgBox(QStringLiteral("Save Changes?"), vbYesNoCancel | vbQuestion)) {
    case vbCancel: event->ignore(); return;
    case vbYes:
        try {
            ExternalEditors::WriteFile(modSkiff::ExternalEditorsFile, txtExternalEditors->text());
        } catch (const SkiffError& error) {
            // The list stays on screen, to be saved once the cause is gone.
            MsgBox(error.description(), vbOKOnly | vbCritical);
            event->ignore();
            return;
        }
        break;
    default: break;
    }
    event->accept();
}
