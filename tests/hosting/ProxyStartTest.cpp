// Starting and stopping a child on its own worker thread.
#include "HostingFixture.h"
#include "hosting/ProxyTree.h"
#include "hosting/QuellanProxy.h"
#include "interface/Exception.h"

namespace mq::test {
namespace {

using ProxyStart = HostingTest;

std::string startFailure(const SimChild& child) {
    try {
        QuellanProxy proxy(child.libraryPath(), "");
    } catch (const Exception& exception) {
        return exception.message();
    }
    return "(started)";
}

// The journal of a child whose start failed at the open, as it must.
std::vector<JournalEntry> journalOfFailedOpen(const SimChild& child) {
    EXPECT_EQ("Failed to open connection in " + child.libraryPath() + ".", startFailure(child));
    return child.journal();
}

TEST_F(ProxyStart, StartUpRunsOnAWorkerThreadOfItsOwn) {
    SimChild& child = makeChild();
    // Asked first, so that the child stays loaded and keeps its thread numbers.
    const uint32_t testThread = child.threadId();
    {
        QuellanProxy proxy(child.libraryPath(), "");
        EXPECT_EQ(2u, proxy.connectionTree().topNodes.size());
    }
    const std::vector<JournalEntry> journal = child.journal();
    ASSERT_GE(journal.size(), 6u);
    const std::vector<std::string> functions = functionsOf(journal);
    EXPECT_EQ((std::vector<std::string>{"initialize", "getIdentity", "stringFree", "connectionOpen"}),
              std::vector<std::string>(functions.begin(), functions.begin() + 4));
    EXPECT_EQ((std::vector<std::string>{"connectionClose", "uninitialize"}),
              std::vector<std::string>(functions.end() - 2, functions.end()));
    const uint32_t worker = journal.front().thread;
    EXPECT_NE(testThread, worker);
    // String functions may run on any thread; everything else is the worker's.
    for (const JournalEntry& entry : journal) {
        if (entry.function.rfind("string", 0) != 0) {
            EXPECT_EQ(worker, entry.thread) << entry.function;
        }
    }
}

TEST_F(ProxyStart, AChildWhoseConnectionFailsToOpenIsUninitialisedButNeverClosed) {
    SimChild& child = makeChild(std::string(PLANT) + "fail connectionOpen 1\n");
    const std::vector<JournalEntry> journal = journalOfFailedOpen(child);
    EXPECT_EQ(1u, count(journal, "initialize"));
    EXPECT_EQ(1u, count(journal, "uninitialize"));
    EXPECT_EQ(0u, count(journal, "connectionClose"));
    EXPECT_EQ(0u, count(journal, "connectionGetNumNodes")) << "no tree is read";
}

TEST_F(ProxyStart, AChildWithoutAnIdentityIsNotOpened) {
    SimChild& child = makeChild(std::string(PLANT) + "fail getIdentity 1\n");
    const std::vector<JournalEntry> journal = journalOfFailedOpen(child);
    EXPECT_EQ(0u, count(journal, "connectionOpen"));
    EXPECT_EQ(1u, count(journal, "uninitialize"));
}

TEST_F(ProxyStart, FaultsDuringStartUpFailTheStartAndNothingElse) {
    for (const char* kind : {"access", "divide", "throw"}) {
        SimChild& child = makeChild(std::string(PLANT) + "fault connectionOpen " + kind + "\n", SimVariant::FULL,
                                    std::string("Faulty_") + kind);
        EXPECT_EQ("Failed to open connection in " + child.libraryPath() + ".", startFailure(child)) << kind;
        EXPECT_EQ(1u, count(child.journal(), "uninitialize")) << kind;
    }
}

TEST_F(ProxyStart, AFailingInitializeDoesNotStopTheStart) {
    SimChild& child = makeChild(std::string(PLANT) + "fail initialize 1\n");
    QuellanProxy proxy(child.libraryPath(), "");
    EXPECT_EQ(2u, proxy.connectionTree().topNodes.size());
}

TEST_F(ProxyStart, TheConnectionTextReachesTheChild) {
    SimChild& child = makeChild();
    { QuellanProxy proxy(child.libraryPath(), "server=plant1"); }
    std::vector<JournalEntry> opens = child.journal("connectionOpen");
    ASSERT_EQ(1u, opens.size());
    EXPECT_NE(std::string::npos, opens[0].arguments.find("server=plant1")) << opens[0].arguments;
}

TEST_F(ProxyStart, StartingAndStoppingManyTimesLeavesNothingBehind) {
    SimChild& child = makeChild();
    for (int round = 0; round < 50; ++round) {
        QuellanProxy proxy(child.libraryPath(), "");
        ASSERT_EQ(2u, proxy.connectionTree().topNodes.size());
    }
    const std::vector<JournalEntry> journal = child.journal();
    EXPECT_EQ(50u, count(journal, "connectionOpen"));
    EXPECT_EQ(50u, count(journal, "connectionClose"));
    EXPECT_EQ(50u, count(journal, "uninitialize"));
}

}  // namespace
}  // namespace mq::test
