#include "voltaro/core/app_controller.h"
#include "voltaro/core/machine.h"
#include "voltaro/tests/fake_tools.h"
#include "voltaro/tests/fixtures.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace voltaro;

namespace {

QDateTime utc(int year, int month, int day, int hour = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, 0), Qt::UTC);
}

struct ModelCase {
    const char* output;
    const QString& family;
};

class Classification : public ::testing::TestWithParam<ModelCase> {};

TEST_P(Classification, SubstringTestsInOrder) {
    EXPECT_EQ(classifyComputerType(GetParam().output), GetParam().family) << GetParam().output;
}

INSTANTIATE_TEST_SUITE_P(
    Models, Classification,
    ::testing::Values(
        ModelCase{"    |   \"product-name\" = <\"MacBookPro3,1\">", family::kIntelNotebook},
        ModelCase{"      Model Identifier: MacBookAir1,1", family::kIntelNotebook},
        ModelCase{"MacBook2,1", family::kIntelNotebook},
        ModelCase{"PowerBook5,8", family::kPpcNotebook},
        ModelCase{"PowerMac7,3", family::kNotSupported},
        ModelCase{"iMac5,1", family::kNotSupported}, ModelCase{"Macmini1,1", family::kUnknown},
        ModelCase{"PowerBook6,5", family::kPpcNotebook}, ModelCase{"iBook G4", family::kUnknown},
        ModelCase{"macbook", family::kUnknown},
        ModelCase{"iMac and MacBook", family::kIntelNotebook},
        ModelCase{"PowerMac PowerBook", family::kPpcNotebook}, ModelCase{"", family::kUnknown}));

TEST(Probes, ReadOnlyTheFirstFortyBytes) {
    auto tools = std::make_shared<fakes::FakeTools>();
    tools->setShellOutput(kProductNameProbe, QByteArray(40, ' ') + "MacBook2,1");
    tools->setShellOutput(kModelIdentifierProbe, QByteArray(30, ' ') + "MacBook2,1");
    const ToolReaders readers(tools, 949.0);
    EXPECT_EQ(readers.getComputerTypeString(), family::kUnknown);
    EXPECT_EQ(readers.getComputerTypeStringLEO(), family::kIntelNotebook) << "MacBook fits";
    EXPECT_EQ(readers.getComputerTypeStringTIGER(), family::kUnknown) << "empty output";
    tools->shellFails = true;
    EXPECT_EQ(readers.getComputerTypeStringLEO(), family::kUnknown);
}

TEST(LinuxAdaptation, ABatteryMakesANotebook) {
    EXPECT_EQ(adaptFamilyToLinux(family::kUnknown, true), family::kLinuxNotebook);
    EXPECT_EQ(adaptFamilyToLinux(family::kNotSupported, true), family::kLinuxNotebook);
    EXPECT_EQ(adaptFamilyToLinux(family::kIntelNotebook, true), family::kIntelNotebook);
    EXPECT_EQ(adaptFamilyToLinux(family::kPpcNotebook, true), family::kPpcNotebook);
    EXPECT_EQ(adaptFamilyToLinux(family::kUnknown, false), family::kUnknown);
    EXPECT_EQ(adaptFamilyToLinux(family::kNotSupported, false), family::kNotSupported);
    EXPECT_EQ(adaptFamilyToLinux(family::kIntelNotebook, false), family::kNotSupported);
    EXPECT_TRUE(isSupportedFamily(family::kLinuxNotebook));
    EXPECT_FALSE(isSupportedFamily(family::kUnknown));
}

