// The tool as people use it, against one SimQuellan copy: refused command
// lines, time forms, text from the plug-in in every format, CSV's null,
// streamed and chunked history, watch, a closed pipe, the plug-in's path,
// the version, configure without a dialog, and the demo's journals.
#include "QuellanTool.h"
#include "platform/ScopeExit.h"
#include "support/Environment.h"
#include "support/SimChild.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <memory>

namespace mq::test {
namespace {

const std::string SIDECAR = "identity Test plant\n" + PLANT_START + R"(tag Line1 State string states=Running,Stopped dwell=600
node Line2
tag Line2 Flow float base=100 amplitude=10 period=600
batch Line1 B-100 1714560000 1714563600
)";

// The Qt dialog is a module of its own; the Win32 dialog is inside the library.
bool dialogIsAModuleOfItsOwn() {
    return std::string(MQ_LIBRARY_SUFFIX) != ".dll";
}

std::int64_t clockNow() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

// The number after "name=" in a journal entry's arguments.
std::int64_t argument(const JournalEntry& entry, const std::string& name) {
    const std::size_t at = entry.arguments.find(name + "=");
    if (at == std::string::npos) return -1;
    return std::stoll(entry.arguments.substr(at + name.size() + 1));
}

class QuellanTool : public OneChildToolTest {
protected:
    QuellanTool() : OneChildToolTest("quellan-usability", SIDECAR) {}

