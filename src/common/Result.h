// The outcome of an operation that can fail: its value, or a readable message that the edge
// (a dialog, the companion) decides how to show. Core code returns it and never shows it.
#pragma once

#include <QString>

#include <optional>
#include <utility>

// The failure side, convertible to any Result.
struct Failure {
    QString message;
};

inline Failure Fail(QString message) {
    return Failure{std::move(message)};
}

template <typename T = void> class [[nodiscard]] Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(Failure failure) : error_(std::move(failure.message)) {}

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return *value_; }
    T& value() & { return *value_; }
    T&& value() && { return std::move(*value_); }
    const T& operator*() const& { return *value_; }
    T& operator*() & { return *value_; }
    const T* operator->() const { return &*value_; }
    T* operator->() { return &*value_; }
    T valueOr(T fallback) const { return value_ ? *value_ : std::move(fallback); }

    // Empty when ok().
    const QString& error() const { return error_; }

private:
    std::optional<T> value_;
    QString error_;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failed_(true), error_(std::move(failure.message)) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return error_; }

private:
    bool failed_ = false;
    QString error_;
};

inline Result<> Ok() {
    return {};
}
