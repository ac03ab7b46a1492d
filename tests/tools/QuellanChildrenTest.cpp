// quellan children: every way a configured child is left out of MultiQuellan's tree, said by the tool.
#include "QuellanTool.h"
#include "platform/FileOwnership.h"
#include "platform/FileSystem.h"
#include "support/MachineConfiguration.h"
#include "support/PeImage.h"
#include "support/SimChild.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <memory>

namespace mq::test {
namespace {

const char* const PLANT = "node Line1\ntag Line1 Temperature float base=20\nnode Line1/Pump\ntag Line1/Pump Flow float\n";

// The CSV row of the child whose path ends with `file`.
std::vector<std::string> rowOf(const ProcessResult& result, const std::string& file) {
    for (const auto& row : csvRows(result.out))
        if (!row.empty() && row[0].size() >= file.size() &&
            row[0].compare(row[0].size() - file.size(), file.size(), file) == 0)
            return row;
    return {};
}

enum class Column { CHILD, IN_TREE, NODES, TAGS, HIDDEN_TAGS, SHARED_NAMES, START_MS, PROBLEM, NOTES };
std::string field(const std::vector<std::string>& row, Column column) {
    const auto k = static_cast<std::size_t>(column);
    return k < row.size() ? row[k] : "<no such field>";
}

class QuellanChildren : public ::testing::Test {
protected:
    ScratchFolder scratch{"quellan-children"};
    MachineConfiguration configuration;
};

// How the second of two configured children is spoilt, and what the tool says of it.
struct LeftOut {
    const char* name;
    SimVariant variant;
    const char* control;  // a sidecar line, or null
    const char* replacement;  // "text": the file is a text; "folder": the path is a folder; "none": no file
    const char* problem;
    // Whether the good child is in the tree: a configured file that is
    // missing or unreadable makes the library's open fail as a whole.
    bool goodInTree = true;
};

class QuellanChildrenLeftOut : public QuellanChildren, public ::testing::WithParamInterface<LeftOut> {};

TEST_P(QuellanChildrenLeftOut, TheRowSaysWhyAndTheExitCodeIsOne) {
    const LeftOut& spoilt = GetParam();
    SimChild good(scratch.path(), "Good", PLANT);
    SimChild bad(scratch.path(), "Bad", std::string(PLANT) + (spoilt.control ? spoilt.control : ""), spoilt.variant);
    const std::string badPath = bad.libraryPath();
    const std::string replacement = spoilt.replacement ? spoilt.replacement : "";
    if (!replacement.empty()) std::filesystem::remove(badPath);
    if (replacement == "text") std::ofstream(badPath) << "not a library\n";
    if (replacement == "folder") std::filesystem::create_directory(badPath);
    configuration.writeChildren({good.libraryPath(), badPath});

    ProcessResult result = runQuellan({"children", "--csv"});
    EXPECT_EQ(1, result.exitCode) << describe(result);
    const auto goodRow = rowOf(result, "Good" MQ_LIBRARY_SUFFIX);
    const auto badRow = rowOf(result, "Bad" MQ_LIBRARY_SUFFIX);
    EXPECT_EQ(spoilt.goodInTree ? "yes" : "no", field(goodRow, Column::IN_TREE)) << result.out;
    if (!spoilt.goodInTree) {
        EXPECT_NE(std::string::npos, field(goodRow, Column::PROBLEM).find("the whole open fails because " + badPath))
            << result.out;
    }
    EXPECT_EQ("no", field(badRow, Column::IN_TREE)) << result.out;
    EXPECT_NE(std::string::npos, field(badRow, Column::PROBLEM).find(spoilt.problem)) << result.out;
}

INSTANTIATE_TEST_SUITE_P(
    EveryWay, QuellanChildrenLeftOut,
    ::testing::Values(
        LeftOut{"Missing", SimVariant::FULL, nullptr, "none", "the file does not exist", false},
        LeftOut{"Unreadable", SimVariant::FULL, nullptr, "folder", "the file cannot be read", false},
        LeftOut{"NotALibrary", SimVariant::FULL, nullptr, "text", "not a loadable library ("},
        LeftOut{"MissingFunctions", SimVariant::MISSING_TWO, nullptr, nullptr,
                "quellan2_nodeGetName and quellan2_stringCopy was not found in "},
        LeftOut{"IdentityFails", SimVariant::FULL, "fail getIdentity 1\n", nullptr,
                "start-up failed: quellan2_getIdentity returned QUELLAN2_STATUS_ERROR (1)"},
        LeftOut{"OpenFails", SimVariant::FULL, "fail connectionOpen 3\n", nullptr,
                "start-up failed: quellan2_connectionOpen returned QUELLAN2_STATUS_NOT_SUPPORTED (3)"},
        LeftOut{"FaultAtStartUp", SimVariant::FULL, "fault connectionOpen access\n", nullptr,
                "start-up failed: quellan2_connectionOpen faulted: access violation"},
        // It ends the process that starts it, which is not the tool's.
        LeftOut{"AbortAtStartUp", SimVariant::FULL, "fault connectionOpen abort\n", nullptr,
                "its load or start-up ended the process that tried it (aborted)"}),
    [](const auto& info) { return std::string(info.param.name); });

// A library that does not load is named the same way whether it would run in
// process or in a surrogate of its own (which loads it there).
class QuellanChildrenNotLoaded : public QuellanChildren, public ::testing::WithParamInterface<LeftOut> {
protected:
    std::string problemOf(const std::string& path, bool isolated) {
        configuration.writeBytes("<settings><quellan path=\"" + path + "\"" +
                                 (isolated ? " isolation=\"process\"" : "") + "/></settings>");
        ProcessResult result = runQuellan({"children", "--csv"});
        EXPECT_EQ(1, result.exitCode) << describe(result);
        return field(rowOf(result, "Bad" MQ_LIBRARY_SUFFIX), Column::PROBLEM);
    }
};

TEST_P(QuellanChildrenNotLoaded, IsolatedOrNotTheRowSaysTheSame) {
    SimChild bad(scratch.path(), "Bad", PLANT, GetParam().variant);
    if (GetParam().replacement) std::ofstream(bad.libraryPath(), std::ios::trunc) << "not a library\n";
    const std::string inProcess = problemOf(bad.libraryPath(), false);
    EXPECT_NE(std::string::npos, inProcess.find(GetParam().problem)) << inProcess;
    EXPECT_EQ(inProcess, problemOf(bad.libraryPath(), true));
}

INSTANTIATE_TEST_SUITE_P(
    EveryWay, QuellanChildrenNotLoaded,
    ::testing::Values(LeftOut{"NotALibrary", SimVariant::FULL, nullptr, "text", "not a loadable library ("},
                      LeftOut{"MissingFunctions", SimVariant::MISSING_TWO, nullptr, nullptr,
                              "quellan2_nodeGetName and quellan2_stringCopy was not found in "}),
    [](const auto& info) { return std::string(info.param.name); });

// The 64-bit Windows host serves a 32-bit child in quellan-surrogate32, though
// the file does not ask for isolation, and leaves out a library that neither
// it nor that surrogate can load, with that reason.
TEST_F(QuellanChildren, A32BitChildIsServedInTheSurrogateForItAndAnotherMachinesLibraryIsLeftOut) {
    if (simMachines().size() < 2) GTEST_SKIP() << "this build has no 32-bit surrogate";
    SimChild narrow(scratch.path(), "Narrow", PLANT, SimVariant::FULL, SimMachine::X86);
    const std::string arm = scratch.file("Arm" MQ_LIBRARY_SUFFIX);
    std::ofstream(arm, std::ios::binary) << peHeaderBytes(0xAA64);
    configuration.writeChildren({narrow.libraryPath(), arm});

    ProcessResult result = runQuellan({"children", "--csv"});
    EXPECT_EQ(1, result.exitCode) << describe(result);
    const auto narrowRow = rowOf(result, "Narrow" MQ_LIBRARY_SUFFIX);
    EXPECT_EQ("yes", field(narrowRow, Column::IN_TREE)) << result.out;
    EXPECT_EQ("1", field(narrowRow, Column::TAGS)) << result.out;
    // The note holds a comma, so its field is quoted: the last of the row's line.
    const std::string note = "\"32-bit, served in quellan-surrogate32.exe\"";
    bool noted = false;
    for (const std::string& line : outputLines(result.out))
        noted = noted || (line.find("Narrow" MQ_LIBRARY_SUFFIX) != std::string::npos && line.size() > note.size() &&
                          line.compare(line.size() - note.size(), note.size(), note) == 0);
    EXPECT_TRUE(noted) << result.out;
    const auto armRow = rowOf(result, "Arm" MQ_LIBRARY_SUFFIX);
    EXPECT_EQ("no", field(armRow, Column::IN_TREE)) << result.out;
    EXPECT_EQ("an ARM64 library: neither this 64-bit host nor quellan-surrogate32.exe can load it",
              field(armRow, Column::PROBLEM))
        << result.out;

    // validate says the same from the files alone; check, which loads the plug-in itself, says why it cannot.
    const ProcessResult validated = runQuellan({"validate"});
    EXPECT_EQ(1, validated.exitCode) << describe(validated);
    EXPECT_NE(std::string::npos, validated.out.find(": note: 32-bit, served in quellan-surrogate32.exe")) << validated.out;
    EXPECT_NE(std::string::npos, validated.out.find(": problem: " + arm + ": an ARM64 library")) << validated.out;
    const ProcessResult checked = runQuellan({"check", narrow.libraryPath()});
    EXPECT_EQ(4, checked.exitCode) << describe(checked);
    EXPECT_NE(std::string::npos, checked.err.find("a 32-bit library, which this 64-bit tool cannot load")) << checked.err;
}

TEST_F(QuellanChildren, AFailingInitializeDoesNotKeepAChildOutBecauseTheLibraryGoesOn) {
    SimChild child(scratch.path(), "Child", std::string(PLANT) + "fail initialize 1\n");
    configuration.writeChildren({child.libraryPath()});
    ProcessResult result = runQuellan({"children", "--csv"});
    EXPECT_EQ(0, result.exitCode) << describe(result);
    EXPECT_EQ("yes", field(rowOf(result, "Child" MQ_LIBRARY_SUFFIX), Column::IN_TREE)) << result.out;
}

TEST_F(QuellanChildren, CountsTagsBelowSubNodesAndNamesTopLevelNodesAnotherChildAlsoUses) {
    SimChild first(scratch.path(), "First", PLANT);
    SimChild second(scratch.path(), "Second", "node Line1\nnode Boiler\n");
    configuration.writeChildren({first.libraryPath(), second.libraryPath()});
    ProcessResult result = runQuellan({"children", "--csv"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    const auto firstRow = rowOf(result, "First" MQ_LIBRARY_SUFFIX);
    EXPECT_EQ("1", field(firstRow, Column::NODES));
    EXPECT_EQ("1", field(firstRow, Column::TAGS));
    EXPECT_EQ("1", field(firstRow, Column::HIDDEN_TAGS));
    EXPECT_EQ("Line1", field(firstRow, Column::SHARED_NAMES));
    EXPECT_EQ("Line1", field(rowOf(result, "Second" MQ_LIBRARY_SUFFIX), Column::SHARED_NAMES));
}

// An attribute the library ignores, with the note that says why; the child
// starts, but the file is wrong, so the exit code is 1.
struct IgnoredAttribute {
    const char* name;
    const char* attribute;
    const char* note;
};

class QuellanChildrenIgnored : public QuellanChildren, public ::testing::WithParamInterface<IgnoredAttribute> {};

TEST_P(QuellanChildrenIgnored, IsANoteInTheReadersWordsAndExitCodeOne) {
    SimChild child(scratch.path(), "Child", PLANT);
    configuration.writeBytes("<settings><quellan path=\"" + child.libraryPath() + "\" " + GetParam().attribute +
                             "/></settings>");
    ProcessResult result = runQuellan({"children", "--csv"});
    EXPECT_EQ(1, result.exitCode) << describe(result);
    const std::vector<std::string> row = rowOf(result, "Child" MQ_LIBRARY_SUFFIX);
    EXPECT_EQ("yes", field(row, Column::IN_TREE));
    EXPECT_NE(std::string::npos, field(row, Column::NOTES).find(GetParam().note)) << result.out;
}

INSTANTIATE_TEST_SUITE_P(
    Attributes, QuellanChildrenIgnored,
    ::testing::Values(IgnoredAttribute{"MalformedTimeout", "timeout=\"soon\"", "timeout=\"\"soon\"\" is not"},
                      IgnoredAttribute{"RestartInTheHost", "restart=\"true\"",
                                       "restart applies to isolated children only: a hung thread inside"},
                      // CSV quotes the note, and the test's reader splits it at its comma.
                      IgnoredAttribute{"Misspelt", "isolaton=\"process\"",
                                       "unknown attribute isolaton=\"\"process\"\""}),
    [](const ::testing::TestParamInfo<IgnoredAttribute>& info) { return std::string(info.param.name); });

TEST_F(QuellanChildren, JsonKeysAreLowerCaseWordsAndInTreeIsABoolean) {
    SimChild child(scratch.path(), "Child", PLANT);
    configuration.writeChildren({child.libraryPath()});
    ProcessResult result = runQuellan({"children", "--json"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    const nlohmann::json rows = nlohmann::json::parse(result.out);
    ASSERT_EQ(1u, rows.size()) << result.out;
    EXPECT_EQ(true, rows[0].at("in_tree"));
    EXPECT_EQ(1, rows[0].at("hidden_tags"));
    EXPECT_TRUE(rows[0].contains("start_ms")) << result.out;
}

TEST_F(QuellanChildren, AStartUpPastTheChildsTimeoutLeavesItOutAndSaysSo) {
    SimChild good(scratch.path(), "Good", PLANT);
    SimChild slow(scratch.path(), "Slow", std::string(PLANT) + "sleep connectionOpen 1500\n");
    configuration.writeBytes("<settings><quellan path=\"" + good.libraryPath() + "\"/><quellan path=\"" +
                             slow.libraryPath() + "\" timeout=\"0.2\"/></settings>");
    ProcessResult result = runQuellan({"children", "--csv"});
    EXPECT_EQ(1, result.exitCode) << describe(result);
    EXPECT_EQ("yes", field(rowOf(result, "Good" MQ_LIBRARY_SUFFIX), Column::IN_TREE)) << result.out;
    const auto slowRow = rowOf(result, "Slow" MQ_LIBRARY_SUFFIX);
    EXPECT_EQ("no", field(slowRow, Column::IN_TREE)) << result.out;
    EXPECT_NE(std::string::npos, field(slowRow, Column::PROBLEM).find("within the child's timeout of 0.2 s"))
        << result.out;
}

struct FileState {
    const char* name;
    const char* bytes;  // null: no file
    const char* said;
};

class QuellanChildrenFile : public QuellanChildren, public ::testing::WithParamInterface<FileState> {};

TEST_P(QuellanChildrenFile, SaysWhichFileAndWhyItGaveNoChild) {
    if (GetParam().bytes) configuration.writeBytes(GetParam().bytes);
    ProcessResult result = runQuellan({"children"});
    EXPECT_EQ(1, result.exitCode) << describe(result);
    // The path as the library forms it, which may spell the folder otherwise than the test does.
    const std::string first = outputLines(result.out).at(0);
    EXPECT_EQ(0u, first.find("Configuration: ")) << first;
    EXPECT_NE(std::string::npos, first.find("MultiQuellanConfiguration.xml (" + std::string(GetParam().said) +
                                            ", 0 children)"))
        << first;
}

INSTANTIATE_TEST_SUITE_P(NoChild, QuellanChildrenFile,
                         ::testing::Values(FileState{"Missing", nullptr, "missing"},
                                           FileState{"Malformed", "<settings><quellan", "malformed"},
                                           FileState{"NoSettings", "<other/>", "without a settings element"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(QuellanChildren, AFailedOpenOfMultiQuellanPointsToChildrenAndNamesTheMissingFile) {
    SimChild good(scratch.path(), "Good", PLANT);
    const std::string missing = scratch.file("Gone" MQ_LIBRARY_SUFFIX);
    configuration.writeChildren({good.libraryPath(), missing});
    ProcessResult result = runQuellan({"tree"});
    EXPECT_EQ(1, result.exitCode) << describe(result);
    EXPECT_NE(std::string::npos, result.err.find("Run `quellan children`")) << result.err;
    EXPECT_NE(std::string::npos, result.err.find("Gone" MQ_LIBRARY_SUFFIX " does not exist")) << result.err;
}

// A privileged tool, like a privileged host, takes no child by a relative
// path, and says so in the library's own words.
TEST_F(QuellanChildren, APrivilegedRunRefusesARelativeChildPath) {
    if (!platform::isPrivilegedProcess()) GTEST_SKIP() << "an unprivileged host takes relative paths";
    SimChild good(scratch.path(), "Good", PLANT);
    std::filesystem::create_directory(scratch.file("Plugins"));
    SimChild plant(scratch.file("Plugins"), "Plant", PLANT);
    const std::string relative = std::string("Plugins") + platform::PATH_SEPARATOR + "Plant" MQ_LIBRARY_SUFFIX;
    configuration.writeChildren({good.libraryPath(), relative});
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(scratch.path());

    ProcessResult result = runQuellan({"children", "--csv"});
    std::filesystem::current_path(previous);

    EXPECT_EQ(1, result.exitCode) << describe(result);
    const auto plantRow = rowOf(result, "Plant" MQ_LIBRARY_SUFFIX);
    EXPECT_EQ("no", field(plantRow, Column::IN_TREE)) << result.out;
    EXPECT_NE(std::string::npos, field(plantRow, Column::PROBLEM).find("Refused the relative path " + relative))
        << result.out;
    EXPECT_TRUE(plant.journal().empty());
}

// Windows writes the source's registry key (wine's prefix lets its user); elsewhere there is nothing to do.
TEST(QuellanEventLog, InstallsAndRemovesTheFaultLogsSourceOfTheSystemsLog) {
    const ProcessResult installed = runQuellan({"eventlog", "install"});
    EXPECT_EQ(installed.exitCode, 0) << installed.err;
    EXPECT_NE(installed.out.find("MultiQuellan"), std::string::npos) << installed.out;
    const ProcessResult removed = runQuellan({"eventlog", "remove"});
    EXPECT_EQ(removed.exitCode, 0) << removed.err;
    EXPECT_EQ(runQuellan({"eventlog", "reinstall"}).exitCode, 2);
}

}  // namespace
}  // namespace mq::test
