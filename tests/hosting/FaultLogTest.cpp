// The fault log: its file's lines and rotation, the limit per minute, the bounded queue, the system's log.
#include "hosting/FaultLog.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <future>
#include <vector>

namespace mq {
namespace {

using namespace std::chrono_literals;

// 2026-12-08T09:00:00.250Z
const std::chrono::system_clock::time_point WHEN = std::chrono::system_clock::time_point(1796720400250ms);

ChildEvent fault(const std::string& child, ChildEventKind kind = ChildEventKind::FAULT) {
    return ChildEvent{WHEN, kind, child, "connectionReadCurrentData", "access violation"};
}

// Keeps the lines as event and detail; the first write may be held until the test lets it go.
class Recorder : public FaultLog::Output {
public:
    explicit Recorder(std::vector<std::string>& lines, bool holdFirst = false) : lines(lines), holding(holdFirst) {}
    void write(const FaultLogLine& line) noexcept override {
        if (holding.exchange(false)) {
            entered.set_value();
            release.get_future().wait();
        }
        lines.push_back(line.event + ": " + line.detail);
    }
    std::promise<void> entered;
    std::promise<void> release;

private:
    std::vector<std::string>& lines;
    std::atomic<bool> holding;
};

class FaultLogFile : public ::testing::Test {
protected:
    test::ScratchFolder scratch{"faultlog"};
    std::string path = scratch.file("faults.log");
};

TEST_F(FaultLogFile, WritesOneLineOfTabSeparatedFieldsPerEventWithControlCharactersEscaped) {
    ChildEvent event = fault("/plants/a.so");
    event.detail = "access violation\nat\t0x10";
    FaultLog::open({true, path}, false)->post(event);
    EXPECT_EQ(test::readFile(path),
              "2026-12-08T09:00:00.250Z\t/plants/a.so\tfault\tconnectionReadCurrentData\taccess violation\\x0aat\\x090x10\n");
}

TEST_F(FaultLogFile, MovesTheFileToDotOneBeforeItReachesItsLimit) {
    const std::string line = faultLogFileLine({WHEN, platform::LogSeverity::FAILURE, "a", "fault",
                                               "connectionReadCurrentData", "access violation"});
    test::writeFile(path + ".1", "an older file\n");
    FaultLog::Limits limits;
    limits.fileSize = 3 * line.size() + 1;
    {
        std::unique_ptr<FaultLog> log = FaultLog::open({true, path}, false, limits);
        for (int k = 0; k < 5; ++k) log->post(fault("a"));
    }
    EXPECT_EQ(test::readFile(path + ".1"), line + line + line);
    EXPECT_EQ(test::readFile(path), line + line);
}

TEST_F(FaultLogFile, APrivilegedHostWritesNoFile) {
    FaultLog::open({true, path}, true)->post(fault("a"));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(FaultLogFile, DoesNotFollowALinkPlantedInTheFilesPlace) {
    const std::string target = scratch.file("target");
    test::writeFile(target, "");
    std::error_code error;
    std::filesystem::create_symlink(target, path, error);
    if (error) GTEST_SKIP() << "no links here: " << error.message();
    FaultLog::open({true, path}, false)->post(fault("a"));
    EXPECT_EQ(test::readFile(target), "");
}

TEST(FaultLogSystem, TakesLinesWhetherOrNotTheSystemListens) {
    FaultLog::open({true, ""}, false)->post(fault("/plants/a.so"));
    platform::SystemLog log;
    log.write(platform::LogSeverity::WARNING, "MultiQuellan test line");
}

TEST(FaultLogRate, WritesTenLinesAMinutePerChildAndKindThenHowManyWereHeldBack) {
    std::atomic<std::chrono::steady_clock::time_point> now{std::chrono::steady_clock::time_point(1h)};
    std::vector<std::string> lines;
    {
        FaultLog log(std::make_unique<Recorder>(lines), FaultLog::Limits{}, [&] { return now.load(); });
        for (int k = 0; k < 12; ++k) log.post(fault("a"));
        log.post(fault("a", ChildEventKind::TIMEOUT));
        now = now.load() + 61s;
        log.post(fault("a"));
    }
    std::vector<std::string> expected(10, "fault: access violation");
    expected.push_back("timeout: access violation");
    expected.push_back("fault: 2 more suppressed within a minute");
    expected.push_back("fault: access violation");
    EXPECT_EQ(lines, expected);
}

TEST(FaultLogQueue, DropsWhatAFullQueueCannotHoldAndCountsIt) {
    std::vector<std::string> lines;
    FaultLog::Limits limits;
    limits.queueCapacity = 4;
    {
        auto recorder = std::make_unique<Recorder>(lines, true);
        Recorder& held = *recorder;
        FaultLog log(std::move(recorder), limits);
        log.post(fault("a"));
        // The writer holds the first event; the queue's four places are free.
        held.entered.get_future().wait();
        for (int k = 0; k < 6; ++k) log.post(fault("a"));
        held.release.set_value();
    }
    std::vector<std::string> expected(5, "fault: access violation");
    expected.push_back("events dropped: 2 events dropped: the log's queue was full");
    EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace mq
