#include "upload/program_version.h"

#include "platform/localdb/client.h"
#include "platform/text/big5.h"
#include "revision.h"
#include "service/http_client.h"
#include "version.h"

namespace tavrix {

std::string programVersion() {
  return std::string(TAVRIX_VERSION) + " (revision " + TAVRIX_REVISION + ")";
}

std::string versionReport(const std::string& program) {
  std::string client;
  try {
    client = localdb::client().location;
  } catch (const std::exception& e) {
    client = "none: " + text::big5ToUtf8(e.what());
  }
  return program + " " + programVersion() + "\ntls      " + tlsLibrary() + "\nclient   " + client +
         "\n";
}

}  // namespace tavrix
