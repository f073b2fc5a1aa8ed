#include "platform/core/property_list.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace platform;

namespace {

QString str(const char* s) {
    return QString::fromUtf8(s);
}

Value everyType() {
    const QDateTime date(QDate(2007, 11, 6), QTime(14, 30, 5), Qt::UTC);
    return Value::newDictionary({
        {str("yes"), true},
        {str("no"), false},
        {str("negative"), -42},
        {str("large"), qint64(1) << 40},
        {str("real"), 0.1},
        {str("text"), str("Caf\u00e9 <&> \"quoted\"")},
        {str("empty"), str("")},
        {str("date"), date},
        {str("old date"), QDateTime(QDate(1990, 1, 1), QTime(0, 0), Qt::UTC)},
        {str("data"), QByteArray("\x00\x01\xff binary", 10)},
        {str("list"),
         Value::newArray({1, str("two"), Value::newArray({}), Value::newDictionary()})},
        {str("nested"), Value::newDictionary({{str("inner"), Value::newArray({2.5})}})},
    });
}

// A binary property list of one dictionary whose only key is the string object `key` and
// whose value is the integer 1.
QByteArray binaryDictionaryWithKey(const QByteArray& key) {
    QByteArray bytes = "bplist00";
    const char dictionaryOffset = char(bytes.size());
    bytes.append("\xd1\x01\x02", 3);
    const char keyOffset = char(bytes.size());
    bytes.append(key);
    const char valueOffset = char(bytes.size());
    bytes.append("\x10\x01", 2);
    const char tableOffset = char(bytes.size());
    bytes.append(dictionaryOffset).append(keyOffset).append(valueOffset);
    QByteArray trailer(32, '\0');
    trailer[6] = 1;  // offset size
    trailer[7] = 1;  // reference size
    trailer[15] = 3; // objects
    trailer[31] = tableOffset;
    return bytes + trailer;
}

} // namespace

TEST(PropertyList, BinaryDictionaryBuiltByHandIsRead) {
    auto value = readPropertyList(binaryDictionaryWithKey(QByteArray("\x51"
                                                                     "k",
                                                                     2)));
    ASSERT_TRUE(value) << value.error().toStdString();
    EXPECT_EQ(*value, Value::newDictionary({{str("k"), 1}}));
}

TEST(PropertyList, EveryTypeRoundTripsThroughXmlAndBinary) {
    const Value original = everyType();
    auto xml = writeXmlPropertyList(original);
    ASSERT_TRUE(xml) << xml.error().toStdString();
    auto fromXml = readPropertyList(*xml);
    ASSERT_TRUE(fromXml) << fromXml.error().toStdString();
    EXPECT_EQ(*fromXml, original);

    auto binary = writeBinaryPropertyList(original);
    ASSERT_TRUE(binary);
    EXPECT_TRUE(binary->startsWith("bplist"));
    auto fromBinary = readPropertyList(*binary);
    ASSERT_TRUE(fromBinary) << fromBinary.error().toStdString();
    EXPECT_EQ(*fromBinary, original);
}

TEST(PropertyList, ReadsHandWrittenXml) {
    const char* text = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<array>
	<dict>
		<key>_items</key>
		<array><dict><key>_name</key><string>spbattery_information</string>
		<key>count</key><integer>317</integer><key>on</key><true/>
		<key>when</key><date>2008-03-01T12:00:00Z</date></dict></array>
	</dict>
</array>
</plist>
)";
    auto value = readPropertyList(QByteArray(text));
    ASSERT_TRUE(value) << value.error().toStdString();
    Value item = value->at(0)[str("_items")].at(0);
    EXPECT_EQ(item[str("_name")].toString(), str("spbattery_information"));
    EXPECT_EQ(item[str("count")].toInteger(), 317);
    EXPECT_TRUE(item[str("on")].toBool());
    EXPECT_EQ(item[str("when")].toDate(), QDateTime(QDate(2008, 3, 1), QTime(12, 0), Qt::UTC));
}

TEST(PropertyList, XmlKeepsDatesToTheSecond) {
    const QDateTime precise(QDate(2020, 5, 5), QTime(10, 0, 0, 750), Qt::UTC);
    auto xml = writeXmlPropertyList(Value(precise));
    ASSERT_TRUE(xml);
    EXPECT_EQ(readPropertyList(*xml)->toDate(), precise.addMSecs(-750));
}

