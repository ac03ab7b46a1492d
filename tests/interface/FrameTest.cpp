// The interface frame through the exports: life cycle, identity, the
// Multiplexer's creation and what it answers while it has no children.
#include "data/MultiplexerFixture.h"
#include "interface/Exception.h"
#include "interface/Status.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <regex>

namespace mq::test {
namespace {

const QUELLAN2_CONNECTION ANY_CONNECTION = reinterpret_cast<QUELLAN2_CONNECTION>(0x1234);
const QUELLAN2_NODE FIRST_NODE = reinterpret_cast<QUELLAN2_NODE>(1);
const QUELLAN2_TAG FIRST_TAG = reinterpret_cast<QUELLAN2_TAG>(1);

TEST(StatusNames, NameEveryCodeAndNothingElse) {
    EXPECT_STREQ("QUELLAN2_STATUS_OK", statusName(0));
    EXPECT_STREQ("QUELLAN2_STATUS_ERROR", statusName(1));
    EXPECT_STREQ("QUELLAN2_STATUS_INVALID_PARAMETER", statusName(2));
    EXPECT_STREQ("QUELLAN2_STATUS_NOT_SUPPORTED", statusName(3));
    EXPECT_STREQ("QUELLAN2_STATUS_INSUFFICIENT_BUFFER", statusName(4));
    EXPECT_STREQ("<unknown quellan status code>", statusName(5));
    EXPECT_STREQ("<unknown quellan status code>", statusName(0xFFFFFFFFu));
}

TEST(Exceptions, KeepTheirCauseThroughCopiesAndClones) {
    Exception cause("inner");
    Exception outer("outer", cause);
    Exception copy(outer);
    std::unique_ptr<Exception> clone(outer.clone());
    EXPECT_EQ("outer", copy.message());
    ASSERT_NE(nullptr, copy.cause());
    EXPECT_EQ("inner", copy.cause()->message());
    EXPECT_EQ(outer.cause(), copy.cause()) << "a copy shares the cause";
    EXPECT_EQ("inner", clone->cause()->message());
    EXPECT_EQ(nullptr, Exception().cause());
    EXPECT_EQ("", Exception().message());
}

// With no child configured: the Multiplexer's frame on its own.
class Frame : public MultiplexerTest {};

TEST_F(Frame, InitializeAndUninitializeSucceedInAnyStateAndChangeNothing) {
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->initialize());
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->uninitialize());
    QUELLAN2_CONNECTION connection = open();
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->uninitialize());
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->initialize());
    EXPECT_EQ(connection, open()) << "uninitialising did not close the connection";
}

TEST_F(Frame, IdentityNamesTheLibraryAndItsBuildTime) {
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->getIdentity(nullptr));
    QUELLAN2_STRING first = nullptr;
    QUELLAN2_STRING second = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->getIdentity(&first));
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->getIdentity(&second));
    EXPECT_NE(first, second) << "each call returns a new string object";
    const std::string identity = plugin->take(first);
    EXPECT_EQ(identity, plugin->take(second));
    EXPECT_TRUE(std::regex_match(identity, std::regex(R"(MultiQuellan \([A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}\))")))
        << identity;
}

TEST_F(Frame, WithoutAConfigurationFileOpenSucceedsWithAnEmptyTree) {
    EXPECT_EQ(0u, nodeCount(ANY_CONNECTION)) << "browsing before any open creates an empty Multiplexer";
    QUELLAN2_CONNECTION connection = open();
    EXPECT_NE(nullptr, connection);
    EXPECT_EQ(connection, open()) << "a second open returns the same connection";
    EXPECT_EQ(0u, nodeCount(ANY_CONNECTION));
    QUELLAN2_NODE node = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->connectionGetNode(connection, 0, &node));
    EXPECT_EQ(nullptr, node);
}

TEST_F(Frame, CloseIgnoresItsArgumentAndAlwaysSucceeds) {
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionClose(nullptr)) << "with no Multiplexer";
    open();
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionClose(nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionClose(ANY_CONNECTION));
}

TEST_F(Frame, ConnectionAndBrowsingFunctionsRefuseNullArguments) {
    QUELLAN2_CONNECTION connection = nullptr;
    uint32_t count = 7;
    QUELLAN2_NODE node = nullptr;
    QUELLAN2_TAG tag = nullptr;
    QUELLAN2_STRING name = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->connectionOpen(nullptr, &connection));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->connectionOpen("", nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->connectionGetNumNodes(nullptr, &count));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->connectionGetNumNodes(ANY_CONNECTION, nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->connectionGetNode(nullptr, 0, &node));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->connectionGetNode(ANY_CONNECTION, 0, nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetName(nullptr, &name));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetName(FIRST_NODE, nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetNumTags(nullptr, &count));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetNumTags(FIRST_NODE, nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetTag(nullptr, 0, &tag));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetTag(FIRST_NODE, 0, nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->tagGetName(nullptr, &name));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->tagGetName(FIRST_TAG, nullptr));
    EXPECT_EQ(nullptr, connection);
    EXPECT_EQ(7u, count);
    EXPECT_EQ(nullptr, node);
    EXPECT_EQ(nullptr, tag);
    EXPECT_EQ(nullptr, name);
}

