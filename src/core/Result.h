// The outcome of a core operation that can fail: a value, or an error code with
// the operator's message (GBK bytes, ready to show).
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace tessaly {

enum class ErrorCode {
    None,
    FileMissing,    // a file the operation needs does not exist
    FileRead,       // a file exists but cannot be read
    FileWrite,      // a write, flush or rename failed
    BadValue,       // a stored value is malformed (a number that is not one)
    BadInput,       // the operator's input is refused
    Inconsistent,   // stored files disagree with each other
    Cancelled,      // the operator stopped a long operation; nothing changed
};

struct Error {
    ErrorCode code = ErrorCode::None;
    std::string message;  // GBK, shown to the operator as it stands
};

template <typename T>
class Result {
public:
    Result(T value) : m_data(std::move(value)) {}
    Result(Error error) : m_data(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_data); }
    explicit operator bool() const { return ok(); }
    T &value() { return std::get<T>(m_data); }
    const T &value() const { return std::get<T>(m_data); }
    T &operator*() { return value(); }
    const T &operator*() const { return value(); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }
    const Error &error() const { return std::get<Error>(m_data); }
    ErrorCode code() const { return ok() ? ErrorCode::None : error().code; }

private:
    std::variant<T, Error> m_data;
};

// For operations that return nothing but may fail.
struct Ok {};
using Status = Result<Ok>;

inline Error makeError(ErrorCode code, std::string message)
{
    return Error{code, std::move(message)};
}

}  // namespace tessaly
