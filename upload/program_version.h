// Which program this is, for the people who look after the tills: --version,
// status.json and the run log name it.
#pragma once

#include <string>

namespace tavrix {

// "1.4.0 (revision 2450c06a1b2c)": the version and the source it was built from.
std::string programVersion();

// What `program --version` prints: the version, the TLS library, and the
// database client it would load (or why none loads). UTF-8.
std::string versionReport(const std::string& program);

}  // namespace tavrix
