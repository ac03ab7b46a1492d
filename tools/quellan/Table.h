// What a command prints: named columns and rows of typed cells, written as an
// aligned table, CSV or JSON.
#pragma once

#include "Value.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

namespace quellan {

// Null, a text, a float, a signed number (such as a time outside the valid
// range) or an unsigned one (a handle).
using Cell = std::variant<std::monostate, std::string, float, std::int64_t, std::uint64_t>;

Cell cellOf(const Value& value);

struct Table {
    std::vector<std::string> columns;
    std::vector<std::vector<Cell>> rows;
};

enum class OutputFormat { TABLE, CSV, JSON };

// TABLE: a header line and one line per row, columns padded to their widest
// cell, null written as "null".
// CSV: a header line, then the rows; fields with a comma, quote or line break
// are quoted, null is an empty field.
// JSON: an array with one object per row, keyed by column name (a repeated
// name gets " (2)", " (3)", ...); floats and handles are numbers, null is
// null, a float that is not finite is a text.
void writeTable(std::ostream& out, const Table& table, OutputFormat format);

}  // namespace quellan
