// The identity text: the library's name and when it was built.
#include "interface/Identity.h"

namespace mq {

const std::string& identityText() {
    static const std::string text = std::string(IDENTITY_PREFIX) + __DATE__ " " __TIME__ ")";
    return text;
}

}  // namespace mq
