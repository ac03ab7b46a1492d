// SimQuellan children for tests: a library copy with its sidecar in a scratch
// folder, its journal read back as entries, the values it should deliver, and
// its test entry points reached through the real loader.
#pragma once

#include "platform/DynamicLibrary.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace mq::test {

// The built variants of SimQuellan.
enum class SimVariant {
    FULL,                 // SimQuellan: all 39 functions
    NO_EX,                // SimQuellanNoEx: lacks the four ...Ex functions and both sub-node functions
    NO_SUB_NODE_FETCH,    // SimQuellanNoSubNodeFetch: has quellan2_nodeGetNumNodes, lacks quellan2_nodeGetNode
    MISSING_ONE,          // SimQuellanMissingOne: lacks quellan2_stringCopy
    MISSING_TWO,          // SimQuellanMissingTwo: also lacks quellan2_nodeGetName
    MISSING_THREE,        // SimQuellanMissingThree: also lacks quellan2_connectionGetCurrentTime
};

// The variant's library base name, for libraryPath(): "SimQuellanNoEx".
std::string simLibraryName(SimVariant variant);

// The processor a SimQuellan copy is built for: the tests' own, or 32-bit x86
// beside a 64-bit Windows build (SimQuellan32.dll and the variants), which
// the host serves in quellan-surrogate32.
enum class SimMachine { NATIVE, X86 };

// The machines this build has SimQuellan for: NATIVE, and X86 where built.
std::vector<SimMachine> simMachines();

// One line of a child's journal.
struct JournalEntry {
    std::uint64_t sequence = 0;
    std::uint32_t thread = 0;
    std::string function;   // without the quellan2_ prefix
    std::string arguments;  // "connection=1 tags=3,4 count=2 time=1000"
    std::string status;     // "0".."4", or "fault " and the fault's word for a call that did not return

    bool returned() const { return !status.empty() && status[0] != 'f'; }
    // The status code; only for entries that returned.
    std::uint32_t code() const { return static_cast<std::uint32_t>(std::stoul(status)); }
};

// A simulated value: null, a text or a float.
using SimValue = std::variant<std::monostate, std::string, float>;

// The value the sidecar's tag "<nodePath> <tagName>" has at `time`, by the
// formula the library uses; null when the sidecar has no such tag.
SimValue expectedSimValue(const std::string& sidecarText, const std::string& nodePath, const std::string& tagName,
                          std::int64_t time);

// The tag's update time when the child's clock reads `now`.
std::int64_t expectedUpdateTime(const std::string& sidecarText, const std::string& nodePath,
                                const std::string& tagName, std::int64_t now);

class SimChild {
public:
    // Copies the variant's library into `folder` as `fileBase` plus the
    // platform's suffix and writes `sidecarText` beside it as `fileBase`.sim.
    SimChild(const std::string& folder, const std::string& fileBase, const std::string& sidecarText,
             SimVariant variant = SimVariant::FULL, SimMachine machine = SimMachine::NATIVE);
    ~SimChild();
    SimChild(const SimChild&) = delete;
    SimChild& operator=(const SimChild&) = delete;

    const std::string& libraryPath() const { return library; }
    const std::string& sidecarPath() const { return sidecar; }
    const std::string& sidecarText() const { return text; }
    // Where the library journals: the sidecar's "journal" line, else `fileBase`.journal.
    std::string journalPath() const;

    // Rewrites the sidecar; the library reads it at its next initialize.
    void writeSidecar(const std::string& sidecarText);

    std::vector<JournalEntry> journal() const;
    // Only the entries of one function.
    std::vector<JournalEntry> journal(const std::string& function) const;
    void clearJournal() const;
    // The journal's note lines, without their "# ".
    std::vector<std::string> journalNotes() const;

    SimValue expectedValue(const std::string& nodePath, const std::string& tagName, std::int64_t time) const {
        return expectedSimValue(text, nodePath, tagName, time);
    }

    // Loads the library through the real loader on first use (the same
    // module that a host in this process loads from the same path) and calls
    // simquellan_control; 0, or 2 for a line the library does not accept.
    std::uint32_t control(const std::string& line);
    // The calling thread's number as this child's journal writes it.
    std::uint32_t threadId();
    // The module this object loaded (null until control or threadId ran).
    platform::ModuleHandle module() const { return loaded; }

private:
    void* entry(const char* name);

    std::string library;
    std::string sidecar;
    std::string text;
    platform::ModuleHandle loaded = nullptr;
};

// Reads a journal file into entries; note lines ('#') are skipped.
std::vector<JournalEntry> readJournal(const std::string& path);

}  // namespace mq::test
