#include "platform/core/property_list.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <plist/plist.h>
#include <set>
#include <vector>

namespace platform {

namespace {

// libplist counts dates in seconds from 2001-01-01 UTC.
constexpr qint64 kReferenceDateMs = 978307200000LL;

struct NodeDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using Node = std::unique_ptr<void, NodeDeleter>;

struct MallocDeleter {
    void operator()(void* p) const { std::free(p); }
};
using MallocString = std::unique_ptr<char, MallocDeleter>;

// Counts element nesting in XML text without parsing it. Every element counts, not only
// containers, so the figure is an upper bound; that suffices to keep deep input away from
// the recursive parser.
bool xmlNestsTooDeeply(QByteArrayView text) {
    auto skipPast = [&](qsizetype from, const char* end) {
        qsizetype at = text.indexOf(QByteArrayView(end), from);
        return at < 0 ? text.size() : at + qsizetype(std::strlen(end));
    };
    int depth = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '<')
            continue;
        QByteArrayView rest = text.sliced(i);
        if (rest.startsWith("<!--")) {
            i = skipPast(i, "-->") - 1;
        } else if (rest.startsWith("<![CDATA[")) {
            i = skipPast(i, "]]>") - 1;
        } else if (rest.startsWith("<?") || rest.startsWith("<!")) {
            i = skipPast(i, ">") - 1;
        } else if (rest.startsWith("</")) {
            depth = std::max(0, depth - 1);
        } else {
            qsizetype close = text.indexOf('>', i);
            if (close < 0)
                return false;
            if (text[close - 1] != '/' && ++depth > kMaxPropertyListDepth + 1)
                return true;
            i = close;
        }
    }
    return false;
}

// The library keeps a date as 32-bit seconds from 2001 and wraps anything further away
// without a word; such dates are refused rather than read wrong.
bool secondsFitTheLibrary(double seconds) {
    return seconds >= double(std::numeric_limits<int32_t>::min()) &&
           seconds < double(std::numeric_limits<int32_t>::max()) + 1.0;
}

bool xmlDatesFitTheLibrary(QByteArrayView text) {
    for (qsizetype at = text.indexOf("<date>"); at >= 0; at = text.indexOf("<date>", at + 1)) {
        const qsizetype start = at + 6;
        const qsizetype end = text.indexOf("</date>", start);
        if (end < 0)
            return true; // malformed: the parser refuses it
        const QDateTime date = QDateTime::fromString(
            QString::fromLatin1(text.sliced(start, end - start).trimmed()), Qt::ISODate);
        if (date.isValid() &&
            !secondsFitTheLibrary(double(date.toMSecsSinceEpoch() - kReferenceDateMs) / 1000.0))
            return false;
    }
    return true;
}

// Reads the big-endian unsigned integer of `size` bytes at `at`, or fails when it does not
// fit in `bytes`.
bool readBigEndian(QByteArrayView bytes, quint64 at, unsigned size, quint64& out) {
    if (size == 0 || size > 8 || at > quint64(bytes.size()) || quint64(bytes.size()) - at < size)
        return false;
    out = 0;
    for (unsigned i = 0; i < size; ++i)
        out = (out << 8) | quint8(bytes[qsizetype(at + i)]);
    return true;
}

