// What a command prints: named columns and rows of typed cells, written as an
// aligned table, CSV or JSON, all at once or row by row as they come.
#pragma once

#include "Value.h"

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

namespace quellan {

// A yes or no: "yes" and "no" in a table and CSV, true and false in JSON.
struct YesNo {
    bool value;
};

// Null, a text, a float, a signed number (such as a time outside the valid
// range), an unsigned one (a handle) or a yes or no. Texts are as the plug-in
// gave them, in the system's code page; the writers turn them into UTF-8.
using Cell = std::variant<std::monostate, std::string, float, std::int64_t, std::uint64_t, YesNo>;

Cell cellOf(const Value& value);

struct Table {
    std::vector<std::string> columns;
    std::vector<std::vector<Cell>> rows;
};

enum class OutputFormat { TABLE, CSV, JSON };

// The format a file name's extension asks for: .csv, .json, or .txt (and
// any other) for the aligned table.
OutputFormat formatOfFile(const std::string& path);

// Raised when the reader of the output has gone away (a closed pipe): the
// output ends there, quietly.
struct OutputClosed {};

// Writes rows as they come. All output is UTF-8.
// TABLE: a header line and one line per row, columns padded to their widest
// cell by displayed width (code points; East Asian wide characters count
// two), null written as "null", control characters escaped as \xNN. Rows
// are held back until the first flush(), which fixes the widths: a wider
// cell after it pushes the rest of its own line to the right.
// CSV: a header line, then the rows; null is an empty field, an empty text
// is "", and fields with a comma, quote or line break are quoted.
// JSON: an array with one object per row and line, keyed by column name (a
// repeated name gets " (2)", " (3)", ...); floats and handles are numbers,
// null is null, a float that is not finite is a text.
class RowWriter {
public:
    virtual ~RowWriter() = default;
    virtual void columns(std::vector<std::string> names) = 0;
    virtual void row(std::vector<Cell> cells) = 0;
    // Writes what is held back and flushes the stream.
    virtual void flush() = 0;
    // Ends the output (JSON's closing bracket) and flushes.
    virtual void finish() = 0;
};

// Raises OutputClosed, or ToolError (INTERNAL) for any other write failure.
std::unique_ptr<RowWriter> makeRowWriter(std::ostream& out, OutputFormat format);

// Keeps every row, for commands whose output is written only once the
// plug-in is done with (so that a failure leaves the output empty).
class TableCollector : public RowWriter {
public:
    void columns(std::vector<std::string> names) override { table.columns = std::move(names); }
    void row(std::vector<Cell> cells) override { table.rows.push_back(std::move(cells)); }
    void flush() override {}
    void finish() override {}

    Table table;
};

void writeTable(RowWriter& writer, const Table& table);

}  // namespace quellan
