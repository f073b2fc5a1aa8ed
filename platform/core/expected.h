#pragma once

#include <QString>

#include <cassert>
#include <optional>
#include <utility>

namespace platform {

/// Why an operation at an I/O seam failed, in words fit for a log line or an alert.
struct Error {
    QString message;
};

/// The value of an operation that can fail, or the error that stopped it.
template <typename T> class [[nodiscard]] Expected {
public:
    Expected(T value) : m_value(std::move(value)) {}
    Expected(Error error) : m_error(std::move(error.message)) {}

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }

    const T& value() const& {
        assert(ok() && "value() of a failed result");
        return *m_value;
    }
    T&& value() && {
        assert(ok() && "value() of a failed result");
        return std::move(*m_value);
    }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }
    const QString& error() const { return m_error; }

private:
    std::optional<T> m_value;
    QString m_error;
};

/// The outcome of an operation that yields nothing but can fail.
template <> class [[nodiscard]] Expected<void> {
public:
    Expected() = default;
    Expected(Error error) : m_failed(true), m_error(std::move(error.message)) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return m_error; }

private:
    bool m_failed = false;
    QString m_error;
};

} // namespace platform
