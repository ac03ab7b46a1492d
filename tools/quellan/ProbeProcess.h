// Running the tool's calls into a plug-in in a process of its own, which a plug-in that ends its process ends alone.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mq::platform {
class Channel;
}

namespace quellan {

// What the tool and its probe say to each other: a list of byte strings,
// carried as they are (plug-in texts need not be UTF-8).
using ProbeMessage = std::vector<std::string>;

// The probe's side: where it reports what it found.
class ProbeReport {
public:
    explicit ProbeReport(mq::platform::Channel& channel) : channel(channel) {}
    // False when the tool has gone.
    bool send(const ProbeMessage& message);

private:
    mq::platform::Channel& channel;
};

struct ProbeRun {
    // False when no process could be started.
    bool started = false;
    // The probe was still running at the limit, and was killed.
    bool timedOut = false;
    // How it ended, as HelperProcess::ending() words it: empty for exit code 0.
    std::string ending;
    // Every message it sent, in order.
    std::vector<ProbeMessage> messages;
};

// Starts this program again as a probe, sends it `request` (whose first word
// names the handler) and collects what it reports until it ends; with a
// `limit`, kills it once that has passed.
ProbeRun runProbe(const ProbeMessage& request, std::optional<std::chrono::milliseconds> limit);

// A handler in the probe: answers the request through the report.
using ProbeHandler = void (*)(const ProbeMessage& request, ProbeReport& report);

// Whether this process was started by runProbe(); first thing in main.
bool isProbe(int argc, char** argv);
// Serves the request with the handler it names and ends the process at once:
// no destructor or exit handler runs after a plug-in that may still be at work.
[[noreturn]] void serveProbe(int argc, char** argv, const std::map<std::string, ProbeHandler>& handlers);

}  // namespace quellan
