// Keeping the module prefix, set once the library knows its own name.
#include "config/ModulePrefix.h"

#include <atomic>

namespace mq {

namespace {
// Constant-initialised, so it is empty before any code of the library runs.
// Atomic because the first loads may come from different host threads; they
// all store the same text.
std::atomic<const char*> prefixText{""};
}  // namespace

const char* modulePrefix() noexcept {
    return prefixText.load();
}

void setModulePrefix(const char* prefix) noexcept {
    prefixText.store(prefix ? prefix : "");
}

}  // namespace mq
