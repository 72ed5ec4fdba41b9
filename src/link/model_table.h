// The table of unit models: type key and display name. Family B units are
// named from it when their key is listed.
#pragma once

#include <cstdint>

namespace q3 {

struct ModelRow {
  int32_t key;       // type key; 0 ends the table
  const char* name;  // at most 31 characters
};

// 122 rows in rising key order, the last one the end row of key 0.
inline constexpr int kModelTableRows = 122;
extern const ModelRow kModelTable[kModelTableRows];

// Name of the model with this key, or nullptr when the table does not list it.
const char* modelName(int32_t key);

}  // namespace q3
