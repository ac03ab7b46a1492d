// What glibc and AddressSanitizer write about a double free.
#include "support/HeapReport.h"

namespace mq::test {

const char* doubleFreeReport() {
    return "double.free";
}

}  // namespace mq::test
