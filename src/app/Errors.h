#pragma once
// A run-time error with the description shown to the member. Operations
// throw it from deep inside and catch it in one handler at their top, which
// shows the description in a message box and ends the operation.

#include <QString>
#include <stdexcept>

class SkiffError : public std::runtime_error
{
public:
    explicit SkiffError(const QString& description, int number = 0)
        : std::runtime_error(description.toStdString()), m_description(description),
          m_number(number)
    {
    }
    const QString& description() const { return m_description; }
    int number() const { return m_number; }

    static SkiffError overflow() { return SkiffError(QStringLiteral("Overflow"), 6); }
    static SkiffError typeMismatch() { return SkiffError(QStringLiteral("Type mismatch"), 13); }
    // What a file dialog that reports cancelling as an error says.
    static SkiffError cancelSelected()
    {
        return SkiffError(QStringLiteral("Cancel was selected."), 32755);
    }

private:
    QString m_description;
    int m_number;
};
