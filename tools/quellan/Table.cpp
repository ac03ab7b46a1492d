// Writing a table as aligned text, CSV or JSON.
#include "Table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quellan {

namespace {

std::string plainText(const Cell& cell) {
    struct Visitor {
        std::string operator()(std::monostate) const { return "null"; }
        std::string operator()(const std::string& text) const { return text; }
        std::string operator()(float value) const { return formatFloat(value); }
        std::string operator()(std::int64_t value) const { return std::to_string(value); }
        std::string operator()(std::uint64_t value) const { return std::to_string(value); }
    };
    return std::visit(Visitor(), cell);
}

void writeAligned(std::ostream& out, const Table& table) {
    std::vector<std::size_t> widths;
    for (const std::string& column : table.columns) widths.push_back(column.size());
    for (const auto& row : table.rows)
        for (std::size_t i = 0; i < row.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], plainText(row[i]).size());
    auto line = [&](const std::vector<std::string>& fields) {
        std::string text;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            text += fields[i];
            // The last column is not padded, so no line ends in blanks.
            if (i + 1 < fields.size()) text += std::string(widths[i] - fields[i].size() + 2, ' ');
        }
        out << text << '\n';
    };
    line(table.columns);
    for (const auto& row : table.rows) {
        std::vector<std::string> fields;
        for (const Cell& cell : row) fields.push_back(plainText(cell));
        line(fields);
    }
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

void writeCsv(std::ostream& out, const Table& table) {
    auto line = [&](const std::vector<std::string>& fields) {
        for (std::size_t i = 0; i < fields.size(); ++i) out << (i ? "," : "") << csvField(fields[i]);
        out << '\n';
    };
    line(table.columns);
    for (const auto& row : table.rows) {
        std::vector<std::string> fields;
        for (const Cell& cell : row)
            fields.push_back(std::holds_alternative<std::monostate>(cell) ? std::string() : plainText(cell));
        line(fields);
    }
}

std::string jsonString(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        switch (c) {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                quoted += escape;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + '"';
}

std::string jsonValue(const Cell& cell) {
    if (std::holds_alternative<std::monostate>(cell)) return "null";
    if (const std::string* text = std::get_if<std::string>(&cell)) return jsonString(*text);
    if (const float* value = std::get_if<float>(&cell))
        if (!std::isfinite(*value)) return jsonString(formatFloat(*value));
    return plainText(cell);
}

std::vector<std::string> uniqueKeys(const std::vector<std::string>& columns) {
    std::vector<std::string> keys;
    for (const std::string& column : columns) {
        std::string key = column;
        for (int copy = 2; std::find(keys.begin(), keys.end(), key) != keys.end(); ++copy)
            key = column + " (" + std::to_string(copy) + ")";
        keys.push_back(key);
    }
    return keys;
}

void writeJson(std::ostream& out, const Table& table) {
    std::vector<std::string> keys = uniqueKeys(table.columns);
    out << "[";
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        out << (r ? ",\n  {" : "\n  {");
        const auto& row = table.rows[r];
        for (std::size_t i = 0; i < row.size() && i < keys.size(); ++i)
            out << (i ? ", " : "") << jsonString(keys[i]) << ": " << jsonValue(row[i]);
        out << "}";
    }
    out << (table.rows.empty() ? "]\n" : "\n]\n");
}

}  // namespace

Cell cellOf(const Value& value) {
    if (const std::string* text = std::get_if<std::string>(&value)) return *text;
    if (const float* number = std::get_if<float>(&value)) return *number;
    return std::monostate();
}

void writeTable(std::ostream& out, const Table& table, OutputFormat format) {
    switch (format) {
    case OutputFormat::TABLE: writeAligned(out, table); break;
    case OutputFormat::CSV: writeCsv(out, table); break;
    case OutputFormat::JSON: writeJson(out, table); break;
    }
}

}  // namespace quellan
