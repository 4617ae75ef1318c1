#include "tools/headoffice/form.h"

namespace tavrix::sim {

std::string percentDecode(std::string_view s) {
  auto hex = [](char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                  : -1;
  };
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && hex(s[i + 1]) >= 0 && hex(s[i + 2]) >= 0) {
      out += static_cast<char>(hex(s[i + 1]) * 16 + hex(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::map<std::string, std::string> parseQueryString(std::string_view query, bool decode) {
  std::string text = decode ? percentDecode(query) : std::string(query);
  std::map<std::string, std::string> out;
  std::string_view rest = text;
  while (!rest.empty()) {
    size_t amp = rest.find('&');
    std::string_view pair = rest.substr(0, amp);
    rest.remove_prefix(amp == std::string_view::npos ? rest.size() : amp + 1);
    size_t eq = pair.find('=');
    std::string name(pair.substr(0, eq));
    if (!out.count(name))
      out[name] = eq == std::string_view::npos ? "" : std::string(pair.substr(eq + 1));
  }
  return out;
}

std::vector<FormField> parseMultipart(std::string_view body, std::string_view contentType) {
  std::vector<FormField> fields;
  size_t at = contentType.find("boundary=");
  if (at == std::string_view::npos) return fields;
  std::string delimiter = "--" + std::string(contentType.substr(at + 9));
  size_t pos = body.find(delimiter);
  while (pos != std::string_view::npos) {
    pos += delimiter.size();
    if (body.compare(pos, 2, "--") == 0) break;  // the closing delimiter
    size_t headEnd = body.find("\r\n\r\n", pos);
    if (headEnd == std::string_view::npos) break;
    std::string_view head = body.substr(pos, headEnd - pos);
    size_t next = body.find("\r\n" + delimiter, headEnd + 4);
    if (next == std::string_view::npos) break;
    FormField f;
    if (size_t n = head.find("name=\""); n != std::string_view::npos)
      f.name = head.substr(n + 6, head.find('"', n + 6) - n - 6);
    f.value = body.substr(headEnd + 4, next - headEnd - 4);
    fields.push_back(std::move(f));
    pos = next + 2;
  }
  if (!fields.empty() && fields.back().value.size() >= 2 &&
      fields.back().value.compare(fields.back().value.size() - 2, 2, "\r\n") == 0)
    fields.back().value.resize(fields.back().value.size() - 2);
  return fields;
}

}  // namespace tavrix::sim
