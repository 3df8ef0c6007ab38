#pragma once

#include <QWidget>

class QLabel;
class TextBox;

// "Configure External Editors": the editors file as text, saved on closing
// when the member says so.
class frmExternalEditors : public QWidget
{
    Q_OBJECT
public:
    explicit frmExternalEditors(QWidget* parent = nullptr);

    // How the list is written, above it.
    QLabel* lblFormat;
    TextBox* txtExternalEditors;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
};