    std::string toolPath() const { return (std::filesystem::path(binaryFolder()) / QUELLAN_EXECUTABLE).string(); }
};

// Command lines the tool refuses, each with its exit code and what the message names.
struct Refusal {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    const char* message;
};

class QuellanRefuses : public QuellanTool, public ::testing::WithParamInterface<Refusal> {};

TEST_P(QuellanRefuses, WithItsExitCodeAndAMessageNamingTheCause) {
    ProcessResult result = run(GetParam().arguments);
    EXPECT_EQ(GetParam().exitCode, result.exitCode) << describe(result);
    EXPECT_NE(std::string::npos, result.err.find(GetParam().message)) << result.err;
    EXPECT_EQ("", result.out);
    if (GetParam().exitCode == 2) {
        EXPECT_TRUE(child->journal("initialize").empty()) << "no plug-in call";
    }
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, QuellanRefuses,
    ::testing::Values(
        Refusal{"AHandleOfNoTag", {"read", "Line1/State", "#999"}, 3, "no tag has the handle #999"},
        Refusal{"AHandleOfNoNode", {"batches", "#99", "--from", "0", "--to", "1"}, 3, "no node has the handle #99"},
        Refusal{"ATagHandleWhereANodeIsExpected", {"batch-times", "#3", "B-100"}, 3, "no node has the handle #3"},
        Refusal{"AnEmptyPlugin", {"--plugin=", "identity"}, 2, "--plugin needs a value"},
        Refusal{"AnEmptyOutputFile", {"--output=", "identity"}, 2, "--output needs a value"},
        Refusal{"SamplesWithoutAnInterval", {"history", "Line1/Temperature", "--start", "0", "--samples", "5"}, 2,
                "history --samples 5 needs --interval"},
        Refusal{"FromAfterTo",
                {"batches", "Line1", "--from", "2024-05-01T12:00:00Z", "--to", "2024-05-01T11:00:00+00:00"}, 2,
                "--from 2024-05-01T12:00:00Z is later than --to 2024-05-01T11:00:00Z"},
        Refusal{"AnOffsetBeyondADay", {"history", "Line1/Temperature", "--start", "2024-05-01T12:00:00+24:00"}, 2,
                "bad time"},
        Refusal{"ARelativeTimeWithoutAUnit", {"history", "Line1/Temperature", "--start", "now-15"}, 2, "bad time"},
        Refusal{"AnOptionOfAnotherCommand", {"watch", "Line1/State", "--start", "0"}, 2,
                "watch takes no --start; usage: quellan watch TAG... [--every SECONDS] [--count N]"}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

// Forms a new user reaches for: check's plug-in as an operand, history over
// a span, watch every half second. PLUGIN stands for the child's library,
// MISSING for a file that does not exist.
struct Form {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    std::size_t outLines;  // 0: not counted
    const char* inOut;
    const char* inErr;
};

class QuellanForms : public QuellanTool, public ::testing::WithParamInterface<Form> {};

TEST_P(QuellanForms, WorkAsTheyRead) {
    std::vector<std::string> arguments = GetParam().arguments;
    for (std::string& word : arguments) {
        if (word == "PLUGIN") word = child->libraryPath();
        if (word == "MISSING") word = scratch.file("Missing" MQ_LIBRARY_SUFFIX);
    }
    ProcessResult result = runQuellan(arguments);
    EXPECT_EQ(GetParam().exitCode, result.exitCode) << describe(result);
    if (GetParam().outLines) {
        EXPECT_EQ(GetParam().outLines, outputLines(result.out).size()) << result.out;
    }
    EXPECT_NE(std::string::npos, result.out.find(GetParam().inOut)) << result.out;
    EXPECT_NE(std::string::npos, result.err.find(GetParam().inErr)) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    NewUsers, QuellanForms,
    ::testing::Values(
        Form{"CheckTakesThePluginAsOperand", {"check", "PLUGIN", "--csv"}, 0, 16, "exports,PASS", ""},
        Form{"CheckOfAPluginThatCannotBeLoaded", {"check", "MISSING"}, 4, 0, "", "cannot load the plug-in"},
        Form{"HistoryFromToEveryInterval",
             {"--plugin", "PLUGIN", "--csv", "history", "Line1/Temperature", "--from", "2024-05-01T12:00:00Z", "--to",
              "2024-05-01T12:10:59Z", "--interval", "300"},
             0, 4, "\n2024-05-01T12:10:00Z,", ""},
        Form{"HistoryToItsStart",
             {"--plugin", "PLUGIN", "--csv", "history", "Line1/Temperature", "--start", "0", "--to", "0"}, 0, 2,
             "1970-01-01T00:00:00Z", ""},
        Form{"HistoryToWithoutInterval",
             {"--plugin", "PLUGIN", "history", "Line1/Temperature", "--from", "0", "--to", "60"}, 2, 0, "",
             "history --to needs --interval"},
        Form{"HistoryToAndSamples",
             {"--plugin", "PLUGIN", "history", "Line1/Temperature", "--from", "0", "--to", "60", "--interval", "1",
              "--samples", "3"},
             2, 0, "", "give history --samples or --to, not both"},
        Form{"HistoryStartAndFrom",
             {"--plugin", "PLUGIN", "history", "Line1/Temperature", "--start", "0", "--from=0"}, 2, 0, "",
             "give --start or --from, not both"},
        Form{"HistorySaysItReadsOneSample",
             {"--plugin", "PLUGIN", "--csv", "history", "Line1/Temperature", "--start", "60", "--interval", "60"}, 0,
             2, "1970-01-01T00:01:00Z", "no --samples or --to: reading 1 sample, at 1970-01-01T00:01:00Z"},
        Form{"WatchEveryHalfASecond",
             {"--plugin", "PLUGIN", "--csv", "watch", "Line1/State", "--every", "0.5", "--count", "2"}, 0, 3,
             "time,Line1/State", ""},
        Form{"WatchEveryTooPrecise", {"--plugin", "PLUGIN", "watch", "Line1/State", "--every", "0.0001"}, 2, 0, "",
             "with at most three decimals"}),
    [](const ::testing::TestParamInfo<Form>& info) { return std::string(info.param.name); });

TEST_F(QuellanTool, OptionsMayStandBeforeTheCommandAsWell) {
    ProcessResult after =
        run({"history", "Line1/Temperature", "--start", "0", "--interval", "60", "--samples", "2", "--csv"});
    ASSERT_EQ(0, after.exitCode) << describe(after);
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--csv", "--start", "0", "--interval", "60", "--samples", "2", "history",
                                   "Line1/Temperature"},
          std::vector<std::string>{"--start=0", "history", "--csv", "--samples", "2", "Line1/Temperature",
                                   "--interval", "60"}}) {
        ProcessResult before = run(arguments);
        EXPECT_EQ(0, before.exitCode) << describe(before);
        EXPECT_EQ(after.out, before.out);
    }
}

// A time form and the time it stands for: absolute seconds, or an offset from the system clock.
struct TimeForm {
    const char* name;
    const char* text;
    bool relative;
    std::int64_t seconds;
};

