// Where the tests find the project's binaries, and scratch folders for them.
#pragma once

#include <string>

namespace mq::test {

// The folder that holds the test programs, the libraries and the tools.
std::string binaryFolder();

// The full path of a library built by this project, given its base name
// ("MultiQuellan", "SimQuellan"): the platform's suffix is added.
std::string libraryPath(const std::string& baseName);

// A new empty folder below the system's temporary folder, removed with the object.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& purpose);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return folder; }
    // A path inside the folder.
    std::string file(const std::string& name) const;

private:
    std::string folder;
};

// Reads a whole file as bytes; empty when it cannot be read.
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

}  // namespace mq::test