// Walks the object graph of a binary property list and refuses it when containers nest
// past the limit, refer to themselves, or point outside the data. The parser recurses once
// per level and does not stop on its own.
bool binaryGraphIsSafe(QByteArrayView bytes) {
    constexpr qsizetype kTrailer = 32;
    if (bytes.size() < 8 + kTrailer)
        return false;
    const quint64 trailer = quint64(bytes.size() - kTrailer);
    const unsigned offsetSize = quint8(bytes[qsizetype(trailer + 6)]);
    const unsigned refSize = quint8(bytes[qsizetype(trailer + 7)]);
    quint64 count = 0, top = 0, tableOffset = 0;
    if (!readBigEndian(bytes, trailer + 8, 8, count) ||
        !readBigEndian(bytes, trailer + 16, 8, top) ||
        !readBigEndian(bytes, trailer + 24, 8, tableOffset))
        return false;
    if (offsetSize == 0 || offsetSize > 8 || refSize == 0 || refSize > 8 || top >= count ||
        count > quint64(bytes.size()) || tableOffset > trailer ||
        (trailer - tableOffset) / offsetSize < count)
        return false;

    // Children of object `index`, or nothing for a scalar; false when malformed.
    auto children = [&](quint64 index, std::vector<quint64>& out) {
        out.clear();
        quint64 offset = 0;
        if (!readBigEndian(bytes, tableOffset + index * offsetSize, offsetSize, offset) ||
            offset >= tableOffset)
            return false;
        const quint8 marker = quint8(bytes[qsizetype(offset)]);
        if (marker == 0x33) {
            quint64 bits = 0;
            if (!readBigEndian(bytes, offset + 1, 8, bits))
                return false;
            double seconds;
            std::memcpy(&seconds, &bits, sizeof seconds);
            return secondsFitTheLibrary(seconds);
        }
        const unsigned kind = marker >> 4;
        const bool string = kind == 0x5 || kind == 0x6;
        if (!string && kind != 0xA && kind != 0xB && kind != 0xC && kind != 0xD)
            return true;
        quint64 items = marker & 0x0F;
        quint64 at = offset + 1;
        if (items == 0x0F) {
            if (at >= tableOffset)
                return false;
            const quint8 intMarker = quint8(bytes[qsizetype(at)]);
            if ((intMarker >> 4) != 0x1 || (intMarker & 0x0F) > 3)
                return false;
            const unsigned size = 1u << (intMarker & 0x0F);
            if (!readBigEndian(bytes, at + 1, size, items))
                return false;
            at += 1 + size;
        }
        if (string) {
            // A NUL inside a string trips an assertion in the library when the string is a
            // key, and no string of ours holds one: refuse them all.
            const quint64 unit = kind == 0x5 ? 1 : 2;
            if (at > tableOffset || items > (tableOffset - at) / unit)
                return false;
            for (quint64 i = 0; i < items; ++i) {
                const QByteArrayView character =
                    bytes.sliced(qsizetype(at + i * unit), qsizetype(unit));
                if (character.count('\0') == qsizetype(unit))
                    return false;
            }
            return true;
        }
        const quint64 refs = kind == 0xD ? items * 2 : items;
        if (items > count * 2 || refs > (tableOffset - std::min(at, tableOffset)) / refSize)
            return false;
        out.reserve(refs);
        for (quint64 i = 0; i < refs; ++i) {
            quint64 child = 0;
            if (!readBigEndian(bytes, at + i * refSize, refSize, child) || child >= count)
                return false;
            out.push_back(child);
        }
        return true;
    };

    enum : quint8 { Unseen, Open, Done };
    std::vector<quint8> state(count, Unseen);
    std::vector<int> depth(count, 0);
    struct Frame {
        quint64 index;
        std::vector<quint64> children;
        size_t next = 0;
    };
    std::vector<Frame> stack;
    stack.push_back({top, {}});
    if (!children(top, stack.back().children))
        return false;
    state[top] = Open;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.children.size()) {
            // Scalars count one level too; the bound only needs to be safe, not exact.
            int deepest = 0;
            for (quint64 child : frame.children)
                deepest = std::max(deepest, depth[child]);
            depth[frame.index] = deepest + 1;
            state[frame.index] = Done;
            stack.pop_back();
            continue;
        }
        const quint64 child = frame.children[frame.next++];
        if (state[child] == Open)
            return false;
        if (state[child] == Done)
            continue;
        if (stack.size() > size_t(kMaxPropertyListDepth))
            return false;
        Frame next{child, {}};
        if (!children(child, next.children))
            return false;
        state[child] = Open;
        stack.push_back(std::move(next));
    }
    return depth[top] <= kMaxPropertyListDepth + 1;
}

Expected<Value> fromNode(plist_t node, int depth) {
    if (depth > kMaxPropertyListDepth)
        return Error{QStringLiteral("nested too deeply")};
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return Value(b != 0);
    }
    case PLIST_UINT: {
        // The library keeps every integer as 64 unsigned bits; negative ones are stored in
        // two's complement, so the cast gives them back.
        uint64_t u = 0;
        plist_get_uint_val(node, &u);
        return Value(static_cast<qint64>(u));
    }
    case PLIST_REAL: {
        double r = 0;
        plist_get_real_val(node, &r);
        return Value(r);
    }
    case PLIST_STRING: {
        uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        return Value(QString::fromUtf8(text, text ? qsizetype(length) : 0));
    }
    case PLIST_DATE: {
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        const qint64 ms = kReferenceDateMs + qint64(sec) * 1000 + usec / 1000;
        return Value(QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC));
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* data = plist_get_data_ptr(node, &length);
        return Value(QByteArray(data, data ? qsizetype(length) : 0));
    }
    case PLIST_ARRAY: {
        auto array = std::make_shared<Array>();
        const uint32_t size = plist_array_get_size(node);
        array->reserve(size);
        for (uint32_t i = 0; i < size; ++i) {
            auto item = fromNode(plist_array_get_item(node, i), depth + 1);
            if (!item)
                return item;
            array->push_back(std::move(item).value());
        }
        return Value(std::move(array));
    }
    case PLIST_DICT: {
        auto dictionary = std::make_shared<Dictionary>();
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        std::unique_ptr<void, MallocDeleter> iterGuard(iter);
        for (;;) {
            char* rawKey = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, iter, &rawKey, &item);
            MallocString key(rawKey);
            if (!item)
                break;
            auto converted = fromNode(item, depth + 1);
            if (!converted)
                return converted;
            (*dictionary)[QString::fromUtf8(key ? key.get() : "")] = std::move(converted).value();
        }
        return Value(std::move(dictionary));
    }
    case PLIST_KEY:
    case PLIST_UID:
    case PLIST_NONE:
        break;
    }
    return Error{QStringLiteral("unsupported value type")};
}

