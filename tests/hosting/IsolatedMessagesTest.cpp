// An isolated child's replies of many frames arrive whole, and one larger than this process takes fails that call alone.
#include "data/IsolationFixture.h"
#include "hosting/isolation/IsolatedChild.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mq::test {
namespace {

constexpr int32_t CLOCK = 1700000000;
constexpr uint32_t TAGS = 10;

std::string plant() {
    std::string text = "clock 1700000000\nnode A\n";
    for (uint32_t k = 0; k < TAGS; ++k)
        text += "tag A t" + std::to_string(k) + " float base=" + std::to_string(k) + ".25 amplitude=2 noise=0.5\n";
    return text;
}

// The tags of the child's one node, through `functions`.
std::vector<QUELLAN2_TAG> tagsOf(const ChildFunctionTable& functions, QUELLAN2_CONNECTION connection) {
    QUELLAN2_NODE node = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_OK, functions.connectionGetNode(connection, 0, &node));
    std::vector<QUELLAN2_TAG> tags(TAGS, nullptr);
    for (uint32_t k = 0; k < TAGS; ++k) EXPECT_EQ(QUELLAN2_STATUS_OK, functions.nodeGetTag(node, k, &tags[k]));
    return tags;
}

// A historical read of `samples` samples of every tag: its status and each vector, exactly.
std::string history(const ChildFunctionTable& functions, QUELLAN2_CONNECTION connection, uint32_t samples) {
    const std::vector<QUELLAN2_TAG> tags = tagsOf(functions, connection);
    std::vector<QUELLAN2_VECTOR> results(samples, nullptr);
    const QUELLAN2_STATUS status = functions.connectionReadHistoricalDataEx(connection, tags.data(), TAGS,
                                                                            CLOCK - 36000, 10, samples, results.data());
    std::string text = statusText(status);
    for (QUELLAN2_VECTOR result : results) text += "\n" + exactVector(functions, result);
    return text;
}

class IsolatedMessages : public ::testing::Test {
protected:
    ScratchFolder folder{"isolated-messages"};
    SimChild sim{folder.path(), "Child", plant()};
};

TEST_F(IsolatedMessages, AReplyOfManyFramesIsWholeAndOneTooLargeFailsThatCallAlone) {
    LoadedPlugin loaded(sim.libraryPath());
    QUELLAN2_CONNECTION inProcess = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, loaded->initialize());
    ASSERT_EQ(QUELLAN2_STATUS_OK, loaded->connectionOpen("", &inProcess));

    // Frames of 1 KiB and messages of up to 16 KiB: 50 samples of ten tags
    // take some ten frames, 200 samples more than the message limit.
    surrogate::Limits limits;
    limits.frameBytes = 1024;
    limits.messageBytes = 16 * 1024;
    IsolatedChild isolated(sim.libraryPath(), limits);
    QUELLAN2_CONNECTION inSurrogate = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, isolated.initialize());
    ASSERT_EQ(QUELLAN2_STATUS_OK, isolated.connectionOpen("", &inSurrogate));
    const std::int64_t surrogate = isolated.surrogateId();
    ASSERT_NE(0, surrogate);

    const std::string expected = history(*loaded, inProcess, 50);
    ASSERT_EQ(0u, expected.find(statusText(QUELLAN2_STATUS_OK) + "\nlength " + statusText(QUELLAN2_STATUS_OK)));
    ASSERT_GT(expected.size(), 2 * limits.frameBytes) << "the reply takes several frames";
    EXPECT_EQ(expected, history(isolated.functions(), inSurrogate, 50));

    const std::string tooLarge = history(isolated.functions(), inSurrogate, 200);
    EXPECT_EQ(0u, tooLarge.find(statusText(QUELLAN2_STATUS_ERROR))) << tooLarge.substr(0, 200);
    EXPECT_EQ(surrogate, isolated.surrogateId()) << "the same surrogate goes on";
    EXPECT_EQ(expected, history(isolated.functions(), inSurrogate, 50)) << "the next call is answered whole";

    EXPECT_EQ(QUELLAN2_STATUS_OK, isolated.functions().connectionClose(inSurrogate));
    EXPECT_EQ(QUELLAN2_STATUS_OK, isolated.uninitialize());
    loaded->connectionClose(inProcess);
    loaded->uninitialize();
}

}  // namespace
}  // namespace mq::test
