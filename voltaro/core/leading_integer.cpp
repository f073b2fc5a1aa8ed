#include "voltaro/core/leading_integer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace voltaro {

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();

bool isBlank(char32_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

template <typename Text> std::optional<std::int32_t> parse(const Text& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(char32_t(text[i])))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool digits = false;
    std::int64_t magnitude = 0;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
        digits = true;
        // Past the limit the value only saturates, so stop growing it there.
        if (magnitude <= kMax + 1)
            magnitude = magnitude * 10 + (char32_t(text[i]) - '0');
    }
    if (!digits)
        return std::nullopt;
    const std::int64_t value = negative ? -magnitude : magnitude;
    return std::int32_t(std::clamp(value, kMin, kMax));
}

// QStringView indexes QChar, which compares with char through its unicode value.
struct Utf16 {
    QStringView text;
    qsizetype size() const { return text.size(); }
    char16_t operator[](qsizetype i) const { return text[i].unicode(); }
};

struct Bytes {
    QByteArrayView text;
    qsizetype size() const { return text.size(); }
    unsigned char operator[](qsizetype i) const { return static_cast<unsigned char>(text[i]); }
};

} // namespace

std::int32_t leadingInteger(QStringView text) {
    return parse(Utf16{text}).value_or(0);
}

std::int32_t leadingInteger(QByteArrayView text) {
    return parse(Bytes{text}).value_or(0);
}

std::optional<std::int32_t> leadingIntegerIfAny(QStringView text) {
    return parse(Utf16{text});
}

std::int32_t integerValue(const platform::Value& value) {
    using Type = platform::Value::Type;
    switch (value.type()) {
    case Type::Boolean:
        return value.toBool() ? 1 : 0;
    case Type::Integer:
        return std::int32_t(std::clamp(value.toInteger(), kMin, kMax));
    case Type::Real: {
        const double real = value.toReal();
        if (std::isnan(real))
            return 0;
        return std::int32_t(std::clamp(std::trunc(real), double(kMin), double(kMax)));
    }
    case Type::String:
        return leadingInteger(value.toString());
    case Type::None:
    case Type::Date:
    case Type::Data:
    case Type::Array:
    case Type::Dictionary:
        return 0;
    }
    return 0;
}

bool boolValue(const platform::Value& value) {
    using Type = platform::Value::Type;
    switch (value.type()) {
    case Type::Boolean:
        return value.toBool();
    case Type::Integer:
        return value.toInteger() != 0;
    case Type::Real:
        return value.toReal() != 0.0;
    case Type::String: {
        const QString text = value.toString().trimmed();
        if (text.startsWith(QLatin1Char('Y'), Qt::CaseInsensitive) ||
            text.startsWith(QLatin1Char('T'), Qt::CaseInsensitive))
            return true;
        return leadingInteger(text) != 0;
    }
    case Type::None:
    case Type::Date:
    case Type::Data:
    case Type::Array:
    case Type::Dictionary:
        return false;
    }
    return false;
}

} // namespace voltaro
