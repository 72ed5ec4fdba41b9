// LIBS: q3link q3params q3base q3text Qt6::Core Qt6::Network
// The unit's identification block and the port-release notification line:
// outside input that must never crash or overrun, whatever the bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "link/com_menu_model.h"
#include "link/port_release_server.h"
#include "link/unit_texts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint8_t block[q3::kIdentBlockLen] = {};
  std::memcpy(block, data, size < sizeof block ? size : sizeof block);
  q3::UnitTexts t;
  t.decode(block);
  for (int state = 0; state < 3; ++state) (void)q3::connectionLine(state, "RSKEY=104.00", t);

  const std::string line(reinterpret_cast<const char*>(data), size);
  int port = 0;
  int32_t code = 0;
  if (q3::parsePortMessage(line, port, code) && (port < 0 || port > 255)) __builtin_trap();
  (void)q3::comSelectionForItem(static_cast<int>(size % 32), line);
  return 0;
}
