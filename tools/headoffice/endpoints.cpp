#include "tools/headoffice/endpoints.h"

#include "platform/dataset/dataset.h"
#include "platform/errors.h"
#include "platform/localdb/admin.h"
#include "platform/localdb/query.h"
#include "platform/localdb/statement.h"
#include "platform/text/ascii.h"
#include "platform/text/number_text.h"
#include "tools/headoffice/form.h"

namespace tavrix::sim {

namespace {

std::string_view pathOf(std::string_view target) {
  return target.substr(0, target.find('?'));
}

std::string_view queryOf(std::string_view target) {
  size_t q = target.find('?');
  return q == std::string_view::npos ? std::string_view() : target.substr(q + 1);
}

std::string field(const std::vector<FormField>& form, std::string_view name) {
  for (const FormField& f : form)
    if (f.name == name) return f.value;
  return {};
}

std::string value(const std::map<std::string, std::string>& params, const std::string& name) {
  auto it = params.find(name);
  return it == params.end() ? std::string() : it->second;
}

SimReply refusal(const std::string& why) {
  return {200, "<RESULT>" + why + "</RESULT>"};
}

}  // namespace

Endpoint endpointOf(std::string_view target) {
  std::string_view path = pathOf(target);
  if (path.substr(0, 6) != "/Kesp/") return Endpoint::Unknown;
  size_t slash = path.find('/', 6);
  if (slash == std::string_view::npos || slash == 6) return Endpoint::Unknown;
  std::string_view page = path.substr(slash + 1);
  if (page == "index.php") return Endpoint::Query;
  if (page == "sql_scripts.php") return Endpoint::Script;
  return Endpoint::Unknown;
}

std::string_view endpointName(Endpoint e) {
  return e == Endpoint::Query ? "query" : e == Endpoint::Script ? "script" : "other";
}

SimReply HeadOffice::handle(const SimRequest& request) {
  switch (endpointOf(request.target)) {
    case Endpoint::Query:
      return query(request);
    case Endpoint::Script:
      return script(request);
    default:
      return {404, "Not Found"};
  }
}

SimReply HeadOffice::query(const SimRequest& request) {
  auto params = parseQueryString(queryOf(request.target), false);
  auto form = parseMultipart(request.body, request.contentType);
  if (!allowed(value(params, "user_name"), value(params, "password")) ||
      !allowed(field(form, "user_name"), field(form, "password")))
    return refusal("ERROR: LOGIN FAILED");

  std::string sql = field(form, "sql");
  std::string_view head = text::trimBlanks(sql).substr(0, 6);
  if (!text::sameText(head, "SELECT")) return refusal("ERROR: ONLY SELECT IS ANSWERED HERE");
  if (shape_)
    if (std::string why = refusedShape(sql, *shape_); !why.empty()) return refusal(why);
  try {
    localdb::SqlQuery q(db_);
    q.setSql(sql);
    q.open();
    dataset::DataSet result;
    std::vector<dataset::FieldDef> defs;
    for (int i = 0; i < q.fieldCount(); ++i) defs.push_back(q.field(i).def());
    result.open(std::move(defs));
    for (; !q.eof(); q.next()) {
      std::vector<dataset::Value> row;
      for (int i = 0; i < q.fieldCount(); ++i) row.push_back(q.field(i).value());
      result.appendRecord(std::move(row));
    }
    return {200, result.toPacket()};
  } catch (const GeneralError& e) {
    return refusal(std::string("ERROR: ") + e.what());
  }
}

SimReply HeadOffice::script(const SimRequest& request) {
  auto params = parseQueryString(queryOf(request.target), true);
  if (!allowed(value(params, "user_name"), value(params, "password")))
    return refusal("ERROR: LOGIN FAILED");
  auto form = parseMultipart(request.body, request.contentType);

  // The service formats the script printf-style, so "%%" comes out as "%".
  std::string script;
  std::string sql = field(form, "sql");
  for (size_t i = 0; i < sql.size(); ++i) {
    script += sql[i];
    if (sql[i] == '%' && i + 1 < sql.size() && sql[i + 1] == '%') ++i;
  }
  std::vector<std::string> statements = localdb::splitStatements(script);
  try {
    localdb::executeAll(db_, statements);
  } catch (const GeneralError& e) {
    return {200, std::string("ERROR: ") + e.what()};
  }
  return {200, "success: " + std::to_string(statements.size()) + " statements"};
}

}  // namespace tavrix::sim
