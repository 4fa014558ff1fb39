#pragma once

#include <string>
#include <utility>

namespace brikmux {

// The outcome of a call that can fail in an ordinary way: success, or a failure with the
// system's reason ("No such file or directory").
class Status {
public:
    static Status ok() { return Status(); }
    static Status failure(std::string reason) { return Status(std::move(reason)); }

    bool isOk() const { return !m_failed; }
    explicit operator bool() const { return !m_failed; }
    const std::string& reason() const { return m_reason; }

private:
    Status() = default;
    explicit Status(std::string reason) : m_failed(true), m_reason(std::move(reason)) {}

    bool m_failed = false;
    std::string m_reason;
};

} // namespace brikmux
