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

std::string halvePercentPairs(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    out += value[i];
    if (value[i] == '%' && i + 1 < value.size() && value[i + 1] == '%') ++i;
  }
  return out;
}

std::string multipartBody(const std::vector<FormField>& fields, const std::string& boundary) {
  std::string body;
  for (const FormField& f : fields) {
    body += "--" + boundary + "\r\n";
    body += "Content-Disposition: form-data; name=\"" + f.name + "\"\r\n";
    body += "\r\n";
    body += halvePercentPairs(f.value) + "\r\n";
  }
  body += "\r\n--" + boundary + "--\r\n";
  return body;
}

}  // namespace tavrix
