// Where a child's code runs: a library loaded into this process, or a surrogate process of its own.
#pragma once

#include "config/CallOptions.h"
#include "hosting/ChildFunctionTable.h"
#include "quellan2.h"

#include <memory>
#include <mutex>
#include <string>

namespace mq {

// A QuellanProxy calls its child through this and never learns which kind it
// has. The entry points of the table are the child's own for a loaded
// library; for an isolated child they are stand-ins that forward each call
// to the surrogate process and hand back what the child answered there.
//
// The start-up and shut-down calls, which carry no handle of the child, are
// members and only members: the table has no entry for them. The proxy's
// worker makes them.
class ChildModule {
public:
    ChildModule() = default;
    virtual ~ChildModule() = default;
    ChildModule(const ChildModule&) = delete;
    ChildModule& operator=(const ChildModule&) = delete;

    // The entry points of the data path. An isolated child's table says which
    // optional functions the child has once initialize() has run.
    const ChildFunctionTable& functions() const { return table; }
    // Taken around every call into the child's code: children whose code is
    // one loaded module take turns.
    std::mutex& turn() const { return *turns; }

    // On the worker thread, first: an isolated child's surrogate is started
    // here, so that it lives no longer than the worker. A surrogate that cannot
    // be started, or cannot load the child, fails this and every later call.
    virtual QUELLAN2_STATUS initialize() = 0;
    virtual QUELLAN2_STATUS uninitialize() = 0;
    virtual QUELLAN2_STATUS getIdentity(QUELLAN2_STRING* identity) = 0;
    // Opens the connection; an isolated child also reads its whole tree here.
    virtual QUELLAN2_STATUS connectionOpen(const char* connectionText, QUELLAN2_CONNECTION* connection) = 0;

    // A call to the child has been given up and may never return. An isolated
    // child's surrogate is ended, so that the call in progress and every later
    // one fail at once; a loaded library cannot be stopped. True when the
    // calls in progress now return soon. Any thread.
    virtual bool abandon() noexcept { return false; }
    // True once an isolated child's surrogate has gone (it died, or abandon()
    // ended it), also between calls: every call fails at once until renew().
    // A loaded library never ends. On the worker.
    virtual bool ended() noexcept { return false; }
    // How the surrogate ended ("aborted", "exit code 70", "signal SIGKILL");
    // empty when not known.
    virtual std::string ending() const { return {}; }
    // On the worker, after ended(): makes ready for a new surrogate, which
    // initialize() then starts. The connectionOpen() that follows points the
    // node and tag handles given out before at the new tree, so that they
    // keep their meaning. False for a child that cannot be started again.
    virtual bool renew() { return false; }

protected:
    ChildFunctionTable table;
    std::shared_ptr<std::mutex> turns;
};

// The child as the configuration places it. A loaded library is loaded here
// and its functions resolved, raising Exception as LibraryHandle::load and
// ChildExports::resolve do; null when the path names this very
// library. An isolated child starts nothing until initialize().
std::unique_ptr<ChildModule> makeChildModule(const std::string& path, Isolation isolation);

}  // namespace mq
