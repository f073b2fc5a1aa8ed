#pragma once

#include "platform/core/expected.h"
#include "platform/core/value.h"

#include <QByteArray>
#include <QByteArrayView>

namespace platform {

/// Deepest nesting of arrays and dictionaries that is read or written. Deeper input is
/// refused before it reaches the parser, whose recursion would otherwise exhaust the stack.
inline constexpr int kMaxPropertyListDepth = 512;

/// Parses an XML or binary property list (told apart by the "bplist" header). Garbage,
/// truncated input, nesting past `kMaxPropertyListDepth`, cycles and types without a `Value`
/// counterpart (keyed-archive UIDs) are errors.
Expected<Value> readPropertyList(QByteArrayView bytes);

/// Writes `value` as an XML property list. Fails for a none value anywhere in the tree,
/// strings holding NUL, dates more than 68 years from 2001 (the library keeps 32-bit seconds),
/// cycles and nesting past `kMaxPropertyListDepth`. XML keeps dates to the second.
Expected<QByteArray> writeXmlPropertyList(const Value& value);

/// Writes `value` as a binary property list, with the same failures as the XML writer.
Expected<QByteArray> writeBinaryPropertyList(const Value& value);

} // namespace platform
