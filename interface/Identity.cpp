// The identity text: the library's name and when it was built.
#include "interface/Identity.h"

namespace mq {

const std::string& identityText() {
    static const std::string text = "MultiQuellan (" __DATE__ " " __TIME__ ")";
    return text;
}

}  // namespace mq
