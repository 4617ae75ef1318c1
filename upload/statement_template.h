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

}  // namespace tavrix
