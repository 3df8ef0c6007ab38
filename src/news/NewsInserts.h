#pragma once
// The snippets the news window's insert buttons put into the news text, and
// the answers they propose. Line breaks are CR LF, as in the text box.

#include <QString>

namespace NewsInserts {

// "New Member": the welcome line, on a line of its own.
QString WelcomeLine(const QString& member);
// "Image": the picture tag, and the member's name picture as the proposal.
QString ImageTag(const QString& location);
QString ProposedImage(const QString& nickname);
// "Hyperlink": the proposed address, the attribute that opens a new window
// (" target="_TOP""), the proposed link text (the selection, or "click
// here" when it is only spaces) and the link itself.
QString ProposedAddress();
QString NewWindowAttribute();
QString ProposedLinkText(const QString& selection);
QString Hyperlink(const QString& address, const QString& attribute, const QString& linkText);

} // namespace NewsInserts
