// The XML data packet: the mapping of its field types and the two directions.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/dataset/field_def.h"
#include "platform/dataset/value.h"

namespace tavrix::dataset {

struct PacketContents {
  std::vector<FieldDef> fields;
  std::vector<std::vector<Value>> rows;
};

// Raises GeneralError naming what it could not read.
PacketContents readPacket(std::string_view xml);

// Classic mode: no encoding declared, text values as raw Big5 bytes.
std::string writePacket(const std::vector<FieldDef>& fields,
                        const std::vector<std::vector<Value>>& rows);

}  // namespace tavrix::dataset
