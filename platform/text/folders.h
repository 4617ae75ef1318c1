// Where the till's files live. Every folder text ends with "/".
#pragma once

#include <string>

namespace tavrix::text {

// The folder of the running executable.
std::string executableFolder();

// The till folder: TAVRIX_HOME when set, else the executable's folder. It holds
// MCH_NO.TXT, httpset.ini and Data/POS_LOC.GDB.
std::string tillFolder();

// The folder that stands for C:\ (message files, batch copies): the till folder.
std::string rootFolder();

}  // namespace tavrix::text
