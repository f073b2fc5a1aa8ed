#pragma once

#include <optional>
#include <span>

namespace vantir {

/// The pairing ID of the remote that sent one raw report of the infrared receiver, or none
/// for a report that names no remote (a key repeat, anything else). A button report reads
/// 0x25 0x87 0xee (0xe0 while the remote's battery is low), then the remote's ID, then the
/// button.
std::optional<int> remoteIdInReceiverReport(std::span<const unsigned char> report);

} // namespace vantir
