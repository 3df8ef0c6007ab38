#pragma once
// A member's name picture: the site file "images/" + nickname in lower case
// + ".gif", shown in the news window and replaceable from it.

#include <QString>

class Inet;

namespace NameGif {

// The picture's path on the site.
QString SitePath(const QString& nickname);

// Fetches the picture into the local mirror; its full local path, or ""
// when there is none to show. A member without a picture is no error, so
// nothing is ever shown.
QString Fetch(Inet& inet, const QString& sitePath);

// Asks for the new picture with the file dialog, then, with the busy
// pointer, puts it in the mirror (a file chosen from the mirror itself stays
// as it is) and uploads it. The
// local folder is the working directory again afterwards, even after an
// error. Throws SkiffError, also when the member cancels the dialog.
void Replace(Inet& inet, const QString& sitePath);

} // namespace NameGif
