// The table definitions of the till's and the head office's databases, as
// scripts for localdb::runScript.
#pragma once

namespace tavrix::schema {

const char* till();
const char* headOffice();

}  // namespace tavrix::schema
