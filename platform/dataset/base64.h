// Base64 without line breaks, for binary values in data packets.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrix::dataset {

std::string base64Encode(std::string_view bytes);
// Whitespace is skipped; anything else that is not base64 gives nothing.
std::optional<std::string> base64Decode(std::string_view text);

}  // namespace tavrix::dataset
