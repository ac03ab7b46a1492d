// The status node (status="true"): the children's health as one more top-level node, after theirs.
#include "VectorText.h"

#include "support/HostOperations.h"

#include <chrono>
#include <ctime>
#include <map>
#include <regex>
#include <thread>

namespace mq::test {
namespace {

const char* const PLANT_P = "clock 1700000000\nnode P\ntag P p1 float base=10\ntag P p2 string states=Open,Shut\n";
const char* const PLANT_Q = "clock 1700000000\nnode Q\ntag Q q1 float base=50\n";
const char* const FIELDS[] = {"State", "Calls", "Faults", "Timeouts", "Restarts", "LastProblem", "LastCallMs"};

class StatusNode : public MultiplexerTest {
protected:
    // The configuration: each child with its attributes, and status="true" when asked.
    void write(bool status, const std::vector<std::pair<const SimChild*, std::string>>& childAttributes) {
        std::string text = "<?xml version=\"1.0\"?>\n<settings";
        text += status ? " status=\"true\">\n" : ">\n";
        for (const auto& [child, attributes] : childAttributes)
            text += "    <quellan path=\"" + child->libraryPath() + "\"" + attributes + " />\n";
        configuration->writeBytes(text + "</settings>\n");
    }
    std::string text(QUELLAN2_STRING string) { return plugin->take(string); }
    // Every tag as "handle node/tag", in handle order.
    std::vector<std::string> tree() {
        std::vector<std::string> lines;
        for (uint32_t n = 0; n < nodeCount(connection); ++n) {
            QUELLAN2_NODE node = nullptr;
            QUELLAN2_STRING name = nullptr;
            uint32_t tags = 0;
            EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionGetNode(connection, n, &node));
            EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->nodeGetName(node, &name));
            const std::string nodeName = text(name);
            EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->nodeGetNumTags(node, &tags));
            for (uint32_t t = 0; t < tags; ++t) {
                QUELLAN2_TAG tag = nullptr;
                EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->nodeGetTag(node, t, &tag));
                EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->tagGetName(tag, &name));
                lines.push_back(std::to_string(reinterpret_cast<uintptr_t>(tag)) + ' ' + nodeName + '/' + text(name));
                handles[lines.back().substr(lines.back().find(' ') + 1)] = tag;
            }
        }
        return lines;
    }
    // The seven figures of one label, read in one call, as text.
    std::map<std::string, std::string> figures(const std::string& label) {
        std::vector<QUELLAN2_TAG> tags;
        for (const char* field : FIELDS) tags.push_back(handles.at("MultiQuellan/" + label + '.' + field));
        QUELLAN2_VECTOR result = nullptr;
        EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadCurrentData(connection, tags.data(), 7, &result));
        std::map<std::string, std::string> values;
        for (uint32_t k = 0; k < 7; ++k) values[FIELDS[k]] = textOf(valueAt(*plugin, result, k));
        (*plugin)->vectorFree(result);
        return values;
    }
    void awaitCall(const SimChild& child, const std::string& function) {
        for (int wait = 0; wait < 1000 && child.journal(function).empty(); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    QUELLAN2_CONNECTION connection = nullptr;
    std::map<std::string, QUELLAN2_TAG> handles;
};

TEST_F(StatusNode, FollowsEveryChildSoThatNoHandleOfTheirsMoves) {
    const SimChild& alpha = addChild("Alpha", PLANT_P);
    const SimChild& beta = addChild("Beta", PLANT_Q);
    // The same file twice: two children, and a second label for the same name.
    const std::vector<std::pair<const SimChild*, std::string>> children = {{&alpha, ""}, {&beta, ""}, {&alpha, ""}};
    write(false, children);
    connection = open();
    const std::vector<std::string> without = tree();
    ASSERT_EQ(5u, without.size());
    (*plugin)->connectionClose(connection);

    write(true, children);
    connection = open();
    const std::vector<std::string> with = tree();
    ASSERT_EQ(without.size() + 21, with.size());
    EXPECT_EQ(without, std::vector<std::string>(with.begin(), with.begin() + 5));
    EXPECT_EQ(4u, nodeCount(connection));
    std::size_t line = 5;
    for (const char* label : {"Alpha", "Beta", "Alpha (2)"})
        for (const char* field : FIELDS) {
            EXPECT_EQ(std::to_string(line + 1) + " MultiQuellan/" + label + '.' + field, with[line]);
            ++line;
        }
}

TEST_F(StatusNode, ReadsItsFiguresNowButHasNoPastAndNoBatchesAndIgnoresWrites) {
    const uint32_t opened = static_cast<uint32_t>(std::time(nullptr));
    const SimChild& alpha = addChild("Alpha", PLANT_P);
    write(true, {{&alpha, ""}});
    connection = open();
    tree();
    const QUELLAN2_TAG p1[] = {handles.at("P/p1")};
    readCurrent(*plugin, connection, {p1, 1});
    EXPECT_EQ((std::map<std::string, std::string>{{"State", "\"running\""},
                                                  {"Calls", textOf(1.0f)},
                                                  {"Faults", textOf(0.0f)},
                                                  {"Timeouts", textOf(0.0f)},
                                                  {"Restarts", textOf(0.0f)},
                                                  {"LastProblem", "\"\""},
                                                  {"LastCallMs", figures("Alpha")["LastCallMs"]}}),
              figures("Alpha"));

    const QUELLAN2_TAG mixed[] = {handles.at("MultiQuellan/Alpha.Calls"), handles.at("P/p1")};
    const std::string history = readHistory(*plugin, connection, {mixed, 2}, 1699999000, 60, 2);
    EXPECT_EQ(0u, history.find("[null,")) << history;
    EXPECT_EQ(std::string::npos, history.find("null]")) << history;
    EXPECT_EQ("[null]", readBatch(*plugin, connection, {mixed, 1}, "B-7", 1699999000));
    // Both expect status 0; neither reaches the child.
    writeHistory(*plugin, connection, {mixed, 1}, 1699999000, 0, {{99.0f}});
    writeBatch(*plugin, connection, {mixed, 1}, "B-7", 1699999000, {98.0f});
    EXPECT_EQ(textOf(2.0f), figures("Alpha")["Calls"]);

    uint32_t updated = 0;
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->tagGetUpdateTime(mixed[0], &updated));
    EXPECT_GE(updated, opened);
    QUELLAN2_NODE status = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionGetNode(connection, 1, &status));
    QUELLAN2_VECTOR batches = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->nodeGetActiveBatches(status, 0, 1700000000, &batches));
    EXPECT_EQ("[]", take(*plugin, batches));
}

