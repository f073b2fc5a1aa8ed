#include "vantir/core/receiver_report.h"

namespace vantir {

namespace {

constexpr unsigned char kButtonReport = 0x25;
constexpr unsigned char kRemoteSignature = 0x87;
constexpr unsigned char kBatteryGood = 0xee;
constexpr unsigned char kBatteryLow = 0xe0;

} // namespace

std::optional<int> remoteIdInReceiverReport(std::span<const unsigned char> report) {
    if (report.size() < 5 || report[0] != kButtonReport || report[1] != kRemoteSignature)
        return std::nullopt;
    if (report[2] != kBatteryGood && report[2] != kBatteryLow)
        return std::nullopt;
    return int(report[3]);
}

} // namespace vantir
