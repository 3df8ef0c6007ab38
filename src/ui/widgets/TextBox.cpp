#include "TextBox.h"

#include "editors/EditText.h"

#include <QFontDatabase>
#include <QKeyEvent>

TextBox::TextBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

void TextBox::setText(const QString& text)
{
    setPlainText(EditText::ForTextBox(text));
}

QString TextBox::text() const
{
    return EditText::FromTextBox(document()->toRawText());
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    // Shift+Enter would put a line separator into the text where the member
    // means a new line.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers().testFlag(Qt::ShiftModifier)) {
        QTextCursor cursor = textCursor();
        cursor.insertBlock();
        setTextCursor(cursor);
        ensureCursorVisible();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}
