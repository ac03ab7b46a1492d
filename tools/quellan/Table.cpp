// Writing rows as an aligned table, CSV or JSON.
#include "Table.h"

#include "DisplayText.h"
#include "ToolError.h"
#include "platform/Console.h"
#include "platform/TextEncoding.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace quellan {

namespace {

using mq::platform::systemTextToUtf8;

// Every write is checked at once, while errno still tells why it failed.
void checkWritten(std::ostream& out) {
    if (out) return;
    if (mq::platform::readerHasGone()) throw OutputClosed();
    throw ToolError(ExitCode::INTERNAL, "cannot write the output");
}

void writeLine(std::ostream& out, const std::string& line) {
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
    checkWritten(out);
}

void flushStream(std::ostream& out) {
    out.flush();
    checkWritten(out);
}

// A cell as text: UTF-8 for texts, null as "null".
std::string plainText(const Cell& cell) {
    struct Visitor {
        std::string operator()(std::monostate) const { return "null"; }
        std::string operator()(const std::string& text) const { return systemTextToUtf8(text); }
        std::string operator()(float value) const { return formatFloat(value); }
        std::string operator()(std::int64_t value) const { return std::to_string(value); }
        std::string operator()(std::uint64_t value) const { return std::to_string(value); }
        std::string operator()(YesNo answer) const { return answer.value ? "yes" : "no"; }
    };
    return std::visit(Visitor(), cell);
}

class AlignedWriter : public RowWriter {
public:
    explicit AlignedWriter(std::ostream& out) : out(out) {}

    void columns(std::vector<std::string> names) override {
        for (std::string& name : names) name = escapeControls(systemTextToUtf8(name));
        header = std::move(names);
    }

    void row(std::vector<Cell> cells) override {
        std::vector<std::string> fields;
        fields.reserve(cells.size());
        for (const Cell& cell : cells) {
            fields.push_back(plainText(cell));
            if (std::holds_alternative<std::string>(cell)) fields.back() = escapeControls(fields.back());
        }
        if (settled)
            writeFields(fields);
        else
            pending.push_back(std::move(fields));
    }

    void flush() override {
        if (!settled) {
            settle();
            settled = true;
        }
        flushStream(out);
    }

    void finish() override { flush(); }

private:
    void settle() {
        for (const std::string& name : header) widths.push_back(displayWidth(name));
        for (const auto& fields : pending)
            for (std::size_t i = 0; i < fields.size() && i < widths.size(); ++i)
                widths[i] = std::max(widths[i], displayWidth(fields[i]));
        writeFields(header);
        for (const auto& fields : pending) writeFields(fields);
        pending.clear();
        pending.shrink_to_fit();
    }

    void writeFields(const std::vector<std::string>& fields) {
        std::string line;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            line += fields[i];
            // The last column is not padded, so no line ends in blanks.
            if (i + 1 < fields.size()) {
                const std::size_t width = displayWidth(fields[i]);
                const std::size_t column = i < widths.size() ? widths[i] : width;
                line.append(column > width ? column - width + 2 : 2, ' ');
            }
        }
        line += '\n';
        writeLine(out, line);
    }

    std::ostream& out;
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> pending;
    std::vector<std::size_t> widths;
    bool settled = false;
};

std::string csvField(const std::string& text) {
    // An empty text is quoted, so that it differs from null's empty field.
    if (!text.empty() && text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

class CsvWriter : public RowWriter {
public:
    explicit CsvWriter(std::ostream& out) : out(out) {}

    void columns(std::vector<std::string> names) override {
        std::vector<std::string> fields;
        for (const std::string& name : names) fields.push_back(csvField(systemTextToUtf8(name)));
        writeFields(fields);
    }

    void row(std::vector<Cell> cells) override {
        std::vector<std::string> fields;
        fields.reserve(cells.size());
        for (const Cell& cell : cells)
            fields.push_back(std::holds_alternative<std::monostate>(cell) ? std::string()
                                                                          : csvField(plainText(cell)));
        writeFields(fields);
    }

    void flush() override { flushStream(out); }
    void finish() override { flush(); }

private:
    void writeFields(const std::vector<std::string>& fields) {
        std::string line;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i) line += ',';
            line += fields[i];
        }
        line += '\n';
        writeLine(out, line);
    }

    std::ostream& out;
};

std::string jsonValue(const Cell& cell) {
    using nlohmann::json;
    if (std::holds_alternative<std::monostate>(cell)) return "null";
    if (const std::string* text = std::get_if<std::string>(&cell)) return json(systemTextToUtf8(*text)).dump();
    if (const float* value = std::get_if<float>(&cell)) {
        const std::string text = formatFloat(*value);
        if (!std::isfinite(*value)) return json(text).dump();
        // The double nearest the float's shortest text prints as that text
        // and reads back as the same float.
        return json(std::strtod(text.c_str(), nullptr)).dump();
    }
    if (const std::int64_t* value = std::get_if<std::int64_t>(&cell)) return json(*value).dump();
    if (const YesNo* answer = std::get_if<YesNo>(&cell)) return json(answer->value).dump();
    return json(std::get<std::uint64_t>(cell)).dump();
}

class JsonWriter : public RowWriter {
public:
    explicit JsonWriter(std::ostream& out) : out(out) {}

    void columns(std::vector<std::string> names) override {
        for (const std::string& column : names) {
            std::string key = column;
            for (int copy = 2; std::find(plainKeys.begin(), plainKeys.end(), key) != plainKeys.end(); ++copy)
                key = column + " (" + std::to_string(copy) + ")";
            plainKeys.push_back(key);
        }
        for (const std::string& key : plainKeys) keys.push_back(nlohmann::json(systemTextToUtf8(key)).dump());
    }

    void row(std::vector<Cell> cells) override {
        std::string line = rows++ ? ",\n  {" : "[\n  {";
        for (std::size_t i = 0; i < cells.size() && i < keys.size(); ++i) {
            if (i) line += ", ";
            line += keys[i];
            line += ": ";
            line += jsonValue(cells[i]);
        }
        line += '}';
        writeLine(out, line);
    }

    void flush() override { flushStream(out); }

    void finish() override {
        writeLine(out, rows ? "\n]\n" : "[]\n");
        flush();
    }

private:
    std::ostream& out;
    std::vector<std::string> plainKeys;
    std::vector<std::string> keys;
    std::size_t rows = 0;
};

bool endsWith(const std::string& text, const std::string& end) {
    if (text.size() < end.size()) return false;
    return std::equal(end.rbegin(), end.rend(), text.rbegin(),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace

Cell cellOf(const Value& value) {
    if (const std::string* text = std::get_if<std::string>(&value)) return *text;
    if (const float* number = std::get_if<float>(&value)) return *number;
    return std::monostate();
}

OutputFormat formatOfFile(const std::string& path) {
    if (endsWith(path, ".csv")) return OutputFormat::CSV;
    if (endsWith(path, ".json")) return OutputFormat::JSON;
    return OutputFormat::TABLE;
}

std::unique_ptr<RowWriter> makeRowWriter(std::ostream& out, OutputFormat format) {
    switch (format) {
    case OutputFormat::CSV: return std::make_unique<CsvWriter>(out);
    case OutputFormat::JSON: return std::make_unique<JsonWriter>(out);
    case OutputFormat::TABLE: break;
    }
    return std::make_unique<AlignedWriter>(out);
}

void writeTable(RowWriter& writer, const Table& table) {
    writer.columns(table.columns);
    for (const auto& row : table.rows) writer.row(row);
    writer.finish();
}

}  // namespace quellan