class QuellanTimeForms : public QuellanTool, public ::testing::WithParamInterface<TimeForm> {};

TEST_P(QuellanTimeForms, StandForTheirTime) {
    const std::int64_t before = clockNow();
    ProcessResult result = run({"history", "Line1/Temperature", "--start", GetParam().text});
    const std::int64_t after = clockNow();
    ASSERT_EQ(0, result.exitCode) << describe(result);
    auto reads = child->journal("connectionReadHistoricalDataEx");
    ASSERT_EQ(1u, reads.size());
    const std::int64_t start = argument(reads[0], "start");
    if (GetParam().relative) {
        EXPECT_LE(before + GetParam().seconds, start) << reads[0].arguments;
        EXPECT_GE(after + GetParam().seconds, start) << reads[0].arguments;
    } else {
        EXPECT_EQ(GetParam().seconds, start) << reads[0].arguments;
    }
}

// 2026-12-08T09:00:00Z
const std::int64_t NINE_UTC = 1796720400;

INSTANTIATE_TEST_SUITE_P(
    Forms, QuellanTimeForms,
    ::testing::Values(TimeForm{"Utc", "2026-12-08T09:00:00Z", false, NINE_UTC},
                      TimeForm{"OffsetWithColon", "2026-12-08T10:00:00+01:00", false, NINE_UTC},
                      TimeForm{"OffsetWithoutColon", "2026-12-08T04:30:00-0430", false, NINE_UTC},
                      TimeForm{"OffsetInHours", "2026-12-08T11:00:00+02", false, NINE_UTC},
                      TimeForm{"Seconds", "1796720400", false, NINE_UTC},
                      TimeForm{"Now", "now", true, 0},
                      TimeForm{"MinutesAgo", "-15m", true, -900},
                      TimeForm{"NowMinusHours", "now-2h", true, -7200},
                      TimeForm{"DaysAgo", "-1d", true, -86400},
                      TimeForm{"NowPlusSeconds", "now+30s", true, 30}),
    [](const ::testing::TestParamInfo<TimeForm>& info) { return std::string(info.param.name); });

// Names with a byte that is not UTF-8, a control sequence and East Asian characters.
const char* const TEXT_SIDECAR = "identity Text plant\n"
                                 "clock 1714564800\n"
                                 "node Cafe Caf\xE9\n"
                                 "tag Cafe T float base=1\n"
                                 "node Esc Red\x1B[31mAlert\n"
                                 "tag Esc T float base=2\n"
                                 "node Wide Wide\n"
                                 "tag Wide \xE6\xB8\xA9\xE5\xBA\xA6 float base=3\n"
                                 "tag Wide T float base=4\n";

