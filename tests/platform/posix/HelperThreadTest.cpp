// A helper ends when the thread that started it ends: the parent-death signal of POSIX systems.
#include "ChannelPeerHost.h"

#include <gtest/gtest.h>

#include <thread>

using namespace mq::test::peer;

TEST(HelperStartingThread, AHelperEndsWhenTheThreadThatStartedItEnds) {
    Peer peer;  // a helper of the test's own thread, replaced by the one the starter starts
    std::thread starter([&] {
        Peer started;
        // Once it has answered, the helper has set its parent-death signal.
        std::vector<char> back;
        if (!echo(started.channel, {'t'}, back)) return;
        peer.channel = std::move(started.channel);
        peer.helper = std::move(started.helper);
    });
    starter.join();
    ASSERT_TRUE(peer.helper.isStarted());
    EXPECT_TRUE(endsWithinPatience(peer.helper.id()));
}
