// Statement texts are written as templates: the fixed pieces exactly as the
// service and the till expect them, with {name} where a value goes.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tavrix {

// Replaces every {name} by lookup(name). Values always stand between
// apostrophes in these statements, so their own apostrophes are doubled; a
// value without one comes out unchanged.
std::string expand(std::string_view pattern,
                   const std::function<std::string(std::string_view name)>& lookup);

// A "select FIRST 1 ..." pick that passes over the first `records` rows it
// would pick: the records set aside in this run.
std::string passingOver(std::string_view pick, int records);

}  // namespace tavrix
