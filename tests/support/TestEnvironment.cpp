#include "support/TestEnvironment.h"

#include "platform/DynamicLibrary.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace mq::test {

std::string binaryFolder() {
    return fs::path(platform::executablePath()).parent_path().string();
}

std::string libraryPath(const std::string& baseName) {
    return (fs::path(binaryFolder()) / (baseName + MQ_LIBRARY_SUFFIX)).string();
}

ScratchFolder::ScratchFolder(const std::string& purpose) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    std::ostringstream name;
    name << "mq-" << purpose << "-" << std::hex << random() << "-" << counter++;
    fs::path created = fs::temp_directory_path() / name.str();
    fs::create_directories(created);
    folder = created.string();
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(folder, ignored);
}

std::string ScratchFolder::file(const std::string& name) const {
    return (fs::path(folder) / name).string();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace mq::test
