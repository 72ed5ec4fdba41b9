// The update file "/old/patch.xml" of the maker's web server: its grammar and
// the choice of the recommendation that applies to this build.
//
// The file is matched as plain text with substring searches, not with an XML
// parser; within a range the first occurrence wins:
//
//   <product class="QUELIN3" key="104">
//     <recommendation update_number="7" from="2022_01_01" to="2023_01_01">
//       <english>...</english> <czech>...</czech>
//       <web>...</web> <web_cz>...</web_cz> <download>...</download>
//     </recommendation>
//   </product>
//
// The file comes from the network, so a part that is not closed (a product
// section, a recommendation, a text or link element, an attribute value) is
// never guessed at: it counts as absent and leaves a warning.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace q3 {

inline constexpr const char* kPatchFilePath = "/old/patch.xml";
inline constexpr const char* kPatchProductTag = "<product class=\"QUELIN3\" key=\"104\">";
// Dates compare as text in the build date's form "2022_06_21"; at most this
// many characters of an attribute take part.
inline constexpr std::size_t kPatchDateLength = 11;
inline constexpr const char* kPatchFromDefault = "0000_00_00";
inline constexpr const char* kPatchToDefault = "9999_99_99";

enum class PatchWarningKind {
  NoProductSection,         // no section for this product and key
  ProductNotClosed,         // the section has no "</product>": nothing in it counts
  RecommendationNotClosed,  // "<recommendation" without ">" or "</recommendation>": skipped
  ElementNotClosed,         // a text or link without its closing tag: absent
  AttributeNotClosed,       // from="... or to="... without the closing quote: default used
  NumberOutOfRange,         // update_number outside the int range: recommendation skipped
};

struct PatchWarning {
  PatchWarningKind kind;
  std::size_t position;  // byte offset in the file
  std::string detail;
};

struct PatchRecommendation {
  std::size_t position = 0;  // byte offset of "<recommendation"
  int updateNumber = 0;      // missing or unreadable: 0
  bool numberInRange = true;
  std::string from = kPatchFromDefault;
  std::string to = kPatchToDefault;
  // Element contents as raw bytes of the file, absent when the element is.
  std::optional<std::string> czech, english, webCz, web, download;
};

struct PatchFile {
  bool hasProduct = false;  // a closed section for this product was found
  std::vector<PatchRecommendation> recommendations;
  std::vector<PatchWarning> warnings;
};

PatchFile parsePatchFile(std::string_view text);

// The number after update_number=": optional blanks and sign, then decimal,
// hexadecimal after 0x or 0X, octal after a leading 0; reading stops at the
// first character that is no digit of the base. nullopt when the value does
// not fit an int; 0 when no digit can be read.
std::optional<int> parseUpdateNumber(std::string_view text);

// from <= buildDate < to, compared byte-wise.
bool recommendationApplies(const PatchRecommendation& r, std::string_view buildDate);

// Index of the applicable recommendation with the highest number (the first
// of equal ones), or -1 when none applies.
int choosePatchRecommendation(const PatchFile& file, std::string_view buildDate);

}  // namespace q3
