// The Windows heap's fail-fast writes nothing about a double free.
#include "support/HeapReport.h"

namespace mq::test {

const char* doubleFreeReport() {
    return "";
}

}  // namespace mq::test
