// The tool's commands: each makes its calls and fills a table.
#include "Commands.h"

#include "PluginObjects.h"
#include "Times.h"
#include "ToolError.h"
#include "Tree.h"

#include <algorithm>
#include <limits>

namespace quellan {

namespace {

const std::size_t ANY = std::numeric_limits<std::size_t>::max();
const std::int64_t LONGEST_INTERVAL = std::numeric_limits<std::int32_t>::max();
// Far beyond any sensible request, well below what the vectors' memory allows.
const std::int64_t MOST_SAMPLES = 1000000;

// The tags of a command, labelled as the user wrote them.
struct TagList {
    std::vector<std::string> labels;
    std::vector<QUELLAN2_TAG> handles;

    std::uint32_t count() const { return static_cast<std::uint32_t>(handles.size()); }
};

TagList resolveTags(NameResolver& names, std::vector<std::string>::const_iterator first,
                    std::vector<std::string>::const_iterator last) {
    TagList tags;
    for (auto word = first; word != last; ++word) {
        tags.labels.push_back(*word);
        tags.handles.push_back(names.tag(*word));
    }
    return tags;
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
Table tagValueTable(const TagList& tags, const std::vector<Element>& elements) {
    Table table{{"tag", "handle", "type", "value"}, {}};
    for (std::size_t i = 0; i < elements.size(); ++i)
        table.rows.push_back({tags.labels[i], handleCell(tags.handles[i]), typeName(elements[i].type),
                              cellOf(elements[i].value)});
    return table;
}

Table identity(const CommandLine&, PluginSession& session) {
    const PluginFunctions& plugin = session.functions();
    PluginString text(plugin);
    plugin.getIdentity.check(text.out());
    return {{"identity"}, {{text.text()}}};
}

Table tree(const CommandLine&, PluginSession& session) {
    Table table{{"kind", "handle", "path"}, {}};
    for (const TreeItem& item : readTree(session.functions(), session.connection()))
        table.rows.push_back({item.kind == TreeItem::Kind::NODE ? "node" : "tag",
                              static_cast<std::uint64_t>(item.handle), item.path});
    return table;
}

Table read(const CommandLine& line, PluginSession& session) {
    const PluginFunctions& plugin = session.functions();
    NameResolver names(plugin, session.connection());
    TagList tags = resolveTags(names, line.operands.begin(), line.operands.end());
    PluginVectors result(plugin, 1);
    plugin.connectionReadCurrentData.check(session.connection(), tags.handles.data(), tags.count(), result.data());
    return tagValueTable(tags, result.elements(0, tags.count(), plugin.connectionReadCurrentData.name()));
}

Table history(const CommandLine& line, PluginSession& session) {
    const std::int32_t start = parseTime(line.required("--start"), "--start");
    std::int32_t interval = 0;
    std::uint32_t samples = 1;
    parseSeries(line, start, interval, samples);

    const PluginFunctions& plugin = session.functions();
    NameResolver names(plugin, session.connection());
    TagList tags = resolveTags(names, line.operands.begin(), line.operands.end());
    PluginVectors results(plugin, samples);
    plugin.connectionReadHistoricalDataEx.check(session.connection(), tags.handles.data(), tags.count(), start,
                                                interval, samples, results.data());

    Table table{{"time"}, {}};
    table.columns.insert(table.columns.end(), tags.labels.begin(), tags.labels.end());
    for (std::uint32_t sample = 0; sample < samples; ++sample) {
        std::vector<Cell> row{formatTime(start + static_cast<std::int64_t>(interval) * sample)};
        for (const Element& element :
             results.elements(sample, tags.count(), plugin.connectionReadHistoricalDataEx.name()))
            row.push_back(cellOf(element.value));
        table.rows.push_back(std::move(row));
    }
    return table;
}

Table batchRead(const CommandLine& line, PluginSession& session) {
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
    return tagValueTable(tags, result.elements(0, tags.count(), function));
}

Table writeHistory(const CommandLine& line, PluginSession& session) {
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
    Table table{{"time", "tag", "handle", "type", "value"}, {}};
    for (std::uint32_t sample = 0; sample < samples; ++sample) {
        const std::string time = formatTime(start + static_cast<std::int64_t>(interval) * sample);
        for (std::uint32_t i = 0; i < tags.count(); ++i) {
            const Value& value = values[sample * tagCount + i];
            setVectorElement(plugin, vectors[sample], i, value);
            table.rows.push_back({time, tags.labels[i], handleCell(tags.handles[i]), typeName(valueType(value)),
                                  cellOf(value)});
        }
    }
    plugin.connectionWriteHistoricalDataEx.check(session.connection(), tags.handles.data(), tags.count(), start,
                                                 interval, samples, vectors.data());
    return table;
}

Table writeBatch(const CommandLine& line, PluginSession& session) {
    const bool timed = line.has("--time");
    const std::int32_t time = optionalTime(line, "--time", 0);
    const std::string& batch = line.operands.front();
    std::vector<Value> values = parseValues(line, line.operands.size() - 1, "the tags");

    const PluginFunctions& plugin = session.functions();
    NameResolver names(plugin, session.connection());
    TagList tags = resolveTags(names, line.operands.begin() + 1, line.operands.end());
    PluginVectors vector(plugin, 1);
    vector.create(tags.count());
    Table table{{"batch", "tag", "handle", "type", "value"}, {}};
    for (std::uint32_t i = 0; i < tags.count(); ++i) {
        setVectorElement(plugin, vector[0], i, values[i]);
        table.rows.push_back(
            {batch, tags.labels[i], handleCell(tags.handles[i]), typeName(valueType(values[i])), cellOf(values[i])});
    }
    if (timed)
        plugin.connectionWriteBatchDataEx.check(session.connection(), tags.handles.data(), tags.count(),
                                                batch.c_str(), time, vector[0]);
    else
        plugin.connectionWriteBatchData.check(session.connection(), tags.handles.data(), tags.count(),
                                              batch.c_str(), vector[0]);
    return table;
}

Table batches(const CommandLine& line, PluginSession& session) {
    const std::int32_t from = parseTime(line.required("--from"), "--from");
    const std::int32_t to = parseTime(line.required("--to"), "--to");

    const PluginFunctions& plugin = session.functions();
    NameResolver names(plugin, session.connection());
    QUELLAN2_NODE node = names.node(line.operands.front());
    PluginVectors result(plugin, 1);
    plugin.nodeGetActiveBatches.check(node, from, to, result.data());
    const std::uint32_t count = result[0] ? vectorLength(plugin, result[0]) : 0;
    Table table{{"batch"}, {}};
    for (const Element& element : result.elements(0, count, plugin.nodeGetActiveBatches.name()))
        table.rows.push_back({cellOf(element.value)});
    return table;
}

Table batchTimes(const CommandLine& line, PluginSession& session) {
    const std::int32_t time = optionalTime(line, "--time", currentTime());
    const std::string& batch = line.operands[1];

    const PluginFunctions& plugin = session.functions();
    NameResolver names(plugin, session.connection());
    QUELLAN2_NODE node = names.node(line.operands[0]);
    // Preset as "no time", so that a plug-in that writes nothing shows it.
    std::uint32_t start = 0xFFFFFFFFu;
    std::uint32_t end = 0xFFFFFFFFu;
    plugin.nodeGetBatchTimes.check(node, batch.c_str(), time, &start, &end);
    return {{"batch", "start", "end"}, {{batch, deliveredTime(start), deliveredTime(end)}}};
}

Table updateTime(const CommandLine& line, PluginSession& session) {
    const PluginFunctions& plugin = session.functions();
    NameResolver names(plugin, session.connection());
    TagList tags = resolveTags(names, line.operands.begin(), line.operands.end());
    Table table{{"tag", "handle", "time"}, {}};
    for (std::uint32_t i = 0; i < tags.count(); ++i) {
        std::uint32_t time = 0;
        plugin.tagGetUpdateTime.check(tags.handles[i], &time);
        table.rows.push_back({tags.labels[i], handleCell(tags.handles[i]), deliveredTime(time)});
    }
    return table;
}

Table currentTimeCommand(const CommandLine&, PluginSession& session) {
    std::uint32_t now = 0;
    session.functions().connectionGetCurrentTime.check(session.connection(), &now);
    return {{"time"}, {{deliveredTime(now)}}};
}

Table configure(const CommandLine& line, PluginSession& session) {
    const std::string text = line.operands.empty() ? std::string() : line.operands.front();
    const PluginFunctions& plugin = session.functions();
    PluginString result(plugin);
    plugin.updateConfiguration.check(text.c_str(), result.out());
    return {{"status", "configuration"}, {{statusName(QUELLAN2_STATUS_OK), result.text()}}};
}

const std::vector<Command> COMMANDS = {
    {"identity", "identity", 0, 0, {}, identity},
    {"tree", "tree", 0, 0, {}, tree},
    {"read", "read TAG...", 1, ANY, {}, read},
    {"history", "history TAG... --start T [--interval SECONDS] [--samples N]", 1, ANY,
     {"--start", "--interval", "--samples"}, history},
    {"batch-read", "batch-read BATCH TAG... [--time T]", 2, ANY, {"--time"}, batchRead},
    {"write-history", "write-history TAG... --time T [--interval SECONDS] [--samples N] --values V...", 1, ANY,
     {"--time", "--interval", "--samples", "--values"}, writeHistory},
    {"write-batch", "write-batch BATCH TAG... --values V... [--time T]", 2, ANY, {"--time", "--values"},
     writeBatch},
    {"batches", "batches NODE --from T --to T", 1, 1, {"--from", "--to"}, batches},
    {"batch-times", "batch-times NODE BATCH [--time T]", 2, 2, {"--time"}, batchTimes},
    {"update-time", "update-time TAG...", 1, ANY, {}, updateTime},
    {"time", "time", 0, 0, {}, currentTimeCommand},
    {"configure", "configure [TEXT]", 0, 1, {}, configure},
};

}  // namespace

const Command& findCommand(const std::string& name) {
    for (const Command& command : COMMANDS)
        if (name == command.name) return command;
    throw usageError("unknown command \"" + name + "\"");
}

void checkUsage(const Command& command, const CommandLine& line) {
    for (const std::string& option : line.commandOptions())
        if (std::find(command.options.begin(), command.options.end(), option) == command.options.end())
            throw usageError(std::string(command.name) + " takes no " + option + "; usage: quellan " +
                             command.synopsis);
    const std::size_t count = line.operands.size();
    if (count < command.minimumOperands || count > command.maximumOperands)
        throw usageError(std::string("wrong number of arguments; usage: quellan ") + command.synopsis);
}

}  // namespace quellan
