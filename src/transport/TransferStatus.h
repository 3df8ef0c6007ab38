#pragma once

#include <QString>

namespace TransferStatus {

// The window caption for a state of the transfer component, or "" for a
// state that leaves the caption as it is.
QString Caption(int state);

} // namespace TransferStatus