TEST(Architecture, LabelFromFamilyOrProcessor) {
    EXPECT_EQ(architectureLabel(family::kIntelNotebook, QStringLiteral("AMD")),
              QStringLiteral("INTEL"));
    EXPECT_EQ(architectureLabel(family::kPpcNotebook, QString()), QStringLiteral("PPC"));
    EXPECT_EQ(architectureLabel(family::kLinuxNotebook, QStringLiteral("AMD")),
              QStringLiteral("AMD"));

    EXPECT_EQ(processorArchitectureLabel("vendor_id\t: GenuineIntel\n", QStringLiteral("x86_64")),
              QStringLiteral("INTEL"));
    EXPECT_EQ(processorArchitectureLabel("vendor_id\t: AuthenticAMD\n", QStringLiteral("x86_64")),
              QStringLiteral("AMD"));
    EXPECT_EQ(processorArchitectureLabel("processor\t: 0\nCPU implementer\t: 0x41\n",
                                         QStringLiteral("arm64")),
              QStringLiteral("ARM"));
    EXPECT_EQ(
        processorArchitectureLabel("cpu\t\t: 7447A, altivec supported\n", QStringLiteral("power")),
        QStringLiteral("PPC"));
    EXPECT_EQ(processorArchitectureLabel("isa\t\t: rv64imafdc\n", QStringLiteral("riscv64")),
              QStringLiteral("RISCV"));
    EXPECT_EQ(processorArchitectureLabel("", QStringLiteral("x86_64")), QStringLiteral("X86"));
    EXPECT_EQ(processorArchitectureLabel("", QStringLiteral("arm64")), QStringLiteral("ARM"));
    EXPECT_EQ(processorArchitectureLabel("", QStringLiteral("mips")), QStringLiteral("MIPS"));
}

TEST(Age, SerialGivesTheFirstOfTheMonthInEst) {
    // Year digit 8, week 12: month 3, 1 March 2008 00:00 EST, which is 05:00 UTC.
    EXPECT_EQ(manufactureDateSeconds(QStringLiteral("W8812XXXXXX")),
              double(utc(2008, 3, 1, 5).toSecsSinceEpoch()));
    EXPECT_EQ(manufactureDateSeconds(QStringLiteral("W8912XXXXXX")),
              double(utc(1999, 3, 1, 5).toSecsSinceEpoch()));
    EXPECT_EQ(manufactureDateSeconds(QStringLiteral("W8012XXXXXX")),
              double(utc(2000, 3, 1, 5).toSecsSinceEpoch()));
}

TEST(Age, MonthsAndWeeksAreTruncated) {
    const QDateTime made = utc(2008, 3, 1, 5);
    const auto age = ageFromSerial(QStringLiteral("W8812XXXXXX"), made.addDays(45));
    ASSERT_TRUE(age);
    EXPECT_EQ(age->months, 1);
    EXPECT_EQ(age->weeks, 6);
    const auto sameDay = ageFromSerial(QStringLiteral("W8812XXXXXX"), made.addSecs(3600));
    ASSERT_TRUE(sameDay);
    EXPECT_EQ(sameDay->months, 0);
    EXPECT_EQ(sameDay->weeks, 0);
    const auto early = ageFromSerial(QStringLiteral("W8812XXXXXX"), made.addDays(-8));
    ASSERT_TRUE(early);
    EXPECT_EQ(early->weeks, -1) << "truncated toward zero";
}

TEST(Age, WeekToMonthAndItsCarries) {
    // Weeks 1-3 give month 0: December of the year before.
    EXPECT_EQ(manufactureDateSeconds(QStringLiteral("W8802XXXXXX")),
              double(utc(2007, 12, 1, 5).toSecsSinceEpoch()));
    // Weeks 52-53 give month 13: January of the year after.
    EXPECT_EQ(manufactureDateSeconds(QStringLiteral("W8853XXXXXX")),
              double(utc(2009, 1, 1, 5).toSecsSinceEpoch()));
    EXPECT_EQ(manufactureDateSeconds(QStringLiteral("W8804XXXXXX")),
              double(utc(2008, 1, 1, 5).toSecsSinceEpoch()));
}

TEST(Age, ElevenBlanksAreAgeZero) {
    const auto age = ageFromSerial(QString(11, QLatin1Char(' ')), utc(2026, 1, 1));
    ASSERT_TRUE(age);
    EXPECT_EQ(age->months, 0);
    EXPECT_EQ(age->weeks, 0);
}

// An unreadable serial (eleven NUL characters), a short one and the serials of other makers
// hold no date; their age is unknown rather than counted from the year 0.
TEST(Age, SerialsWithoutADateHaveNoAge) {
    const QDateTime now = utc(2026, 1, 1);
    for (const QString& serial :
         {QString(11, QChar(0)), QString(), QStringLiteral("W"), QStringLiteral("W88"),
          QStringLiteral("W8X12XXXXXX"), QStringLiteral("W881XXXXXXX"),
          QStringLiteral("W8800XXXXXX"), QStringLiteral("W8854XXXXXX"), QStringLiteral("PF0ABC12"),
          QStringLiteral("C02QM3FSFVH8"), QStringLiteral("5CG1234XYZ")}) {
        EXPECT_FALSE(serialHoldsDate(serial)) << qPrintable(serial);
        EXPECT_FALSE(ageFromSerial(serial, now)) << qPrintable(serial);
    }
    EXPECT_TRUE(serialHoldsDate(QStringLiteral("W8801XXXXXX")));
    EXPECT_TRUE(serialHoldsDate(QStringLiteral("W8853")));
}

