// One lock per loaded module, shared by the workers of the children in it.
#pragma once

#include "platform/DynamicLibrary.h"

#include <memory>
#include <mutex>

namespace mq {

// The platform loads a file once, however many configured paths name it, and
// a plug-in's code need not bear two of its connections being called at once.
// Every proxy of the same module gets the same mutex; it lives while any of
// them does.
std::shared_ptr<std::mutex> moduleLock(platform::ModuleHandle module);

}  // namespace mq