TEST(PropertyList, DatesTheLibraryWouldWrapAreRefusedNotMisread) {
    auto far = readPropertyList("<plist><date>2150-01-01T00:00:00Z</date></plist>");
    ASSERT_FALSE(far) << "read back as " << far->toDate().toString(Qt::ISODate).toStdString();
    EXPECT_FALSE(
        readPropertyList("<plist><array><date>1850-06-01T00:00:00Z</date></array></plist>"));
    EXPECT_TRUE(readPropertyList("<plist><date>2068-12-31T00:00:00Z</date></plist>"));

    // The same in binary: a date object holds big-endian float64 seconds from 2001.
    auto binaryDate = [](double seconds) {
        quint64 bits;
        std::memcpy(&bits, &seconds, sizeof bits);
        QByteArray bytes = "bplist00";
        bytes.append(char(0x33));
        for (int i = 7; i >= 0; --i)
            bytes.append(char(bits >> (8 * i)));
        bytes.append(char(8)); // offset table: the one object at 8
        QByteArray trailer(32, '\0');
        trailer[6] = 1;
        trailer[7] = 1;
        trailer[15] = 1;
        trailer[31] = char(17);
        return bytes + trailer;
    };
    auto near = readPropertyList(binaryDate(86400.0));
    ASSERT_TRUE(near) << near.error().toStdString();
    EXPECT_EQ(near->toDate(), QDateTime(QDate(2001, 1, 2), QTime(0, 0), Qt::UTC));
    EXPECT_FALSE(readPropertyList(binaryDate(5e9)));
    EXPECT_FALSE(readPropertyList(binaryDate(-5e9)));
}

TEST(PropertyList, MalformedInputIsAnError) {
    const QByteArray cases[] = {
        "",
        "garbage",
        "<plist><dict><key>a</key><integer>1</integer>",
        "<plist><dict><integer>1</integer></dict></plist>",
        "<plist><string>a&#0;b</string></plist>",
        "<plist><array><string>unterminated</array></plist>",
        "bplist00",
        QByteArray("bplist00\xd1\x01\x02", 11),
        binaryDictionaryWithKey(QByteArray("\x62\x00\x61\x00\x00", 5)), // UTF-16 "a\0"
        binaryDictionaryWithKey(QByteArray("\x53"
                                           "a\x00"
                                           "b",
                                           4)), // ASCII "a\0b"
    };
    for (const QByteArray& input : cases)
        EXPECT_FALSE(readPropertyList(input)) << input.toStdString();
}

TEST(PropertyList, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    for (int depth : {kMaxPropertyListDepth + 10, 200000}) {
        QByteArray xml = "<plist>" + QByteArray("<array>").repeated(depth) +
                         QByteArray("</array>").repeated(depth) + "</plist>";
        EXPECT_FALSE(readPropertyList(xml)) << depth;
    }
    // Binary input of the same depth, built by hand: array objects each holding the next.
    const int depth = 100000;
    QByteArray binary = "bplist00";
    QByteArray offsets;
    for (int i = 0; i < depth; ++i) {
        const quint32 offset = quint32(binary.size());
        offsets.append(char(offset >> 24))
            .append(char(offset >> 16))
            .append(char(offset >> 8))
            .append(char(offset));
        const int child = i + 1 < depth ? i + 1 : i;
        if (i + 1 < depth)
            binary.append(char(0xA1))
                .append(char(child >> 24))
                .append(char(child >> 16))
                .append(char(child >> 8))
                .append(char(child));
        else
            binary.append(char(0xA0));
    }
    const quint64 tableOffset = quint64(binary.size());
    binary.append(offsets);
    QByteArray trailer(32, '\0');
    trailer[6] = 4;
    trailer[7] = 4;
    for (int i = 0; i < 8; ++i) {
        trailer[8 + i] = char(quint64(depth) >> (56 - 8 * i));
        trailer[24 + i] = char(tableOffset >> (56 - 8 * i));
    }
    binary.append(trailer);
    EXPECT_FALSE(readPropertyList(binary));
}

TEST(PropertyList, ShallowNestingWithinTheLimitIsRead) {
    const int depth = 100;
    QByteArray xml = "<plist>" + QByteArray("<array>").repeated(depth) +
                     QByteArray("</array>").repeated(depth) + "</plist>";
    EXPECT_TRUE(readPropertyList(xml));
}

TEST(PropertyList, WritingFailsForWhatAPropertyListCannotHold) {
    EXPECT_FALSE(writeXmlPropertyList(Value()));
    EXPECT_FALSE(writeXmlPropertyList(Value::newArray({Value()})));
    EXPECT_FALSE(writeXmlPropertyList(Value(QString(QChar(0)))));
    EXPECT_FALSE(writeXmlPropertyList(Value(QDateTime(QDate(2200, 1, 1), QTime(0, 0), Qt::UTC))));

    Value cycle = Value::newArray();
    cycle.toArray()->push_back(Value::newDictionary({{str("back"), cycle}}));
    auto written = writeXmlPropertyList(cycle);
    EXPECT_FALSE(written);
    cycle.toArray()->clear();

    // Sharing without a cycle is fine: the same dictionary twice in one list.
    Value shared = Value::newDictionary({{str("k"), 1}});
    EXPECT_TRUE(writeXmlPropertyList(Value::newArray({shared, shared})));
}
