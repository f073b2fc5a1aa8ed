#include "platform/core/value.h"

#include <set>

namespace platform {

namespace {

Value deepCopyOf(const Value& value, std::set<const void*>& open) {
    if (auto array = value.toArray()) {
        if (!open.insert(array.get()).second)
            return {};
        auto copy = std::make_shared<Array>();
        copy->reserve(array->size());
        for (const Value& item : *array)
            copy->push_back(deepCopyOf(item, open));
        open.erase(array.get());
        return copy;
    }
    if (auto dictionary = value.toDictionary()) {
        if (!open.insert(dictionary.get()).second)
            return {};
        auto copy = std::make_shared<Dictionary>();
        for (const auto& [key, item] : *dictionary)
            copy->emplace(key, deepCopyOf(item, open));
        open.erase(dictionary.get());
        return copy;
    }
    return value;
}

} // namespace

Value Value::newArray(Array items) {
    return std::make_shared<Array>(std::move(items));
}

Value Value::newDictionary(Dictionary entries) {
    return std::make_shared<Dictionary>(std::move(entries));
}

bool Value::toBool() const {
    if (auto b = std::get_if<bool>(&m_data))
        return *b;
    if (auto i = std::get_if<std::int64_t>(&m_data))
        return *i != 0;
    if (auto r = std::get_if<double>(&m_data))
        return *r != 0.0;
    return false;
}

std::int64_t Value::toInteger() const {
    if (auto i = std::get_if<std::int64_t>(&m_data))
        return *i;
    if (auto r = std::get_if<double>(&m_data)) {
        // Out-of-range reals saturate rather than invoke undefined behaviour.
        if (!(*r == *r))
            return 0;
        if (*r >= 9.2233720368547758e18)
            return INT64_MAX;
        if (*r <= -9.2233720368547758e18)
            return INT64_MIN;
        return static_cast<std::int64_t>(*r);
    }
    if (auto b = std::get_if<bool>(&m_data))
        return *b ? 1 : 0;
    return 0;
}

double Value::toReal() const {
    if (auto r = std::get_if<double>(&m_data))
        return *r;
    if (auto i = std::get_if<std::int64_t>(&m_data))
        return static_cast<double>(*i);
    if (auto b = std::get_if<bool>(&m_data))
        return *b ? 1.0 : 0.0;
    return 0.0;
}

QString Value::toString() const {
    auto s = std::get_if<QString>(&m_data);
    return s ? *s : QString();
}

QDateTime Value::toDate() const {
    auto d = std::get_if<QDateTime>(&m_data);
    return d ? *d : QDateTime();
}

QByteArray Value::toData() const {
    auto d = std::get_if<QByteArray>(&m_data);
    return d ? *d : QByteArray();
}

ArrayRef Value::toArray() const {
    auto a = std::get_if<ArrayRef>(&m_data);
    return a ? *a : nullptr;
}

DictionaryRef Value::toDictionary() const {
    auto d = std::get_if<DictionaryRef>(&m_data);
    return d ? *d : nullptr;
}

Value Value::operator[](const QString& key) const {
    auto dictionary = std::get_if<DictionaryRef>(&m_data);
    if (!dictionary || !*dictionary)
        return {};
    auto it = (*dictionary)->find(key);
    return it == (*dictionary)->end() ? Value() : it->second;
}

Value Value::at(std::size_t index) const {
    auto array = std::get_if<ArrayRef>(&m_data);
    if (!array || !*array || index >= (*array)->size())
        return {};
    return (**array)[index];
}

bool operator==(const Value& a, const Value& b) {
    if (a.type() != b.type())
        return false;
    switch (a.type()) {
    case Value::Type::Array: {
        auto x = a.toArray(), y = b.toArray();
        return x == y || (x && y && *x == *y);
    }
    case Value::Type::Dictionary: {
        auto x = a.toDictionary(), y = b.toDictionary();
        return x == y || (x && y && *x == *y);
    }
    case Value::Type::None:
    case Value::Type::Boolean:
    case Value::Type::Integer:
    case Value::Type::Real:
    case Value::Type::String:
    case Value::Type::Date:
    case Value::Type::Data:
        return a.m_data == b.m_data;
    }
    return false;
}

bool Value::isSameObject(const Value& other) const {
    if (auto a = std::get_if<ArrayRef>(&m_data))
        return *a == other.toArray();
    if (auto d = std::get_if<DictionaryRef>(&m_data))
        return *d == other.toDictionary();
    return *this == other;
}

Value Value::deepCopy() const {
    std::set<const void*> open;
    return deepCopyOf(*this, open);
}

Dictionary deepCopy(const Dictionary& dictionary) {
    Dictionary copy;
    for (const auto& [key, value] : dictionary)
        copy.emplace(key, value.deepCopy());
    return copy;
}

const char* typeName(Value::Type type) {
    switch (type) {
    case Value::Type::None:
        return "none";
    case Value::Type::Boolean:
        return "boolean";
    case Value::Type::Integer:
        return "integer";
    case Value::Type::Real:
        return "real";
    case Value::Type::String:
        return "string";
    case Value::Type::Date:
        return "date";
    case Value::Type::Data:
        return "data";
    case Value::Type::Array:
        return "array";
    case Value::Type::Dictionary:
        return "dictionary";
    }
    return "unknown";
}

} // namespace platform
