// The worker queue: posting order, the stop request, and what close() hands back.
#include "platform/WorkerQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <initializer_list>
#include <set>
#include <thread>
#include <vector>

using mq::platform::WorkerQueue;

namespace {

// Distinct addresses to post: element i of a block stands for item i.
struct ItemBlock {
    explicit ItemBlock(std::size_t count) : cells(count) {}
    void* item(std::size_t index) { return &cells[index]; }
    std::size_t indexOf(void* item) const { return static_cast<const char*>(item) - &cells[0]; }
    bool holds(void* item) const {
        auto* address = static_cast<const char*>(item);
        return address >= &cells[0] && address < &cells[0] + cells.size();
    }
    std::vector<char> cells;
};

// Takes items until next() says stop.
std::vector<void*> takeUntilStop(WorkerQueue& queue) {
    std::vector<void*> taken;
    void* item = nullptr;
    while (queue.next(item)) taken.push_back(item);
    return taken;
}

// Posts the items, then the stop request, from this thread.
void postThenStop(WorkerQueue& queue, std::initializer_list<void*> items) {
    for (void* item : items) EXPECT_TRUE(queue.post(item));
    EXPECT_TRUE(queue.post(nullptr));
}

}  // namespace

TEST(WorkerQueueOrder, ItemsFromOnePosterComeInPostingOrder) {
    ItemBlock block(3);
    WorkerQueue queue;
    queue.attach();
    postThenStop(queue, {block.item(0), block.item(1), block.item(2)});
    EXPECT_EQ(takeUntilStop(queue), (std::vector<void*>{block.item(0), block.item(1), block.item(2)}));
    EXPECT_TRUE(queue.close().empty());
}

TEST(WorkerQueueOrder, ItemsFromSeveralPostingThreadsKeepEachPostersOrder) {
    constexpr int POSTERS = 4;
    constexpr std::size_t PER_POSTER = 500;
    std::vector<ItemBlock> blocks(POSTERS, ItemBlock(PER_POSTER));
    WorkerQueue queue;
    std::promise<void> attached;
    std::future<std::vector<void*>> taken = std::async(std::launch::async, [&] {
        queue.attach();
        attached.set_value();
        std::vector<void*> items = takeUntilStop(queue);
        queue.close();
        return items;
    });
    attached.get_future().wait();

    std::vector<std::thread> posters;
    std::vector<int> failures(POSTERS, 0);
    for (int p = 0; p < POSTERS; ++p) {
        posters.emplace_back([&, p] {
            for (std::size_t i = 0; i < PER_POSTER; ++i)
                if (!queue.post(blocks[p].item(i))) ++failures[p];
        });
    }
    for (std::thread& poster : posters) poster.join();
    ASSERT_TRUE(queue.post(nullptr));
    std::vector<void*> items = taken.get();

    EXPECT_EQ(failures, std::vector<int>(POSTERS, 0));
    ASSERT_EQ(items.size(), POSTERS * PER_POSTER);
    std::vector<std::size_t> nextExpected(POSTERS, 0);
    for (void* item : items) {
        int owner = 0;
        while (owner < POSTERS && !blocks[owner].holds(item)) ++owner;
        ASSERT_LT(owner, POSTERS) << "an item that nobody posted";
        EXPECT_EQ(blocks[owner].indexOf(item), nextExpected[owner]++) << "poster " << owner;
    }
}

TEST(WorkerQueueOrder, AWaitingWorkerWakesForAnItemPostedLater) {
    ItemBlock block(1);
    WorkerQueue queue;
    std::promise<void> attached;
    std::future<std::vector<void*>> taken = std::async(std::launch::async, [&] {
        queue.attach();
        attached.set_value();
        return takeUntilStop(queue);
    });
    attached.get_future().wait();
    std::this_thread::yield();
    ASSERT_TRUE(queue.post(block.item(0)));
    ASSERT_TRUE(queue.post(nullptr));
    EXPECT_EQ(taken.get(), std::vector<void*>{block.item(0)});
}

