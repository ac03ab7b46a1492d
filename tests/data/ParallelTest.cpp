// Parallel calls: the same answers, trees and child calls as one after another, sooner.
#include "MultiplexerFixture.h"
#include "support/HostOperations.h"

#include <functional>
#include <regex>
#include <sstream>

namespace mq::test {
namespace {

// Three children with plants of their own: P (tags 1, 2), Q (3 to 5), R (6, 7).
const char* const PLANTS[] = {
    "clock 1700000000\nnode P\ntag P p1 float base=10 amplitude=2 period=600\n"
    "tag P p2 string states=Open,Shut dwell=60\nbatch P B-7 1699990000 1699999000\n",
    "clock 1700000000\nnode Q\ntag Q decoy float\ntag Q q1 float base=50 amplitude=9 period=900\n"
    "tag Q q2 float base=-4\nbatch Q B-7 1699980000 1699999500\n",
    "clock 1700000000\nnode R\ntag R r1 float base=7 noise=3\ntag R r2 string states=A,B,C dwell=30\n",
};

// Tags of all three children, not in child order.
const QUELLAN2_TAG MIXED[] = {tagAt(6), tagAt(4), tagAt(1), tagAt(7), tagAt(5), tagAt(2)};
constexpr uint32_t MIXED_COUNT = 6;

const TagList MIXED_TAGS{MIXED, MIXED_COUNT};
const std::vector<HostOperation> OPERATIONS = dataOperations({MIXED_TAGS, MIXED_TAGS, MIXED_TAGS, 3});

// A journal line without what differs from run to run: addresses (of
// objects, buffers and the batch text), and the child's numbering of its
// connections, which goes on while it stays loaded.
std::string comparable(const JournalEntry& entry) {
    static const std::regex differing("(vector|string|identity|buffer|connection)=[0-9]+|@0x[0-9a-f]+");
    return entry.function + " " + std::regex_replace(entry.arguments, differing, "$1=#") + " -> " + entry.status;
}

class ParallelCalls : public MultiplexerTest {
protected:
    void addThree() {
        for (int k = 0; k < 3; ++k) addChild("Child" + std::string(1, static_cast<char>('P' + k)), PLANTS[k]);
    }
    // The configuration file with the children's paths and the given settings attributes.
    void configureWith(const std::string& settingsAttributes, const std::vector<std::string>& paths) {
        std::string xml = "<?xml version=\"1.0\"?>\n<settings" + settingsAttributes + ">\n";
        for (const std::string& path : paths) xml += "    <quellan path=\"" + path + "\" />\n";
        configuration->writeBytes(xml + "</settings>\n");
    }
    std::vector<std::string> childPaths() const {
        std::vector<std::string> paths;
        for (const auto& child : children) paths.push_back(child->libraryPath());
        return paths;
    }
    // Every child's journal since the last clear, one text per child.
    std::vector<std::string> journals() const {
        std::vector<std::string> texts;
        for (const auto& child : children) {
            std::string text;
            for (const JournalEntry& entry : child->journal()) text += comparable(entry) + "\n";
            texts.push_back(text);
        }
        return texts;
    }
    // The merged tree as the host browses it.
    std::string tree(QUELLAN2_CONNECTION connection) const {
        const LoadedPlugin& host = *plugin;
        std::ostringstream text;
        uint32_t nodeCount = 0;
        EXPECT_EQ(QUELLAN2_STATUS_OK, host->connectionGetNumNodes(connection, &nodeCount));
        for (uint32_t k = 0; k < nodeCount; ++k) {
            QUELLAN2_NODE node = nullptr;
            QUELLAN2_STRING name = nullptr;
            uint32_t tagCount = 0;
            host->connectionGetNode(connection, k, &node);
            host->nodeGetName(node, &name);
            host->nodeGetNumTags(node, &tagCount);
            text << node << " " << host.take(name) << ":";
            for (uint32_t t = 0; t < tagCount; ++t) {
                QUELLAN2_TAG tag = nullptr;
                QUELLAN2_STRING tagName = nullptr;
                host->nodeGetTag(node, t, &tag);
                host->tagGetName(tag, &tagName);
                text << " " << tag << "=" << host.take(tagName);
            }
            text << "\n";
        }
        return text.str();
    }
};

class ParallelOperation : public ParallelCalls, public ::testing::WithParamInterface<HostOperation> {
protected:
    struct Outcome {
        std::string answer;
        std::vector<std::string> journals;
    };
    Outcome runWith(const std::string& settingsAttributes) {
        configureWith(settingsAttributes, childPaths());
        QUELLAN2_CONNECTION connection = open();
        clearJournals();
        Outcome outcome{GetParam().run(*plugin, connection), journals()};
        (*plugin)->connectionClose(connection);
        return outcome;
    }
};

TEST_P(ParallelOperation, GivesTheHostAndEachChildWhatOneCallAfterAnotherGives) {
    addThree();
    const Outcome sequential = runWith("");
    const Outcome parallel = runWith(" parallel=\"true\"");
    EXPECT_NE("", sequential.answer);
    EXPECT_EQ(sequential.answer, parallel.answer);
    for (std::size_t k = 0; k < children.size(); ++k) {
        EXPECT_NE("", sequential.journals[k]) << "child " << k << " was called";
        EXPECT_EQ(sequential.journals[k], parallel.journals[k]) << "child " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryOperationOverChildren, ParallelOperation, ::testing::ValuesIn(OPERATIONS),
                         [](const ::testing::TestParamInfo<HostOperation>& info) { return info.param.name; });

TEST_F(ParallelCalls, AParallelOpenBuildsTheSameTreeAndStartsEachChildOnItsOwnWorker) {
    addThree();
    configureWith("", childPaths());
    const std::string sequential = tree(open());
    const std::vector<std::string> sequentialStarts = journals();
    (*plugin)->connectionClose(nullptr);
    clearJournals();
    configureWith(" parallel=\"true\"", childPaths());
    EXPECT_EQ(sequential, tree(open()));
    EXPECT_EQ(sequentialStarts, journals());
    for (const auto& child : children) {
        const std::vector<JournalEntry> opens = child->journal("connectionOpen");
        ASSERT_EQ(1u, opens.size());
        EXPECT_EQ(opens[0].thread, child->journal("initialize").at(0).thread) << "the worker starts its child";
    }
}

// Two children journal into one file, so that its lines are the events of
// both in order; each read sleeps, and notes its start before it does. The
// host reads one tag of Slow's and two of Quick's, which tells their lines apart.
TEST_F(ParallelCalls, OnlyParallelCallsOfTwoChildrenOverlap) {
    SimChild& slow = addChild("Slow", std::string(PLANTS[0]) + "journal both.journal\nsleep connectionReadCurrentData 500\n");
    addChild("Quick", std::string(PLANTS[2]) + "journal both.journal\nsleep connectionReadCurrentData 500\n");
    const QUELLAN2_TAG tags[] = {tagAt(1), tagAt(3), tagAt(4)};
    for (const bool parallel : {false, true}) {
        configureWith(parallel ? " parallel=\"true\"" : "", childPaths());
        QUELLAN2_CONNECTION connection = open();
        slow.clearJournal();
        QUELLAN2_VECTOR result = nullptr;
        ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadCurrentData(connection, tags, 3, &result));
        (*plugin)->vectorFree(result);
        std::vector<std::string> events;
        std::istringstream lines(readFile(slow.journalPath()));
        for (std::string line; std::getline(lines, line);) {
            if (line.find("connectionReadCurrentData") == std::string::npos) continue;
            const std::string who = line.find("count=1") != std::string::npos ? "slow" : "quick";
            events.push_back(who + (line.rfind("# sleeping", 0) == 0 ? " starts" : " returns"));
        }
        (*plugin)->connectionClose(connection);
        ASSERT_EQ(4u, events.size()) << testing::PrintToString(events);
        // Overlapping: each call starts before the other returns.
        const bool overlapping = events[0].find("starts") != std::string::npos &&
                                 events[1].find("starts") != std::string::npos;
        EXPECT_EQ(parallel, overlapping) << testing::PrintToString(events);
    }
}

TEST_F(ParallelCalls, ChildrenThatShareOneModuleAreNeverCalledAtOnce) {
    // Two paths of one file are one module; each of its calls takes a while,
    // so that calls made side by side would surely meet.
    SimChild& shared = addChild("Shared", std::string(PLANTS[0]) + "sleep connectionReadCurrentData 50\n"
                                                                   "sleep connectionOpen 50\nsleep connectionClose 50\n");
    std::string samePath = shared.libraryPath();
    const std::size_t cut = samePath.find_last_of("/\\");
    samePath.insert(cut + 1, std::string(".") + samePath[cut]);
    addChild("Other", PLANTS[1]);
    configureWith(" parallel=\"true\"", {shared.libraryPath(), samePath, children[1]->libraryPath()});
    QUELLAN2_CONNECTION connection = open();
    uint32_t nodes = 0;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionGetNumNodes(connection, &nodes));
    ASSERT_EQ(3u, nodes) << "both paths are children";
    const QUELLAN2_TAG both[] = {tagAt(1), tagAt(3), tagAt(5)};
    for (int round = 0; round < 5; ++round) {
        QUELLAN2_VECTOR result = nullptr;
        ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadCurrentData(connection, both, 3, &result));
        EXPECT_EQ(children[0]->expectedValue("P", "p1", 1700000000), valueAt(*plugin, result, 0));
        EXPECT_EQ(children[0]->expectedValue("P", "p1", 1700000000), valueAt(*plugin, result, 1));
        (*plugin)->vectorFree(result);
    }
    (*plugin)->connectionClose(connection);
    std::vector<uint32_t> readers;
    for (const JournalEntry& read : shared.journal("connectionReadCurrentData")) readers.push_back(read.thread);
    ASSERT_EQ(10u, readers.size());
    std::sort(readers.begin(), readers.end());
    EXPECT_NE(readers.front(), readers.back()) << "each path has a worker of its own";
    for (const std::string& note : shared.journalNotes()) EXPECT_EQ(std::string::npos, note.find("overlapping")) << note;
}

}  // namespace
}  // namespace mq::test
