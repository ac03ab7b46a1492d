// A helper process and its channel: transfers, every way the helper can end, reaping, and what the helper inherits.
#include "platform/HelperProcess.h"

#include "ChannelPeerHost.h"
#include "InheritableHandle.h"
#include "support/ChildProcesses.h"
#include "support/ProcessRunner.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

using mq::platform::Channel;
using mq::platform::HelperProcess;
using namespace mq::test::peer;
using namespace std::chrono_literals;

namespace {

// Where the host below writes its helper's number among GoogleTest's output.
const char HELPER_ID_MARK[] = "helper process ";

bool isChildOfThisProcess(std::int64_t id) {
    const std::vector<std::int64_t> children = mq::test::childProcessesOf(mq::test::thisProcessId());
    return std::find(children.begin(), children.end(), id) != children.end();
}

}  // namespace

class HelperChannelTransfer : public ::testing::TestWithParam<std::size_t> {};

TEST_P(HelperChannelTransfer, BytesComeBackUnchangedInBothDirections) {
    Peer peer;
    ASSERT_TRUE(peer.helper.isStarted());
    std::vector<char> bytes(GetParam());
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    std::vector<char> back;
    ASSERT_TRUE(echo(peer.channel, bytes, back));
    EXPECT_TRUE(back == bytes);
}

// One byte, a few pipe buffers, and several megabytes that no system buffers at once.
INSTANTIATE_TEST_SUITE_P(Sizes, HelperChannelTransfer, ::testing::Values(1, 200 * 1024, 8 * 1024 * 1024));

enum class Ending { EXIT, ABORT, KILL_FROM_ANOTHER_THREAD };

class HelperEnding : public ::testing::TestWithParam<Ending> {};

TEST_P(HelperEnding, ABlockedReadReturnsFalseAndWritesFailWithoutASignal) {
    Peer peer;
    ASSERT_TRUE(peer.helper.isStarted());
    std::vector<char> back;
    ASSERT_TRUE(echo(peer.channel, {'r'}, back)) << "the peer does not answer";

    std::thread killer;
    switch (GetParam()) {
        case Ending::EXIT: ASSERT_TRUE(send(peer.channel, EXIT)); break;
        case Ending::ABORT: ASSERT_TRUE(send(peer.channel, ABORT)); break;
        case Ending::KILL_FROM_ANOTHER_THREAD:
            ASSERT_TRUE(send(peer.channel, HANG));
            killer = std::thread([&] { peer.helper.kill(); });
            break;
    }
    char never = 0;
    EXPECT_FALSE(peer.channel.read(&never, 1));
    if (killer.joinable()) killer.join();
    // More than any channel buffers, so the write cannot succeed into a buffer.
    const std::vector<char> bytes(4 * 1024 * 1024, 'w');
    EXPECT_FALSE(peer.channel.write(bytes.data(), bytes.size()));
    EXPECT_FALSE(peer.channel.write(bytes.data(), 1));
    EXPECT_TRUE(peer.helper.waitForExit(PATIENCE));
}

INSTANTIATE_TEST_SUITE_P(Endings, HelperEnding,
                         ::testing::Values(Ending::EXIT, Ending::ABORT, Ending::KILL_FROM_ANOTHER_THREAD));

struct EndingWords {
    char command;
    const char* words;
};

class HelperEndingWords : public ::testing::TestWithParam<EndingWords> {};

TEST_P(HelperEndingWords, TheEndedHelperSaysHowItEnded) {
    Peer peer;
    EXPECT_EQ("", peer.helper.ending()) << "before it has ended";
    ASSERT_TRUE(send(peer.channel, GetParam().command));
    ASSERT_TRUE(peer.helper.waitForExit(PATIENCE));
    EXPECT_EQ(GetParam().words, peer.helper.ending());
}

INSTANTIATE_TEST_SUITE_P(Endings, HelperEndingWords,
                         ::testing::Values(EndingWords{EXIT, "exit code 7"}, EndingWords{ABORT, "aborted"}));

TEST(HelperLifetime, WaitForExitReapsAHelperThatEnded) {
    Peer peer;
    ASSERT_TRUE(send(peer.channel, EXIT));
    ASSERT_TRUE(peer.helper.waitForExit(PATIENCE));
    EXPECT_FALSE(isChildOfThisProcess(peer.helper.id()));
}

