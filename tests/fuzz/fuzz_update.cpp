// LIBS: q3update q3base q3text Qt6::Core Qt6::Network
// The update file from the maker's server: the grammar, the choice, the
// texts (RTF, UTF-8, Windows-1250) and the link rules, on arbitrary bytes.
#include <QUrl>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "update/patch_file.h"
#include "update/patch_offer.h"
#include "update/rtf_text.h"
#include "update/update_server.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  q3::PatchFile f = q3::parsePatchFile(text);
  for (const q3::PatchRecommendation& r : f.recommendations)
    if (r.from.size() > q3::kPatchDateLength || r.to.size() > q3::kPatchDateLength)
      __builtin_trap();
  const int chosen = q3::choosePatchRecommendation(f, "2022_06_21");
  if (chosen >= static_cast<int>(f.recommendations.size())) __builtin_trap();

  const QUrl server("https://updates.example.org");
  for (int language = 0; language < 3; language += 2) {
    q3::PatchEvaluation ev = q3::evaluatePatchFile(text, {"2022_06_21", language, 0, server});
    if (ev.offer) {
      // Whatever the file says, only short http(s) links on the server's host survive.
      for (const QUrl& u : {ev.offer->web, ev.offer->download}) {
        if (u.isEmpty()) continue;
        if (u.host() != server.host()) __builtin_trap();
        if (u.scheme() != "https" && u.scheme() != "http") __builtin_trap();
        if (ev.offer->updateNumber <= 0) __builtin_trap();
      }
    }
  }
  (void)q3::parseUpdateNumber(text);
  (void)q3::rtfToPlainText(text);
  (void)q3::patchTextToUtf8(text);
  (void)q3::checkOfferLink(text, server);
  return 0;
}
