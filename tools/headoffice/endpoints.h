// What the head office answers, apart from the HTTP around it.
#pragma once

#include <string>
#include <string_view>

#include <optional>

#include "platform/localdb/connection.h"
#include "tools/headoffice/plain_select.h"

namespace tavrix::sim {

enum class Endpoint { Query, Script, Unknown };

// index.php and sql_scripts.php under /Kesp/<driver>/, whatever the driver.
Endpoint endpointOf(std::string_view target);
std::string_view endpointName(Endpoint e);

struct SimRequest {
  std::string target;
  std::string contentType;
  std::string body;
};

struct SimReply {
  unsigned status = 200;
  std::string body;
};

class HeadOffice {
 public:
  HeadOffice(localdb::SqlConnection& database, std::string user, std::string password)
      : db_(database), user_(std::move(user)), password_(std::move(password)) {}

  // Queries of this shape only (plain_select.h); without it, any SELECT.
  void answerOnly(WhereShape where) { shape_ = where; }

  SimReply handle(const SimRequest& request);

  // One SELECT: its XML data packet, or a "<RESULT>" refusal for wrong
  // credentials, a statement that is no SELECT or not of the shape
  // answered, or a database error.
  SimReply query(const SimRequest& request);
  // A statement batch: "%%" becomes "%", the statements (split at ";" outside
  // literals) run in one transaction; "success" when all ran, else the
  // database's message and nothing changed.
  SimReply script(const SimRequest& request);

 private:
  bool allowed(const std::string& user, const std::string& password) const {
    return user == user_ && password == password_;
  }

  localdb::SqlConnection& db_;
  std::string user_, password_;
  std::optional<WhereShape> shape_;
};

}  // namespace tavrix::sim