// Nobody waits for it, and its channel stays open: it is reaped all the same.
TEST(HelperLifetime, AHelperThatEndsIsReapedAtOnceWithoutAWait) {
    Peer peer;
    ASSERT_TRUE(send(peer.channel, EXIT));
    const auto deadline = std::chrono::steady_clock::now() + PATIENCE;
    while (isChildOfThisProcess(peer.helper.id()) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(isChildOfThisProcess(peer.helper.id())) << "left a zombie or an open handle";
    EXPECT_TRUE(peer.helper.waitForExit(0ms));
}

TEST(HelperLifetime, WaitForExitGivesUpOnAHelperThatRuns) {
    Peer peer;
    ASSERT_TRUE(send(peer.channel, HANG));
    EXPECT_FALSE(peer.helper.waitForExit(0ms));
    EXPECT_FALSE(peer.helper.waitForExit(1ms));
    EXPECT_TRUE(mq::test::processExists(peer.helper.id()));
}

TEST(HelperLifetime, KillWhileAnotherThreadWaitsEndsTheWait) {
    Peer peer;
    ASSERT_TRUE(send(peer.channel, HANG));
    std::thread waiter([&] { EXPECT_TRUE(peer.helper.waitForExit(PATIENCE)); });
    peer.helper.kill();
    waiter.join();
    peer.helper.kill();
    EXPECT_FALSE(isChildOfThisProcess(peer.helper.id()));
}

TEST(HelperLifetime, DestroyingARunningHelperLeavesNoProcess) {
    std::int64_t id = 0;
    {
        Peer peer;
        ASSERT_TRUE(send(peer.channel, HANG));
        id = peer.helper.id();
        ASSERT_TRUE(isChildOfThisProcess(id));
    }
    EXPECT_FALSE(isChildOfThisProcess(id));
    EXPECT_FALSE(mq::test::processExists(id));
}

TEST(HelperLifetime, AMovedHelperAndChannelLeaveTheirSourcesEmpty) {
    Peer peer;
    HelperProcess helper(std::move(peer.helper));
    Channel channel(std::move(peer.channel));
    EXPECT_FALSE(peer.helper.isStarted());
    EXPECT_EQ(peer.helper.id(), 0);
    EXPECT_FALSE(peer.channel.isOpen());
    std::vector<char> back;
    EXPECT_TRUE(echo(channel, {'m'}, back));
    HelperProcess other;
    other = std::move(helper);
    EXPECT_FALSE(helper.isStarted());
    EXPECT_TRUE(other.isStarted());
}

// Run only as a process of its own (below): starts a helper and ends this
// process without any clean-up, as a crash of the host would.
TEST(HelperHostChild, DISABLED_StartAHelperAndEnd) {
    Peer peer;
    std::vector<char> back;
    // Hanging, the helper no longer reads the channel, whose end would tell it that the host has gone.
    if (!echo(peer.channel, {'s'}, back) || !send(peer.channel, HANG)) std::_Exit(1);
    std::cout << HELPER_ID_MARK << peer.helper.id() << std::endl;
    std::_Exit(0);
}

TEST(HelperLifetime, AHelperEndsWhenItsHostEnds) {
    const mq::test::ProcessResult host = mq::test::runThisProgram(
        {"--gtest_also_run_disabled_tests", "--gtest_filter=HelperHostChild.DISABLED_StartAHelperAndEnd"});
    ASSERT_EQ(host.exitCode, 0) << host.err;
    const std::size_t mark = host.out.find(HELPER_ID_MARK);
    ASSERT_NE(mark, std::string::npos) << host.out;
    const std::int64_t id = std::stoll(host.out.substr(mark + std::strlen(HELPER_ID_MARK)));
    EXPECT_TRUE(endsWithinPatience(id));
}

TEST(HelperStart, AProgramThatDoesNotExistStartsNothing) {
    Channel channel;
    HelperProcess helper = HelperProcess::start(mq::test::binaryFolder() + "/no-such-program", channel);
    EXPECT_FALSE(helper.isStarted());
    EXPECT_EQ(helper.id(), 0);
    EXPECT_FALSE(channel.isOpen());
    EXPECT_TRUE(helper.waitForExit(0ms));
    helper.kill();
}

TEST(HelperStart, AnArgumentThatIsNotOneWordStartsNothing) {
    Channel channel;
    EXPECT_FALSE(HelperProcess::start(peerPath(), channel, {"two words"}).isStarted());
    EXPECT_FALSE(channel.isOpen());
    EXPECT_TRUE(HelperProcess::start(peerPath(), channel, {"one-word"}).isStarted());
}

TEST(HelperStart, AProgramNamedWithoutItsFolderStartsNothing) {
    Channel channel;
    EXPECT_FALSE(HelperProcess::start(CHANNEL_PEER, channel).isStarted());
    EXPECT_FALSE(channel.isOpen());
}

TEST(HelperStart, TheHelperInheritsNoOtherHandleOfTheHost) {
    mq::test::InheritableHandle handle;
    Peer peer;
    const std::int64_t value = handle.value();
    char held = 0;
    ASSERT_TRUE(send(peer.channel, HELD_PIPE));
    ASSERT_TRUE(peer.channel.write(&value, sizeof value));
    ASSERT_TRUE(peer.channel.read(&held, 1));
    EXPECT_EQ(held, 0);
}

TEST(HelperAttach, AProgramStartedWithoutAChannelGetsAClosedOne) {
    char program[] = "helper";
    char* argv[] = {program, nullptr};
    EXPECT_FALSE(HelperProcess::attachToHost(1, argv).isOpen());
}
