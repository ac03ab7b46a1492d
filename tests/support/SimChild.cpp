#include "support/SimChild.h"

#include "samples/simquellan/SimQuellanControl.h"
#include "samples/simquellan/SimValue.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace mq::test {

namespace {

// The sidecar's tag line for the tag, split into words; empty when absent.
std::vector<std::string> tagLine(const std::string& sidecarText, const std::string& nodePath,
                                 const std::string& tagName) {
    std::istringstream lines(sidecarText);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> words = simquellan::splitWords(line);
        if (words.size() >= 4 && words[0] == "tag" && words[1] == nodePath && words[2] == tagName) return words;
    }
    return {};
}

bool signalOf(const std::string& sidecarText, const std::string& nodePath, const std::string& tagName,
              simquellan::Signal& signal) {
    std::vector<std::string> words = tagLine(sidecarText, nodePath, tagName);
    if (words.empty()) return false;
    std::string error;
    return simquellan::parseSignal(words[3], std::vector<std::string>(words.begin() + 4, words.end()), signal, error);
}

}  // namespace

std::string simLibraryName(SimVariant variant) {
    switch (variant) {
    case SimVariant::FULL: return "SimQuellan";
    case SimVariant::NO_EX: return "SimQuellanNoEx";
    case SimVariant::NO_SUB_NODE_FETCH: return "SimQuellanNoSubNodeFetch";
    case SimVariant::MISSING_ONE: return "SimQuellanMissingOne";
    case SimVariant::MISSING_TWO: return "SimQuellanMissingTwo";
    case SimVariant::MISSING_THREE: return "SimQuellanMissingThree";
    }
    return "SimQuellan";
}

SimValue expectedSimValue(const std::string& sidecarText, const std::string& nodePath, const std::string& tagName,
                          std::int64_t time) {
    simquellan::Signal signal;
    if (!signalOf(sidecarText, nodePath, tagName, signal)) return std::monostate();
    if (signal.isString) return simquellan::stringValue(signal, tagName, time);
    return simquellan::floatValue(signal, tagName, time);
}

std::int64_t expectedUpdateTime(const std::string& sidecarText, const std::string& nodePath,
                                const std::string& tagName, std::int64_t now) {
    simquellan::Signal signal;
    signalOf(sidecarText, nodePath, tagName, signal);
    return simquellan::updateTime(signal, tagName, now);
}

std::vector<JournalEntry> readJournal(const std::string& path) {
    std::vector<JournalEntry> entries;
    std::istringstream lines(readFile(path));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields = simquellan::splitList(line, '\t');
        if (fields.size() != 5) {
            ADD_FAILURE() << "malformed journal line: " << line;
            continue;
        }
        JournalEntry entry;
        entry.sequence = std::stoull(fields[0]);
        entry.thread = static_cast<std::uint32_t>(std::stoul(fields[1]));
        entry.function = fields[2];
        entry.arguments = fields[3];
        entry.status = fields[4];
        entries.push_back(entry);
    }
    return entries;
}

std::vector<SimMachine> simMachines() {
#ifdef MQ_X86_LIBRARY_SUFFIX
    return {SimMachine::NATIVE, SimMachine::X86};
#else
    return {SimMachine::NATIVE};
#endif
}

namespace {

std::string builtLibrary(SimVariant variant, SimMachine machine) {
#ifdef MQ_X86_LIBRARY_SUFFIX
    if (machine == SimMachine::X86) return (fs::path(binaryFolder()) / (simLibraryName(variant) + MQ_X86_LIBRARY_SUFFIX)).string();
#endif
    return mq::test::libraryPath(simLibraryName(variant));
}

}  // namespace

SimChild::SimChild(const std::string& folder, const std::string& fileBase, const std::string& sidecarText,
                   SimVariant variant, SimMachine machine)
    : library((fs::path(folder) / (fileBase + MQ_LIBRARY_SUFFIX)).string()),
      sidecar((fs::path(folder) / (fileBase + ".sim")).string()) {
    // A copy of the same name may still be mapped by this process (a library
    // with thread-local state stays loaded): the new copy gets a file of its
    // own and takes the name in one step, rather than rewriting mapped pages.
    std::error_code error;
    const std::string fresh = library + ".new";
    fs::copy_file(builtLibrary(variant, machine), fresh, fs::copy_options::overwrite_existing, error);
    if (!error) fs::rename(fresh, library, error);
    if (error) ADD_FAILURE() << "cannot copy " << simLibraryName(variant) << " to " << library << ": " << error.message();
    writeSidecar(sidecarText);
}

SimChild::~SimChild() {
    if (loaded) platform::unloadLibrary(loaded);
}

void SimChild::writeSidecar(const std::string& sidecarText) {
    text = sidecarText;
    writeFile(sidecar, text);
}

std::string SimChild::journalPath() const {
    fs::path journal = fs::path(library).replace_extension(".journal");
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> words = simquellan::splitWords(line);
        if (words.size() >= 2 && words[0] == "journal") {
            std::size_t start = line.find_first_not_of(" \t", line.find("journal") + 7);
            std::size_t end = line.find_last_not_of(" \t\r");
            journal = line.substr(start, end - start + 1);
        }
    }
    if (journal.is_relative()) journal = fs::path(sidecar).parent_path() / journal;
    return journal.string();
}

std::vector<JournalEntry> SimChild::journal() const {
    return readJournal(journalPath());
}

std::vector<std::string> SimChild::journalNotes() const {
    std::vector<std::string> notes;
    std::istringstream lines(readFile(journalPath()));
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("# ", 0) == 0) notes.push_back(line.substr(2));
    return notes;
}

std::vector<JournalEntry> SimChild::journal(const std::string& function) const {
    std::vector<JournalEntry> selected;
    for (JournalEntry& entry : journal())
        if (entry.function == function) selected.push_back(std::move(entry));
    return selected;
}

void SimChild::clearJournal() const {
    writeFile(journalPath(), "");
}

void* SimChild::entry(const char* name) {
    if (!loaded) {
        std::string error;
        loaded = platform::loadLibrary(library, error);
        if (!loaded) {
            ADD_FAILURE() << "cannot load " << library << ": " << error;
            return nullptr;
        }
    }
    void* address = platform::findSymbol(loaded, name);
    if (!address) ADD_FAILURE() << library << " does not export " << name;
    return address;
}

std::uint32_t SimChild::control(const std::string& line) {
    auto function = reinterpret_cast<SIMQUELLAN_PFN_control>(entry("simquellan_control"));
    return function ? function(line.c_str()) : QUELLAN2_STATUS_ERROR;
}

std::uint32_t SimChild::threadId() {
    auto function = reinterpret_cast<SIMQUELLAN_PFN_threadId>(entry("simquellan_threadId"));
    return function ? function() : 0;
}

}  // namespace mq::test
