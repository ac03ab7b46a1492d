// The library's own exception: its message and the cause it keeps.
#include "interface/Exception.h"

#include <utility>

namespace mq {

Exception::Exception(std::string message) : text(std::move(message)) {}

Exception::Exception(std::string message, const Exception& cause)
    : text(std::move(message)), reason(cause.clone()) {}

Exception* Exception::clone() const {
    return new Exception(*this);
}

}  // namespace mq
