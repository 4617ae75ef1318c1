#include "tests/support/upload_rig.h"

#include "platform/localdb/admin.h"
#include "platform/text/big5.h"
#include "tools/schema/schemas.h"

namespace tavrix::testing {

namespace {

std::vector<std::string> rowsOf(localdb::SqlConnection& c, const std::string& select) {
  localdb::SqlQuery q(c);
  q.setSql(select);
  q.open();
  std::vector<std::string> rows;
  for (; !q.eof(); q.next()) {
    std::string row;
    for (int i = 0; i < q.fieldCount(); ++i)
      row += (i ? "|" : "") + (q.field(i).isNull() ? std::string("<null>") : q.field(i).asString());
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

UploadRig::UploadRig(const std::vector<std::string>& simOptions, const std::string& machine)
    : sim(simOptions, machine), till(schema::till()) {
  folder.write("httpset.ini", sim.httpsetIni());
  box.host = &engine.host();
  http.readSettings();
  till.configure(engine.localConnection());
  engine.MachineNo = "01";
}

std::vector<std::string> UploadRig::localRows(const std::string& select) const {
  localdb::SqlConnection c;
  till.configure(c);
  return rowsOf(c, select);
}

namespace {
void connectTo(localdb::SqlConnection& c, const std::string& dsn) {
  c.setParam("Database", dsn);
  c.setParam("User_Name", kUser);
  c.setParam("Password", kPassword);
}
}  // namespace

std::vector<std::string> UploadRig::headOfficeRows(const std::string& select) const {
  localdb::SqlConnection c;
  connectTo(c, sim.dsn());
  return rowsOf(c, select);
}

void UploadRig::headOffice(const std::string& script) const {
  localdb::SqlConnection c;
  connectTo(c, sim.dsn());
  localdb::runScript(c, script);
}

std::vector<std::string> UploadRig::progressFrom(const std::string& from) const {
  std::vector<std::string> out;
  for (const std::string& line : host.progress) {
    std::string utf8 = text::big5ToUtf8(line);
    if (out.empty() && utf8.rfind(from, 0) != 0) continue;
    out.push_back(utf8);
  }
  return out;
}

}  // namespace tavrix::testing
