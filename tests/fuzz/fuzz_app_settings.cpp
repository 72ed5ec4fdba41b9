// LIBS: q3base q3text
// The settings folder's readers: application.ini (sections, keys, file-name
// escapes), default.ini and the service-mode file, on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/app_settings.h"
#include "base/key_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  q3::KeyFile kf;
  kf.parse(text);
  q3::AppSettings s;
  s.readFrom(kf);
  s.writeTo(kf);
  (void)kf.text();
  (void)q3::decodeFileName(text);
  q3::ImageBytes img{};
  (void)q3::parseImageDump(text, img.data(), q3::kImageBytes);
  (void)q3::parseServiceMode(text);
  return 0;
}
