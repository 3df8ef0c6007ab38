#pragma once
// Two administrators at once: the records one of them changed since the
// user file was downloaded, applied onto the file the server holds now.
// Records are independent, so a change by the other administrator to any
// other record stays; only a record both changed needs a decision.

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace UserFileMerge {

// What to do with a record both changed, named by its nickname as this
// administrator left it: true keeps this administrator's version, false
// the other's; none stops the merge (nothing is to be sent).
using Decide = std::function<std::optional<bool>(const QString& nickname)>;

// base: the file as downloaded; mine: the working copy; fresh: the
// server's file now. Records are compared by their clear values, so a
// record only written back with other padding is no change. A record
// changed in mine goes into fresh at its place; a record appended in mine
// (a new member) is appended to fresh, after any the other administrator
// appended. None when decide stopped the merge. Throws SkiffError when the
// server's file lost records this administrator changed.
std::optional<QByteArray> Merge(const QByteArray& base, const QByteArray& mine,
                                const QByteArray& fresh, const Decide& decide);

} // namespace UserFileMerge
