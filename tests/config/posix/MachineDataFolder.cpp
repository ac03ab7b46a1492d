// Lends a test a scratch machine folder through XDG_CONFIG_DIRS.
#include "../MachineDataFolder.h"

#include "support/TestEnvironment.h"

#include <stdlib.h>

#include <optional>

namespace mq::test {

struct MachineDataFolder::State {
    ScratchFolder folder{"machine"};
    std::optional<std::string> previous;
};

MachineDataFolder::MachineDataFolder() : state(std::make_unique<State>()) {
    if (const char* value = ::getenv("XDG_CONFIG_DIRS")) state->previous = value;
    ::setenv("XDG_CONFIG_DIRS", state->folder.path().c_str(), 1);
}

MachineDataFolder::~MachineDataFolder() {
    if (state->previous)
        ::setenv("XDG_CONFIG_DIRS", state->previous->c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_DIRS");
}

const std::string& MachineDataFolder::commonFolder() const {
    return state->folder.path();
}

}  // namespace mq::test
