// The tool's commands: each makes its calls and writes its rows.
#include "Commands.h"

#include "ConfigurationDialog.h"
#include "DiagnosticCommands.h"
#include "PluginObjects.h"
#include "Progress.h"
#include "Times.h"
#include "ToolError.h"
#include "Tree.h"
#include "platform/Interrupt.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <limits>

namespace quellan {

namespace {

const std::int64_t LONGEST_INTERVAL = std::numeric_limits<std::int32_t>::max();
// Far beyond any sensible request; history reads it in chunks, so memory does not grow with it.
const std::int64_t MOST_SAMPLES = 1000000;
// Samples per historical call: large enough that calls cost little, small
// enough that the plug-in's vectors for one chunk stay small.
const std::uint32_t HISTORY_CHUNK = 10000;
const std::int64_t LONGEST_WATCH_PAUSE = 86400;

// The tags of a command, labelled as the user wrote them (a handle by its tag's path).
struct TagList {
    std::vector<std::string> labels;
    std::vector<QUELLAN2_TAG> handles;

    std::uint32_t count() const { return static_cast<std::uint32_t>(handles.size()); }
};

TagList resolveTags(NameResolver& names, std::vector<std::string>::const_iterator first,
                    std::vector<std::string>::const_iterator last) {
    TagList tags;
    for (auto word = first; word != last; ++word) {
        std::string label;
        tags.handles.push_back(names.tag(*word, &label));
        tags.labels.push_back(label);
    }
    return tags;
}

// The header of rows over time: the time, then a column per tag.
void timeColumns(RowWriter& out, const TagList& tags) {
    std::vector<std::string> columns{"time"};
    columns.insert(columns.end(), tags.labels.begin(), tags.labels.end());
    out.columns(std::move(columns));
}

Cell handleCell(const void* handle) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
}

// A time the plug-in delivered as an unsigned 32-bit value: the interface
// counts time as signed, so all bits set reads as -1, "no time".
Cell deliveredTime(std::uint32_t time) {
    const std::int64_t seconds = static_cast<std::int32_t>(time);
    if (isValidTime(seconds)) return formatTime(seconds);
    return seconds;
}

std::int32_t optionalTime(const CommandLine& line, const std::string& name, std::int32_t otherwise) {
    return line.has(name) ? parseTime(line.options.at(name), name) : otherwise;
}

// --interval and --samples, defaulting to one time point; every time point
// must be a valid time, since each is printed.
void parseSeries(const CommandLine& line, std::int32_t start, std::int32_t& interval, std::uint32_t& samples) {
    interval = line.has("--interval")
                   ? static_cast<std::int32_t>(parseWholeNumber(line.options.at("--interval"), 0, LONGEST_INTERVAL,
                                                                "--interval"))
                   : 0;
    samples = line.has("--samples")
                  ? static_cast<std::uint32_t>(parseWholeNumber(line.options.at("--samples"), 1, MOST_SAMPLES,
                                                                "--samples"))
                  : 1;
    const std::int64_t last = start + static_cast<std::int64_t>(interval) * (samples - 1);
    if (!isValidTime(last))
        throw usageError("the last time point, " + std::to_string(last) + " seconds, is after " +
                         formatTime(std::numeric_limits<std::int32_t>::max()));
}

std::vector<Value> parseValues(const CommandLine& line, std::size_t expected, const std::string& what) {
    if (!line.hasValues) throw usageError(line.command + " needs --values");
    if (line.values.size() != expected)
        throw usageError("--values has " + std::to_string(line.values.size()) + " values where " + what + " need " +
                         std::to_string(expected));
    std::vector<Value> values;
    for (const std::string& text : line.values) values.push_back(parseValue(text));
    return values;
}

std::uint32_t valueType(const Value& value) {
    if (std::holds_alternative<std::string>(value)) return QUELLAN2_TYPE_STRING;
    if (std::holds_alternative<float>(value)) return QUELLAN2_TYPE_FLOAT;
    return QUELLAN2_TYPE_NULL;
}

// One row per tag: the tag as given, its handle, the element's type and value.
void tagValueRows(RowWriter& out, const TagList& tags, const std::vector<Element>& elements) {
    out.columns({"tag", "handle", "type", "value"});
    for (std::size_t i = 0; i < elements.size(); ++i)
        out.row({tags.labels[i], handleCell(tags.handles[i]), typeName(elements[i].type), cellOf(elements[i].value)});
}

void identity(const CommandLine&, PluginSession& session, RowWriter& out) {
    const PluginFunctions& plugin = session.functions();
    PluginString text(plugin);
    plugin.getIdentity.check(text.out());
    out.columns({"identity"});
    out.row({text.text()});
}

void tree(const CommandLine&, PluginSession& session, RowWriter& out) {
    out.columns({"kind", "handle", "path"});
    const std::vector<TreeItem> items = readTree(session.functions(), session.connection());
    const auto status = reinterpret_cast<std::uintptr_t>(statusNode(session.functions(), session.connection()));
    for (const TreeItem& item : items) {
        const bool isNode = item.kind == TreeItem::Kind::NODE;
        out.row({isNode ? "node" : "tag", static_cast<std::uint64_t>(item.handle),
                 isNode && item.handle == status ? item.path + " (status)" : item.path});
    }
}

void read(const CommandLine& line, PluginSession& session, RowWriter& out) {
    const PluginFunctions& plugin = session.functions();
    NameResolver names(plugin, session.connection());
    TagList tags = resolveTags(names, line.operands.begin(), line.operands.end());
    PluginVectors result(plugin, 1);
    plugin.connectionReadCurrentData.check(session.connection(), tags.handles.data(), tags.count(), result.data());
    tagValueRows(out, tags, result.elements(0, tags.count(), plugin.connectionReadCurrentData.name()));
}

// history's time points: from --start (or --from) either --samples of them
// or as many as fit up to --to, every --interval seconds.
void historySeries(const CommandLine& line, std::int32_t& start, std::int32_t& interval, std::uint32_t& samples) {
    if (!line.has("--start")) throw usageError("history needs --start (or --from)");
    start = parseTime(line.options.at("--start"), "--start");
    if (!line.has("--to")) {
        parseSeries(line, start, interval, samples);
        if (samples > 1 && !line.has("--interval"))
            throw usageError("history --samples " + std::to_string(samples) +
                             " needs --interval: without it every sample is the same time point");
        // One sample is rarely what was meant: say so, and how to ask for more.
        if (!line.has("--samples"))
            std::cerr << "quellan: no --samples or --to: reading 1 sample, at " << formatTime(start)
                      << " (give --to T or --samples N with --interval SECONDS for more)\n";
        return;
    }
    if (line.has("--samples")) throw usageError("give history --samples or --to, not both");
    const std::int32_t to = parseTime(line.options.at("--to"), "--to");
    if (start > to) throw usageError("--start " + formatTime(start) + " is later than --to " + formatTime(to));
    interval = 0;
    samples = 1;
    if (to == start) return;
    if (!line.has("--interval"))
        throw usageError("history --to needs --interval: the time points from --start to --to are that far apart");
    interval = static_cast<std::int32_t>(
        parseWholeNumber(line.options.at("--interval"), 1, LONGEST_INTERVAL, "--interval with --to"));
    const std::int64_t count = (static_cast<std::int64_t>(to) - start) / interval + 1;
    if (count > MOST_SAMPLES)
        throw usageError("--start to --to every " + std::to_string(interval) + " seconds is " +
                         std::to_string(count) + " samples, more than " + std::to_string(MOST_SAMPLES));
    samples = static_cast<std::uint32_t>(count);
}

void history(const CommandLine& line, PluginSession& session, RowWriter& out) {
    std::int32_t start = 0;
    std::int32_t interval = 0;
    std::uint32_t samples = 1;
    historySeries(line, start, interval, samples);

    const PluginFunctions& plugin = session.functions();
    NameResolver names(plugin, session.connection());
    TagList tags = resolveTags(names, line.operands.begin(), line.operands.end());
    timeColumns(out, tags);

    // One call per chunk, its rows written before the next call, so that
    // memory stays that of one chunk and the first rows show at once.
    Progress progress("history", samples);
    for (std::uint32_t done = 0; done < samples;) {
        const std::uint32_t count = std::min(HISTORY_CHUNK, samples - done);
        const std::int64_t chunkStart = start + static_cast<std::int64_t>(interval) * done;
        PluginVectors results(plugin, count);
        plugin.connectionReadHistoricalDataEx.check(session.connection(), tags.handles.data(), tags.count(),
                                                    static_cast<std::int32_t>(chunkStart), interval, count,
                                                    results.data());
        for (std::uint32_t sample = 0; sample < count; ++sample) {
            std::vector<Cell> row{formatTime(chunkStart + static_cast<std::int64_t>(interval) * sample)};
            for (const Element& element :
                 results.elements(sample, tags.count(), plugin.connectionReadHistoricalDataEx.name()))
                row.push_back(cellOf(element.value));
            out.row(std::move(row));
        }
        out.flush();
        done += count;
        progress.show(done);
    }
}

// The current values again and again, one row per read, until --count reads
// are done or the user interrupts.
void watch(const CommandLine& line, PluginSession& session, RowWriter& out) {
    const std::chrono::milliseconds every =
        line.has("--every") ? parseSeconds(line.options.at("--every"), LONGEST_WATCH_PAUSE, "--every")
                            : std::chrono::milliseconds(1000);
    const std::int64_t count =
        line.has("--count") ? parseWholeNumber(line.options.at("--count"), 1, LONGEST_INTERVAL, "--count") : 0;

    const PluginFunctions& plugin = session.functions();
    NameResolver names(plugin, session.connection());
    TagList tags = resolveTags(names, line.operands.begin(), line.operands.end());
    timeColumns(out, tags);

    // From here an interrupt ends the loop instead of the process, so the
    // session still closes and unloads the plug-in.
    const mq::platform::InterruptWatch interrupt;
    for (std::int64_t done = 0; count == 0 || done < count; ++done) {
        if (done > 0 && interrupt.waitFor(every)) break;
        if (interrupt.interrupted()) break;
        const std::int32_t time = currentTime();
        PluginVectors result(plugin, 1);
        plugin.connectionReadCurrentData.check(session.connection(), tags.handles.data(), tags.count(),
                                               result.data());
        std::vector<Cell> row{formatTime(time)};
        for (const Element& element : result.elements(0, tags.count(), plugin.connectionReadCurrentData.name()))
            row.push_back(cellOf(element.value));
        out.row(std::move(row));
        out.flush();
    }
}

void batchRead(const CommandLine& line, PluginSession& session, RowWriter& out) {
    const bool timed = line.has("--time");
    const std::int32_t time = optionalTime(line, "--time", 0);
    const std::string& batch = line.operands.front();

    const PluginFunctions& plugin = session.functions();
    NameResolver names(plugin, session.connection());
    TagList tags = resolveTags(names, line.operands.begin() + 1, line.operands.end());
    PluginVectors result(plugin, 1);
    // Without --time the plug-in's short form picks the time itself.
    if (timed)
        plugin.connectionReadBatchDataEx.check(session.connection(), tags.handles.data(), tags.count(),
                                               batch.c_str(), time, result.data());
    else
        plugin.connectionReadBatchData.check(session.connection(), tags.handles.data(), tags.count(),
                                             batch.c_str(), result.data());
    const char* function = timed ? plugin.connectionReadBatchDataEx.name() : plugin.connectionReadBatchData.name();
    tagValueRows(out, tags, result.elements(0, tags.count(), function));
}

void writeHistory(const CommandLine& line, PluginSession& session, RowWriter& out) {
    const std::int32_t start = parseTime(line.required("--time"), "--time");
    std::int32_t interval = 0;
    std::uint32_t samples = 1;
    parseSeries(line, start, interval, samples);
    const std::size_t tagCount = line.operands.size();
    std::vector<Value> values = parseValues(line, tagCount * samples, "the tags and time points");

    const PluginFunctions& plugin = session.functions();
    NameResolver names(plugin, session.connection());
    TagList tags = resolveTags(names, line.operands.begin(), line.operands.end());
    PluginVectors vectors(plugin, samples);
    vectors.create(tags.count());
    out.columns({"time", "tag", "handle", "type", "value"});
    for (std::uint32_t sample = 0; sample < samples; ++sample) {
        const std::string time = formatTime(start + static_cast<std::int64_t>(interval) * sample);
        for (std::uint32_t i = 0; i < tags.count(); ++i) {
            const Value& value = values[sample * tagCount + i];
            setVectorElement(plugin, vectors[sample], i, value);
            out.row({time, tags.labels[i], handleCell(tags.handles[i]), typeName(valueType(value)),
                                  cellOf(value)});
        }
    }
    plugin.connectionWriteHistoricalDataEx.check(session.connection(), tags.handles.data(), tags.count(), start,
                                                 interval, samples, vectors.data());
}

void writeBatch(const CommandLine& line, PluginSession& session, RowWriter& out) {
    const bool timed = line.has("--time");
    const std::int32_t time = optionalTime(line, "--time", 0);
    const std::string& batch = line.operands.front();
    std::vector<Value> values = parseValues(line, line.operands.size() - 1, "the tags");

    const PluginFunctions& plugin = session.functions();
    NameResolver names(plugin, session.connection());
    TagList tags = resolveTags(names, line.operands.begin() + 1, line.operands.end());
    PluginVectors vector(plugin, 1);
    vector.create(tags.count());
    out.columns({"batch", "tag", "handle", "type", "value"});
    for (std::uint32_t i = 0; i < tags.count(); ++i) {
        setVectorElement(plugin, vector[0], i, values[i]);
        out.row(
            {batch, tags.labels[i], handleCell(tags.handles[i]), typeName(valueType(values[i])), cellOf(values[i])});
    }
    if (timed)
        plugin.connectionWriteBatchDataEx.check(session.connection(), tags.handles.data(), tags.count(),
                                                batch.c_str(), time, vector[0]);
    else
        plugin.connectionWriteBatchData.check(session.connection(), tags.handles.data(), tags.count(),
                                              batch.c_str(), vector[0]);
}

void batches(const CommandLine& line, PluginSession& session, RowWriter& out) {
    const std::int32_t from = parseTime(line.required("--from"), "--from");
    const std::int32_t to = parseTime(line.required("--to"), "--to");
    if (from > to)
        throw usageError("--from " + formatTime(from) + " is later than --to " + formatTime(to));

    const PluginFunctions& plugin = session.functions();
    NameResolver names(plugin, session.connection());
    QUELLAN2_NODE node = names.node(line.operands.front());
    PluginVectors result(plugin, 1);
    plugin.nodeGetActiveBatches.check(node, from, to, result.data());
    const std::uint32_t count = result[0] ? vectorLength(plugin, result[0]) : 0;
    out.columns({"batch"});
    for (const Element& element : result.elements(0, count, plugin.nodeGetActiveBatches.name()))
        out.row({cellOf(element.value)});
}

void batchTimes(const CommandLine& line, PluginSession& session, RowWriter& out) {
    const std::int32_t time = optionalTime(line, "--time", currentTime());
    const std::string& batch = line.operands[1];

    const PluginFunctions& plugin = session.functions();
    NameResolver names(plugin, session.connection());
    QUELLAN2_NODE node = names.node(line.operands[0]);
    // Preset as "no time", so that a plug-in that writes nothing shows it.
    std::uint32_t start = 0xFFFFFFFFu;
    std::uint32_t end = 0xFFFFFFFFu;
    plugin.nodeGetBatchTimes.check(node, batch.c_str(), time, &start, &end);
    out.columns({"batch", "start", "end"});
    out.row({batch, deliveredTime(start), deliveredTime(end)});
}

void updateTime(const CommandLine& line, PluginSession& session, RowWriter& out) {
    const PluginFunctions& plugin = session.functions();
    NameResolver names(plugin, session.connection());
    TagList tags = resolveTags(names, line.operands.begin(), line.operands.end());
    out.columns({"tag", "handle", "time"});
    for (std::uint32_t i = 0; i < tags.count(); ++i) {
        std::uint32_t time = 0;
        plugin.tagGetUpdateTime.check(tags.handles[i], &time);
        out.row({tags.labels[i], handleCell(tags.handles[i]), deliveredTime(time)});
    }
}

void currentTimeCommand(const CommandLine&, PluginSession& session, RowWriter& out) {
    std::uint32_t now = 0;
    session.functions().connectionGetCurrentTime.check(session.connection(), &now);
    out.columns({"time"});
    out.row({deliveredTime(now)});
}

void configure(const CommandLine& line, PluginSession& session, RowWriter& out) {
    const std::string text = line.operands.empty() ? std::string() : line.operands.front();
    checkConfigurationDialog(session.path());
    const PluginFunctions& plugin = session.functions();
    PluginString result(plugin);
    plugin.updateConfiguration.check(text.c_str(), result.out());
    out.columns({"status", "configuration"});
    out.row({statusName(QUELLAN2_STATUS_OK), result.text()});
}

// To add a command: one entry here and its run function above.
const std::vector<Command> COMMANDS = {
    {"identity", "", 0, 0, {}, "The plug-in's identity text (quellan2_getIdentity).", Output::AT_END, identity,
     nullptr, false},
    {"tree", "", 0, 0, {},
     "Every node and tag with its handle and path, depth first. Sub-nodes are shown when the plug-in exports "
     "the sub-node functions. MultiQuellan's status node (status=\"true\") is marked \"(status)\".",
     Output::AT_END, tree},
    {"read", "TAG...", 1, ANY, {}, "Current values (quellan2_connectionReadCurrentData).", Output::AT_END, read},
    {"history", "TAG...", 1, ANY, {{"--start", true, "--from"}, {"--to"}, {"--interval"}, {"--samples"}},
     "Values at T, T + SECONDS, ... (quellan2_connectionReadHistoricalDataEx), one row per time point, "
     "asked for 10000 samples at a time and written as they come. --from is another name for --start. "
     "With --to, every time point from T up to --to (floor((to - T) / SECONDS) + 1 samples); otherwise "
     "--samples of them. Defaults: --interval 0, --samples 1, which standard error mentions; more than one "
     "sample needs --interval; at most 1000000 samples.",
     Output::STREAMED, history},
    {"watch", "TAG...", 1, ANY, {{"--every"}, {"--count"}},
     "Current values again every SECONDS (default 1; decimals such as 0.5 too), one row per read, written "
     "as it comes, until N reads "
     "are done or Ctrl-C, which ends it cleanly with exit code 0.",
     Output::STREAMED, watch},
    {"batch-read", "BATCH TAG...", 2, ANY, {{"--time"}},
     "Values of a batch (quellan2_connectionReadBatchDataEx with --time, quellan2_connectionReadBatchData "
     "without).",
     Output::AT_END, batchRead},
    {"write-history", "TAG...", 1, ANY, {{"--time", true}, {"--interval"}, {"--samples"}, {"--values", true}},
     "Writes values (quellan2_connectionWriteHistoricalDataEx). Give one value per tag and time point: all "
     "tags of the first time point, then all of the next, and so on.",
     Output::AT_END, writeHistory},
    {"write-batch", "BATCH TAG...", 2, ANY, {{"--values", true}, {"--time"}},
     "Writes one value per tag for a batch (quellan2_connectionWriteBatchDataEx with --time, "
     "quellan2_connectionWriteBatchData without).",
     Output::AT_END, writeBatch},
    {"batches", "NODE", 1, 1, {{"--from", true}, {"--to", true}},
     "The node's batches active between the two times (quellan2_nodeGetActiveBatches).", Output::AT_END,
     batches},
    {"batch-times", "NODE BATCH", 2, 2, {{"--time"}},
     "Start and end of a batch (quellan2_nodeGetBatchTimes); --time defaults to now. A time the plug-in left "
     "unset shows as -1.",
     Output::AT_END, batchTimes},
    {"update-time", "TAG...", 1, ANY, {}, "When each tag last changed (quellan2_tagGetUpdateTime).",
     Output::AT_END, updateTime},
    {"time", "", 0, 0, {}, "The connection's current time (quellan2_connectionGetCurrentTime).", Output::AT_END,
     currentTimeCommand},
    {"configure", "[TEXT]", 0, 1, {},
     "Calls quellan2_updateConfiguration with TEXT (default: empty) and shows the configuration text it "
     "returned. MultiQuellan shows its configuration dialog for this; a MultiQuellan built without one is "
     "refused.",
     Output::AT_END, configure, nullptr, false},
    {"children", "", 0, 0, {},
     "Each child in MultiQuellan's configuration file, taken through the library's open: in the tree or why "
     "not, node and tag counts, tags below sub-nodes the merged tree does not show, top-level names shared "
     "with another child, start-up time. Exit code 1 when a child is left out, the file gave no children, or "
     "it has a value or an attribute name that the library ignores. Takes no --plugin.",
     Output::AT_END, nullptr, inspectChildren},
    {"validate", "[FILE]", 0, 1, {},
     "Checks MultiQuellan's configuration file (or FILE) without loading any child: the XML, with line and "
     "column; elements and attributes the library does not know, with the nearest known name; values it "
     "would ignore; each child's file (there, readable, a library of this platform with the required "
     "functions in its export table); relative paths and what they name; and whether a privileged host "
     "would refuse the file. One finding a line, FILE:LINE:COLUMN: problem|warning|note: TEXT. Exit code 1 "
     "on a problem (with --strict, on a warning too). Takes no --plugin.",
     Output::AT_END, nullptr, inspectConfiguration},
    {"check", "[PATH]", 0, 1, {},
     "Holds the plug-in PATH (or the one --plugin names) to the interface's rules, one line per rule (PASS, "
     "FAIL, WARN, SKIP; a rule that could not make its calls is SKIP or WARN with the reason). Exit code 1 "
     "when a rule failed or the plug-in offered no data to check, 4 when it cannot be loaded.",
     Output::AT_END, nullptr, inspectPlugin},
    {"eventlog", "install|remove", 1, 1, {},
     "Makes the system's log know MultiQuellan's fault log (log=\"system\") as the source MultiQuellan, with "
     "the messages of the library (--plugin, default the one beside quellan), or forget it. Windows: the "
     "source's registry key, which administrators only may write (exit code 1 otherwise); elsewhere nothing "
     "is needed.",
     Output::AT_END, nullptr, manageEventLog},
    // Handled before any plug-in is loaded.
    {"help", "[COMMAND]", 0, 1, {},
     "This text; with COMMAND, that command's usage and options only (as `quellan COMMAND --help`).",
     Output::AT_END, nullptr},
};

}  // namespace

const std::vector<Command>& commands() {
    return COMMANDS;
}

const Command& findCommand(const std::string& name) {
    for (const Command& command : COMMANDS)
        if (name == command.name) return command;
    throw usageError("unknown command \"" + name + "\"");
}

std::string synopsis(const Command& command) {
    std::string text = command.name;
    if (*command.operands) text += std::string(" ") + command.operands;
    for (const OptionUse& use : command.options) {
        const OptionInfo& option = commandOption(use.name);
        std::string part = std::string(option.name) + " " + option.valueName;
        text += use.required ? " " + part : " [" + part + "]";
    }
    return text;
}

}  // namespace quellan
