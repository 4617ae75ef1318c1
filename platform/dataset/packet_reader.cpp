#include <pugixml.hpp>

#include <cctype>

#include "platform/dataset/base64.h"
#include "platform/dataset/dataset.h"
#include "platform/dataset/packet.h"
#include "platform/errors.h"
#include "platform/text/big5.h"
#include "platform/text/number_text.h"

namespace tavrix::dataset {

namespace {

[[noreturn]] void broken(const std::string& why) {
  throw GeneralError("Invalid data packet: " + why);
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

struct ColumnCodec {
  FieldDef def;
  std::string attrname;
  bool wide = false;  // string.uni / WideText: ASCII with character references
};

// pugixml hands back UTF-8; in the classic mode every character stands for
// one byte of the original.
std::string latin1Bytes(std::string_view utf8, const std::string& field) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
      unsigned cp = (c & 0x1F) << 6 | (static_cast<unsigned char>(utf8[++i]) & 0x3F);
      if (cp > 0xFF) broken("field " + field + " holds a character reference above 255");
      out += static_cast<char>(cp);
    } else {
      broken("field " + field + " holds a character reference above 255");
    }
  }
  return out;
}

// Names come back from pugixml as UTF-8 like every text; the field keeps them
// as Big5 bytes, while `attrname` stays as pugixml has it for matching rows.
ColumnCodec columnOf(const pugi::xml_node& node, bool utf8Mode) {
  ColumnCodec c;
  c.attrname = node.attribute("attrname").value();
  if (c.attrname.empty()) broken("a FIELD has no attrname");
  std::string name = node.attribute("fieldname") ? node.attribute("fieldname").value() : c.attrname;
  c.def.name = utf8Mode ? text::utf8ToBig5(name) : latin1Bytes(name, name);
  std::string type = lower(node.attribute("fieldtype").value());
  std::string subtype = lower(node.attribute("SUBTYPE").value());
  int width = node.attribute("WIDTH").as_int(0);
  int decimals = node.attribute("DECIMALS").as_int(0);

  FieldType t;
  if (type == "string" || type == "string.uni") {
    t = FieldType::String;
    c.wide = type == "string.uni";
    c.def.fixedChar = subtype == "fixedchar";
  } else if (type == "i1" || type == "i2" || type == "ui1") {
    t = FieldType::Int16;
  } else if (type == "i4" || type == "ui2") {
    t = FieldType::Int32;
  } else if (type == "i8" || type == "ui4" || type == "ui8") {
    t = FieldType::Int64;
  } else if (type == "r4" || type == "r8") {
    t = FieldType::Double;
  } else if (type == "fixed" || type == "fixedfmt") {
    t = FieldType::Bcd;
  } else if (type == "boolean") {
    t = FieldType::Boolean;
  } else if (type == "date") {
    t = FieldType::Date;
  } else if (type == "time") {
    t = FieldType::Time;
  } else if (type == "datetime") {
    t = FieldType::DateTime;
  } else if (type == "sqldatetime") {
    t = FieldType::Timestamp;
  } else if (type == "bin.hex") {
    c.wide = subtype == "widetext";
    t = subtype == "text" || c.wide ? FieldType::Memo : FieldType::Blob;
  } else {
    broken("field " + c.attrname + " has the unsupported type \"" + type + "\"");
  }
  c.def.type = t;
  // Width means something to text and decimals only; the scale to decimals.
  if (width < 0 || decimals < 0 || decimals > 18)
    broken("field " + c.attrname + " has an impossible WIDTH or DECIMALS");
  if (t == FieldType::String || t == FieldType::Bcd) c.def.size = width;
  if (t == FieldType::Bcd) c.def.scale = decimals;
  return c;
}

bool allDigits(std::string_view s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return !s.empty();
}

int number(std::string_view s) {
  return std::stoi(std::string(s));
}

std::optional<text::Date> packetDate(std::string_view s) {
  if (s.size() != 8 || !allDigits(s)) return std::nullopt;
  text::Date d{number(s.substr(0, 4)), number(s.substr(4, 2)), number(s.substr(6, 2))};
  if (!text::isValidDate(d)) return std::nullopt;
  return d;
}

// HH:MM:SSSSS, the last five digits being seconds x 1000 + milliseconds.
std::optional<text::Time> packetTime(std::string_view s) {
  if (s.size() < 7 || s[2] != ':' || s[5] != ':') return std::nullopt;
  std::string_view h = s.substr(0, 2), m = s.substr(3, 2), rest = s.substr(6);
  if (!allDigits(h) || !allDigits(m) || !allDigits(rest) || rest.size() > 5) return std::nullopt;
  int ms = number(rest);
  if (rest.size() <= 2) ms *= 1000;  // plain seconds
  text::Time t{number(h), number(m), ms / 1000, ms % 1000};
  if (!text::isValidTime(t)) return std::nullopt;
  return t;
}

