#pragma once

#include "quellar/controller/core/state_tables.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace quellar {

/// What the machine model says about the processor and chipset.
struct MachineModel {
    bool santaRosa = false;     ///< the half-bus check box is offered
    bool penryn = false;        ///< half ratio steps in the frequency list
    bool nvidiaChipset = false; ///< the lowest voltage code is fixed at 13
};

/// Classifies a model text by the substrings of the notebook families; empty text is none.
MachineModel classifyMachine(const QString& model);

/// The frequency and voltage choices and the processor's limits behind them. Item i of a
/// pop-up carries entry i of `Freq` or `Volt`.
struct ChoiceLists {
    static constexpr std::size_t kMaxFrequencies = 16;
    static constexpr std::size_t kMaxVoltages = 40;

    std::vector<std::uint8_t> Freq;
    QStringList frequencyItems;
    std::vector<std::uint8_t> Volt;
    QStringList voltageItems;
    std::uint8_t MaxVID = 0, MinVID = 0;
    std::uint8_t MaxMul = 0, MinMul = 0;
};

/// The factory states in use: `Def` and its first `DefMax` pairs.
struct FactoryTable {
    StateTable Def{};
    std::uint32_t DefMax = 0;
};

/// The smallest non-zero voltage code among the used factory pairs, or 255 when none.
std::uint8_t findVoltage(const FactoryTable& factory);

/// Builds the voltage list from the high status word; nothing changes without one.
void fillVoltage(ChoiceLists& lists, std::optional<std::int32_t> statusHigh,
                 const FactoryTable& factory, const MachineModel& machine);

/// Builds the frequency list from both status words at bus clock `busfreq`, at half bus when
/// `halfBus`; nothing changes when either word is missing.
void fillFrequency(ChoiceLists& lists, std::optional<std::int32_t> statusLow,
                   std::optional<std::int32_t> statusHigh, std::int32_t busfreq, bool halfBus,
                   const MachineModel& machine);

/// Which voltage items may be picked for a chosen frequency: items 0..`enabledCount` - 1 are
/// enabled, the others disabled, and `selected` is selected when set. Without factory states
/// (`leaveAsIs`) the items keep their state.
struct VoltageLimits {
    bool leaveAsIs = false;
    int enabledCount = 0;
    std::optional<int> selected;
};
VoltageLimits changeFreq(const ChoiceLists& lists, std::uint8_t selectedFrequency,
                         const FactoryTable& factory);

/// The factory states as stored under "DefaultValues": blobs of 32-bit little-endian words
/// whose fifth word is the state's control value.
using PowerStates = std::vector<QByteArray>;

/// `DefMax` = number of states (at most 30); pair i gets Volt = byte 16, Freq = byte 17.
/// A blob too short to hold its fifth word counts as an empty pair.
FactoryTable fillDefArr(const PowerStates& states);
/// A state blob for a packed control value, as the registry gives them.
QByteArray powerStateBlob(std::uint32_t control);

} // namespace quellar
