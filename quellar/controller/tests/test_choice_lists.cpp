#include "quellar/controller/core/choice_lists.h"

#include <gtest/gtest.h>

using namespace quellar;

namespace {

// The simulated processor's words: ratios 6 to 12, voltage codes 12 to 40.
constexpr std::int32_t kLow = (6 << 24) | (12 << 8);
constexpr std::int32_t kHigh = (12 << 16) | (12 << 8) | 40;

FactoryTable factoryOf(std::initializer_list<StatePair> pairs) {
    FactoryTable factory;
    for (const StatePair& pair : pairs)
        factory.Def[factory.DefMax++] = pair;
    return factory;
}

} // namespace

TEST(MachineModel, SubstringsOfTheFamilies) {
    const MachineModel pro5 = classifyMachine(QStringLiteral("MacBookPro5,1"));
    EXPECT_TRUE(pro5.santaRosa && pro5.penryn && pro5.nvidiaChipset);
    const MachineModel pro3 = classifyMachine(QStringLiteral("MacBookPro3,1"));
    EXPECT_TRUE(pro3.santaRosa);
    EXPECT_FALSE(pro3.penryn || pro3.nvidiaChipset);
    const MachineModel air2 = classifyMachine(QStringLiteral("MacBookAir2,1"));
    EXPECT_TRUE(air2.penryn && !air2.nvidiaChipset);
    const MachineModel none = classifyMachine(QString());
    EXPECT_FALSE(none.santaRosa || none.penryn || none.nvidiaChipset);
    EXPECT_FALSE(classifyMachine(QStringLiteral("ThinkPad X200")).santaRosa);
}

TEST(ChoiceLists, FrequencyListFromTheStatusWords) {
    ChoiceLists lists;
    fillFrequency(lists, kLow, kHigh, 200, false, {});
    EXPECT_EQ(lists.MinMul, 6);
    EXPECT_EQ(lists.MaxMul, 12);
    EXPECT_EQ(lists.Freq, (std::vector<std::uint8_t>{6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(lists.frequencyItems.first(), QStringLiteral("1200 MHz"));
    EXPECT_EQ(lists.frequencyItems.last(), QStringLiteral("2400 MHz"));
}

TEST(ChoiceLists, HalfBusHalvesEveryFrequencyAndFlagsEveryCode) {
    ChoiceLists lists;
    fillFrequency(lists, kLow, kHigh, 200, true, {});
    ASSERT_EQ(lists.Freq.size(), 7u);
    for (std::size_t i = 0; i < lists.Freq.size(); ++i) {
        EXPECT_EQ(lists.Freq[i], std::uint8_t(0x80 | (6 + i)));
        EXPECT_EQ(lists.frequencyItems[qsizetype(i)], QStringLiteral("%1 MHz").arg(100 * (6 + i)));
    }
}

TEST(ChoiceLists, PenrynAddsHalfStepsAboveTheSecondRatio) {
    ChoiceLists lists;
    MachineModel penryn;
    penryn.penryn = true;
    // Ratios 6 to 9.
    fillFrequency(lists, 6 << 24, 9 << 8, 200, false, penryn);
    EXPECT_EQ(lists.Freq, (std::vector<std::uint8_t>{6, 7, 8, 0x48, 9}));
    EXPECT_EQ(lists.frequencyItems,
              (QStringList{QStringLiteral("1200 MHz"), QStringLiteral("1400 MHz"),
                           QStringLiteral("1600 MHz"), QStringLiteral("1700 MHz"),
                           QStringLiteral("1800 MHz")}));
}

TEST(ChoiceLists, FailedReadsLeaveTheListsAndTheFrequencyListStopsAtSixteen) {
    ChoiceLists lists;
    fillFrequency(lists, kLow, kHigh, 200, false, {});
    fillVoltage(lists, kHigh, {}, {});
    const ChoiceLists before = lists;
    fillFrequency(lists, std::nullopt, kHigh, 200, false, {});
    fillVoltage(lists, std::nullopt, {}, {});
    EXPECT_EQ(lists.Freq, before.Freq);
    EXPECT_EQ(lists.Volt, before.Volt);

    fillFrequency(lists, 1 << 24, 0x4F << 8, 100, false, {});
    EXPECT_EQ(lists.Freq.size(), ChoiceLists::kMaxFrequencies);
}

TEST(ChoiceLists, VoltageListHonoursTheChipsetFloorAndTheFactoryStates) {
    ChoiceLists lists;
    fillVoltage(lists, kHigh, {}, {});
    EXPECT_EQ(lists.Volt.front(), 12);
    EXPECT_EQ(lists.Volt.back(), 40);
    EXPECT_EQ(lists.voltageItems.size(), 29);

    MachineModel nvidia;
    nvidia.nvidiaChipset = true;
    fillVoltage(lists, kHigh, {}, nvidia);
    EXPECT_EQ(lists.MinVID, 13);
    fillVoltage(lists, kHigh, factoryOf({{12, 8}, {6, 0}}), nvidia);
    EXPECT_EQ(lists.MinVID, 8) << "a lower factory voltage widens the list";
    EXPECT_EQ(findVoltage(factoryOf({{12, 0}})), 255);

    fillVoltage(lists, 63, {}, {});
    EXPECT_EQ(lists.Volt.size(), ChoiceLists::kMaxVoltages) << "cut at 40 codes";
}

TEST(ChoiceLists, VoltageLimitsFollowTheSlowestFactoryStateAtLeastAsFast) {
    ChoiceLists lists;
    fillVoltage(lists, kHigh, {}, {});
    const FactoryTable factory = factoryOf({{0x0C, 40}, {0x09, 30}, {0x06, 20}});

    VoltageLimits limits = changeFreq(lists, 0x08, factory);
    EXPECT_EQ(limits.enabledCount, 30 - 12 + 1);
    EXPECT_EQ(limits.selected, 30 - 12);

    limits = changeFreq(lists, 0x49, factory);
    EXPECT_EQ(limits.selected, 30 - 12) << "half ratios do not count";

    limits = changeFreq(lists, 0x8C, factory);
    EXPECT_EQ(limits.selected, 20 - 12) << "at half bus ratio 12 is as fast as ratio 6";

    limits = changeFreq(lists, 0x0D, factory);
    EXPECT_EQ(limits.enabledCount, 0) << "no factory state is that fast";
    EXPECT_FALSE(limits.selected);

    EXPECT_TRUE(changeFreq(lists, 0x08, FactoryTable{}).leaveAsIs);

    limits = changeFreq(lists, 0x08, factoryOf({{0x0C, 41}, {0x09, 50}}));
    EXPECT_EQ(limits.enabledCount, 29) << "an unknown factory voltage enables every item";
    EXPECT_FALSE(limits.selected);
}

TEST(ChoiceLists, FactoryStatesFromRegistryBlobs) {
    const FactoryTable factory =
        fillDefArr({powerStateBlob(0x0C28), powerStateBlob(0x0614), QByteArray(4, 'x')});
    EXPECT_EQ(factory.DefMax, 3u);
    EXPECT_EQ(factory.Def[0], (StatePair{0x0C, 0x28}));
    EXPECT_EQ(factory.Def[1], (StatePair{0x06, 0x14}));
    EXPECT_EQ(factory.Def[2], StatePair{}) << "a short blob is no state, and no crash";

    PowerStates many(40, powerStateBlob(0x0614));
    EXPECT_EQ(fillDefArr(many).DefMax, 30u);
}
