// The tool against one SimQuellan copy named with --plugin: every command's
// output, its shapes, and how it reports bad input and failing calls.
#include "QuellanTool.h"
#include "support/SimChild.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace mq::test {
namespace {

const std::string SIDECAR = "identity Test plant\n" + PLANT_START + R"(tag Line1 State string states=Running,Stopped,Cleaning dwell=600
node Line1/Pump
tag Line1/Pump Speed float base=1450 noise=2.5
node Line2
tag Line2 Flow float base=100 amplitude=10 period=600 noise=0.5
batch Line1 B-100 1714560000 1714563600
batch Line1 B-101 1714563600 1714567200
)";

std::size_t count(const std::vector<JournalEntry>& entries, const std::string& function) {
    std::size_t found = 0;
    for (const JournalEntry& entry : entries)
        if (entry.function == function && entry.returned() && entry.code() == 0) ++found;
    return found;
}

class QuellanDirect : public OneChildToolTest {
protected:
    QuellanDirect() : OneChildToolTest("quellan-direct", SIDECAR) {}
};

TEST(QuellanHelp, DocumentsEveryCommandTheExitCodesAndExamples) {
    ProcessResult result = runQuellan({"--help"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    for (const char* text : {"Usage: quellan", "identity", "tree", "read TAG...", "history TAG... --start T",
                             "batch-read BATCH TAG...", "write-history TAG... --time T", "write-batch BATCH TAG...",
                             "batches NODE --from T --to T", "batch-times NODE BATCH", "update-time TAG...",
                             "configure", "--plugin PATH", "--csv", "--json", "#N", "2024-05-01T12:00:00Z",
                             "Exit codes", "QUELLAN2_STATUS_INVALID_PARAMETER", "Examples"})
        EXPECT_NE(std::string::npos, result.out.find(text)) << text;
    EXPECT_EQ("", result.err);
}

// `help COMMAND` and `COMMAND --help`: that command's usage and options, not the whole text.
struct CommandHelp {
    std::vector<std::string> arguments;
    const char* usage;   // the first line starts so
    const char* option;  // an option of the command the text lists
};

class QuellanCommandHelp : public ::testing::TestWithParam<CommandHelp> {};

TEST_P(QuellanCommandHelp, ShowsThatCommandsUsageAndOptionsOnly) {
    ProcessResult result = runQuellan(GetParam().arguments);
    ASSERT_EQ(0, result.exitCode) << describe(result);
    const auto lines = outputLines(result.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(0u, lines[0].find(GetParam().usage)) << result.out;
    EXPECT_NE(std::string::npos, result.out.find(GetParam().option)) << result.out;
    for (const char* other : {"Commands:", "Exit codes", "Examples", "update-time TAG..."})
        EXPECT_EQ(std::string::npos, result.out.find(other)) << other << "\n" << result.out;
    EXPECT_GT(30u, lines.size()) << result.out;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, QuellanCommandHelp,
    ::testing::Values(CommandHelp{{"help", "history"}, "Usage: quellan history TAG...", "--interval SECONDS"},
                      CommandHelp{{"watch", "--help"}, "Usage: quellan watch TAG...", "--every SECONDS"},
                      CommandHelp{{"--help", "batches"}, "Usage: quellan batches NODE --from T --to T", "--to T"},
                      CommandHelp{{"identity", "-h"}, "Usage: quellan identity", "--plugin PATH"}));

TEST(QuellanUsage, RefusesUnknownCommandsAndOptionsWithoutLoadingAPlugin) {
    ProcessResult command = runQuellan({"--plugin", "no-such-plugin", "frobnicate"});
    EXPECT_EQ(2, command.exitCode) << describe(command);
    EXPECT_NE(std::string::npos, command.err.find("unknown command \"frobnicate\"")) << command.err;
    ProcessResult option = runQuellan({"--plugin", "no-such-plugin", "read", "A/B", "--start", "0"});
    EXPECT_EQ(2, option.exitCode) << describe(option);
    EXPECT_NE(std::string::npos, option.err.find("read takes no --start")) << option.err;
    EXPECT_EQ("", option.out);
}

TEST(QuellanUsage, ReportsAPluginThatCannotBeLoaded) {
    ScratchFolder empty("quellan-missing");
    ProcessResult result = runQuellan({"--plugin", empty.file("Nothing.so"), "identity"});
    EXPECT_EQ(4, result.exitCode) << describe(result);
    EXPECT_NE(std::string::npos, result.err.find("cannot load the plug-in")) << result.err;
}

TEST_F(QuellanDirect, IdentityIsThePluginsText) {
    ProcessResult result = run({"identity"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    EXPECT_EQ((std::vector<std::string>{"identity", "Test plant"}), outputLines(result.out));
}

TEST_F(QuellanDirect, TreeListsNodesTagsAndSubNodesWithTheirHandles) {
    ProcessResult result = run({"tree"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    EXPECT_EQ((std::vector<std::string>{
                  "kind  handle  path",
                  "node  1       Line1",
                  "tag   1       Line1/Temperature",
                  "tag   2       Line1/State",
                  "node  2       Line1/Pump",
                  "tag   3       Line1/Pump/Speed",
                  "node  3       Line2",
                  "tag   4       Line2/Flow",
              }),
              outputLines(result.out));
}

TEST_F(QuellanDirect, ReadGivesTheValuesAtThePluginsClockInTheOrderAsked) {
    ProcessResult result = run({"--csv", "read", "Line2/Flow", "Line1/State", "Line1/Pump/Speed"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    auto rows = csvRows(result.out);
    ASSERT_EQ(4u, rows.size()) << result.out;
    EXPECT_EQ((std::vector<std::string>{"tag", "handle", "type", "value"}), rows[0]);
    EXPECT_EQ((std::vector<std::string>{"Line2/Flow", "4", "float"}),
              std::vector<std::string>(rows[1].begin(), rows[1].end() - 1));
    expectPrinted(child->expectedValue("Line2", "Flow", CLOCK), rows[1][3], "Line2/Flow");
    EXPECT_EQ("string", rows[2][2]);
    expectPrinted(child->expectedValue("Line1", "State", CLOCK), rows[2][3], "Line1/State");
    EXPECT_EQ("3", rows[3][1]);
    expectPrinted(child->expectedValue("Line1/Pump", "Speed", CLOCK), rows[3][3], "Line1/Pump/Speed");
}

TEST_F(QuellanDirect, HistoryGivesOneRowPerTimePointWithTheSimulatedValues) {
    ProcessResult result = run({"history", "Line1/Temperature", "Line2/Flow", "Line1/State", "--start",
                                "2024-05-01T00:00:00Z", "--interval", "90", "--samples", "4", "--csv"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    auto rows = csvRows(result.out);
    ASSERT_EQ(5u, rows.size()) << result.out;
    EXPECT_EQ((std::vector<std::string>{"time", "Line1/Temperature", "Line2/Flow", "Line1/State"}), rows[0]);
    const std::vector<std::string> times{"2024-05-01T00:00:00Z", "2024-05-01T00:01:30Z", "2024-05-01T00:03:00Z",
                                         "2024-05-01T00:04:30Z"};
    const std::int64_t start = 1714521600;
    for (std::size_t s = 0; s < 4; ++s) {
        const std::vector<std::string>& row = rows[s + 1];
        ASSERT_EQ(4u, row.size()) << result.out;
        EXPECT_EQ(times[s], row[0]);
        const std::int64_t time = start + 90 * static_cast<std::int64_t>(s);
        expectPrinted(child->expectedValue("Line1", "Temperature", time), row[1], row[0]);
        expectPrinted(child->expectedValue("Line2", "Flow", time), row[2], row[0]);
        expectPrinted(child->expectedValue("Line1", "State", time), row[3], row[0]);
    }
    auto reads = child->journal("connectionReadHistoricalDataEx");
    ASSERT_EQ(1u, reads.size()) << "one call for all time points";
    EXPECT_NE(std::string::npos, reads[0].arguments.find("start=1714521600 interval=90 samples=4"))
        << reads[0].arguments;
}

TEST_F(QuellanDirect, TimesInSecondsAreTheSameAsInIso8601) {
    ProcessResult iso = run({"history", "Line1/Temperature", "--start", "2024-05-01T12:00:00Z"});
    ProcessResult seconds = run({"history", "Line1/Temperature", "--start", "1714564800"});
    ASSERT_EQ(0, iso.exitCode) << describe(iso);
    EXPECT_EQ(iso.out, seconds.out);
    EXPECT_NE(std::string::npos, iso.out.find("2024-05-01T12:00:00Z")) << iso.out;
}

TEST_F(QuellanDirect, JsonHasOneObjectPerRowWithTypedValues) {
    ProcessResult result = run({"read", "Line1/State", "#4", "--json"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    const std::string state = std::get<std::string>(child->expectedValue("Line1", "State", CLOCK));
    const float flow = std::get<float>(child->expectedValue("Line2", "Flow", CLOCK));
    auto lines = outputLines(result.out);
    ASSERT_EQ(4u, lines.size()) << result.out;
    EXPECT_EQ("[", lines[0]);
    EXPECT_EQ("  {\"tag\": \"Line1/State\", \"handle\": 2, \"type\": \"string\", \"value\": \"" + state + "\"},",
              lines[1]);
    const std::string prefix = "  {\"tag\": \"Line2/Flow\", \"handle\": 4, \"type\": \"float\", \"value\": ";
    ASSERT_EQ(prefix, lines[2].substr(0, prefix.size()));
    EXPECT_EQ(flow, printedFloat(lines[2].substr(prefix.size())));
    EXPECT_EQ('}', lines[2].back());
    EXPECT_EQ("]", lines[3]);
}

TEST_F(QuellanDirect, HandleAddressesTheSameTagAsItsName) {
    ProcessResult byName = run({"--csv", "read", "Line1/Pump/Speed"});
    ProcessResult byHandle = run({"--csv", "read", "#3"});
    ASSERT_EQ(0, byHandle.exitCode) << describe(byHandle);
    auto named = csvRows(byName.out);
    auto addressed = csvRows(byHandle.out);
    ASSERT_EQ(2u, addressed.size());
    EXPECT_EQ("Line1/Pump/Speed", addressed[1][0]) << "labelled with the tag's path";
    EXPECT_EQ(named[1][3], addressed[1][3]);
}

TEST_F(QuellanDirect, UnknownTagEndsWithItsNameOnStderr) {
    ProcessResult result = run({"read", "Line1/Temperature", "Line1/Pressure"});
    EXPECT_EQ(3, result.exitCode) << describe(result);
    EXPECT_NE(std::string::npos, result.err.find("no tag is named \"Line1/Pressure\"")) << result.err;
    EXPECT_EQ("", result.out);
}

TEST_F(QuellanDirect, BadTimeIsRefusedBeforeThePluginIsCalled) {
    for (const char* time : {"2024-02-30T00:00:00Z", "2024-05-01 12:00", "-5", "2038-01-19T03:14:08Z"}) {
        ProcessResult result = run({"history", "Line1/Temperature", "--start", time});
        EXPECT_EQ(2, result.exitCode) << time << "\n" << describe(result);
        EXPECT_NE(std::string::npos, result.err.find(std::string("bad time \"") + time + "\" for --start"))
            << result.err;
        EXPECT_EQ("", result.out);
    }
    EXPECT_TRUE(child->journal("connectionReadHistoricalDataEx").empty());
}

TEST_F(QuellanDirect, FailingStatusIsReportedByName) {
    child->writeSidecar(std::string(SIDECAR) + "fail connectionReadCurrentData 2\n");
    ProcessResult result = run({"read", "Line1/State"});
    EXPECT_EQ(1, result.exitCode) << describe(result);
    EXPECT_NE(std::string::npos,
              result.err.find("quellan2_connectionReadCurrentData returned QUELLAN2_STATUS_INVALID_PARAMETER"))
        << result.err;
    EXPECT_EQ("", result.out);
}

TEST_F(QuellanDirect, WriteHistoryHandsOneVectorPerTimePointToThePlugin) {
    ProcessResult result = run({"write-history", "Line1/Temperature", "Line1/State", "--time", "1714564800",
                                "--interval", "60", "--samples", "2", "--values", "1.5", "Running", "null",
                                "\"42\""});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    auto writes = child->journal("connectionWriteHistoricalDataEx");
    ASSERT_EQ(1u, writes.size());
    EXPECT_NE(std::string::npos, writes[0].arguments.find("tags=1,2")) << writes[0].arguments;
    EXPECT_NE(std::string::npos, writes[0].arguments.find("start=1714564800 interval=60 samples=2"))
        << writes[0].arguments;
    EXPECT_NE(std::string::npos, writes[0].arguments.find("values=[[1.5,\"Running\"],[null,\"42\"]]"))
        << writes[0].arguments;
    auto rows = outputLines(result.out);
    ASSERT_EQ(5u, rows.size()) << result.out;
    EXPECT_EQ("2024-05-01T12:01:00Z  Line1/State        2       string  42", rows[4]);
}

TEST_F(QuellanDirect, WriteBatchUsesTheExtendedFormOnlyWithATime) {
    ProcessResult timed = run({"write-batch", "B-100", "Line1/Temperature", "--values", "7", "--time", "1000"});
    ASSERT_EQ(0, timed.exitCode) << describe(timed);
    ProcessResult untimed = run({"write-batch", "B-100", "Line1/State", "--values", "Idle"});
    ASSERT_EQ(0, untimed.exitCode) << describe(untimed);
    auto extended = child->journal("connectionWriteBatchDataEx");
    ASSERT_EQ(1u, extended.size());
    EXPECT_NE(std::string::npos, extended[0].arguments.find("\"B-100\"")) << extended[0].arguments;
    EXPECT_NE(std::string::npos, extended[0].arguments.find("time=1000")) << extended[0].arguments;
    auto plain = child->journal("connectionWriteBatchData");
    ASSERT_EQ(1u, plain.size());
    EXPECT_NE(std::string::npos, plain[0].arguments.find("values=[\"Idle\"]")) << plain[0].arguments;
}

TEST_F(QuellanDirect, WrongNumberOfValuesIsAUsageError) {
    ProcessResult result =
        run({"write-history", "Line1/Temperature", "--time", "0", "--samples", "2", "--values", "1"});
    EXPECT_EQ(2, result.exitCode) << describe(result);
    EXPECT_NE(std::string::npos, result.err.find("--values has 1 values where the tags and time points need 2"))
        << result.err;
}

TEST_F(QuellanDirect, BatchesAndBatchTimesOfANode) {
    ProcessResult list = run({"batches", "Line1", "--from", "2024-05-01T11:00:00Z", "--to", "2024-05-01T12:00:00Z"});
    ASSERT_EQ(0, list.exitCode) << describe(list);
    EXPECT_EQ((std::vector<std::string>{"batch", "B-100", "B-101"}), outputLines(list.out));
    ProcessResult times = run({"batch-times", "#1", "B-100", "--time", "1714564800", "--csv"});
    ASSERT_EQ(0, times.exitCode) << describe(times);
    EXPECT_EQ((std::vector<std::string>{"batch,start,end", "B-100,2024-05-01T10:40:00Z,2024-05-01T11:40:00Z"}),
              outputLines(times.out));
}

TEST_F(QuellanDirect, BatchReadGivesTheValuesAtTheBatchEnd) {
    ProcessResult result = run({"--csv", "batch-read", "B-100", "Line1/Temperature", "--time", "1714564800"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    auto rows = csvRows(result.out);
    ASSERT_EQ(2u, rows.size());
    expectPrinted(child->expectedValue("Line1", "Temperature", 1714563600), rows[1][3], "batch end");
}

TEST_F(QuellanDirect, UpdateTimeAndCurrentTimeComeFromThePluginsClock) {
    ProcessResult now = run({"time"});
    ASSERT_EQ(0, now.exitCode) << describe(now);
    EXPECT_EQ((std::vector<std::string>{"time", "2024-05-01T12:00:00Z"}), outputLines(now.out));
    ProcessResult update = run({"--json", "update-time", "Line2/Flow"});
    ASSERT_EQ(0, update.exitCode) << describe(update);
    EXPECT_NE(std::string::npos, update.out.find("\"tag\": \"Line2/Flow\", \"handle\": 4")) << update.out;
    const std::int64_t expected = expectedUpdateTime(SIDECAR, "Line2", "Flow", CLOCK);
    EXPECT_LE(expected, CLOCK);
    ProcessResult seconds = run({"history", "Line2/Flow", "--start", std::to_string(expected)});
    const std::string iso = outputLines(seconds.out).at(1).substr(0, 20);
    EXPECT_NE(std::string::npos, update.out.find("\"time\": \"" + iso + "\"")) << update.out;
}

TEST_F(QuellanDirect, ConfigureReportsTheTextThePluginReturned) {
    ProcessResult result = run({"--csv", "configure", "a=1"});
    ASSERT_EQ(0, result.exitCode) << describe(result);
    EXPECT_EQ((std::vector<std::string>{"status,configuration", "QUELLAN2_STATUS_OK,a=1"}), outputLines(result.out));
}

TEST_F(QuellanDirect, OpensWithAnEmptyTextClosesAndFreesEverythingItWasGiven) {
    ASSERT_EQ(0, run({"read", "Line1/State", "Line2/Flow"}).exitCode);
    ASSERT_EQ(0, run({"history", "Line1/State", "--start", "0", "--interval", "1", "--samples", "3"}).exitCode);
    ASSERT_EQ(0, run({"write-history", "Line2/Flow", "--time", "0", "--samples", "2", "--values", "1", "2"}).exitCode);
    ASSERT_EQ(0, run({"batches", "Line1", "--from", "0", "--to", "2000000000"}).exitCode);
    ASSERT_EQ(0, run({"identity"}).exitCode);
    auto journal = child->journal();
    auto opens = child->journal("connectionOpen");
    ASSERT_EQ(4u, opens.size()) << "identity needs no connection";
    for (const JournalEntry& open : opens) EXPECT_EQ("text=\"\"", open.arguments);
    EXPECT_EQ(4u, count(journal, "connectionClose"));
    EXPECT_EQ(5u, count(journal, "initialize"));
    EXPECT_EQ(5u, count(journal, "uninitialize"));
    const std::size_t strings = count(journal, "getIdentity") + count(journal, "nodeGetName") +
                                count(journal, "tagGetName") + count(journal, "vectorGetString");
    EXPECT_EQ(strings, count(journal, "stringFree"));
    // One vector from the read, three from the history, two made for the write, one batch list.
    EXPECT_EQ(7u, count(journal, "vectorFree"));
}

}  // namespace
}  // namespace mq::test
