#include <charconv>
#include <cstdio>
#include <set>

#include "platform/dataset/base64.h"
#include "platform/dataset/dataset.h"
#include "platform/dataset/packet.h"
#include "platform/text/big5.h"

namespace tavrix::dataset {

namespace {

struct PacketType {
  const char* fieldtype;
  const char* subtype;  // empty: none
};

PacketType packetTypeOf(const FieldDef& d) {
  switch (d.type) {
    case FieldType::String:
      return {"string", d.fixedChar ? "FixedChar" : ""};
    case FieldType::Int16:
      return {"i2", ""};
    case FieldType::Int32:
      return {"i4", ""};
    case FieldType::Int64:
      return {"i8", ""};
    case FieldType::Double:
      return {"r8", ""};
    case FieldType::Bcd:
      return {"fixed", ""};
    case FieldType::Date:
      return {"date", ""};
    case FieldType::Time:
      return {"time", ""};
    case FieldType::DateTime:
      return {"dateTime", ""};
    case FieldType::Timestamp:
      return {"SQLdateTime", ""};
    case FieldType::Memo:
      return {"bin.hex", "Text"};
    case FieldType::Blob:
      return {"bin.hex", "Binary"};
    case FieldType::Boolean:
      return {"boolean", ""};
  }
  return {"string", ""};
}

// Attribute text in the classic mode. A backslash that is the second byte of a
// double-byte character stays raw; NUL bytes are dropped.
void appendEscaped(std::string& out, std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    if (size_t n = text::big5CharLength(bytes, i); n == 2) {
      out.append(bytes.substr(i, 2));
      i += 2;
      continue;
    }
    char c = bytes[i++];
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      case '\r':
        out += "&#013;";
        break;
      case '\n':
        out += "&#010;";
        break;
      case '\t':
        out += "&#009;";
        break;
      case '\\':
        out += "&#092;";
        break;
      case '\0':
        break;
      default:
        out += c;
    }
  }
}

std::string digits(int value, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, value);
  return buf;
}

std::string packetDate(const text::Date& d) {
  return digits(d.year, 4) + digits(d.month, 2) + digits(d.day, 2);
}

std::string packetTime(const text::Time& t) {
  return digits(t.hour, 2) + ":" + digits(t.minute, 2) + ":" + digits(t.second * 1000 + t.msec, 5);
}

std::string packetDateTime(const text::DateTime& dt) {
  if (dt.time == text::Time{}) return packetDate(dt.date);
  const text::Time& t = dt.time;
  return packetDate(dt.date) + "T" + digits(t.hour, 2) + ":" + digits(t.minute, 2) + ":" +
         digits(t.second, 2) + digits(t.msec, 3);
}

std::string encode(const FieldDef& d, const Value& v) {
  if (d.type == FieldType::Blob) return base64Encode(v.asText());
  if (auto x = v.get<double>()) {
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, *x);
    return std::string(buf, end);
  }
  if (auto x = v.get<Decimal>()) return x->toFixedText();
  if (auto x = v.get<bool>()) return *x ? "TRUE" : "FALSE";
  if (auto x = v.get<text::Date>()) return packetDate(*x);
  if (auto x = v.get<text::Time>()) return packetTime(*x);
  if (auto x = v.get<text::DateTime>()) {
    if (d.type == FieldType::Date) return packetDate(x->date);
    if (d.type == FieldType::Time) return packetTime(x->time);
    return packetDateTime(*x);
  }
  return v.asText();
}

// Attribute names must be XML names; a field whose name is not one gets a
// clean attrname and keeps its own name in "fieldname".
std::string xmlName(std::string_view name) {
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  std::string out;
  for (char c : name) out += letter(c) || (c >= '0' && c <= '9') || c == '.' || c == '-' ? c : '_';
  if (out.empty() || !letter(out[0])) out.insert(0, "_");
  return out;
}

}  // namespace

std::string writePacket(const std::vector<FieldDef>& fields,
                        const std::vector<std::vector<Value>>& rows) {
  std::vector<size_t> columns;  // data fields only
  std::vector<std::string> attrnames;
  std::set<std::string> used;
  std::string out = "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\">";
  out += "<METADATA><FIELDS>";
  for (size_t i = 0; i < fields.size(); ++i) {
    const FieldDef& d = fields[i];
    if (d.kind != FieldKind::Data) continue;
    std::string attr = xmlName(d.name);
    for (int n = 1; used.count(attr); ++n) attr = xmlName(d.name) + "_" + std::to_string(n);
    used.insert(attr);
    columns.push_back(i);
    attrnames.push_back(attr);

    PacketType pt = packetTypeOf(d);
    out += "<FIELD attrname=\"";
    appendEscaped(out, attr);
    out += "\"";
    if (attr != d.name) {
      out += " fieldname=\"";
      appendEscaped(out, d.name);
      out += "\"";
    }
    out += std::string(" fieldtype=\"") + pt.fieldtype + "\"";
    if (*pt.subtype) out += std::string(" SUBTYPE=\"") + pt.subtype + "\"";
    if (d.type == FieldType::Bcd && d.scale > 0)
      out += " DECIMALS=\"" + std::to_string(d.scale) + "\"";
    if ((d.type == FieldType::String || d.type == FieldType::Bcd) && d.size > 0)
      out += " WIDTH=\"" + std::to_string(d.size) + "\"";
    out += "/>";
  }
  out += "</FIELDS><PARAMS/></METADATA><ROWDATA>";
  for (const auto& row : rows) {
    out += "<ROW";
    for (size_t k = 0; k < columns.size(); ++k) {
      const Value& v = row[columns[k]];
      if (v.isNull()) continue;
      out += " " + attrnames[k] + "=\"";
      appendEscaped(out, encode(fields[columns[k]], v));
      out += "\"";
    }
    out += "/>";
  }
  out += "</ROWDATA></DATAPACKET>";
  return out;
}

std::string DataSet::toPacket() const {
  return writePacket(defs_, rows_);
}

}  // namespace tavrix::dataset
