#pragma once
// The external editors: the list in "external editors.ini" (pairs of lines,
// the name as the menu shows it and the command, the program's path in
// double quotes when it holds blanks) and opening a site file's mirror copy
// in one of them.

#include <QList>
#include <QString>

class Inet;

namespace ExternalEditors {

struct Editor
{
    QString name;
    QString command; // as written in the file
    bool found = false;
    // The menu's caption: the name, with " - FILE NOT FOUND" when the
    // program is missing.
    QString Caption() const;
};

// The editors of the file's text in file order: a pair with an empty line is
// left out, and a last name without its command. Lines end with CR LF, or a
// bare LF or CR, as other editors may have left them.
QList<Editor> Parse(const QString& text);

// The file's text; "" when it is missing or cannot be read, which gives no
// editors.
QString ReadFile(const QString& path);
// Replaces the file's content with the text exactly; SkiffError when it
// cannot be written.
void WriteFile(const QString& path, const QString& text);

// The program a command starts: the command without its double quotes.
QString ProgramOf(const QString& command);
// Whether that names an existing file. The whole line counts, so a command
// with arguments after the program is missing.
bool ProgramExists(const QString& command);

// Opens the site file in the editor, after asking whether to download it
// first (or, without a mirror copy, whether to download it at all): the
// program starts with the mirror copy's full path as its argument and is not
// waited for. False when the member cancelled or the download failed (it
// says why); SkiffError when the program cannot be started.
bool OpenInEditor(Inet& inet, const QString& sitePath, const QString& caption,
                  const QString& command);

} // namespace ExternalEditors
