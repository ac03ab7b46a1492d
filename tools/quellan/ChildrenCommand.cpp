// quellan children: the configured children, each taken through MultiQuellan's open.
#include "ChildrenCommand.h"

#include "ChildDiagnosis.h"
#include "ConfigurationCheck.h"
#include "ToolError.h"
#include "config/CallOptions.h"
#include "config/ConfigurationRecord.h"
#include "config/TrustedConfiguration.h"
#include "hosting/ChildMachine.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

namespace quellan {

namespace {

// A child whose start-up takes longer than this is reported as hanging. The
// library itself waits for ever; the tool must end.
constexpr std::chrono::seconds START_UP_WAIT{60};

// One diagnosis, run on a thread that may be abandoned: it owns everything it
// touches, so that a child that never returns leaves nothing dangling.
struct PendingDiagnosis {
    std::mutex mutex;
    std::condition_variable done;
    std::optional<ChildDiagnosis> result;
};

// The diagnosis made in this process; the tool running out of memory is told
// in the child's row.
ChildDiagnosis diagnoseHere(const mq::ChildEntry& configured) {
    try {
        return diagnoseChild(configured);
    } catch (const std::bad_alloc&) {
        ChildDiagnosis diagnosis;
        diagnosis.path = configured.path;
        diagnosis.problem = "the tool ran out of memory";
        return diagnosis;
    }
}

// The diagnosis, or nothing when the child did not finish starting in time.
// Here, in the tool: for a child that runs in a surrogate process, which the
// tool does not load.
std::optional<ChildDiagnosis> diagnoseInTime(const mq::ChildEntry& configured) {
    auto pending = std::make_shared<PendingDiagnosis>();
    std::thread([pending, configured] {
        ChildDiagnosis diagnosis = diagnoseHere(configured);
        std::lock_guard<std::mutex> lock(pending->mutex);
        pending->result = std::move(diagnosis);
        pending->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(pending->mutex);
    pending->done.wait_for(lock, START_UP_WAIT, [&] { return pending->result.has_value(); });
    return pending->result;
}

// The diagnosis made in a probe process: a child that ends its process
// (abort, exit, a crash the fault guard cannot catch) ends the probe alone.
// Nothing when the child did not finish starting in time.
std::optional<ChildDiagnosis> diagnoseApart(const mq::ChildEntry& configured) {
    ProbeMessage request{CHILD_PROBE, configured.path};
    for (const mq::Attribute& attribute : configured.attributes) {
        request.push_back(attribute.name);
        request.push_back(attribute.value);
    }
    const ProbeRun run = runProbe(request, START_UP_WAIT);
    if (run.timedOut) return std::nullopt;
    if (!run.messages.empty()) return diagnosisFrom(run.messages.front());
    ChildDiagnosis diagnosis;
    diagnosis.path = mq::platform::absolutePath(configured.path);
    diagnosis.problem = !run.started ? "the tool could not start a process of its own to try it in"
                                     : "its load or start-up ended the process that tried it (" +
                                           (run.ending.empty() ? std::string("exit code 0") : run.ending) +
                                           "): it ends any host whose MultiQuellan starts it";
    return diagnosis;
}

// A child that runs in a surrogate (isolated, or 32-bit) is never loaded by
// the tool, so it needs no process of the tool's own.
std::optional<ChildDiagnosis> diagnose(const mq::ChildEntry& configured) {
    const bool inSurrogate = mq::childIsolation(configured, nullptr) == mq::Isolation::PROCESS ||
                             mq::childMachine(mq::platform::absolutePath(configured.path)).alwaysIsolated;
    return inSurrogate ? diagnoseInTime(configured) : diagnoseApart(configured);
}

std::string joined(const std::vector<std::string>& texts) {
    std::string text;
    for (const std::string& each : texts) text += (text.empty() ? "" : "; ") + each;
    return text;
}

// Named as the default plug-in, in any case: Windows file names ignore it.
bool isMultiQuellan(const std::string& pluginPath) {
    std::size_t start = pluginPath.size();
    while (start > 0 && !mq::platform::isPathSeparator(pluginPath[start - 1])) --start;
    const std::string file = pluginPath.substr(start);
    const std::string expected = QUELLAN_DEFAULT_PLUGIN;
    return std::equal(file.begin(), file.end(), expected.begin(), expected.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

// The first configured file that makes the library's open fail as a whole:
// it looks at every child's file before it starts any child.
std::string refusedFile(const mq::ConfigurationRecord& record) {
    for (const mq::ChildEntry& child : record.settings.children) {
        // A child that a privileged host refuses by its path is left out before this look.
        if (!mq::childPathRefusal(child.path).empty()) continue;
        const std::string path = mq::platform::absolutePath(child.path);
        if (!mq::platform::entryExists(path)) return path + " does not exist";
        if (!mq::platform::isReadableFile(path)) return path + " cannot be read";
    }
    return {};
}

Cell countCell(bool known, std::uint64_t count) {
    return known ? Cell(count) : Cell();
}

}  // namespace

void serveChildProbe(const ProbeMessage& request, ProbeReport& report) {
    mq::ChildEntry configured{request.at(1), {}};
    for (std::size_t k = 2; k + 1 < request.size(); k += 2)
        configured.attributes.push_back({request[k], request[k + 1]});
    report.send(diagnosisMessage(diagnoseHere(configured)));
}

int runChildren(const ChildrenOptions& options, std::ostream& out, std::ostream& err) {
    mq::ConfigurationRecord record;
    mq::loadConfiguration(record);
    const std::size_t configured = record.settings.children.size();

    std::ostream& about = options.format == OutputFormat::TABLE ? out : err;
    about << "Configuration: " << (record.configurationPath.empty() ? "(no data folder)" : record.configurationPath)
          << " (" << mq::describe(record.fileState) << ", " << configured
          << (configured == 1 ? " child" : " children") << ")\n";
    bool complete = record.fileState == mq::ConfigurationFileState::READ;
    // A value or name the library ignores is a mistake in the file, though every child may start.
    std::vector<std::string> settingsProblems = mq::settingsProblems(record.settings);
    for (std::string& unknown : unknownAttributes(record.settings.attributes, mq::settingsAttributeNames()))
        settingsProblems.push_back(std::move(unknown));
    for (const std::string& problem : settingsProblems) about << "Settings: " << problem << '\n';
    complete = complete && settingsProblems.empty();
    if (!mq::isTrustedConfiguration(record)) {
        about << "Refused: " << record.refusal << ", so the library loads no child\n";
        complete = false;
    }
    const std::string refused = refusedFile(record);
    if (!refused.empty()) {
        about << "Open fails: " << refused << ", and quellan2_connectionOpen then refuses the whole configuration\n";
        complete = false;
    }
    // Why no child gets into the tree, however well it starts on its own.
    const std::string noneStarted =
        !mq::isTrustedConfiguration(record) ? "the library loads no child from this file (see Refused above)"
        : !refused.empty()                  ? "the whole open fails because " + refused
                                            : std::string();
    if (options.format == OutputFormat::TABLE) out << '\n';

    std::vector<std::optional<ChildDiagnosis>> diagnoses;
    bool abandoned = false;
    for (const mq::ChildEntry& child : record.settings.children) {
        diagnoses.push_back(diagnose(child));
        abandoned = abandoned || !diagnoses.back();
    }
    // Which children use each top-level name: the merged tree shows them all,
    // side by side, and a name alone no longer tells them apart. None when
    // no child gets in.
    std::map<std::string, std::set<std::size_t>> users;
    for (std::size_t k = 0; k < diagnoses.size(); ++k)
        if (diagnoses[k] && noneStarted.empty())
            for (const std::string& name : diagnoses[k]->topLevelNames) users[name].insert(k);

    Table table{{"child", "in tree", "nodes", "tags", "hidden tags", "shared names", "start ms", "problem", "notes"},
                {}};
    // JSON keys are names a program uses: lower case, without blanks.
    if (options.format == OutputFormat::JSON)
        for (std::string& column : table.columns) std::replace(column.begin(), column.end(), ' ', '_');
    for (std::size_t k = 0; k < diagnoses.size(); ++k) {
        const std::optional<ChildDiagnosis>& diagnosis = diagnoses[k];
        if (!diagnosis) {
            complete = false;
            table.rows.push_back({record.settings.children[k].path, YesNo{false}, {}, {}, {}, {}, {},
                                  "start-up did not end within " + std::to_string(START_UP_WAIT.count()) + " s",
                                  std::string()});
            continue;
        }
        const mq::ChildEntry& configuredChild = record.settings.children[k];
        const std::vector<std::string> unknown = unknownAttributes(configuredChild.attributes, mq::childAttributeNames());
        complete = complete && diagnosis->inTree && mq::childProblems(configuredChild).empty() && unknown.empty();
        std::vector<std::string> notes = diagnosis->notes;
        notes.insert(notes.end(), unknown.begin(), unknown.end());
        const bool inTree = diagnosis->inTree && noneStarted.empty();
        const std::string problem =
            diagnosis->inTree && !inTree ? "not in the tree: " + noneStarted + " (on its own it starts)"
                                         : diagnosis->problem;
        std::vector<std::string> shared;
        for (const std::string& name : diagnosis->topLevelNames)
            if (users[name].size() > 1 && (shared.empty() || shared.back() != name)) shared.push_back(name);
        const bool started = diagnosis->inTree || diagnosis->startSeconds > 0;
        table.rows.push_back({diagnosis->path, YesNo{inTree},
                              countCell(inTree, diagnosis->nodes), countCell(inTree, diagnosis->tags),
                              countCell(inTree, diagnosis->hiddenTags), joined(shared),
                              started ? Cell(static_cast<std::int64_t>(diagnosis->startSeconds * 1000 + 0.5)) : Cell(),
                              problem, joined(notes)});
    }
    writeTable(*makeRowWriter(out, options.format), table);
    if (options.format == OutputFormat::TABLE && std::any_of(diagnoses.begin(), diagnoses.end(), [](const auto& d) {
            return d && d->hiddenTags > 0;
        }))
        out << "\nHidden tags lie below a child's sub-nodes: MultiQuellan shows two levels, each child's top-level "
               "nodes and their own tags.\n";
    const int code = static_cast<int>(complete ? ExitCode::SUCCESS : ExitCode::PLUGIN_FAILED);
    if (abandoned) {
        // A thread is still inside a child: unloading the child, or running
        // the destructors that a normal exit runs, could fault under it.
        out.flush();
        err.flush();
        std::_Exit(code);
    }
    return code;
}

std::string openFailureHint(const std::string& pluginPath) {
    if (!isMultiQuellan(pluginPath)) return {};
    mq::ConfigurationRecord record;
    mq::loadConfiguration(record);
    const std::string hint = "Run `quellan children` to see what becomes of each configured child";
    if (!mq::isTrustedConfiguration(record))
        return hint + "; this process is privileged and " + record.configurationPath + " is not trusted.";
    const std::string refused = refusedFile(record);
    return refused.empty() ? hint + "." : hint + "; the configured child " + refused + ".";
}

}  // namespace quellan
