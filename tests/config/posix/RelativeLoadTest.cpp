// A host that loaded the library by a relative name and then changed its current folder: the helpers still come from the library's own folder.
#include "platform/FileSystem.h"
#include "support/LoadedPlugin.h"
#include "support/MachineConfiguration.h"
#include "support/SimChild.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace mq {
namespace {

// The host's current folder for the test's length, the old one put back.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder) : previous(fs::current_path()) { fs::current_path(folder); }
    ~CurrentFolder() { fs::current_path(previous); }
    void moveTo(const std::string& folder) { fs::current_path(folder); }

private:
    fs::path previous;
};

// This test runs in a process of its own, so that no earlier test has loaded
// the library by its full name.
TEST(RelativelyLoadedLibrary, StartsTheSurrogateBesideItselfAfterTheHostChangedFolder) {
    test::MachineConfiguration configuration;
    test::ScratchFolder children("relative-children");
    test::SimChild child{children.path(), "Child", "node N\ntag N t float\n"};
    configuration.writeBytes("<settings><quellan path=\"" + child.libraryPath() +
                             "\" isolation=\"process\" /></settings>");

    // The folder the host moves to holds a file of the library's name and a
    // surrogate of its own, which leaves a mark when it runs.
    test::ScratchFolder elsewhere("relative-elsewhere");
    const std::string library = fs::path(test::libraryPath("MultiQuellan")).filename().string();
    test::writeFile(elsewhere.file(library), "");
    const std::string mark = elsewhere.file("planted-surrogate-ran");
    test::writeFile(elsewhere.file(MQ_SURROGATE_PROGRAM), "#!/bin/sh\ntouch '" + mark + "'\n");
    ASSERT_EQ(::chmod(elsewhere.file(MQ_SURROGATE_PROGRAM).c_str(), 0755), 0);

    CurrentFolder current(test::binaryFolder());
    test::LoadedPlugin plugin("./" + library);
    current.moveTo(elsewhere.path());

    ASSERT_EQ(plugin->initialize(), QUELLAN2_STATUS_OK);
    QUELLAN2_CONNECTION connection = nullptr;
    ASSERT_EQ(plugin->connectionOpen("", &connection), QUELLAN2_STATUS_OK);
    uint32_t nodes = 0;
    EXPECT_EQ(plugin->connectionGetNumNodes(connection, &nodes), QUELLAN2_STATUS_OK);
    plugin->connectionClose(connection);
    plugin->uninitialize();

    EXPECT_EQ(nodes, 1u);
    EXPECT_FALSE(fs::exists(mark));
}

}  // namespace
}  // namespace mq
