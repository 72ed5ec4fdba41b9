// Evaluation of an update file for this build and language.
#include "update/patch_offer.h"

#include <QString>
#include <QStringDecoder>
#include <algorithm>
#include <cstdio>

#include "base/version_line.h"
#include "update/rtf_text.h"

namespace q3 {

namespace {

const char* warningText(PatchWarningKind k) {
  switch (k) {
    case PatchWarningKind::NoProductSection:
      return "no product section";
    case PatchWarningKind::ProductNotClosed:
      return "product section not closed";
    case PatchWarningKind::RecommendationNotClosed:
      return "recommendation not closed";
    case PatchWarningKind::ElementNotClosed:
      return "element not closed";
    case PatchWarningKind::AttributeNotClosed:
      return "attribute value not closed";
    case PatchWarningKind::NumberOutOfRange:
      return "update_number outside the int range";
  }
  return "";
}

bool present(const std::optional<std::string>& s) {
  return s && s->find_first_not_of(" \t\r\n") != std::string::npos;
}

// The first allowed link of the candidates, in order; each one turned down is noted.
QUrl pickLink(std::initializer_list<std::pair<const char*, const std::optional<std::string>*>> c,
              const QUrl& server, std::vector<std::string>& notes) {
  for (const auto& [name, raw] : c) {
    if (!*raw) continue;
    CheckedLink l = checkOfferLink(**raw, server);
    if (l.verdict == LinkVerdict::Allowed) return l.url;
    notes.push_back(std::string("link <") + name + "> left out: " + linkVerdictText(l.verdict));
  }
  return {};
}

}  // namespace

std::string patchTextToUtf8(std::string_view bytes, bool* wasRtf) {
  const bool rtf = isRtfText(bytes);
  if (wasRtf) *wasRtf = rtf;
  QString text;
  if (rtf) {
    text = QString::fromStdString(rtfToPlainText(bytes));
  } else {
    QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = utf8.decode(view);
    if (utf8.hasError()) {
      QStringDecoder cp1250("windows-1250");
      text = cp1250.isValid() ? QString(cp1250.decode(view)) : QString::fromLatin1(view);
    }
  }
  return text.trimmed().toStdString();
}

PatchEvaluation evaluatePatchFile(std::string_view body, const PatchOfferContext& ctx) {
  PatchEvaluation ev;
  PatchFile file = parsePatchFile(body);
  for (const PatchWarning& w : file.warnings) {
    char at[32];
    std::snprintf(at, sizeof at, " at byte %zu", w.position);
    ev.notes.push_back(std::string(warningText(w.kind)) + at + ": " + w.detail);
  }
  if (!file.hasProduct) return ev;
  int index = choosePatchRecommendation(file, ctx.buildDate);
  if (index < 0) {
    ev.verdict = PatchVerdict::NoApplicable;
    return ev;
  }
  const PatchRecommendation& r = file.recommendations[static_cast<std::size_t>(index)];
  if (r.updateNumber <= 0) {
    ev.verdict = PatchVerdict::NumberZero;
    return ev;
  }

  PatchOffer offer;
  offer.updateNumber = r.updateNumber;
  const bool czech = ctx.language == 2;
  const std::optional<std::string>* text = czech && present(r.czech) ? &r.czech
                                           : present(r.english)      ? &r.english
                                                                     : nullptr;
  if (text) {
    offer.text = patchTextToUtf8(**text, &offer.fromRtf);
  } else {
    char buf[96];
    std::snprintf(buf, sizeof buf, "Korvelan patch %s Key=%i Ver=%i", kProductName, kUnitTypeKey,
                  r.updateNumber);
    offer.text = buf;
  }
  if (czech)
    offer.web = pickLink({{"web_cz", &r.webCz}, {"web", &r.web}}, ctx.server, ev.notes);
  else
    offer.web = pickLink({{"web", &r.web}}, ctx.server, ev.notes);
  offer.download = pickLink({{"download", &r.download}}, ctx.server, ev.notes);

  ev.verdict =
      ctx.declinedNumber >= offer.updateNumber ? PatchVerdict::Declined : PatchVerdict::Offer;
  ev.offer = std::move(offer);
  return ev;
}

const char* patchVerdictText(PatchVerdict v) {
  switch (v) {
    case PatchVerdict::Offer:
      return "offer";
    case PatchVerdict::NoProduct:
      return "no section for this product in the update file";
    case PatchVerdict::NoApplicable:
      return "no recommendation applies to this build";
    case PatchVerdict::NumberZero:
      return "the recommendation for this build has update number 0";
    case PatchVerdict::Declined:
      return "the user asked not to be reminded of this update";
  }
  return "";
}

std::string offerTextForDisplay(std::string_view text) {
  auto continuation = [&](size_t k) {
    return k < text.size() && (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80;
  };
  size_t end = std::min(text.size(), kOfferShownBytes);
  while (end > 0 && continuation(end)) --end;
  std::string out;
  out.reserve(end + end / kOfferLineBytes + 64);
  size_t line = 0;
  for (size_t k = 0; k < end; ++k) {
    const char c = text[k];
    if (c == '\n') {
      line = 0;
    } else if (line >= kOfferLineBytes && !continuation(k)) {
      out += '\n';
      line = 0;
    }
    out += c;
    if (c != '\n') ++line;
  }
  if (end < text.size())
    out += "\n\n[... " + std::to_string(text.size() - end) + " more bytes not shown]";
  return out;
}

}  // namespace q3
