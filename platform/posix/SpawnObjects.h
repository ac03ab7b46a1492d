// Owners of posix_spawn's file actions and attributes, from init to destroy.
#pragma once

#include <spawn.h>

namespace mq::platform {

class SpawnFileActions {
public:
    SpawnFileActions() { ready = posix_spawn_file_actions_init(&actions) == 0; }
    ~SpawnFileActions() {
        if (ready) posix_spawn_file_actions_destroy(&actions);
    }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;

    bool valid() const { return ready; }
    posix_spawn_file_actions_t* get() { return &actions; }

private:
    posix_spawn_file_actions_t actions{};
    bool ready = false;
};

class SpawnAttributes {
public:
    SpawnAttributes() { ready = posix_spawnattr_init(&attributes) == 0; }
    ~SpawnAttributes() {
        if (ready) posix_spawnattr_destroy(&attributes);
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;

    bool valid() const { return ready; }
    posix_spawnattr_t* get() { return &attributes; }

private:
    posix_spawnattr_t attributes{};
    bool ready = false;
};

}  // namespace mq::platform
