// Owners of posix_spawn's file actions and attributes, from init to destroy,
// the attributes that start a process with the signals reset, and the
// argument vector.
#pragma once

#include <signal.h>
#include <spawn.h>

#include <string>
#include <vector>

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

// The null-ended argument vector posix_spawn takes, pointing into `words`,
// which must stay as they are while it is used.
inline std::vector<char*> argumentVector(std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    return argv;
}

// Neither the starting thread's blocked signals nor the host's ignored ones
// are a started process's business: it starts with none blocked and every
// disposition at its default. False when the attributes cannot say so.
inline bool resetSignalsOnSpawn(SpawnAttributes& attributes) {
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    return attributes.valid() && posix_spawnattr_setsigmask(attributes.get(), &none) == 0 &&
           posix_spawnattr_setsigdefault(attributes.get(), &all) == 0 &&
           posix_spawnattr_setflags(attributes.get(), POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;
}

}  // namespace mq::platform
