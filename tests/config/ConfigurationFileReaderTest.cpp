// Reading the child list from configuration files good and bad.
#include "config/ConfigurationFileReader.h"

#include "platform/FileSystem.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace mq {
namespace {

using Paths = std::vector<std::string>;

class ReadConfigurationFile : public ::testing::Test {
protected:
    test::ScratchFolder scratch{"read"};
    std::string file = scratch.file("MultiQuellanConfiguration.xml");

    Paths readText(const std::string& text) {
        test::writeFile(file, text);
        return readConfigurationFile(file);
    }
};

TEST_F(ReadConfigurationFile, GivesThePathsInDocumentOrderWithDuplicates) {
    Paths paths = readText(
        "<?xml version=\"1.0\" ?>\n"
        "<settings>\n"
        "    <quellan path=\"C:\\b\\Second.dll\" />\n"
        "    <quellan path=\"C:\\a\\First.dll\" />\n"
        "    <quellan path=\"C:\\b\\Second.dll\" />\n"
        "</settings>\n");

    EXPECT_EQ(paths, (Paths{"C:\\b\\Second.dll", "C:\\a\\First.dll", "C:\\b\\Second.dll"}));
}

TEST_F(ReadConfigurationFile, ReadsWindowsLineEnds) {
    EXPECT_EQ(readText("<?xml version=\"1.0\" ?>\r\n<settings>\r\n    <quellan path=\"x\" />\r\n</settings>\r\n"),
              Paths{"x"});
}

TEST_F(ReadConfigurationFile, SkipsElementsWithoutPathAndKeepsEmptyPaths) {
    Paths paths = readText(
        "<settings><quellan name=\"no path\"/><quellan path=\"\"/><quellan/><quellan path=\"last\"/></settings>");

    EXPECT_EQ(paths, (Paths{"", "last"}));
}

TEST_F(ReadConfigurationFile, IgnoresEverythingButQuellanPathsDirectlyUnderTheRoot) {
    Paths paths = readText(
        "<settings version=\"2\">\n"
        "  <!-- <quellan path=\"commented out\"/> -->\n"
        "  <Quellan path=\"wrong case\"/>\n"
        "  <quellan Path=\"wrong case\" path=\"one\" extra=\"ignored\">text<inner path=\"x\"/></quellan>\n"
        "  <group><quellan path=\"too deep\"/></group>\n"
        "  some text\n"
        "  <![CDATA[<quellan path=\"in cdata\"/>]]>\n"
        "  <?processing instruction?>\n"
        "  <quellan path=\"two\"/>\n"
        "</settings>\n");

    EXPECT_EQ(paths, (Paths{"one", "two"}));
}

TEST_F(ReadConfigurationFile, ReadsOnlyTheFirstSettingsRoot) {
    Paths paths = readText(
        "<settings><quellan path=\"first root\"/></settings>\n"
        "<settings><quellan path=\"second root\"/></settings>\n");

    EXPECT_EQ(paths, Paths{"first root"});
}

TEST_F(ReadConfigurationFile, LooksForSettingsPastOtherTopLevelElements) {
    Paths paths = readText(
        "<other><quellan path=\"not this\"/></other>\n"
        "<settings><quellan path=\"this\"/></settings>\n");

    EXPECT_EQ(paths, Paths{"this"});
}

TEST_F(ReadConfigurationFile, GivesNothingWithoutASettingsRoot) {
    EXPECT_TRUE(readText("<Settings><quellan path=\"x\"/></Settings>").empty());
}

TEST_F(ReadConfigurationFile, GivesNothingForAMissingFile) {
    EXPECT_TRUE(readConfigurationFile(scratch.file("missing.xml")).empty());
}

TEST_F(ReadConfigurationFile, GivesNothingForAnEmptyFile) {
    EXPECT_TRUE(readText("").empty());
}

TEST_F(ReadConfigurationFile, GivesNothingForATruncatedFile) {
    const std::string whole =
        "<?xml version=\"1.0\" ?>\n<settings>\n    <quellan path=\"a\" />\n    <quellan path=\"b\" />\n</settings>\n";
    ASSERT_EQ(readText(whole), (Paths{"a", "b"}));

    // Every cut that breaks the document loses the whole list, never a crash.
    for (std::size_t length = 0; length < whole.rfind('>'); ++length) {
        EXPECT_TRUE(readText(whole.substr(0, length)).empty()) << "cut at " << length;
    }
}

TEST_F(ReadConfigurationFile, GivesNothingForTextThatIsNotXml) {
    EXPECT_TRUE(readText("path=C:\\a.dll\npath=C:\\b.dll\n").empty());
    EXPECT_TRUE(readText("{\"settings\": [{\"quellan\": \"x\"}]}").empty());
    EXPECT_TRUE(readText("<settings><quellan path=\"unclosed></settings>").empty());
    EXPECT_TRUE(readText("<settings><quellan path=x/></settings>").empty());
}

TEST_F(ReadConfigurationFile, SurvivesBinaryGarbage) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(static_cast<std::size_t>(random() % 4096), '\0');
        for (char& byte : bytes) byte = static_cast<char>(random());
        // Every other round starts like a real file, to get the parser going.
        if (round % 2) bytes = "<settings><quellan path=\"a\"/>" + bytes;
        Paths paths = readText(bytes);
        EXPECT_LE(paths.size(), 1u);
    }
}

