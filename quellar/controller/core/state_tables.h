#pragma once

#include "quellar/common/core/argument_lists.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace quellar {

/// One performance state: a frequency code and a voltage code. A free pair holds 0 in both.
///
/// `Freq`: bits 0-5 bus ratio; bit 6 (0x40) adds half a ratio step; bit 7 (0x80) halves the
/// bus clock. `Volt`: the VID step, 0..63.
struct StatePair {
    std::uint8_t Freq = 0;
    std::uint8_t Volt = 0;
    friend bool operator==(const StatePair&, const StatePair&) = default;
};

inline constexpr std::uint8_t kHalfRatioFlag = 0x40;
inline constexpr std::uint8_t kHalfBusFlag = 0x80;

/// The adapter, battery and factory tables: 30 pairs each.
using StateTable = std::array<StatePair, kTableSize>;

/// The index that `clearStateArr` reads as "every pair".
inline constexpr std::uint32_t kAllPairs = 0xFFFFFFFFu;

enum class SortDirection { Ascending, Descending };

/// Empties pair `index` and sorts the table ascending; `kAllPairs` empties all 30 pairs and
/// does not sort. An index past the table changes nothing.
void clearStateArr(StateTable& table, std::uint32_t index);
void copyStateArr(const StateTable& source, StateTable& destination);
/// Adds (volt, freq), with bit 7 set in `freq` first when `halfBus`, at the first pair whose
/// `Freq` or `Volt` is 0, unless a pair with that frequency code already exists. A table
/// without such a pair stays unchanged.
void addStateArr(StateTable& table, std::uint8_t volt, std::uint8_t freq, bool halfBus);
/// True when any pair has exactly this frequency code.
bool inStateArr(const StateTable& table, std::uint8_t freq);
/// Bubble sort by frequency key; afterwards the non-empty pairs (either byte non-zero) start
/// at index 0 in their sorted order and the rest is emptied.
void sortStateArr(StateTable& table, SortDirection direction);
/// True when no pair has both codes non-zero.
bool emptyStateArr(const StateTable& table);

/// The ordering key of a frequency code: ratio x 2 (x 1 at half bus), plus 1 for a half ratio.
int frequencyKey(std::uint8_t code);
/// MHz of a frequency code at bus clock `busfreq` MHz (integer arithmetic, truncating).
int megahertzOf(std::uint8_t code, std::int32_t busfreq);
/// Volts of a voltage code: 0.7125 V for code 0 up to 1.5 V for code 63.
double voltsOf(std::uint8_t code);

/// The packed setting of the driver's control entry: Freq x 256 + Volt.
constexpr std::uint32_t packedSetting(StatePair pair) {
    return std::uint32_t(pair.Freq) * 256 + pair.Volt;
}
constexpr StatePair unpackSetting(std::uint32_t packed) {
    return {std::uint8_t((packed >> 8) & 0xFF), std::uint8_t(packed & 0xFF)};
}

/// One row of a table view: "%i MHz" and "%4.4f V".
struct TableRow {
    QString frequency;
    QString voltage;
    friend bool operator==(const TableRow&, const TableRow&) = default;
};
/// The rows of every pair whose `Freq` is non-zero, in table order.
std::vector<TableRow> tableRows(const StateTable& table, std::int32_t busfreq);

QString frequencyText(std::uint8_t code, std::int32_t busfreq);
QString voltageText(std::uint8_t code);

} // namespace quellar
