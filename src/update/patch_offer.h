// What the update file offers to this build: the chosen recommendation's
// number, the text in the user's language, and the links that may be opened.
#pragma once

#include <QUrl>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "update/patch_file.h"
#include "update/update_server.h"

namespace q3 {

struct PatchOfferContext {
  std::string buildDate;   // "2022_06_21"
  int language = 0;        // 0 English, 1 German, 2 Czech
  int declinedNumber = 0;  // "don't remind" reached up to this update number
  QUrl server;             // links must be on this server's host
};

struct PatchOffer {
  // The chosen recommendation's own number: the one shown, and the one that
  // "don't remind" stores.
  int updateNumber = 0;
  std::string text;  // UTF-8, shown as plain text
  bool fromRtf = false;
  QUrl web;       // empty: the button stays hidden
  QUrl download;  // empty: the button stays hidden
};

enum class PatchVerdict {
  Offer,         // show the update window
  NoProduct,     // no closed section for this product
  NoApplicable,  // no recommendation applies to this build
  NumberZero,    // the chosen one has number 0, which is never offered
  Declined,      // the user asked not to be reminded of this number
};

struct PatchEvaluation {
  PatchVerdict verdict = PatchVerdict::NoProduct;
  std::optional<PatchOffer> offer;  // set for Offer and Declined
  std::vector<std::string> notes;   // the file's warnings and the links turned down
};

PatchEvaluation evaluatePatchFile(std::string_view body, const PatchOfferContext& ctx);
const char* patchVerdictText(PatchVerdict v);

// The offer text as the update window lays it out: at most kOfferShownBytes
// (cut on a character boundary, with a note that the rest is left out), and
// no line longer than kOfferLineBytes (longer ones are broken), so that a
// text of any size shows at once and the window stays responsive.
inline constexpr std::size_t kOfferShownBytes = 65536;
inline constexpr std::size_t kOfferLineBytes = 400;
std::string offerTextForDisplay(std::string_view text);

// A text element's bytes as UTF-8: RTF read for its characters, UTF-8 kept,
// anything else read as Windows-1250; blanks at either end removed.
std::string patchTextToUtf8(std::string_view bytes, bool* wasRtf = nullptr);

}  // namespace q3