TEST(WorkerQueueStop, TheStopRequestEndsTheWorkerAfterTheItemsQueuedBeforeIt) {
    ItemBlock block(2);
    WorkerQueue queue;
    queue.attach();
    postThenStop(queue, {block.item(0), block.item(1)});
    void* item = nullptr;
    ASSERT_TRUE(queue.next(item));
    EXPECT_EQ(item, block.item(0));
    ASSERT_TRUE(queue.next(item));
    EXPECT_EQ(item, block.item(1));
    EXPECT_FALSE(queue.next(item));
}

TEST(WorkerQueuePosting, PostAfterTheStopRequestFailsAndNothingIsTakenAfterIt) {
    ItemBlock block(2);
    WorkerQueue queue;
    queue.attach();
    ASSERT_TRUE(queue.post(block.item(0)));
    ASSERT_TRUE(queue.post(nullptr));
    EXPECT_FALSE(queue.post(block.item(1)));
    EXPECT_FALSE(queue.post(nullptr)) << "a second stop request";
    EXPECT_EQ(takeUntilStop(queue), std::vector<void*>{block.item(0)});
    EXPECT_TRUE(queue.close().empty());
}

TEST(WorkerQueuePosting, PostFromAnotherThreadAfterTheStopRequestFailsWhileTheWorkerIsBusy) {
    ItemBlock block(2);
    WorkerQueue queue;
    std::promise<void> attached, stopPosted;
    std::future<std::vector<void*>> taken = std::async(std::launch::async, [&] {
        queue.attach();
        attached.set_value();
        // Still busy with an earlier item when the stop request and the late post arrive.
        stopPosted.get_future().wait();
        std::vector<void*> items = takeUntilStop(queue);
        std::vector<void*> handedBack = queue.close();
        items.insert(items.end(), handedBack.begin(), handedBack.end());
        return items;
    });
    attached.get_future().wait();
    ASSERT_TRUE(queue.post(block.item(0)));
    ASSERT_TRUE(queue.post(nullptr));
    bool latePosted = true;
    std::thread([&] { latePosted = queue.post(block.item(1)); }).join();
    stopPosted.set_value();
    EXPECT_FALSE(latePosted);
    EXPECT_EQ(taken.get(), std::vector<void*>{block.item(0)}) << "taken or handed back";
}

// A stop request made while the worker is still starting must reach it, or
// the worker would wait for ever once started.
TEST(WorkerQueuePosting, PostsBeforeAttachReachTheWorkerOnceItAttaches) {
    ItemBlock block(2);
    WorkerQueue queue;
    ASSERT_TRUE(queue.post(block.item(0)));
    ASSERT_TRUE(queue.post(block.item(1)));
    ASSERT_TRUE(queue.post(nullptr));
    EXPECT_FALSE(queue.post(block.item(0))) << "after the stop request";
    std::vector<void*> taken = std::async(std::launch::async, [&] {
                                   queue.attach();
                                   std::vector<void*> items = takeUntilStop(queue);
                                   EXPECT_TRUE(queue.close().empty());
                                   return items;
                               }).get();
    EXPECT_EQ(taken, (std::vector<void*>{block.item(0), block.item(1)}));
}

TEST(WorkerQueueClose, CloseHandsBackItemsPostedBeforeAttach) {
    ItemBlock block(2);
    WorkerQueue queue;
    ASSERT_TRUE(queue.post(block.item(0)));
    ASSERT_TRUE(queue.post(block.item(1)));
    std::vector<void*> untaken = std::async(std::launch::async, [&] {
                                     queue.attach();
                                     return queue.close();
                                 }).get();
    EXPECT_EQ(untaken, (std::vector<void*>{block.item(0), block.item(1)}));
}

TEST(WorkerQueuePosting, PostAfterCloseFails) {
    ItemBlock block(1);
    WorkerQueue queue;
    queue.attach();
    queue.close();
    EXPECT_FALSE(queue.post(block.item(0)));
    EXPECT_FALSE(queue.post(nullptr));
}

