#include "service/multipart_form.h"

#include <cstdio>

namespace tavrix {

std::string formBoundary(const text::DateTime& now) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%02d%02d%02d%02d%02d%02d%03d", now.date.month, now.date.day,
                now.date.year % 100, now.time.hour, now.time.minute, now.time.second,
                now.time.msec);
  return std::string("--------") + stamp;
}

namespace {

void appendHalved(std::string& out, std::string_view value) {
  for (size_t at; (at = value.find("%%")) != std::string_view::npos;) {
    out.append(value.substr(0, at + 1));
    value.remove_prefix(at + 2);
  }
  out.append(value);
}

}  // namespace

std::string halvePercentPairs(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  appendHalved(out, value);
  return out;
}

std::string multipartBody(const std::vector<FormPart>& fields, std::string_view boundary) {
  const std::string_view disposition = "Content-Disposition: form-data; name=\"";
  size_t size = 2 + 2 + boundary.size() + 4;
  for (const FormPart& f : fields)
    size +=
        2 + boundary.size() + 2 + disposition.size() + f.name.size() + 3 + 2 + f.value.size() + 2;
  std::string body;
  body.reserve(size);
  for (const FormPart& f : fields) {
    body.append("--").append(boundary).append("\r\n");
    body.append(disposition).append(f.name).append("\"\r\n");
    body += "\r\n";
    appendHalved(body, f.value);
    body += "\r\n";
  }
  body.append("\r\n--").append(boundary).append("--\r\n");
  return body;
}

}  // namespace tavrix
