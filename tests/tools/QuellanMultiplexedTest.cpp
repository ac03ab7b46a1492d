// The tool with its default plug-in, MultiQuellan, configured with two
// SimQuellan children whose trees share names.
#include "QuellanTool.h"
#include "platform/FileOwnership.h"
#include "platform/ScopeExit.h"
#include "support/Environment.h"
#include "support/MachineConfiguration.h"
#include "support/SimChild.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace mq::test {
namespace {

const std::string PLANT_A = "identity Plant A\n" + PLANT_START + R"(tag Line1 State string states=Running,Stopped dwell=600
node Line2
tag Line2 Flow float base=100 amplitude=10 period=600 noise=0.5
batch Line1 A-1 1714560000 1714563600
)";

const char* const PLANT_B = R"(identity Plant B
clock 1000000000
node Line1
tag Line1 Temperature float base=70 amplitude=3 period=1200 noise=1
node Boiler
tag Boiler Pressure float base=12 amplitude=2 period=900
batch Line1 B-1 1714550000 1714553600
)";

class QuellanMultiplexed : public ::testing::Test {
protected:
    void SetUp() override {
        configuration = std::make_unique<MachineConfiguration>();
        plantA = std::make_unique<SimChild>(scratch.path(), "PlantA", PLANT_A);
        plantB = std::make_unique<SimChild>(scratch.path(), "PlantB", PLANT_B);
        configuration->writeChildren({plantA->libraryPath(), plantB->libraryPath()});
    }

    ScratchFolder scratch{"quellan-multiplexed"};
    std::unique_ptr<MachineConfiguration> configuration;
    std::unique_ptr<SimChild> plantA;
    std::unique_ptr<SimChild> plantB;
};

