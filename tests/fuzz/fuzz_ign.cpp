// LIBS: q3files q3params q3base q3text
// Settings-file reader on arbitrary bytes: both reading passes (silent and
// with messages, outside and inside the test mode) must stay inside the text
// and leave an image that the writer can render.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/ign_reader.h"
#include "files/ign_writer.h"
#include "params/param_model.h"
#include "text/user_dialogs.h"

namespace {
class Quiet : public q3::UserDialogs {
 public:
  void message(const std::string&, const std::string&, q3::DialogKind) override {}
  q3::Answer ask(const std::string&, const std::string&, bool) override { return q3::Answer::No; }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Quiet quiet;
  q3::setDialogs(&quiet);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (bool testMode : {false, true}) {
    q3::ParamModel model;
    q3::IgnFileState state;
    q3::IgnReadResult first = q3::readIgn(text, model, state, {nullptr, testMode});
    if (first.sawBike) model.applyDefaults(-1);
    q3::readIgn(text, model, state, {&quiet, testMode});
    model.sanitize();
    (void)q3::renderIgn(model.image(), q3::IgnWriteInfo{});
  }
  return 0;
}
