// What a small head office answers at its query endpoint: it reads the
// column list and the table name to describe its reply and hands the rest to
// its database, so it takes only
//   SELECT [FIRST n] * | NAME {, NAME} FROM TABLE [WHERE condition]
// where the condition compares columns with literals (=, <>, <, >, <=, >=,
// IS NULL), joined by AND / OR and grouped by parentheses.
#pragma once

#include <string>
#include <string_view>

namespace tavrix::sim {

enum class WhereShape {
  Comparisons,  // the comparisons above, AND, OR, parentheses
  EqualsAndAnd  // "=" comparisons joined by AND only, as the oldest head offices
};

// Empty when `sql` has that shape; otherwise what a head office would say,
// naming what it refused (without the <RESULT> around it). Literals with
// doubled apostrophes, keywords inside literals and line breaks are read as
// such a head office reads them.
std::string refusedShape(std::string_view sql, WhereShape where);

}  // namespace tavrix::sim
