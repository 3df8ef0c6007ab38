#pragma once
// A multi-line text box that hands back exactly the text it was given: line
// ends as CR LF, a lone CR, non-breaking spaces and line separators
// unchanged (a plain QPlainTextEdit turns all of these into something else).
// The editors' text boxes use it.

#include <QPlainTextEdit>

class TextBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