Expected<Node> toNode(const Value& value, std::set<const void*>& open, int depth) {
    if (depth > kMaxPropertyListDepth)
        return Error{QStringLiteral("nested too deeply")};
    switch (value.type()) {
    case Value::Type::None:
        return Error{QStringLiteral("a property list cannot hold an empty value")};
    case Value::Type::Boolean:
        return Node(plist_new_bool(value.toBool()));
    case Value::Type::Integer:
        return Node(plist_new_uint(static_cast<uint64_t>(value.toInteger())));
    case Value::Type::Real:
        return Node(plist_new_real(value.toReal()));
    case Value::Type::String: {
        const QByteArray utf8 = value.toString().toUtf8();
        if (utf8.contains('\0'))
            return Error{QStringLiteral("a string holds a NUL character")};
        return Node(plist_new_string(utf8.constData()));
    }
    case Value::Type::Date: {
        const QDateTime date = value.toDate();
        if (!date.isValid())
            return Error{QStringLiteral("invalid date")};
        const qint64 ms = date.toMSecsSinceEpoch() - kReferenceDateMs;
        const qint64 sec = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
        if (sec < std::numeric_limits<int32_t>::min() || sec > std::numeric_limits<int32_t>::max())
            return Error{QStringLiteral("date out of range: %1").arg(date.toString(Qt::ISODate))};
        return Node(plist_new_date(int32_t(sec), int32_t((ms - sec * 1000) * 1000)));
    }
    case Value::Type::Data: {
        const QByteArray data = value.toData();
        return Node(plist_new_data(data.constData(), uint64_t(data.size())));
    }
    case Value::Type::Array: {
        auto array = value.toArray();
        if (!array || !open.insert(array.get()).second)
            return Error{QStringLiteral("an array contains itself")};
        Node node(plist_new_array());
        for (const Value& item : *array) {
            auto child = toNode(item, open, depth + 1);
            if (!child)
                return child;
            plist_array_append_item(node.get(), std::move(child).value().release());
        }
        open.erase(array.get());
        return node;
    }
    case Value::Type::Dictionary: {
        auto dictionary = value.toDictionary();
        if (!dictionary || !open.insert(dictionary.get()).second)
            return Error{QStringLiteral("a dictionary contains itself")};
        Node node(plist_new_dict());
        for (const auto& [key, item] : *dictionary) {
            const QByteArray utf8Key = key.toUtf8();
            if (utf8Key.contains('\0'))
                return Error{QStringLiteral("a key holds a NUL character")};
            auto child = toNode(item, open, depth + 1);
            if (!child)
                return Error{QStringLiteral("%1 (key \"%2\")").arg(child.error(), key)};
            plist_dict_set_item(node.get(), utf8Key.constData(),
                                std::move(child).value().release());
        }
        open.erase(dictionary.get());
        return node;
    }
    }
    return Error{QStringLiteral("unknown value type")};
}

Expected<Node> toRootNode(const Value& value) {
    std::set<const void*> open;
    return toNode(value, open, 0);
}

} // namespace

Expected<Value> readPropertyList(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return Error{QStringLiteral("empty property list")};
    if (quint64(bytes.size()) > std::numeric_limits<uint32_t>::max())
        return Error{QStringLiteral("property list too large")};
    const bool binary = bytes.startsWith("bplist");
    if (binary ? !binaryGraphIsSafe(bytes) : xmlNestsTooDeeply(bytes))
        return Error{binary ? QStringLiteral("malformed binary property list, or a date too far "
                                             "from 2001")
                            : QStringLiteral("property list nested too deeply")};
    if (!binary && !xmlDatesFitTheLibrary(bytes))
        return Error{QStringLiteral("a date is more than 68 years from 2001")};
    plist_t raw = nullptr;
    if (binary)
        plist_from_bin(bytes.data(), uint32_t(bytes.size()), &raw);
    else
        plist_from_xml(bytes.data(), uint32_t(bytes.size()), &raw);
    Node root(raw);
    if (!root)
        return Error{binary ? QStringLiteral("malformed binary property list")
                            : QStringLiteral("malformed XML property list")};
    return fromNode(root.get(), 0);
}

Expected<QByteArray> writeXmlPropertyList(const Value& value) {
    auto root = toRootNode(value);
    if (!root)
        return Error{root.error()};
    char* raw = nullptr;
    uint32_t length = 0;
    plist_to_xml(root->get(), &raw, &length);
    if (!raw)
        return Error{QStringLiteral("could not write the property list")};
    QByteArray xml(raw, qsizetype(length));
    plist_to_xml_free(raw);
    return xml;
}

Expected<QByteArray> writeBinaryPropertyList(const Value& value) {
    auto root = toRootNode(value);
    if (!root)
        return Error{root.error()};
    char* raw = nullptr;
    uint32_t length = 0;
    plist_to_bin(root->get(), &raw, &length);
    if (!raw)
        return Error{QStringLiteral("could not write the property list")};
    QByteArray binary(raw, qsizetype(length));
    plist_to_bin_free(raw);
    return binary;
}

} // namespace platform
