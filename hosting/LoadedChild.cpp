// A child whose library is loaded into this process and called directly.
#include "hosting/ChildModule.h"

#include "hosting/ChildMachine.h"
#include "hosting/GuardedCall.h"
#include "hosting/isolation/IsolatedChild.h"
#include "hosting/LibraryHandle.h"
#include "hosting/ModuleLocks.h"
#include "interface/Exception.h"

namespace mq {

namespace {

class LoadedChild final : public ChildModule {
public:
    explicit LoadedChild(const std::string& path) {
        library.load(path);
        if (isThisLibrary()) return;
        exports.resolve(library, path);
        table = exports;
        turns = moduleLock(library.handle());
    }

    // Our own module would share the Multiplexer with its parent.
    bool isThisLibrary() const { return library.isThisLibrary(); }

    QUELLAN2_STATUS initialize() override { return guardedCall(exports.initialize); }
    QUELLAN2_STATUS uninitialize() override { return guardedCall(exports.uninitialize); }
    QUELLAN2_STATUS getIdentity(QUELLAN2_STRING* identity) override {
        return guardedCall(exports.getIdentity, identity);
    }
    QUELLAN2_STATUS connectionOpen(const char* connectionText, QUELLAN2_CONNECTION* connection) override {
        return guardedCall(exports.connectionOpen, connectionText, connection);
    }

private:
    LibraryHandle library;
    // Every function the library exports; the data path's part is copied to the table.
    ChildExports exports;
};

}  // namespace

std::unique_ptr<ChildModule> makeChildModule(const std::string& path, Isolation isolation) {
    // A library of another machine type is told apart before any loader sees it.
    const ChildMachine machine = childMachine(path);
    if (!machine.refusal.empty()) throw Exception(path + " is " + machine.refusal);
    if (isolation == Isolation::PROCESS || machine.alwaysIsolated)
        return std::make_unique<IsolatedChild>(path, surrogate::Limits{}, machine.surrogateProgram);
    auto loaded = std::make_unique<LoadedChild>(path);
    if (loaded->isThisLibrary()) return nullptr;
    return loaded;
}

}  // namespace mq