TEST_F(ReadConfigurationFile, ReadsWhatPrecedesAZeroByte) {
    std::string text = "<settings><quellan path=\"a\"/></settings>";
    text += std::string(1, '\0') + "<settings><quellan path=\"b\"/></settings>";

    EXPECT_EQ(readText(text), Paths{"a"});
}

TEST_F(ReadConfigurationFile, ReadsAHugeFileWhole) {
    std::string text = "<?xml version=\"1.0\" ?>\n<settings>\n";
    const std::string longPath(8 * 1024 * 1024, 'p');
    text += "    <quellan path=\"" + longPath + "\" />\n";
    text += "    <!-- " + std::string(8 * 1024 * 1024, '.') + " -->\n";
    const int manyEntries = 200000;
    for (int i = 0; i < manyEntries; ++i) text += "    <quellan path=\"child" + std::to_string(i) + ".dll\" />\n";
    text += "</settings>\n";
    ASSERT_GT(text.size(), 20u * 1024 * 1024);

    Paths paths = readText(text);

    ASSERT_EQ(paths.size(), 1u + manyEntries);
    EXPECT_EQ(paths.front(), longPath);
    EXPECT_EQ(paths[1], "child0.dll");
    EXPECT_EQ(paths.back(), "child" + std::to_string(manyEntries - 1) + ".dll");
}

TEST_F(ReadConfigurationFile, GivesNothingForHugeNestingInsteadOfExhaustingTheStack) {
    std::string text = "<settings><quellan path=\"a\"/>";
    for (int i = 0; i < 2000000; ++i) text += "<n>";

    EXPECT_TRUE(readText(text).empty());
    EXPECT_TRUE(readText(text + "</settings>").empty());
}

TEST_F(ReadConfigurationFile, ReadsModestNestingInIgnoredElements) {
    std::string text = "<settings><quellan path=\"a\"/><group>";
    for (int i = 0; i < 40; ++i) text += "<n a='1' b=\"2\">";
    for (int i = 0; i < 40; ++i) text += "</n>";
    text += "</group><quellan path=\"b\"/></settings>";

    EXPECT_EQ(readText(text), (Paths{"a", "b"}));
}

TEST_F(ReadConfigurationFile, DecodesPredefinedAndNumericEntities) {
    Paths paths = readText(
        "<settings><quellan path=\"a&amp;b&lt;c&gt;d&quot;e&apos;f&#65;&#x42;&#xe9;&#8364;\"/>"
        "<quellan path='single &quot;quoted&quot;'/></settings>");

    EXPECT_EQ(paths, (Paths{"a&b<c>d\"e'fAB\xC3\xA9\xE2\x82\xAC", "single \"quoted\""}));
}

TEST_F(ReadConfigurationFile, GivesNothingForANumericEntityBeyondUnicode) {
    EXPECT_TRUE(readText("<settings><quellan path=\"&#x110000;\"/></settings>").empty());
    EXPECT_TRUE(readText("<settings><quellan path=\"&#99999999999999999999999;\"/></settings>").size() <= 1u);
}

TEST_F(ReadConfigurationFile, ExpandsNoEntityThatTheDocumentDeclares) {
    Paths paths = readText(
        "<?xml version=\"1.0\" ?>\n"
        "<!DOCTYPE settings [\n"
        "  <!ENTITY a \"boom\">\n"
        "  <!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
        "  <!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
        "  <!ENTITY file SYSTEM \"file:///etc/passwd\">\n"
        "]>\n"
        "<settings><quellan path=\"&c;\"/><quellan path=\"&file;\"/><quellan path=\"plain\"/></settings>\n");

    EXPECT_EQ(paths, (Paths{"&c;", "&file;", "plain"}));
}

TEST_F(ReadConfigurationFile, SkipsAUtf8ByteOrderMark) {
    EXPECT_EQ(readText("\xEF\xBB\xBF<?xml version=\"1.0\" ?>\n<settings><quellan path=\"x\"/></settings>\n"),
              Paths{"x"});
}

TEST_F(ReadConfigurationFile, PassesNonAsciiBytesUnchanged) {
    // UTF-8 as on Linux, and a single code-page byte as an ANSI path holds it.
    EXPECT_EQ(readText("<settings><quellan path=\"/opt/Gr\xC3\xBC\xC3\x9F\"/><quellan path=\"C:\\Caf\xE9\"/></settings>"),
              (Paths{"/opt/Gr\xC3\xBC\xC3\x9F", "C:\\Caf\xE9"}));
}

TEST_F(ReadConfigurationFile, GivesNothingForADirectoryInPlaceOfTheFile) {
    std::filesystem::create_directory(file);

    EXPECT_TRUE(readConfigurationFile(file).empty());
}

TEST_F(ReadConfigurationFile, RefusesAPathLongerThanThePlatformTakes) {
    std::string tooLong = scratch.path() + platform::PATH_SEPARATOR;
    tooLong += std::string(platform::MAX_PATH_LENGTH + 1 - tooLong.size(), 'x');

    EXPECT_TRUE(readConfigurationFile(tooLong).empty());
}

TEST_F(ReadConfigurationFile, RefusesAPathWithAZeroByte) {
    test::writeFile(file, "<settings><quellan path=\"x\"/></settings>");

    EXPECT_TRUE(readConfigurationFile(file + std::string(1, '\0') + "ignored").empty());
}

}  // namespace
}  // namespace mq