TEST(Serial, ElevenCharactersOfThePipeline) {
    auto tools = std::make_shared<fakes::FakeTools>();
    tools->setShellOutput(kSerialCommand, "W87305UMYA8\n");
    const ToolReaders readers(tools, 949.0);
    EXPECT_EQ(readers.UNIVERSAL_getSerial(), QStringLiteral("W87305UMYA8"));
    tools->setShellOutput(kSerialCommand, "");
    EXPECT_EQ(readers.UNIVERSAL_getSerial(), QString(11, QChar(0)));
    tools->shellFails = true;
    EXPECT_EQ(readers.UNIVERSAL_getSerial(), QString(11, QChar(0)));
}

TEST(Serial, ACustomSerialReplacesTheHardwareOne) {
    auto tools = std::make_shared<fakes::FakeTools>();
    tools->setShellOutput(kSerialCommand, "W8812XXXXXX");
    const ToolReaders readers(tools, 949.0);
    const QDateTime now = utc(2008, 3, 1, 5).addDays(45);
    EXPECT_EQ(readers.UNIVERSAL_ageInMonths(std::nullopt, now), 1);
    EXPECT_EQ(readers.UNIVERSAL_ageInWeeks(std::nullopt, now), 6);
    EXPECT_EQ(readers.UNIVERSAL_ageInMonths(QString(11, QLatin1Char(' ')), now), 0);
    EXPECT_EQ(readers.UNIVERSAL_ageInWeeks(QStringLiteral("W8812XXXXXX"), now), 6);
    // A hardware serial that nobody may read is no date; a typed one still counts.
    tools->setShellOutput(kSerialCommand, "");
    EXPECT_EQ(readers.UNIVERSAL_ageInMonths(std::nullopt, now), std::nullopt);
    EXPECT_EQ(readers.UNIVERSAL_ageInWeeks(QStringLiteral("W8812XXXXXX"), now), 6);
}

// The serial pipeline's awk and cut on a platform expert drawn as the tool draws it.
QByteArray serialPipelineOn(const QString& path) {
    QString command = kSerialCommand;
    command.replace(QStringLiteral("/usr/sbin/ioreg -c 'IOPlatformExpertDevice'"),
                    QStringLiteral("cat '%1'").arg(path));
    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    EXPECT_TRUE(shell.waitForFinished());
    return shell.readAllStandardOutput().left(kSerialBytes);
}

void expectIntelNotebooks(const QByteArray& productNameLines) {
    for (const QByteArray& line : productNameLines.split('\n')) {
        if (line.isEmpty())
            continue;
        EXPECT_EQ(classifyComputerType(line.left(kProbeBytes)), family::kIntelNotebook)
            << line.constData();
    }
}

TEST(Serial, PipelineOnAPlatformExpert) {
    EXPECT_EQ(serialPipelineOn(QStringLiteral(VOLTARO_FIXTURES_DIR "/ioreg_platform_expert.txt")),
              QByteArray("W89221ABC7X"));
}

TEST(Probes, ProductNameLines) {
    expectIntelNotebooks(fakes::fixture(QStringLiteral("product_names.txt")));
}

// The same on the real tool's output, where the captures are at hand.
TEST(CapturedOutput, SerialPipelineOnARealPlatformExpert) {
    const QString capture =
        QStringLiteral(VOLTARO_CAPTURES_DIR "/ioreg_c_IOPlatformExpertDevice_macbook2-1.txt");
    if (!QFile::exists(capture))
        GTEST_SKIP() << fakes::kNoCaptures;
    EXPECT_EQ(serialPipelineOn(capture), QByteArray("W87305UMYA8"));
}

TEST(CapturedOutput, ProductNames) {
    const auto captured = fakes::capture(QStringLiteral("ioreg_l_grep_product-name.txt"));
    if (!captured)
        GTEST_SKIP() << fakes::kNoCaptures;
    expectIntelNotebooks(*captured);
}

} // namespace
