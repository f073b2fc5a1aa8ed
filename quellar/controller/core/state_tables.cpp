#include "quellar/controller/core/state_tables.h"

#include <utility>

namespace quellar {

void clearStateArr(StateTable& table, std::uint32_t index) {
    if (index == kAllPairs) {
        table.fill({});
        return;
    }
    if (index >= table.size())
        return;
    table[index] = {};
    sortStateArr(table, SortDirection::Ascending);
}

void copyStateArr(const StateTable& source, StateTable& destination) {
    destination = source;
}

bool inStateArr(const StateTable& table, std::uint8_t freq) {
    for (const StatePair& pair : table) {
        if (pair.Freq == freq)
            return true;
    }
    return false;
}

void addStateArr(StateTable& table, std::uint8_t volt, std::uint8_t freq, bool halfBus) {
    if (halfBus)
        freq |= kHalfBusFlag;
    if (inStateArr(table, freq))
        return;
    for (StatePair& pair : table) {
        if (pair.Freq == 0 || pair.Volt == 0) {
            pair = {freq, volt};
            return;
        }
    }
}

int frequencyKey(std::uint8_t code) {
    const int ratio = code & 63;
    return ratio * ((code & kHalfBusFlag) ? 1 : 2) + ((code & kHalfRatioFlag) ? 1 : 0);
}

void sortStateArr(StateTable& table, SortDirection direction) {
    const auto keyOf = [](const StatePair& pair) {
        return (pair.Freq == 0 && pair.Volt == 0) ? 0 : frequencyKey(pair.Freq);
    };
    const int last = int(table.size()) - 1;
    for (int pass = 0;; ++pass) {
        bool swapped = false;
        for (int left = last - 1; left >= pass && left >= 0; --left) {
            const int a = keyOf(table[left]), b = keyOf(table[left + 1]);
            if (direction == SortDirection::Ascending ? a > b : a < b) {
                std::swap(table[left], table[left + 1]);
                swapped = true;
            }
        }
        if (!swapped)
            break;
    }
    // Empty pairs gather at the front; move the others down so that they start at index 0.
    StateTable packed{};
    std::size_t next = 0;
    for (const StatePair& pair : table) {
        if (pair.Freq != 0 || pair.Volt != 0)
            packed[next++] = pair;
    }
    table = packed;
}

bool emptyStateArr(const StateTable& table) {
    for (const StatePair& pair : table) {
        if (pair.Freq != 0 && pair.Volt != 0)
            return false;
    }
    return true;
}

int megahertzOf(std::uint8_t code, std::int32_t busfreq) {
    const std::int32_t bus = (code & kHalfBusFlag) ? busfreq / 2 : busfreq;
    return bus * (code & 63) + ((code & kHalfRatioFlag) ? busfreq / 2 : 0);
}

double voltsOf(std::uint8_t code) {
    return 1.5 - 0.0125 * (63 - (code & 63));
}

QString frequencyText(std::uint8_t code, std::int32_t busfreq) {
    return QStringLiteral("%1 MHz").arg(megahertzOf(code, busfreq));
}

QString voltageText(std::uint8_t code) {
    return QString::asprintf("%4.4f V", voltsOf(code));
}

std::vector<TableRow> tableRows(const StateTable& table, std::int32_t busfreq) {
    std::vector<TableRow> rows;
    for (const StatePair& pair : table) {
        if (pair.Freq != 0)
            rows.push_back({frequencyText(pair.Freq, busfreq), voltageText(pair.Volt)});
    }
    return rows;
}

} // namespace quellar