TEST(WorkerQueuePosting, PostFromAnotherThreadAfterCloseFails) {
    ItemBlock block(1);
    WorkerQueue queue;
    queue.attach();
    queue.close();
    bool posted = true;
    std::thread([&] { posted = queue.post(block.item(0)); }).join();
    EXPECT_FALSE(posted);
}

TEST(WorkerQueueClose, CloseHandsBackTheUntakenItemsInPostingOrder) {
    ItemBlock block(4);
    WorkerQueue queue;
    queue.attach();
    for (std::size_t i = 0; i < 4; ++i) ASSERT_TRUE(queue.post(block.item(i)));
    void* item = nullptr;
    ASSERT_TRUE(queue.next(item));
    EXPECT_EQ(item, block.item(0));
    EXPECT_EQ(queue.close(), (std::vector<void*>{block.item(1), block.item(2), block.item(3)}));
    EXPECT_TRUE(queue.close().empty()) << "handed back twice";
}

TEST(WorkerQueueClose, EveryAcceptedPostIsEitherTakenOrHandedBackWhenCloseMeetsPosters) {
    constexpr int POSTERS = 3;
    constexpr std::size_t PER_POSTER = 1000;
    constexpr std::size_t TAKE_BEFORE_CLOSE = 100;
    std::vector<ItemBlock> blocks(POSTERS, ItemBlock(PER_POSTER));
    WorkerQueue queue;
    std::promise<void> attached;
    struct WorkerResult {
        std::vector<void*> taken;
        std::vector<void*> handedBack;
    };
    std::future<WorkerResult> worker = std::async(std::launch::async, [&] {
        WorkerResult result;
        queue.attach();
        attached.set_value();
        void* item = nullptr;
        while (result.taken.size() < TAKE_BEFORE_CLOSE && queue.next(item)) result.taken.push_back(item);
        result.handedBack = queue.close();
        return result;
    });
    attached.get_future().wait();

    std::vector<std::vector<void*>> accepted(POSTERS);
    std::vector<std::thread> posters;
    for (int p = 0; p < POSTERS; ++p) {
        posters.emplace_back([&, p] {
            for (std::size_t i = 0; i < PER_POSTER; ++i) {
                if (!queue.post(blocks[p].item(i))) break;
                accepted[p].push_back(blocks[p].item(i));
            }
        });
    }
    for (std::thread& poster : posters) poster.join();
    WorkerResult result = worker.get();

    EXPECT_EQ(result.taken.size(), TAKE_BEFORE_CLOSE);
    std::multiset<void*> seen(result.taken.begin(), result.taken.end());
    seen.insert(result.handedBack.begin(), result.handedBack.end());
    std::multiset<void*> expected;
    for (const std::vector<void*>& items : accepted) expected.insert(items.begin(), items.end());
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(queue.post(blocks[0].item(0)));
}

// A worker with work of its own between items: a wait that runs out gives no
// item and leaves the queue as it was; items and the stop request come as
// from next().
TEST(WorkerQueueWithin, AWaitThatRunsOutGivesNoItemAndLosesNothing) {
    ItemBlock block(2);
    WorkerQueue queue;
    queue.attach();
    void* item = block.item(1);
    EXPECT_TRUE(queue.nextWithin(item, std::chrono::milliseconds(0)));
    EXPECT_EQ(nullptr, item);
    EXPECT_TRUE(queue.nextWithin(item, std::chrono::milliseconds(20)));
    EXPECT_EQ(nullptr, item);
    postThenStop(queue, {block.item(0), block.item(1)});
    std::vector<void*> taken;
    while (queue.nextWithin(item, std::chrono::minutes(1))) taken.push_back(item);
    EXPECT_EQ((std::vector<void*>{block.item(0), block.item(1)}), taken);
    EXPECT_TRUE(queue.close().empty());
}
