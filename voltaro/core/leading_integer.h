#pragma once

#include "platform/core/value.h"

#include <QByteArrayView>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace voltaro {

/// The one text-to-number rule of Voltaro: leading blanks are skipped, an optional sign and
/// decimal digits follow, and reading stops at the first other character. Text without digits
/// gives 0. The result saturates at the signed 32-bit limits.
std::int32_t leadingInteger(QStringView text);
std::int32_t leadingInteger(QByteArrayView text);

/// The same rule, but text without digits gives no number at all.
std::optional<std::int32_t> leadingIntegerIfAny(QStringView text);

/// A value of the reading dictionary as an integer: numbers are truncated and saturated,
/// booleans give 0 or 1, text follows `leadingInteger`, anything else (and none) gives 0.
std::int32_t integerValue(const platform::Value& value);

/// A value of the reading dictionary as a flag: a number is true when it is not 0; text is
/// true when it starts with Y, y, T, t or a non-zero leading integer; anything else is false.
bool boolValue(const platform::Value& value);

} // namespace voltaro
