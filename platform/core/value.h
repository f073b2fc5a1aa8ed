#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <variant>
#include <vector>

namespace platform {

class Value;

/// An ordered, mutable list of values. Held through `ArrayRef`, so every holder sees the same
/// list and changes made through one are seen through all.
using Array = std::vector<Value>;
/// A mutable map from string keys to values, kept sorted by key so that written files are
/// stable. Held through `DictionaryRef`, shared like `Array`.
using Dictionary = std::map<QString, Value>;
using ArrayRef = std::shared_ptr<Array>;
using DictionaryRef = std::shared_ptr<Dictionary>;

/// One property-list value: none, boolean, integer, real, string, date, data, array or
/// dictionary. Scalars are plain values; arrays and dictionaries are shared references with
/// identity, like the objects of a property list in memory.
class Value {
public:
    enum class Type { None, Boolean, Integer, Real, String, Date, Data, Array, Dictionary };

    Value() = default;
    Value(bool boolean) : m_data(boolean) {}
    Value(int integer) : m_data(std::int64_t{integer}) {}
    Value(long integer) : m_data(std::int64_t{integer}) {}
    Value(long long integer) : m_data(std::int64_t{integer}) {}
    Value(double real) : m_data(real) {}
    Value(QString string) : m_data(std::move(string)) {}
    Value(const char* utf8) : m_data(QString::fromUtf8(utf8)) {}
    /// Dates are kept in UTC with millisecond precision.
    Value(QDateTime date) : m_data(date.toUTC()) {}
    Value(QByteArray data) : m_data(std::move(data)) {}
    Value(ArrayRef array) : m_data(std::move(array)) {}
    Value(DictionaryRef dictionary) : m_data(std::move(dictionary)) {}

    static Value newArray(Array items = {});
    static Value newDictionary(Dictionary entries = {});

    Type type() const { return static_cast<Type>(m_data.index()); }
    bool isNone() const { return type() == Type::None; }

    /// Typed reads. A value of another type reads as false, 0, an empty string, an invalid
    /// date, empty data or a null reference; numbers do not turn into strings or back.
    bool toBool() const;
    std::int64_t toInteger() const; ///< Reals are truncated toward zero; booleans give 0 or 1.
    double toReal() const;          ///< Integers and booleans widen.
    QString toString() const;
    QDateTime toDate() const;
    QByteArray toData() const;
    ArrayRef toArray() const;
    DictionaryRef toDictionary() const;

    /// Looks `key` up when this is a dictionary; none otherwise or when absent.
    Value operator[](const QString& key) const;
    /// Element `index` when this is an array and the index is in range; none otherwise.
    Value at(std::size_t index) const;

    /// Deep equality, as property lists compare: containers by content.
    friend bool operator==(const Value& a, const Value& b);
    /// True when both are the same array or dictionary object, or equal scalars.
    bool isSameObject(const Value& other) const;

    /// A copy whose arrays and dictionaries are new objects all the way down. Shared or
    /// cyclic structure is not preserved; a cycle is cut at the first repeated container,
    /// which then becomes none.
    Value deepCopy() const;

private:
    std::variant<std::monostate, bool, std::int64_t, double, QString, QDateTime, QByteArray,
                 ArrayRef, DictionaryRef>
        m_data;
};

/// A dictionary whose values are deep copies of `dictionary`'s.
Dictionary deepCopy(const Dictionary& dictionary);

const char* typeName(Value::Type type);

} // namespace platform
