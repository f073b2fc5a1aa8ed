#include "quellar/controller/core/choice_lists.h"

#include <algorithm>

namespace quellar {

MachineModel classifyMachine(const QString& model) {
    const auto containsAny = [&](std::initializer_list<const char*> names) {
        return std::any_of(names.begin(), names.end(), [&](const char* name) {
            return model.contains(QLatin1StringView(name));
        });
    };
    MachineModel machine;
    machine.santaRosa = containsAny({"MacBookPro3", "MacBookPro4", "MacBook3", "MacBook4",
                                     "MacBookAir1", "MacBookPro5", "MacBook5", "MacBookAir2"});
    machine.penryn =
        containsAny({"MacBookPro4", "MacBook4", "MacBookPro5", "MacBook5", "MacBookAir2"});
    machine.nvidiaChipset = containsAny({"MacBookPro5", "MacBook5"});
    return machine;
}

std::uint8_t findVoltage(const FactoryTable& factory) {
    std::uint8_t lowest = 255;
    for (std::uint32_t i = 0; i < factory.DefMax && i < factory.Def.size(); ++i) {
        const std::uint8_t volt = factory.Def[i].Volt;
        if (volt != 0 && volt < lowest)
            lowest = volt;
    }
    return lowest;
}

void fillVoltage(ChoiceLists& lists, std::optional<std::int32_t> statusHigh,
                 const FactoryTable& factory, const MachineModel& machine) {
    if (!statusHigh)
        return;
    const std::uint32_t high = std::uint32_t(*statusHigh);
    lists.MaxVID = std::uint8_t(high & 0x3F);
    lists.MinVID = std::uint8_t((high >> 16) & 0x3F);
    if (machine.nvidiaChipset)
        lists.MinVID = 13;
    const std::uint8_t lowestDefault = findVoltage(factory);
    if (lowestDefault < lists.MinVID)
        lists.MinVID = lowestDefault;
    lists.Volt.clear();
    lists.voltageItems.clear();
    for (int code = lists.MinVID;
         code <= lists.MaxVID && lists.Volt.size() < ChoiceLists::kMaxVoltages; ++code) {
        lists.Volt.push_back(std::uint8_t(code));
        lists.voltageItems.append(voltageText(std::uint8_t(code)));
    }
}

void fillFrequency(ChoiceLists& lists, std::optional<std::int32_t> statusLow,
                   std::optional<std::int32_t> statusHigh, std::int32_t busfreq, bool halfBus,
                   const MachineModel& machine) {
    const std::int32_t unit = halfBus ? busfreq / 2 : busfreq;
    const std::uint8_t flag = halfBus ? kHalfBusFlag : 0;
    if (!statusLow || !statusHigh)
        return;
    lists.MaxMul = std::uint8_t((std::uint32_t(*statusHigh) >> 8) & 0x7F);
    lists.MinMul = std::uint8_t((std::uint32_t(*statusLow) >> 24) & 0x1F);
    int count = (lists.MaxMul & 0x4F) - lists.MinMul + 1;
    const bool halfSteps = machine.penryn && !halfBus;
    if (halfSteps)
        count *= 2;
    lists.Freq.clear();
    lists.frequencyItems.clear();
    int ratio = lists.MinMul;
    for (int i = 0; i < count && lists.Freq.size() < ChoiceLists::kMaxFrequencies; ++i) {
        std::uint8_t code;
        int megahertz;
        if (halfSteps && i % 2 == 1 && ratio != lists.MinMul + 1) {
            ratio -= 1;
            code = std::uint8_t(flag | ratio | kHalfRatioFlag);
            megahertz = ratio * unit + busfreq / 2;
        } else {
            code = std::uint8_t(flag | ratio);
            megahertz = ratio * unit;
        }
        lists.Freq.push_back(code);
        lists.frequencyItems.append(QStringLiteral("%1 MHz").arg(megahertz));
        ratio += 1;
        if (code == lists.MaxMul)
            break;
    }
}

VoltageLimits changeFreq(const ChoiceLists& lists, std::uint8_t selectedFrequency,
                         const FactoryTable& factory) {
    VoltageLimits limits;
    if (factory.DefMax == 0) {
        limits.leaveAsIs = true;
        return limits;
    }
    // Speed measure: ratio x 2, or x 1 at half bus; half ratios do not count.
    const auto measure = [](std::uint8_t code) {
        return (code & 63) * ((code & kHalfBusFlag) ? 1 : 2);
    };
    const int wanted = measure(selectedFrequency);
    const int used = int(std::min<std::uint32_t>(factory.DefMax, kTableSize));
    for (int i = used - 1; i >= 0; --i) {
        const StatePair state = factory.Def[std::size_t(i)];
        if (measure(state.Freq) < wanted)
            continue;
        const auto item = std::find(lists.Volt.begin(), lists.Volt.end(), state.Volt);
        if (item == lists.Volt.end()) {
            // Enabling walks every item without meeting the code.
            limits.enabledCount = int(lists.Volt.size());
            continue;
        }
        const int index = int(item - lists.Volt.begin());
        limits.enabledCount = std::max(limits.enabledCount, index + 1);
        limits.selected = index;
        return limits;
    }
    return limits;
}

FactoryTable fillDefArr(const PowerStates& states) {
    FactoryTable factory;
    factory.DefMax = std::uint32_t(std::min<std::size_t>(states.size(), kTableSize));
    for (std::uint32_t i = 0; i < factory.DefMax; ++i) {
        const QByteArray& blob = states[i];
        if (blob.size() >= 18)
            factory.Def[i] = {std::uint8_t(blob[17]), std::uint8_t(blob[16])};
    }
    return factory;
}

QByteArray powerStateBlob(std::uint32_t control) {
    QByteArray blob(20, '\0');
    for (int byte = 0; byte < 4; ++byte)
        blob[16 + byte] = char((control >> (8 * byte)) & 0xFF);
    return blob;
}

} // namespace quellar
