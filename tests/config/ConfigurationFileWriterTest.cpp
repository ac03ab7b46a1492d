// Writing the child list: the exact layout, escaping, and saves that fail.
#include "config/ConfigurationFileWriter.h"

#include "config/ConfigurationFileReader.h"
#include "platform/FileSystem.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace mq {
namespace {

using Paths = std::vector<std::string>;

// The file's lines joined with the platform's line end.
std::string lines(std::initializer_list<const char*> texts) {
    std::string result;
    for (const char* text : texts) result += std::string(text) + platform::LINE_END;
    return result;
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class WriteConfigurationFile : public ::testing::Test {
protected:
    test::ScratchFolder scratch{"write"};
    std::string file = scratch.file("MultiQuellanConfiguration.xml");
    const std::string oldText = lines({"<?xml version=\"1.0\" ?>", "<settings>",
                                       "    <quellan path=\"old.dll\" />", "</settings>"});
};

TEST_F(WriteConfigurationFile, WritesTheDeclarationTheRootAndOneIndentedLinePerChild) {
    ASSERT_TRUE(writeConfigurationFile(file, {"C:\\a\\First.dll", "/opt/second.so", "C:\\a\\First.dll"}));

    EXPECT_EQ(test::readFile(file), lines({"<?xml version=\"1.0\" ?>",
                                           "<settings>",
                                           "    <quellan path=\"C:\\a\\First.dll\" />",
                                           "    <quellan path=\"/opt/second.so\" />",
                                           "    <quellan path=\"C:\\a\\First.dll\" />",
                                           "</settings>"}));
}

TEST_F(WriteConfigurationFile, WritesAnEmptyListAsAnEmptySettingsElement) {
    ASSERT_TRUE(writeConfigurationFile(file, std::vector<std::string>{}));

    EXPECT_EQ(test::readFile(file), lines({"<?xml version=\"1.0\" ?>", "<settings />"}));
    EXPECT_TRUE(readConfigurationFile(file).empty());
}

TEST_F(WriteConfigurationFile, WritesAnEmptyPathAsAnEmptyAttribute) {
    ASSERT_TRUE(writeConfigurationFile(file, {""}));

    EXPECT_EQ(test::readFile(file),
              lines({"<?xml version=\"1.0\" ?>", "<settings>", "    <quellan path=\"\" />", "</settings>"}));
}

TEST_F(WriteConfigurationFile, EscapesWhatXmlReserves) {
    ASSERT_TRUE(writeConfigurationFile(file, {"a&b<c>d\"e'f"}));

    EXPECT_EQ(test::readFile(file), lines({"<?xml version=\"1.0\" ?>", "<settings>",
                                           "    <quellan path=\"a&amp;b&lt;c&gt;d&quot;e&apos;f\" />",
                                           "</settings>"}));
}

TEST_F(WriteConfigurationFile, WritesNoByteOrderMarkAndNonAsciiBytesUnchanged) {
    ASSERT_TRUE(writeConfigurationFile(file, {"C:\\Caf\xE9", "/opt/Gr\xC3\xBC\xC3\x9F"}));

    std::string bytes = test::readFile(file);
    EXPECT_EQ(bytes.rfind("<?xml", 0), 0u);
    EXPECT_NE(bytes.find("path=\"C:\\Caf\xE9\""), std::string::npos);
    EXPECT_NE(bytes.find("path=\"/opt/Gr\xC3\xBC\xC3\x9F\""), std::string::npos);
}

TEST_F(WriteConfigurationFile, RoundTripsAwkwardPaths) {
    const Paths paths = {"C:\\Program Files\\Kalmeno\\Sim Quellan.dll",
                         "/opt/with \"double\" and 'single' quotes.so",
                         "R&D <lab> & co >> x.dll",
                         "&amp; stays &amp;",
                         "C:\\Caf\xE9\\\xC3\xBC\xE2\x82\xAC.dll",
                         "",
                         "tab\there, new\nline, return\rend",
                         "  leading and trailing spaces  ",
                         "R&D <lab> & co >> x.dll"};

    ASSERT_TRUE(writeConfigurationFile(file, paths));

    EXPECT_EQ(readConfigurationFile(file), paths);
}

TEST_F(WriteConfigurationFile, ReplacesALongerOldFileWhole) {
    ASSERT_TRUE(writeConfigurationFile(file, Paths(100, "C:\\a\\rather\\long\\path\\to\\Child.dll")));

    ASSERT_TRUE(writeConfigurationFile(file, {"short.dll"}));

    EXPECT_EQ(test::readFile(file),
              lines({"<?xml version=\"1.0\" ?>", "<settings>", "    <quellan path=\"short.dll\" />", "</settings>"}));
    EXPECT_EQ(folderEntries(scratch.path()), Paths{"MultiQuellanConfiguration.xml"});
}

TEST_F(WriteConfigurationFile, FailsOntoADirectoryAndLeavesItAsItWas) {
    fs::create_directory(file);
    test::writeFile(file + platform::PATH_SEPARATOR + "inside.txt", "inside");

    EXPECT_FALSE(writeConfigurationFile(file, {"new.dll"}));

    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_EQ(folderEntries(file), Paths{"inside.txt"});
    EXPECT_EQ(test::readFile(file + platform::PATH_SEPARATOR + "inside.txt"), "inside");
    EXPECT_EQ(folderEntries(scratch.path()), Paths{"MultiQuellanConfiguration.xml"});
}

TEST_F(WriteConfigurationFile, FailsIntoAMissingFolderAndCreatesNothing) {
    std::string missing = scratch.file("missing");

    EXPECT_FALSE(writeConfigurationFile(missing + platform::PATH_SEPARATOR + "MultiQuellanConfiguration.xml", {"x"}));

    EXPECT_TRUE(folderEntries(scratch.path()).empty());
}

TEST_F(WriteConfigurationFile, RefusesAPathLongerThanThePlatformTakes) {
    std::string tooLong = scratch.path() + platform::PATH_SEPARATOR;
    tooLong += std::string(platform::MAX_PATH_LENGTH + 1 - tooLong.size(), 'x');

    EXPECT_FALSE(writeConfigurationFile(tooLong, {"x"}));

    EXPECT_TRUE(folderEntries(scratch.path()).empty());
}

TEST_F(WriteConfigurationFile, KeepsTheOldFileWhenTheTemporaryFileCannotBeNamed) {
    // A target just short of the limit leaves no room for the temporary name beside it.
    std::string folder = scratch.path();
    while (folder.size() < platform::MAX_PATH_LENGTH - 120) {
        folder += platform::PATH_SEPARATOR + std::string(std::min<std::size_t>(100, platform::MAX_PATH_LENGTH - 120 - folder.size() + 1), 'd');
        fs::create_directory(folder);
    }
    std::string target = folder + platform::PATH_SEPARATOR;
    target += std::string(platform::MAX_PATH_LENGTH - 2 - target.size(), 'f');
    ASSERT_EQ(target.size(), platform::MAX_PATH_LENGTH - 2);
    test::writeFile(target, oldText);
    ASSERT_EQ(test::readFile(target), oldText);

    EXPECT_FALSE(writeConfigurationFile(target, {"new.dll"}));

    EXPECT_EQ(test::readFile(target), oldText);
    EXPECT_EQ(folderEntries(folder).size(), 1u);
}

TEST_F(WriteConfigurationFile, RefusesAChildPathWithAZeroByteAndKeepsTheOldFile) {
    test::writeFile(file, oldText);

    EXPECT_FALSE(writeConfigurationFile(file, {"good.dll", std::string("bad\0.dll", 8)}));

    EXPECT_EQ(test::readFile(file), oldText);
    EXPECT_EQ(folderEntries(scratch.path()), Paths{"MultiQuellanConfiguration.xml"});
}

}  // namespace
}  // namespace mq
