// The multipart form body of both service requests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/text/regional.h"

namespace tavrix {

struct FormField {
  std::string name;
  std::string value;
};

// A field of a form being built: views of texts that outlive the body.
struct FormPart {
  std::string_view name;
  std::string_view value;
};

// Eight hyphens and the form stamp MMDDYYHHNNSSZZZ of the moment the form is
// built, so the delimiter lines begin with ten hyphens.
std::string formBoundary(const text::DateTime& now);

// Field values go byte for byte, except that each "%%" pair, read from left
// to right, is written as one "%" (a lone "%" stays as it is).
std::string halvePercentPairs(std::string_view value);

// Per field: delimiter line, Content-Disposition line, empty line, value and
// CR LF; then CR LF and the closing delimiter line. The extra CR LF is why a
// reader sees CR LF at the end of the last value.
// The body is sized first and written once: a day's batch is copied into it
// exactly one time.
std::string multipartBody(const std::vector<FormPart>& fields, std::string_view boundary);

}  // namespace tavrix
