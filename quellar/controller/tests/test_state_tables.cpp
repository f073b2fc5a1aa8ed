#include "quellar/controller/core/state_tables.h"

#include <gtest/gtest.h>

using namespace quellar;

namespace {

StateTable tableOf(std::initializer_list<StatePair> pairs) {
    StateTable table{};
    std::size_t i = 0;
    for (const StatePair& pair : pairs)
        table[i++] = pair;
    return table;
}

} // namespace

TEST(StateTables, AddingAKnownFrequencyChangesNothingEvenWithAnotherVoltage) {
    StateTable table = tableOf({{0x0C, 30}});
    addStateArr(table, 20, 0x0C, false);
    EXPECT_EQ(table, tableOf({{0x0C, 30}}));
    addStateArr(table, 20, 0x0C, true);
    EXPECT_EQ(table[1], (StatePair{0x8C, 20})) << "the half-bus flag makes another code";
}

TEST(StateTables, AddGoesIntoTheFirstPairWithAZeroByteAndAFullTableStaysUnchanged) {
    StateTable table = tableOf({{0x0C, 30}, {0x0A, 0}, {0x08, 20}});
    addStateArr(table, 25, 0x09, false);
    EXPECT_EQ(table[1], (StatePair{0x09, 25}));

    StateTable full{};
    for (std::size_t i = 0; i < full.size(); ++i)
        full[i] = {std::uint8_t(i + 1), 10};
    const StateTable before = full;
    addStateArr(full, 10, 0x3F, false);
    EXPECT_EQ(full, before);
}

TEST(StateTables, ClearingOnePairOfThreeResortsAndLeavesTwoAtTheFront) {
    StateTable table = tableOf({{0x06, 12}, {0x0C, 40}, {0x09, 25}});
    clearStateArr(table, 0);
    EXPECT_EQ(table, tableOf({{0x09, 25}, {0x0C, 40}}));
    clearStateArr(table, 40);
    EXPECT_EQ(table, tableOf({{0x09, 25}, {0x0C, 40}})) << "an index past the table is ignored";
    clearStateArr(table, kAllPairs);
    EXPECT_EQ(table, StateTable{});
}

TEST(StateTables, SortOrdersByFrequencyKeyAndPacksToTheFront) {
    StateTable table{};
    table[3] = {0x0C, 30};
    table[7] = {0x8C, 20};  // half bus: key 12
    table[12] = {0x46, 10}; // ratio 6.5: key 13
    table[20] = {0x06, 12}; // key 12, after the half-bus twelve (stable bubble sort)
    table[25] = {0, 9};     // non-empty for packing, key 0
    sortStateArr(table, SortDirection::Ascending);
    EXPECT_EQ(table, tableOf({{0, 9}, {0x8C, 20}, {0x06, 12}, {0x46, 10}, {0x0C, 30}}));
    sortStateArr(table, SortDirection::Descending);
    EXPECT_EQ(table[0], (StatePair{0x0C, 30}));
}

TEST(StateTables, AFullTableKeepsAllThirtyAfterSorting) {
    StateTable table{};
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = {std::uint8_t(30 - i), std::uint8_t(i + 1)};
    sortStateArr(table, SortDirection::Ascending);
    for (std::size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(table[i], (StatePair{std::uint8_t(i + 1), std::uint8_t(30 - i)}));
}

TEST(StateTables, EmptyMeansNoPairWithBothCodes) {
    EXPECT_TRUE(emptyStateArr(tableOf({{0x0C, 0}, {0, 30}})));
    EXPECT_FALSE(emptyStateArr(tableOf({{0, 30}, {0x0C, 30}})));
}

TEST(StateTables, Conversions) {
    EXPECT_EQ(megahertzOf(0x0C, 200), 2400);
    EXPECT_EQ(megahertzOf(0x4C, 200), 2500);
    EXPECT_EQ(megahertzOf(0x8C, 200), 1200);
    EXPECT_EQ(megahertzOf(0xCC, 133), 66 * 12 + 66);
    EXPECT_EQ(voltageText(30), QStringLiteral("1.0875 V"));
    EXPECT_EQ(voltageText(0), QStringLiteral("0.7125 V"));
    EXPECT_EQ(voltageText(63), QStringLiteral("1.5000 V"));
    EXPECT_EQ(frequencyKey(0x8C), 12);
    EXPECT_EQ(frequencyKey(0x4C), 25);
    EXPECT_EQ(packedSetting({0x0C, 0x1E}), 3102u);
    EXPECT_EQ(unpackSetting(0xFF0C1E), (StatePair{0x0C, 0x1E})) << "bits past 15 are dropped";
}

TEST(StateTables, RowsListEveryPairWithAFrequencyInTableOrder) {
    const auto rows = tableRows(tableOf({{0x0C, 30}, {0x06, 0}, {0, 12}}), 200);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (TableRow{QStringLiteral("2400 MHz"), QStringLiteral("1.0875 V")}));
    EXPECT_EQ(rows[1], (TableRow{QStringLiteral("1200 MHz"), QStringLiteral("0.7125 V")}));
}
