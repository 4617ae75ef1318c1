// Feeds arbitrary bytes to the reply reader, in pieces of varying size, as a
// server would send them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "service/http_client.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  size_t piece = 1 + data[0] % 64;  // the first byte picks the read size
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  size_t at = 0;
  tavrix::HttpLimits limits;
  limits.maxLine = 200;  // small, so long lines are reached
  limits.maxBody = 4096;
  try {
    tavrix::HttpReply reply = tavrix::readReply(
        [&](char* buffer, size_t room) {
          size_t n = std::min({piece, room, bytes.size() - at});
          std::memcpy(buffer, bytes.data() + at, n);
          at += n;
          return n;
        },
        limits);
    if (reply.body.size() > limits.maxBody) __builtin_trap();
  } catch (const tavrix::HttpFailure&) {
  }
  return 0;
}