TEST_F(QuellanMultiplexed, IdentityIsMultiQuellans) {
    ProcessResult result = runQuellan({"identity"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    auto lines = outputLines(result.out);
    ASSERT_EQ(2u, lines.size()) << result.out;
    EXPECT_EQ(0u, lines[1].find("MultiQuellan (")) << lines[1];
}

TEST_F(QuellanMultiplexed, TreeShowsBothChildrenSideBySideWithMergedHandles) {
    ProcessResult result = runQuellan({"tree"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    EXPECT_EQ((std::vector<std::string>{
                  "kind  handle  path",
                  "node  1       Line1",
                  "tag   1       Line1/Temperature",
                  "tag   2       Line1/State",
                  "node  2       Line2",
                  "tag   3       Line2/Flow",
                  "node  3       Line1",
                  "tag   4       Line1/Temperature",
                  "node  4       Boiler",
                  "tag   5       Boiler/Pressure",
              }),
              outputLines(result.out));
}

TEST_F(QuellanMultiplexed, TreeMarksTheStatusNodeWhoseTagsAreWatchedAsAnyTag) {
    configuration->writeBytes("<settings status=\"true\"><quellan path=\"" + plantA->libraryPath() +
                              "\"/><quellan path=\"" + plantB->libraryPath() + "\"/></settings>");
    ProcessResult tree = runQuellan({"--csv", "tree"});
    ASSERT_EQ(0, tree.exitCode) << describe(tree);
    auto rows = csvRows(tree.out);
    ASSERT_EQ(25u, rows.size()) << tree.out;
    EXPECT_EQ((std::vector<std::string>{"node", "5", "MultiQuellan (status)"}), rows[10]);
    EXPECT_EQ((std::vector<std::string>{"tag", "6", "MultiQuellan/PlantA.State"}), rows[11]);

    ProcessResult watch = runQuellan({"--csv", "watch", "MultiQuellan/PlantB.State", "--every", "0", "--count", "1"});
    ASSERT_EQ(0, watch.exitCode) << describe(watch);
    rows = csvRows(watch.out);
    ASSERT_EQ(2u, rows.size()) << watch.out;
    EXPECT_EQ("running", rows[1].back());
}

TEST_F(QuellanMultiplexed, TreeAsCsvAndJson) {
    ProcessResult csv = runQuellan({"tree", "--csv"});
    ASSERT_EQ(0, csv.exitCode) << describe(csv);
    auto rows = csvRows(csv.out);
    ASSERT_EQ(10u, rows.size());
    EXPECT_EQ((std::vector<std::string>{"kind", "handle", "path"}), rows[0]);
    EXPECT_EQ((std::vector<std::string>{"tag", "5", "Boiler/Pressure"}), rows[9]);
    ProcessResult json = runQuellan({"tree", "--json"});
    ASSERT_EQ(0, json.exitCode) << describe(json);
    auto lines = outputLines(json.out);
    ASSERT_EQ(11u, lines.size());
    EXPECT_EQ("[", lines.front());
    EXPECT_EQ("  {\"kind\": \"node\", \"handle\": 1, \"path\": \"Line1\"},", lines[1]);
    EXPECT_EQ("  {\"kind\": \"tag\", \"handle\": 5, \"path\": \"Boiler/Pressure\"}", lines[9]);
    EXPECT_EQ("]", lines.back());
}

TEST_F(QuellanMultiplexed, AWellFormedFileWithChildrenIsNotMentioned) {
    ProcessResult result = runQuellan({"tree", "--strict"});
    EXPECT_EQ(0, result.exitCode) << describe(result);
    EXPECT_EQ("", result.err);
}

// A configuration file that gives MultiQuellan no child: a command that
// opens the connection says so in one line and goes on; with --strict it ends
// with exit code 5 and no rows. MISSING stands for no file at all.
struct ConfigurationProblem {
    const char* name;
    const char* bytes;
    const char* said;
};

class QuellanConfigurationProblem : public QuellanMultiplexed,
                                    public ::testing::WithParamInterface<ConfigurationProblem> {};

TEST_P(QuellanConfigurationProblem, IsSaidInOneLineAndEndsTheRunOnlyWhenStrict) {
    if (std::string(GetParam().bytes) == "MISSING")
        configuration->remove();
    else
        configuration->writeBytes(GetParam().bytes);
    const std::string line = "quellan: MultiQuellan's configuration file " + configuration->filePath() + " " +
                             GetParam().said + ", so MultiQuellan has no children and its tree is empty";
    ProcessResult mentioned = runQuellan({"tree"});
    EXPECT_EQ(0, mentioned.exitCode) << describe(mentioned);
    EXPECT_EQ((std::vector<std::string>{line}), outputLines(mentioned.err));
    EXPECT_EQ((std::vector<std::string>{"kind  handle  path"}), outputLines(mentioned.out));
    ProcessResult strict = runQuellan({"--strict", "read", "Line1/Temperature"});
    EXPECT_EQ(5, strict.exitCode) << describe(strict);
    EXPECT_EQ((std::vector<std::string>{line + " (--strict)"}), outputLines(strict.err));
    EXPECT_EQ("", strict.out);
    EXPECT_TRUE(plantA->journal().empty()) << "no child was started";
}

INSTANTIATE_TEST_SUITE_P(
    Files, QuellanConfigurationProblem,
    ::testing::Values(ConfigurationProblem{"Missing", "MISSING", "does not exist"},
                      ConfigurationProblem{"Empty", " \n", "is empty"},
                      ConfigurationProblem{"Malformed", "<?xml version=\"1.0\" ?>\n<settings>\n  <quellan path=\"x\"\n</settings>\n",
                                           "is not well-formed XML (expected > at line 4, column 1)"},
                      ConfigurationProblem{"WithoutSettings", "<other/>\n", "has no settings element"},
                      ConfigurationProblem{"NamingNoChild", "<settings/>\n", "names no child"}),
    [](const ::testing::TestParamInfo<ConfigurationProblem>& info) { return std::string(info.param.name); });

TEST_F(QuellanMultiplexed, ATreeThatEveryChildLeftEmptyIsSaidInOneLine) {
    plantA->writeSidecar(PLANT_A + "fail connectionOpen 1\n");
    plantB->writeSidecar(std::string(PLANT_B) + "fail connectionOpen 1\n");
    const std::string line = "MultiQuellan's tree is empty although its configuration file names 2 children: run "
                             "quellan children to see what becomes of each";
    ProcessResult mentioned = runQuellan({"tree"});
    EXPECT_EQ(0, mentioned.exitCode) << describe(mentioned);
    EXPECT_EQ((std::vector<std::string>{"quellan: " + line}), outputLines(mentioned.err));
    ProcessResult strict = runQuellan({"tree", "--strict"});
    EXPECT_EQ(5, strict.exitCode) << describe(strict);
    EXPECT_EQ((std::vector<std::string>{"quellan: " + line + " (--strict)"}), outputLines(strict.err));
    EXPECT_EQ("", strict.out);
}

TEST_F(QuellanMultiplexed, ChildrenLeftOutAreCountedByTheStatusNodeOrByTheirFiles) {
    plantB->writeSidecar(std::string(PLANT_B) + "fail connectionOpen 1\n");
    configuration->writeBytes("<settings status=\"true\"><quellan path=\"" + plantA->libraryPath() +
                              "\"/><quellan path=\"" + plantB->libraryPath() + "\"/></settings>");
    ProcessResult counted = runQuellan({"read", "Line1/Temperature"});
    EXPECT_EQ(0, counted.exitCode) << describe(counted);
    EXPECT_EQ((std::vector<std::string>{"quellan: 1 of 2 children is in the tree; run quellan children"}),
              outputLines(counted.err));

    // Without the node, a child whose file is no library is seen without starting it.
    std::ofstream(plantB->libraryPath(), std::ios::binary | std::ios::trunc) << "not a library\n";
    configuration->writeChildren({plantA->libraryPath(), plantB->libraryPath()});
    ProcessResult seen = runQuellan({"--strict", "read", "Line1/Temperature"});
    EXPECT_EQ(5, seen.exitCode) << describe(seen);
    EXPECT_EQ((std::vector<std::string>{"quellan: at most 1 of 2 children is in the tree (" + plantB->libraryPath() +
                                        ": not a library: it has neither an ELF nor a PE header; the host leaves "
                                        "this child out); run quellan children (--strict)"}),
              outputLines(seen.err));
}

TEST_F(QuellanMultiplexed, ATagNameOfBothChildrenIsAmbiguousWithItsHandles) {
    ProcessResult result = runQuellan({"read", "Line1/Temperature"});
    EXPECT_EQ(3, result.exitCode) << describe(result);
    EXPECT_NE(std::string::npos, result.err.find("\"Line1/Temperature\" is ambiguous: it names the tags #1 and #4"))
        << result.err;
    EXPECT_EQ("", result.out);
}

TEST_F(QuellanMultiplexed, ANodeNameOfBothChildrenIsAmbiguousWithItsHandles) {
    ProcessResult result = runQuellan({"batches", "Line1", "--from", "0", "--to", "2000000000"});
    EXPECT_EQ(3, result.exitCode) << describe(result);
    EXPECT_NE(std::string::npos, result.err.find("it names the nodes #1 and #3")) << result.err;
}

TEST_F(QuellanMultiplexed, NodeHandleReachesTheSecondChildsNode) {
    ProcessResult result = runQuellan({"batches", "#3", "--from", "0", "--to", "2000000000"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    EXPECT_EQ((std::vector<std::string>{"batch", "B-1"}), outputLines(result.out));
}

TEST_F(QuellanMultiplexed, CurrentReadTakesEachValueFromItsOwnChild) {
    ProcessResult result = runQuellan({"read", "#4", "Line1/State", "Boiler/Pressure", "#1", "--csv"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    auto rows = csvRows(result.out);
    ASSERT_EQ(5u, rows.size()) << result.out;
    EXPECT_EQ((std::vector<std::string>{"Line1/Temperature (#4)", "4", "float"}),
              std::vector<std::string>(rows[1].begin(), rows[1].end() - 1));
    expectPrinted(plantB->expectedValue("Line1", "Temperature", 1000000000), rows[1][3], "#4");
    expectPrinted(plantA->expectedValue("Line1", "State", CLOCK), rows[2][3], "Line1/State");
    expectPrinted(plantB->expectedValue("Boiler", "Pressure", 1000000000), rows[3][3], "Boiler/Pressure");
    expectPrinted(plantA->expectedValue("Line1", "Temperature", CLOCK), rows[4][3], "#1");
}

TEST_F(QuellanMultiplexed, HistoryReadsBothChildrenAtTheSameTimePoints) {
    ProcessResult result = runQuellan({"history", "Line2/Flow", "#4", "Boiler/Pressure", "#1", "--start",
                                       "2024-05-01T06:00:00Z", "--interval", "300", "--samples", "3", "--csv"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    auto rows = csvRows(result.out);
    ASSERT_EQ(4u, rows.size()) << result.out;
        // A handle's column carries its tag's path, with the handle where two tags share it.
    EXPECT_EQ((std::vector<std::string>{"time", "Line2/Flow", "Line1/Temperature (#4)", "Boiler/Pressure",
                                        "Line1/Temperature (#1)"}),
              rows[0]);
    const std::int64_t start = 1714543200;
    for (std::size_t s = 0; s < 3; ++s) {
        const std::vector<std::string>& row = rows[s + 1];
        ASSERT_EQ(5u, row.size());
        const std::int64_t time = start + 300 * static_cast<std::int64_t>(s);
        expectPrinted(plantA->expectedValue("Line2", "Flow", time), row[1], row[0]);
        expectPrinted(plantB->expectedValue("Line1", "Temperature", time), row[2], row[0]);
        expectPrinted(plantB->expectedValue("Boiler", "Pressure", time), row[3], row[0]);
        expectPrinted(plantA->expectedValue("Line1", "Temperature", time), row[4], row[0]);
    }
    EXPECT_EQ("2024-05-01T06:10:00Z", rows[3][0]);
}

TEST_F(QuellanMultiplexed, CurrentTimeComesFromTheFirstChild) {
    ProcessResult result = runQuellan({"time"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    EXPECT_EQ((std::vector<std::string>{"time", "2024-05-01T12:00:00Z"}), outputLines(result.out));
}

TEST_F(QuellanMultiplexed, UnknownTagAndBadTimeEndWithAMessage) {
    ProcessResult unknown = runQuellan({"update-time", "Boiler/Level"});
    EXPECT_EQ(3, unknown.exitCode) << describe(unknown);
    EXPECT_NE(std::string::npos, unknown.err.find("no tag is named \"Boiler/Level\"")) << unknown.err;
    ProcessResult badTime = runQuellan({"batch-read", "A-1", "#1", "--time", "yesterday"});
    EXPECT_EQ(2, badTime.exitCode) << describe(badTime);
    EXPECT_NE(std::string::npos, badTime.err.find("bad time \"yesterday\" for --time")) << badTime.err;
}

TEST_F(QuellanMultiplexed, WritesReachTheChildThatOwnsEachTag) {
    ProcessResult result =
        runQuellan({"write-history", "#4", "Line2/Flow", "--time", "2024-05-01T12:00:00Z", "--values", "3", "x"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    auto writesA = plantA->journal("connectionWriteHistoricalDataEx");
    auto writesB = plantB->journal("connectionWriteHistoricalDataEx");
    ASSERT_EQ(1u, writesA.size());
    ASSERT_EQ(1u, writesB.size());
    EXPECT_NE(std::string::npos, writesA[0].arguments.find("values=[[\"x\"]]")) << writesA[0].arguments;
    EXPECT_NE(std::string::npos, writesB[0].arguments.find("values=[[3]]")) << writesB[0].arguments;
}


// A relative child path names the file in the host's current folder, also
// where the platform's own search finds another library of that name first:
// on Windows in the program's folder, on Linux on LD_LIBRARY_PATH.
TEST_F(QuellanMultiplexed, ARelativeChildPathIsTheFileInTheCurrentFolder) {
    namespace fs = std::filesystem;
    const fs::path here = scratch.file("here");
    const fs::path elsewhere = scratch.file("elsewhere");
    fs::create_directories(here);
    fs::create_directories(elsewhere);
    SimChild wanted(here.string(), "Plant", PLANT_A);
    SimChild decoy(elsewhere.string(), "Plant", PLANT_B);
    const fs::path tool = elsewhere / QUELLAN_EXECUTABLE;
    fs::copy_file(fs::path(binaryFolder()) / QUELLAN_EXECUTABLE, tool);
    configuration->writeChildren({"Plant" MQ_LIBRARY_SUFFIX});

    const char* libraryPathBefore = std::getenv("LD_LIBRARY_PATH");
    const std::string previousLibraryPath = libraryPathBefore ? libraryPathBefore : "";
    const fs::path previousFolder = fs::current_path();
    auto restore = platform::ScopeExit([&] {
        std::error_code ignored;
        fs::current_path(previousFolder, ignored);
        setEnvironmentVariable("LD_LIBRARY_PATH", previousLibraryPath);
    });
    setEnvironmentVariable("LD_LIBRARY_PATH", elsewhere.string());
    fs::current_path(here);
    ProcessResult result = runProcess(tool.string(), {"--plugin", libraryPath("MultiQuellan"), "tree"});

    ASSERT_EQ(0, result.exitCode) << describe(result);
    std::vector<std::string> nodes;
    for (const std::string& line : outputLines(result.out))
        if (line.rfind("node", 0) == 0) nodes.push_back(line.substr(line.rfind(' ') + 1));
    // A privileged host (CI runs as root) leaves such a child out altogether.
    const std::vector<std::string> expected =
        platform::isPrivilegedProcess() ? std::vector<std::string>{} : std::vector<std::string>{"Line1", "Line2"};
    EXPECT_EQ(expected, nodes) << "plant A's, not the decoy's\n" << result.out;
}

}  // namespace
}  // namespace mq::test
