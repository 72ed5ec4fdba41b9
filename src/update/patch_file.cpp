// Reading the update file: product section, recommendations, their attributes
// and elements, and the choice by build date and update number.
#include "update/patch_file.h"

#include <climits>
#include <cstdint>

namespace q3 {

namespace {

constexpr std::string_view kRecommendationOpen = "<recommendation";
constexpr std::string_view kRecommendationClose = "</recommendation>";
constexpr std::string_view kProductClose = "</product>";

// A range [begin, end) of the file.
struct Range {
  std::size_t begin, end;
};

std::size_t findIn(std::string_view text, std::string_view what, Range r) {
  if (r.begin > r.end || r.end > text.size()) return std::string_view::npos;
  std::size_t at = text.substr(0, r.end).find(what, r.begin);
  return at;
}

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

// The value of an attribute: the text after name="" up to the next quote,
// inside the opening tag. nullopt when the attribute is missing; a value
// without its closing quote counts as missing and is reported.
std::optional<std::string_view> attribute(std::string_view text, Range tag, std::string_view name,
                                          PatchFile& out) {
  std::string key = std::string(name) + "=\"";
  std::size_t at = findIn(text, key, tag);
  if (at == std::string_view::npos) return std::nullopt;
  std::size_t from = at + key.size();
  std::size_t quote = findIn(text, "\"", {from, tag.end});
  if (quote == std::string_view::npos) {
    out.warnings.push_back({PatchWarningKind::AttributeNotClosed, at, std::string(name)});
    return std::nullopt;
  }
  return text.substr(from, quote - from);
}

// "<name>...</name>" inside body; absent when either tag is missing.
std::optional<std::string> element(std::string_view text, Range body, std::string_view name,
                                   PatchFile& out) {
  std::string open = "<" + std::string(name) + ">";
  std::string close = "</" + std::string(name) + ">";
  std::size_t at = findIn(text, open, body);
  if (at == std::string_view::npos) return std::nullopt;
  std::size_t from = at + open.size();
  std::size_t end = findIn(text, close, {from, body.end});
  if (end == std::string_view::npos) {
    out.warnings.push_back({PatchWarningKind::ElementNotClosed, at, std::string(name)});
    return std::nullopt;
  }
  return std::string(text.substr(from, end - from));
}

std::string dateValue(std::string_view v) { return std::string(v.substr(0, kPatchDateLength)); }

}  // namespace

std::optional<int> parseUpdateNumber(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r' ||
                          s[i] == '\f' || s[i] == '\v'))
    ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int base = 10;
  if (i < s.size() && s[i] == '0') {
    if (i + 2 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X') && digitValue(s[i + 2]) < 16) {
      base = 16;
      i += 2;
    } else {
      base = 8;
    }
  }
  // Magnitude limit: INT_MAX, or one more for a negative value.
  const int64_t limit = negative ? int64_t(INT_MAX) + 1 : int64_t(INT_MAX);
  int64_t value = 0;
  for (; i < s.size() && digitValue(s[i]) < base; ++i) {
    value = value * base + digitValue(s[i]);
    if (value > limit) return std::nullopt;
  }
  return static_cast<int>(negative ? -value : value);
}

PatchFile parsePatchFile(std::string_view text) {
  PatchFile out;
  std::size_t product = text.find(kPatchProductTag);
  if (product == std::string_view::npos) {
    out.warnings.push_back({PatchWarningKind::NoProductSection, 0, kPatchProductTag});
    return out;
  }
  const std::size_t sectionBegin = product + std::string_view(kPatchProductTag).size();
  const std::size_t sectionEnd = text.find(kProductClose, sectionBegin);
  if (sectionEnd == std::string_view::npos) {
    // A cut-off answer: a later, higher recommendation may be missing.
    out.warnings.push_back({PatchWarningKind::ProductNotClosed, product, "</product>"});
    return out;
  }
  out.hasProduct = true;
  const Range section{sectionBegin, sectionEnd};

  std::size_t pos = sectionBegin;
  while (true) {
    std::size_t at = findIn(text, kRecommendationOpen, {pos, section.end});
    if (at == std::string_view::npos) break;
    std::size_t tagEnd = findIn(text, ">", {at + kRecommendationOpen.size(), section.end});
    std::size_t close = tagEnd == std::string_view::npos
                            ? std::string_view::npos
                            : findIn(text, kRecommendationClose, {tagEnd + 1, section.end});
    if (close == std::string_view::npos) {
      out.warnings.push_back({PatchWarningKind::RecommendationNotClosed, at,
                              tagEnd == std::string_view::npos ? ">" : "</recommendation>"});
      break;  // nothing after it is closed either
    }
    const Range tag{at + kRecommendationOpen.size(), tagEnd};
    const Range body{tagEnd + 1, close};
    pos = close + kRecommendationClose.size();

    PatchRecommendation r;
    r.position = at;
    if (auto v = attribute(text, tag, "update_number", out)) {
      std::optional<int> n = parseUpdateNumber(*v);
      if (n) {
        r.updateNumber = *n;
      } else {
        r.numberInRange = false;
        out.warnings.push_back({PatchWarningKind::NumberOutOfRange, at, std::string(*v)});
      }
    }
    if (auto v = attribute(text, tag, "from", out)) r.from = dateValue(*v);
    if (auto v = attribute(text, tag, "to", out)) r.to = dateValue(*v);
    r.czech = element(text, body, "czech", out);
    r.english = element(text, body, "english", out);
    r.webCz = element(text, body, "web_cz", out);
    r.web = element(text, body, "web", out);
    r.download = element(text, body, "download", out);
    out.recommendations.push_back(std::move(r));
  }
  return out;
}

bool recommendationApplies(const PatchRecommendation& r, std::string_view buildDate) {
  return r.numberInRange && std::string_view(r.from) <= buildDate &&
         buildDate < std::string_view(r.to);
}

int choosePatchRecommendation(const PatchFile& file, std::string_view buildDate) {
  int chosen = -1;
  int64_t best = -1;
  for (std::size_t i = 0; i < file.recommendations.size(); ++i) {
    const PatchRecommendation& r = file.recommendations[i];
    if (recommendationApplies(r, buildDate) && r.updateNumber > best) {
      best = r.updateNumber;
      chosen = static_cast<int>(i);
    }
  }
  return chosen;
}

}  // namespace q3
