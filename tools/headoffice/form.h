// Taking apart what a client sent: the query string and the multipart form.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "service/multipart_form.h"

namespace tavrix::sim {

std::string percentDecode(std::string_view text);

// name=value pairs split at "&"; with `decode` the whole query string is
// percent-decoded first (the script request encodes its "=" as %3D).
std::map<std::string, std::string> parseQueryString(std::string_view query, bool decode);

// The fields of a multipart/form-data body. The client leaves CR LF at the end
// of its last value (an extra CR LF before the closing delimiter); it goes.
std::vector<FormField> parseMultipart(std::string_view body, std::string_view contentType);

}  // namespace tavrix::sim
