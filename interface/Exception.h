// The library's own exception: a message with an optional cause.
#pragma once

#include <memory>
#include <string>

namespace mq {

// Deliberately not derived from std::exception: the exported functions'
// handlers for standard exceptions must not take it for one of theirs, so the
// hosting layer catches it where a child fails to start.
class Exception {
public:
    Exception() = default;
    explicit Exception(std::string message);
    Exception(std::string message, const Exception& cause);
    Exception(const Exception& other) = default;
    Exception& operator=(const Exception& other) = default;
    virtual ~Exception() = default;

    virtual Exception* clone() const;

    const std::string& message() const { return text; }
    const Exception* cause() const { return reason.get(); }

private:
    std::string text;
    // A copy shares the cause; constructing from a cause stores a clone of it.
    std::shared_ptr<const Exception> reason;
};

}  // namespace mq