TEST_F(Frame, HandlesThatWereNeverGivenOutAreRefused) {
    open();
    QUELLAN2_STRING name = nullptr;
    uint32_t count = 7;
    QUELLAN2_TAG tag = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetName(FIRST_NODE, &name));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetNumTags(FIRST_NODE, &count));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetTag(FIRST_NODE, 0, &tag));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->tagGetName(FIRST_TAG, &name));
    const QUELLAN2_TAG far = reinterpret_cast<QUELLAN2_TAG>(~uintptr_t(0));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->tagGetName(far, &name));
    uint32_t time = 5;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->tagGetUpdateTime(far, &time));
    EXPECT_EQ(5u, time);
    EXPECT_EQ(nullptr, name);
}

TEST_F(Frame, DataOperationsOfAnEmptyMultiplexerRefuseEveryTagAndNode) {
    QUELLAN2_CONNECTION connection = open();
    const QUELLAN2_TAG tags[] = {FIRST_TAG};
    QUELLAN2_VECTOR result = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->connectionReadCurrentData(connection, tags, 1, &result));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER,
              (*plugin)->connectionReadHistoricalDataEx(connection, tags, 1, 0, 60, 2, &result));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER,
              (*plugin)->connectionReadBatchDataEx(connection, tags, 1, "B1", 0, &result));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetActiveBatches(FIRST_NODE, 0, 10, &result));
    EXPECT_EQ(nullptr, result);
    uint32_t start = 1;
    uint32_t end = 2;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetBatchTimes(FIRST_NODE, "B1", 0, &start, &end));
    EXPECT_EQ(1u, start);
    EXPECT_EQ(2u, end);
}

TEST_F(Frame, TheCurrentTimeNeedsARunningChild) {
    QUELLAN2_CONNECTION connection = open();
    uint32_t time = 42;
    EXPECT_EQ(QUELLAN2_STATUS_ERROR, (*plugin)->connectionGetCurrentTime(connection, &time));
    EXPECT_EQ(42u, time) << "nothing is written on failure";
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->connectionGetCurrentTime(nullptr, &time));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->connectionGetCurrentTime(connection, nullptr));
}

TEST_F(Frame, AMissingConfiguredFileFailsTheOpenUntilTheNextClose) {
    configuration->writeChildren({binaryFolder() + "/no-such-child" MQ_LIBRARY_SUFFIX});
    QUELLAN2_CONNECTION connection = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_ERROR, (*plugin)->connectionOpen("", &connection));
    EXPECT_EQ(nullptr, connection);
    // The Multiplexer keeps the list it read; a close makes the next call read the file again.
    configuration->remove();
    EXPECT_EQ(QUELLAN2_STATUS_ERROR, (*plugin)->connectionOpen("", &connection));
    (*plugin)->connectionClose(nullptr);
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionOpen("", &connection));
    EXPECT_EQ(0u, nodeCount(ANY_CONNECTION));
}

TEST_F(Frame, RefusedWritesReadNoConfiguration) {
    const QUELLAN2_TAG tags[1] = {FIRST_TAG};
    const QUELLAN2_VECTOR nullHandle[1] = {nullptr};
    const std::pair<const char*, std::function<QUELLAN2_STATUS()>> refusedCalls[] = {
        {"short historical write with a null vector",
         [&] { return (*plugin)->connectionWriteHistoricalData(ANY_CONNECTION, tags, 1, 0, nullptr); }},
        {"historical write with a null handle in its values",
         [&] { return (*plugin)->connectionWriteHistoricalDataEx(ANY_CONNECTION, tags, 1, 0, 1, 1, nullHandle); }},
    };
    for (const auto& [what, call] : refusedCalls) {
        SCOPED_TRACE(what);
        configuration->remove();
        EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, call());
        // Had the refused call read the (then missing) file, the open would keep its empty list.
        configuration->writeChildren({binaryFolder() + "/no-such-child" MQ_LIBRARY_SUFFIX});
        QUELLAN2_CONNECTION connection = nullptr;
        EXPECT_EQ(QUELLAN2_STATUS_ERROR, (*plugin)->connectionOpen("", &connection));
        (*plugin)->connectionClose(nullptr);
    }
}

TEST_F(Frame, AConfiguredPathThatIsAFolderFailsTheOpen) {
    configuration->writeChildren({binaryFolder()});
    QUELLAN2_CONNECTION connection = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_ERROR, (*plugin)->connectionOpen("", &connection));
}

TEST_F(Frame, ChildrenThatCannotBeStartedAreLeftOutSilently) {
    ScratchFolder folder("frame");
    const std::string notALibrary = folder.file("notes" MQ_LIBRARY_SUFFIX);
    writeFile(notALibrary, "this is no library\n");
    // Its own library would hand the Multiplexer to itself.
    configuration->writeChildren({notALibrary, libraryPath("MultiQuellan")});
    open();
    EXPECT_EQ(0u, nodeCount(ANY_CONNECTION));
}

}  // namespace
}  // namespace mq::test
