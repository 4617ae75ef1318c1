#include "service/head_office_service.h"

#include "platform/errors.h"
#include "platform/stop/stop.h"
#include "platform/text/ascii.h"
#include "platform/text/big5.h"
#include "platform/text/folders.h"
#include "service/multipart_form.h"
#include "service/profile_string.h"
#include "service/url.h"

namespace tavrix {

namespace {

const char kConnectionProblem[] = "Connection problem!\r\n";

// The reply's words for a log, without a line break of their own.
std::string inOneLine(std::string text) {
  if (text.size() > 300) text = text.substr(0, 300) + "...";
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text.empty() ? "an empty reply" : text;
}

// The reply as lines (ended by CR LF, a lone CR or a lone LF; a NUL ends the
// reply), each written back with CR LF.
std::string asLines(std::string_view reply) {
  reply = reply.substr(0, reply.find('\0'));
  std::string out;
  size_t start = 0;
  while (start < reply.size()) {
    size_t end = reply.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = reply.size();
    out.append(reply.substr(start, end - start));
    out += "\r\n";
    if (end < reply.size() && reply[end] == '\r' && end + 1 < reply.size() &&
        reply[end + 1] == '\n')
      ++end;
    start = end + 1;
  }
  return out;
}

SilentAbort failedQuery(const HttpFailure& e, std::string_view statement) {
  return SilentAbort(std::string(e.what()) + " (OpenRemote: " + std::string(statement) + ")");
}

bool isRefusal(const std::string& reply) {
  return reply.compare(0, 8, "<RESULT>") == 0;
}

// A statement as the query endpoint receives it: ASCII letters upper-cased
// (literals too), each CR LF a blank; a lone CR or LF stays. Big5 characters
// pass whole: a second byte that happens to be a small letter is no letter.
std::string asQueried(std::string_view statement) {
  std::string out;
  out.reserve(statement.size());
  for (size_t i = 0; i < statement.size();) {
    if (text::big5CharLength(statement, i) == 2) {
      out.append(statement.substr(i, 2));
      i += 2;
    } else if (statement.compare(i, 2, "\r\n") == 0) {
      out += ' ';
      i += 2;
    } else {
      out += text::asciiUpper(statement[i++]);
    }
  }
  return out;
}

}  // namespace

HeadOfficeService::HeadOfficeService(const text::Clock& clock, ModalBox& box,
                                     std::string settingsFolder, std::string rootFolder)
    : clock_(clock),
      box_(box),
      settingsFolder_(std::move(settingsFolder)),
      rootFolder_(std::move(rootFolder)) {}

void HeadOfficeService::readSettings() {
  ProfileFile ini = ProfileFile::load(settingsFolder_ + "httpset.ini");
  // Encryption is opt-in; a scheme that is neither is a mistake to show, not
  // to guess around.
  std::string scheme = ini.value("set", "scheme", "http");
  if (!text::sameText(scheme, "http") && !text::sameText(scheme, "https"))
    throw GeneralError("httpset.ini: scheme must be \"http\" or \"https\", not \"" + scheme + "\"");
  bool tls = text::sameText(scheme, "https");
  // Over TLS a fresh connection costs a handshake as well: kept by default.
  std::string keepAlive = ini.value("set", "keep_alive", tls ? "1" : "0");
  if (keepAlive != "0" && keepAlive != "1")
    throw GeneralError("httpset.ini: keep_alive must be 0 or 1, not \"" + keepAlive + "\"");
  // Named in the file's own Big5; the folder's name is UTF-8.
  std::string caFile = text::big5ToUtf8(ini.value("set", "ca_file", ""));
  if (!caFile.empty() && !text::isAbsolutePath(caFile)) caFile = settingsFolder_ + caFile;
  Host = ini.value("set", "host", "127.0.0.1");
  UserName = ini.value("set", "user_name", "SYSDBA");
  Password = ini.value("set", "password", "quietbell");
  std::string port = ini.value("set", "port", tls ? "443" : "80");
  Driver = ini.value("set", "driver", "ado");
  DataName = ini.value("set", "dataname", "POSDATA.GDB");
  DataIP = ini.value("set", "dataip", "127.0.0.1");

  auto url = [&](const char* endpoint) {
    return (tls ? "https://" : "http://") + Host + ":" + port + "/Kesp/" + Driver + endpoint +
           DataName + "&ip=" + DataIP;
  };
  QueryURL = url("/index.php?db=");
  TableUpdateURL = url("/table_update.php?db=");
  ScriptURL = url("/sql_scripts.php?db=");

  httpClient.limits = HttpLimits{};
  httpClient.keepAlive = keepAlive == "1";
  httpClient.trustAuthorities(caFile);
  created_ = true;
}

std::string HeadOfficeService::post(const std::string& url, const std::vector<FormPart>& fields) {
  std::string boundary = formBoundary(clock_.now());
  return httpClient.post(url, "multipart/form-data; boundary=" + boundary,
                         multipartBody(fields, boundary));
}

// The query endpoint's reply from its packet on (what comes before the XML
// declaration dropped). Raises HttpFailure.
std::string HeadOfficeService::queryReply(std::string_view statement) {
  std::string sql = asQueried(statement);
  std::vector<FormPart> form = {{"user_name", UserName}, {"password", Password}, {"sql", sql}};
  std::string reply = post(QueryURL + "&user_name=" + UserName + "&password=" + Password, form);
  if (size_t xml = reply.find("<?xml"); xml != std::string::npos) reply.erase(0, xml);
  return reply;
}

void HeadOfficeService::OpenRemote(dataset::DataSet& dataset, std::string_view statement) {
  std::string reply;
  try {
    reply = queryReply(statement);
  } catch (const HttpFailure& e) {
    throw failedQuery(e, statement);
  }
  if (isRefusal(reply)) throw GeneralError(reply);
  try {
    dataset.loadFromPacket(reply);
  } catch (const GeneralError&) {
    throw GeneralError(reply);
  }
}

std::string HeadOfficeService::AskRemote(dataset::DataSet& dataset, std::string_view statement) {
  std::string reply;
  try {
    reply = queryReply(statement);
  } catch (const HttpStatusFailure& e) {
    dataset.close();
    return std::string(e.what()) + ": " + inOneLine(e.body);
  } catch (const HttpFailure& e) {
    throw failedQuery(e, statement);
  }
  if (isRefusal(reply)) {
    dataset.close();
    return inOneLine(reply);
  }
  try {
    dataset.loadFromPacket(reply);
  } catch (const GeneralError&) {
    return "a reply that is no data packet: " + inOneLine(reply);
  }
  return "";
}

bool HeadOfficeService::ExecRemoteSQL(const StatementBatch& batch) {
  std::vector<FormPart> form = {{"sql", batch.text()}, {"db", DataName}, {"ip", DataIP}};
  try {
    std::string reply =
        post(URLEncode(ScriptURL + "&user_name=" + UserName + "&password=" + Password), form);
    LastMessage = asLines(reply);
    text::writeFile(rootFolder_ + "message.txt", LastMessage);
  } catch (const stop::Stopped&) {
    throw;  // not a connection problem: the program is being stopped
  } catch (const std::exception& e) {
    // The reply, if one came, is dropped with the failure.
    LastFailure = std::string("ExecRemoteSQL: ") + e.what();
    LastMessage = kConnectionProblem;
    box_.show(LastMessage);
    text::writeFile(rootFolder_ + "messageerr.txt", LastMessage);
    return false;
  }
  bool success = LastMessage.find("success") != std::string::npos;
  LastFailure =
      success ? "" : "ExecRemoteSQL: no \"success\" in the reply: " + LastMessage.substr(0, 500);
  return success;
}

}  // namespace tavrix
