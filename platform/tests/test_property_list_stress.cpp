// Random, truncated and mutated input to the property-list reader: every case must end in a
// value or an error, never a crash. The suite runs this file a second time on a build with
// AddressSanitizer, where a memory fault fails the run.

#include "platform/core/property_list.h"

#include <gtest/gtest.h>
#include <random>

using namespace platform;

namespace {

QString str(const char* s) {
    return QString::fromUtf8(s);
}

Value sample() {
    return Value::newDictionary({
        {str("name"), str("spbattery_information")},
        {str("count"), 317},
        {str("ratio"), 0.875},
        {str("flag"), true},
        {str("when"), QDateTime(QDate(2009, 2, 3), QTime(4, 5, 6), Qt::UTC)},
        {str("bytes"), QByteArray("\x01\x02\x03\x04", 4)},
        {str("items"), Value::newArray({Value::newDictionary({{str("k"), str("v")}}), 1, 2.5,
                                        Value::newArray({str("deep")})})},
    });
}

// Reads `input`; whatever comes back, writing it again must not crash either.
void survive(const QByteArray& input, int& accepted) {
    auto value = readPropertyList(input);
    if (!value) {
        EXPECT_FALSE(value.error().isEmpty());
        return;
    }
    ++accepted;
    (void)writeXmlPropertyList(*value);
}

} // namespace

TEST(PropertyListStress, RandomTruncatedAndMutatedInputEndsInErrorsNotCrashes) {
    const QByteArray xml = writeXmlPropertyList(sample()).value();
    const QByteArray binary = writeBinaryPropertyList(sample()).value();
    std::mt19937 random(20261208);
    auto byte = [&] {
        return char(random() & 0xFF);
    };
    int cases = 0, accepted = 0;

    for (const QByteArray& valid : {xml, binary}) {
        for (qsizetype length = 0; length < valid.size(); ++length, ++cases)
            survive(valid.left(length), accepted);
    }

    for (int i = 0; i < 6000; ++i, ++cases) {
        QByteArray input = (i % 2 ? xml : binary);
        const int edits = 1 + int(random() % 8);
        for (int e = 0; e < edits && !input.isEmpty(); ++e) {
            const qsizetype at = qsizetype(random() % quint32(input.size()));
            switch (random() % 3) {
            case 0:
                input[at] = byte();
                break;
            case 1:
                input.insert(at, byte());
                break;
            default:
                input.remove(at, 1 + qsizetype(random() % 16));
            }
        }
        survive(input, accepted);
    }

    const QByteArray prefixes[] = {"", "bplist00", "<?xml version=\"1.0\"?><plist>",
                                   "<plist><dict>"};
    for (int i = 0; i < 4000; ++i, ++cases) {
        QByteArray input = prefixes[i % 4];
        const int length = int(random() % 600);
        for (int b = 0; b < length; ++b)
            input.append(byte());
        survive(input, accepted);
    }

    EXPECT_GT(cases, 10000);
    EXPECT_LT(accepted, cases / 2) << "most damaged input must be refused";
}