// "Fault" in its name runs it where the sanitizers leave faults to the guard.
TEST_F(StatusNode, TellsAFaultATimeoutAChildLeftOutAndASurrogateThatEnded) {
    const SimChild& faulty =
        addChild("Faulty", std::string(PLANT_P) + "fault connectionReadCurrentData access times=1\n");
    const SimChild& slow = addChild("Slow", std::string(PLANT_Q) + "sleep connectionReadCurrentData 3000\n");
    const SimChild& refused = addChild("Refused", std::string(PLANT_Q) + "fail connectionOpen 1\n");
    const SimChild& exiting = addChild("Exiting", "node R\ntag R r1 float\nfault connectionReadCurrentData exit\n");
    write(true, {{&faulty, ""}, {&slow, " timeout=\"1\""}, {&refused, ""}, {&exiting, " isolation=\"process\""}});
    connection = open();
    tree();
    const QUELLAN2_TAG all[] = {handles.at("P/p1"), handles.at("Q/q1"), handles.at("R/r1")};
    EXPECT_EQ("[null,null,null]", readCurrent(*plugin, connection, {all, 3}));
    // The slow child's worker comes back before the close.
    awaitCall(slow, "connectionReadCurrentData");

    const std::regex problem("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ (.*)\"");
    struct Expected {
        const char* label;
        const char* state;
        float calls, faults, timeouts;
        const char* lastProblem;
    };
    for (const Expected& expected :
         {Expected{"Faulty", "running", 1, 1, 0, "connectionReadCurrentData: fault, access violation"},
          Expected{"Slow", "hung", 1, 0, 1, "connectionReadCurrentData: hung, later calls fail at once"},
          Expected{"Refused", "left out", 0, 0, 0, "left out: connectionOpen returned status 1"},
          Expected{"Exiting", "ended", 1, 0, 0,
                   "connectionReadCurrentData: surrogate ended, the surrogate process has gone, exit code 70"}}) {
        SCOPED_TRACE(expected.label);
        std::map<std::string, std::string> now = figures(expected.label);
        EXPECT_EQ('"' + std::string(expected.state) + '"', now["State"]);
        EXPECT_EQ(textOf(expected.calls), now["Calls"]);
        EXPECT_EQ(textOf(expected.faults), now["Faults"]);
        EXPECT_EQ(textOf(expected.timeouts), now["Timeouts"]);
        EXPECT_EQ(textOf(0.0f), now["Restarts"]);
        const std::string lastProblem = now["LastProblem"].substr(1);
        std::smatch match;
        ASSERT_TRUE(std::regex_match(lastProblem, match, problem)) << now["LastProblem"];
        EXPECT_EQ(expected.lastProblem, match[1].str());
    }
}

}  // namespace
}  // namespace mq::test
