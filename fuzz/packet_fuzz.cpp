// Loads arbitrary bytes as a data packet. Whatever loads must write out and
// load again to the same fields and values.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/dataset/dataset.h"
#include "platform/errors.h"

using tavrix::dataset::DataSet;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DataSet first;
  try {
    first.loadFromPacket(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const tavrix::GeneralError&) {
    if (first.active() || first.fieldCount() != 0 || first.recordCount() != 0) __builtin_trap();
    return 0;
  }
  DataSet second;
  second.loadFromPacket(first.toPacket());  // raising here is a finding too
  if (second.fieldDefs() != first.fieldDefs() || second.recordCount() != first.recordCount())
    __builtin_trap();
  for (int r = 0; r < first.recordCount(); ++r)
    for (int f = 0; f < first.fieldCount(); ++f)
      if (!(second.valueAt(r, f) == first.valueAt(r, f))) __builtin_trap();
  return 0;
}
