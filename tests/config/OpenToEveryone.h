// Lets everyone change a folder while the object lives; its rights are put back afterwards.
#pragma once

#include <string>

namespace mq::test {

class OpenToEveryone {
public:
    explicit OpenToEveryone(const std::string& folder);
    ~OpenToEveryone();
    OpenToEveryone(const OpenToEveryone&) = delete;
    OpenToEveryone& operator=(const OpenToEveryone&) = delete;

    // False when the folder's rights could not be changed.
    bool opened() const { return !saved.empty(); }

private:
    std::string folder;
    // The folder's rights before: a mode on POSIX, an access list on Windows.
    std::string saved;
};

}  // namespace mq::test