// YYYYMMDD or YYYYMMDDTHH:MM:SSmmm
std::optional<text::DateTime> packetDateTime(std::string_view s) {
  auto date = packetDate(s.substr(0, 8));
  if (!date) return std::nullopt;
  text::DateTime dt{*date, {}};
  if (s.size() == 8) return dt;
  if (s[8] != 'T') return std::nullopt;
  std::string_view t = s.substr(9);
  if (t.size() < 8 || t[2] != ':' || t[5] != ':') return std::nullopt;
  std::string_view h = t.substr(0, 2), m = t.substr(3, 2), sec = t.substr(6, 2), ms = t.substr(8);
  if (!allDigits(h) || !allDigits(m) || !allDigits(sec) || ms.size() > 3 ||
      (!ms.empty() && !allDigits(ms)))
    return std::nullopt;
  dt.time = text::Time{number(h), number(m), number(sec), ms.empty() ? 0 : number(ms)};
  if (!text::isValidTime(dt.time)) return std::nullopt;
  return dt;
}

Value decode(const ColumnCodec& c, std::string_view raw, bool utf8Mode) {
  auto bad = [&]() -> Value {
    broken("field " + c.attrname + " holds \"" + latin1Bytes(raw, c.attrname) +
           "\", which is not a " + std::string(fieldTypeName(c.def.type)) + " value");
  };
  switch (c.def.type) {
    case FieldType::String:
    case FieldType::Memo:
      if (utf8Mode || c.wide) return Value::text(text::utf8ToBig5(raw));
      return Value::text(latin1Bytes(raw, c.attrname));
    case FieldType::Blob: {
      auto bytes = base64Decode(raw);
      return bytes ? Value::text(std::move(*bytes)) : bad();
    }
    case FieldType::Int16:
    case FieldType::Int32:
    case FieldType::Int64: {
      auto v = text::parseInteger(raw);
      return v ? Value::integer(*v) : bad();
    }
    case FieldType::Double: {
      auto v = text::parseFloat(raw);
      return v ? Value::floating(*v) : bad();
    }
    case FieldType::Bcd: {
      auto v = Decimal::fromText(raw, c.def.scale);
      return v ? Value::decimal(*v) : bad();
    }
    case FieldType::Boolean:
      if (lower(raw) == "true") return Value::boolean(true);
      if (lower(raw) == "false") return Value::boolean(false);
      return bad();
    case FieldType::Date: {
      auto v = packetDate(raw);
      return v ? Value::date(*v) : bad();
    }
    case FieldType::Time: {
      auto v = packetTime(raw);
      return v ? Value::time(*v) : bad();
    }
    case FieldType::DateTime:
    case FieldType::Timestamp: {
      auto v = packetDateTime(raw);
      return v ? Value::dateTime(*v) : bad();
    }
  }
  return bad();
}

// A packet that declares encoding="UTF-8" carries UTF-8 text; any other is
// the classic mode with raw code-page bytes.
bool declaresUtf8(std::string_view xml) {
  size_t start = xml.find("<?xml");
  if (start == std::string_view::npos) return false;
  size_t end = xml.find("?>", start);
  std::string prolog = lower(xml.substr(start, end == std::string_view::npos ? 200 : end - start));
  size_t enc = prolog.find("encoding");
  if (enc == std::string::npos) return false;
  size_t quote = prolog.find_first_of("\"'", enc);
  return quote != std::string::npos && prolog.compare(quote + 1, 5, "utf-8") == 0;
}

}  // namespace

PacketContents readPacket(std::string_view xml) {
  bool utf8Mode = declaresUtf8(xml);
  pugi::xml_document doc;
  pugi::xml_parse_result parsed =
      doc.load_buffer(xml.data(), xml.size(), pugi::parse_default,
                      utf8Mode ? pugi::encoding_utf8 : pugi::encoding_latin1);
  if (!parsed)
    broken(std::string(parsed.description()) + " at offset " + std::to_string(parsed.offset));

  pugi::xml_node root = doc.child("DATAPACKET");
  if (!root) broken("no DATAPACKET element");
  pugi::xml_node fields = root.child("METADATA").child("FIELDS");
  if (!fields) broken("no METADATA/FIELDS element");

  std::vector<ColumnCodec> columns;
  for (pugi::xml_node f : fields.children("FIELD")) columns.push_back(columnOf(f, utf8Mode));

  PacketContents out;
  for (const auto& c : columns) out.fields.push_back(c.def);
  for (pugi::xml_node row : root.child("ROWDATA").children("ROW")) {
    std::vector<Value> values;
    values.reserve(columns.size());
    for (const auto& c : columns) {
      pugi::xml_attribute a = row.attribute(c.attrname.c_str());
      values.push_back(a ? decode(c, a.value(), utf8Mode) : Value());
    }
    out.rows.push_back(std::move(values));
  }
  return out;
}

void DataSet::loadFromPacket(std::string_view xml) {
  close();
  PacketContents contents = readPacket(xml);
  open(std::move(contents.fields));
  rows_ = std::move(contents.rows);
  cursor_ = 0;
}

}  // namespace tavrix::dataset