TEST_F(QuellanTool, JsonIsValidUtf8WhateverBytesThePluginGives) {
    child->writeSidecar(TEXT_SIDECAR);
    ProcessResult result = run({"tree", "--json"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    nlohmann::json tree;
    ASSERT_NO_THROW(tree = nlohmann::json::parse(result.out)) << result.out;
    ASSERT_EQ(7u, tree.size()) << result.out;
    const std::string cafe = tree[0]["path"];
    EXPECT_EQ(0u, cafe.find("Caf")) << cafe;
    EXPECT_NE("Caf\xE9", cafe) << "the byte is converted, not passed on";
    EXPECT_EQ("Red\x1B[31mAlert", tree[2]["path"].get<std::string>()) << "JSON escapes controls itself";
}

TEST_F(QuellanTool, TableEscapesControlCharactersInNames) {
    child->writeSidecar(TEXT_SIDECAR);
    ProcessResult result = run({"tree"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    EXPECT_EQ(std::string::npos, result.out.find('\x1B')) << "no raw escape reaches the terminal";
    EXPECT_NE(std::string::npos, result.out.find("Red\\x1b[31mAlert")) << result.out;
}

TEST_F(QuellanTool, TableColumnsLineUpByDisplayedWidth) {
    if (!systemTextIsUtf8()) GTEST_SKIP() << "the ANSI code page is not UTF-8: it holds no East Asian characters";
    child->writeSidecar(TEXT_SIDECAR);
    ProcessResult result = run({"read", "Wide/\xE6\xB8\xA9\xE5\xBA\xA6", "Wide/T"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    auto lines = outputLines(result.out);
    ASSERT_EQ(3u, lines.size()) << result.out;
    // The two characters take two columns each: the tag column is 9 wide.
    EXPECT_EQ(0u, lines[0].find("tag        handle")) << result.out;
    EXPECT_EQ(0u, lines[1].find("Wide/\xE6\xB8\xA9\xE5\xBA\xA6  3")) << result.out;
    EXPECT_EQ(0u, lines[2].find("Wide/T     4")) << result.out;
}

TEST_F(QuellanTool, CsvTellsNullFromAnEmptyText) {
    ProcessResult result = run({"--csv", "write-history", "Line1/State", "Line2/Flow", "--time", "0", "--values",
                                "\"\"", "null"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    auto lines = outputLines(result.out);
    ASSERT_EQ(3u, lines.size()) << result.out;
    EXPECT_EQ("1970-01-01T00:00:00Z,Line1/State,2,string,\"\"", lines[1]);
    EXPECT_EQ("1970-01-01T00:00:00Z,Line2/Flow,3,null,", lines[2]);
}

TEST_F(QuellanTool, LongHistoryIsAskedForInChunksOfTenThousandSamples) {
    ProcessResult result = run({"--csv", "history", "Line1/Temperature", "--start", "1000", "--interval", "2",
                                "--samples", "25000"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    EXPECT_EQ("", result.err) << "no progress text when standard error is no terminal";
    auto lines = outputLines(result.out);
    ASSERT_EQ(25001u, lines.size());
    EXPECT_EQ(0u, lines.back().find("1970-01-01T14:09:58Z,")) << "1000 + 2 * 24999 seconds";
    auto reads = child->journal("connectionReadHistoricalDataEx");
    ASSERT_EQ(3u, reads.size());
    const std::int64_t starts[] = {1000, 21000, 41000};
    const std::int64_t samples[] = {10000, 10000, 5000};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(starts[i], argument(reads[i], "start")) << reads[i].arguments;
        EXPECT_EQ(2, argument(reads[i], "interval")) << reads[i].arguments;
        EXPECT_EQ(samples[i], argument(reads[i], "samples")) << reads[i].arguments;
    }
    EXPECT_EQ(25000u, child->journal("vectorFree").size()) << "every chunk's vectors are freed";
}

TEST_F(QuellanTool, OutputGoesToAFileInTheFormatOfItsExtension) {
    const std::string csv = scratch.file("history.csv");
    const std::string json = scratch.file("history.json");
    ProcessResult toCsv = run({"history", "Line1/State", "--start", "0", "--interval", "60", "--samples", "3",
                               "--output", csv});
    ASSERT_EQ(0, toCsv.exitCode) << describe(toCsv);
    EXPECT_EQ("", toCsv.out);
    auto rows = csvRows(readFile(csv));
    ASSERT_EQ(4u, rows.size()) << readFile(csv);
    EXPECT_EQ((std::vector<std::string>{"time", "Line1/State"}), rows[0]);
    ProcessResult toJson = run({"read", "Line2/Flow", "--output", json});
    ASSERT_EQ(0, toJson.exitCode) << describe(toJson);
    nlohmann::json read = nlohmann::json::parse(readFile(json));
    EXPECT_EQ("Line2/Flow", read.at(0).at("tag").get<std::string>());
    ProcessResult flagWins = run({"--csv", "read", "Line2/Flow", "--output", json});
    ASSERT_EQ(0, flagWins.exitCode) << describe(flagWins);
    EXPECT_EQ(0u, readFile(json).find("tag,handle,type,value")) << readFile(json);
}

TEST_F(QuellanTool, AClosedPipeEndsTheOutputQuietly) {
    ProcessResult result = runProcessUntilLines(
        toolPath(),
        {"--plugin", child->libraryPath(), "history", "Line1/Temperature", "--start", "0", "--interval", "1",
         "--samples", "300000"},
        2, AfterLines::CLOSE_OUTPUT);
    EXPECT_EQ(0, result.exitCode) << describe(result);
    EXPECT_FALSE(result.crashed);
    EXPECT_EQ("", result.err);
    EXPECT_EQ(1u, child->journal("uninitialize").size()) << "the plug-in was still closed";
}

TEST_F(QuellanTool, WatchPrintsOneRowPerReadUntilTheCount) {
    ProcessResult result = run({"--csv", "watch", "Line1/State", "#1", "--every", "0", "--count", "3"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    auto rows = csvRows(result.out);
    ASSERT_EQ(4u, rows.size()) << result.out;
    EXPECT_EQ((std::vector<std::string>{"time", "Line1/State", "Line1/Temperature"}), rows[0]);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        ASSERT_EQ(3u, rows[i].size()) << result.out;
        expectPrinted(child->expectedValue("Line1", "State", 1714564800), rows[i][1], "read");
    }
    EXPECT_EQ(3u, child->journal("connectionReadCurrentData").size());
    EXPECT_EQ(1u, child->journal("connectionClose").size());
}

TEST_F(QuellanTool, CtrlCEndsWatchCleanlyWithTheRowsSoFar) {
    if (!canInterruptProcesses()) GTEST_SKIP() << "this platform's runner cannot send Ctrl-C";
    // The first row comes while the tool waits an hour for the next one: rows are flushed as they come.
    ProcessResult result = runProcessUntilLines(
        toolPath(), {"--plugin", child->libraryPath(), "watch", "Line2/Flow", "--every", "3600"}, 2,
        AfterLines::INTERRUPT);
    EXPECT_EQ(0, result.exitCode) << describe(result);
    EXPECT_EQ(2u, outputLines(result.out).size()) << result.out;
    EXPECT_EQ(1u, child->journal("connectionClose").size()) << "the connection was closed";
    EXPECT_EQ(1u, child->journal("uninitialize").size()) << "the plug-in was uninitialised";
}

TEST_F(QuellanTool, APluginInTheCurrentFolderIsFoundByItsBareName) {
    namespace fs = std::filesystem;
    const fs::path previousFolder = fs::current_path();
    auto restore = platform::ScopeExit([&] {
        std::error_code ignored;
        fs::current_path(previousFolder, ignored);
    });
    fs::current_path(scratch.path());
    ProcessResult result = runProcess(toolPath(), {"--plugin", "Plant" MQ_LIBRARY_SUFFIX, "identity"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    EXPECT_EQ((std::vector<std::string>{"identity", "Test plant"}), outputLines(result.out));
    // The checker loads what it checks by the same rule.
    ProcessResult checked = runProcess(toolPath(), {"check", "--plugin", "Plant" MQ_LIBRARY_SUFFIX, "--csv"});
    EXPECT_EQ(0, checked.exitCode) << describe(checked);
    EXPECT_NE(checked.out.find("exports,PASS"), std::string::npos) << checked.out;
}

TEST(QuellanVersion, IsTheProjectsVersion) {
    ProcessResult result = runQuellan({"--version"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    EXPECT_EQ("quellan " QUELLAN_VERSION, outputLines(result.out).at(0));
}

TEST(QuellanConfigure, SaysThatAMultiQuellanWithoutItsDialogModuleHasNone) {
    if (!dialogIsAModuleOfItsOwn()) GTEST_SKIP() << "the Win32 dialog is inside the library";
    ScratchFolder folder("quellan-no-dialog");
    const std::string library = folder.file("MultiQuellan" MQ_LIBRARY_SUFFIX);
    std::filesystem::copy_file(libraryPath("MultiQuellan"), library);
    ProcessResult result = runQuellan({"--plugin", library, "configure"});
    EXPECT_EQ(4, result.exitCode) << describe(result);
    EXPECT_NE(std::string::npos, result.err.find("this MultiQuellan has no configuration dialog")) << result.err;
    EXPECT_EQ("", result.out);
}

TEST(QuellanDemo, ChildrenKeepNoJournal) {
    for (const char* plant : {"Fermentation", "Utilities"}) {
        ScratchFolder folder("quellan-demo");
        SimChild child(folder.path(), plant, readFile(std::string(QUELLAN_DEMO_FOLDER) + "/" + plant + ".sim"));
        ASSERT_FALSE(child.sidecarText().empty()) << plant;
        ProcessResult result = runQuellan({"--plugin", child.libraryPath(), "tree"});
        ASSERT_EQ(0, result.exitCode) << describe(result);
        EXPECT_FALSE(std::filesystem::exists(folder.file(std::string(plant) + ".journal"))) << plant;
    }
}

}  // namespace
}  // namespace mq::test
