// The parameter catalogue, read from the pages' binding tables, the text
// tables and the map definitions.
#include "maps/param_catalogue.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string_view>

#include "maps/map_defs.h"
#include "params/address_map.h"
#include "text/mstring.h"
#include "text/ui_texts.h"

namespace q3 {

namespace {

const char* const kOn = "###on##ein##zapnuto";
const char* const kOff = "###off##aus##vypnuto";
const char* const kSwitchingMap = "###switching map##Schaltkennfeld##spínací mapa";
const char* const kPwmMap = "###PWM map##PWM-Kennfeld##mapa PWM";

// The map controls and the page each stands on.
struct MapPlace {
  int owner;
  int page;
};
const MapPlace kMapPlaces[] = {
    {kOwnerTpsCurve, 2},          {kOwnerIapCurve, 2},          {kOwnerLambdaCurve, 2},
    {kOwnerLambdaRpm, 2},         {kOwnerAdvance, 3},           {kOwnerPoutCondition + 0, 4},
    {kOwnerPoutPwm + 0, 4},       {kOwnerPoutCondition + 1, 4}, {kOwnerPoutPwm + 1, 4},
    {kOwnerPoutCondition + 2, 4}, {kOwnerPoutPwm + 2, 4},       {kOwnerServo, 5},
};

bool transferred(const pages::ControlSpec& s) { return s.base >= 0; }

// The settings the pages move themselves: where each is stored.
struct Packed {
  const char* control;
  int byte;
  int bit;
};
const Packed kPacked[] = {
    {"UpDownPalec1Zac", ImageByte::EdgeStart + 0, -1},
    {"UpDownPalec1End", ImageByte::EdgeEnd + 0, -1},
    {"UpDownPalec2Zac", ImageByte::EdgeStart + 1, -1},
    {"UpDownPalec2End", ImageByte::EdgeEnd + 1, -1},
    {"UpDownPalec3Zac", ImageByte::EdgeStart + 2, -1},
    {"UpDownPalec3End", ImageByte::EdgeEnd + 2, -1},
    {"UpDownPalec4Zac", ImageByte::EdgeStart + 3, -1},
    {"UpDownPalec4End", ImageByte::EdgeEnd + 3, -1},
    {"CheckBoxPalec1T2", ImageByte::SecondTurn, 0},
    {"CheckBoxPalec2T2", ImageByte::SecondTurn, 1},
    {"CheckBoxPalec3T2", ImageByte::SecondTurn, 2},
    {"CheckBoxPalec4T2", ImageByte::SecondTurn, 3},
    {"CheckBoxInverseInput1", ImageByte::InputInverse, 0},
    {"CheckBoxInverseInput2", ImageByte::InputInverse, 1},
    {"CheckBoxInverseInput3", ImageByte::InputInverse, 2},
    {"CheckBoxInverseInput4", ImageByte::InputInverse, 3},
    {"CheckBoxInverseInput5", ImageByte::InputInverse, 4},
    {"CheckBoxInverseInput6", ImageByte::InputInverse, 5},
};

// The number in a control's name ("UpDownPalec3Zac" -> 3).
int numberIn(const char* name) {
  for (const char* c = name; *c; ++c)
    if (*c >= '1' && *c <= '9') return *c - '0';
  return 0;
}

// "UpDownLimiter" -> "LabelLimiter": the caption label beside a spin edit or
// combo box; check boxes and radio groups carry their caption themselves.
std::string captionedName(const pages::ControlSpec& s) {
  const bool labelled = s.kind == pages::Kind::Spin || s.kind == pages::Kind::SpinWord ||
                        s.kind == pages::Kind::ComboValue;
  std::string n = s.name;
  if (!labelled) return n;
  for (const char* p : {"UpDown", "ComboBox"})
    if (n.rfind(p, 0) == 0) return "Label" + n.substr(std::strlen(p));
  return "Label" + n;
}

const TextEntry* textEntry(TextKind kind, const std::string& name) {
  for (const TextEntry& e : controlCaptionTable()) {
    if (e.kind != kind) continue;
    if (name == e.name || (e.alsoName && name == e.alsoName)) return &e;
  }
  return nullptr;
}

int resolvedLanguage(int lang) { return lang < 0 ? language() : lang; }

std::string trimCaption(std::string t) {
  while (!t.empty() && (t.back() == ':' || t.back() == ' ')) t.pop_back();
  return t;
}

// Line i of a list of lines separated by '\n'.
std::string lineOf(const char* lines, int i) {
  std::string_view v(lines);
  for (int k = 0; k < i; ++k) {
    const size_t nl = v.find('\n');
    if (nl == std::string_view::npos) return {};
    v.remove_prefix(nl + 1);
  }
  return std::string(v.substr(0, v.find('\n')));
}

}  // namespace

std::span<const CatalogueEntry> catalogueEntries() {
  static const std::vector<CatalogueEntry> entries = [] {
    std::vector<CatalogueEntry> v;
    for (const pages::PageTable& p : pages::pageTables())
      for (const pages::ControlSpec& s : p.table())
        if (transferred(s)) v.push_back({p.page, &s});
    for (const Packed& k : kPacked)
      for (const pages::PageTable& p : pages::pageTables())
        for (const pages::ControlSpec& s : p.table())
          if (std::strcmp(s.name, k.control) == 0) v.push_back({p.page, &s, k.byte, k.bit});
    return v;
  }();
  return entries;
}

std::span<const CatalogueMap> catalogueMaps() {
  static const std::vector<CatalogueMap> maps = [] {
    std::vector<CatalogueMap> v;
    for (int page = 0; page < kPageCount; ++page)
      for (const MapPlace& p : kMapPlaces)
        if (p.page == page)
          for (int s = 0; s < definedMap(p.owner).sheetCount(); ++s)
            v.push_back({page, p.owner, s});
    return v;
  }();
  return maps;
}

const MapModel& definedMap(int owner) {
  static std::mutex lock;
  static std::map<int, MapModel> defined;
  const std::lock_guard<std::mutex> hold(lock);
  auto it = defined.find(owner);
  if (it == defined.end()) {
    MapModel m(mapControlSetup(owner).options, owner);
    defineMap(m);
    it = defined.emplace(owner, std::move(m)).first;
  }
  return it->second;
}

const CatalogueEntry* findCatalogueEntry(const char* controlName) {
  for (const CatalogueEntry& e : catalogueEntries())
    if (std::strcmp(e.spec->name, controlName) == 0) return &e;
  return nullptr;
}

std::string pageCaption(int page, int lang) {
  for (const pages::PageTable& p : pages::pageTables())
    if (p.page == page)
      if (const TextEntry* e = textEntry(TextKind::Caption, p.sheet))
        return entryText(*e, resolvedLanguage(lang));
  return "Page " + std::to_string(page + 1);
}

namespace {
std::string tableCaption(const std::string& name, int lang) {
  const TextEntry* t = textEntry(TextKind::Caption, name);
  return t ? trimCaption(entryText(*t, resolvedLanguage(lang))) : name;
}

// "Channel 2: Max. advance edge", "Multifunction input 3 (pin 30): Inverse
// polarity": the group the control stands in, then its own caption.
std::string packedCaption(const CatalogueEntry& e, int lang) {
  const std::string n = std::to_string(numberIn(e.spec->name));
  const std::string name = e.spec->name;
  std::string group;
  std::string own;
  if (name.rfind("CheckBoxInverseInput", 0) == 0) {
    group = tableCaption("RadioGroupInput" + n, lang);
    own = tableCaption(name, lang);
  } else {
    group = tableCaption("GroupBoxPalec" + n, lang);
    own = e.packedBit >= 0 ? tableCaption("LabelSnimac4", lang)
                           : tableCaption(captionedName(*e.spec), lang);
  }
  return group.append(": ").append(own);
}
}  // namespace

std::string entryCaption(const CatalogueEntry& e, int lang) {
  if (e.packed()) return packedCaption(e, lang);
  if (const TextEntry* t = textEntry(TextKind::Caption, captionedName(*e.spec)))
    return trimCaption(entryText(*t, resolvedLanguage(lang)));
  if (e.spec->caption && *e.spec->caption)
    return trimCaption(ml(e.spec->caption, resolvedLanguage(lang)));
  if (e.spec->group)
    if (const TextEntry* t = textEntry(TextKind::Caption, e.spec->group))
      return trimCaption(entryText(*t, resolvedLanguage(lang)));
  return e.spec->name;
}

std::string entryUnit(const CatalogueEntry& e) {
  const std::string c = entryCaption(e, 0);
  const size_t open = c.rfind('[');
  const size_t close = c.rfind(']');
  if (open == std::string::npos || close == std::string::npos || close < open) return {};
  return c.substr(open + 1, close - open - 1);
}

int entryValue(const CatalogueEntry& e, const ParamImage& img) {
  if (e.packed())
    return e.packedBit >= 0
               ? (img.byte(e.packedByte) >> e.packedBit) & 1
               : pages::edgeLobe(img.byte(ImageByte::PickupSystem), img.byte(e.packedByte));
  const pages::ControlSpec& s = *e.spec;
  switch (s.kind) {
    case pages::Kind::Spin:
      return img.scaledByte(s.base, s.sub, s.factor, s.offset);
    case pages::Kind::SpinWord:
      return img.readWordElement(s.base, s.sub) + s.offset;
    case pages::Kind::Check:
      return img.readByteElement(s.base, s.sub) != 0 ? 1 : 0;
    default:
      return img.readByteElement(s.base, s.sub);
  }
}

std::string entryValueText(const CatalogueEntry& e, const ParamImage& img, int lang) {
  const pages::ControlSpec& s = *e.spec;
  const int l = resolvedLanguage(lang);
  const int v = entryValue(e, img);
  if (e.packed() && e.packedBit < 0) {
    // The lobe, and the flags of the edge as the channel's columns name them.
    std::string t = std::to_string(v);
    const int b = img.byte(e.packedByte);
    if (b & 0x40) t.append(", ").append(tableCaption("LabelHrana2", l));
    if (img.byte(ImageByte::PickupSystem) != 14 && (b & 0x80))
      t.append(", ").append(tableCaption("LabelSnimac2", l));
    return t;
  }
  if (e.packed()) return ml(v ? kOn : kOff, l);
  if (s.kind == pages::Kind::Spin || s.kind == pages::Kind::SpinWord) return std::to_string(v);
  if (s.kind == pages::Kind::Check) return ml(v ? kOn : kOff, l);
  // The item the control selects: by index or by the stored value.
  int index = -1;
  if (s.kind == pages::Kind::RadioValue || s.kind == pages::Kind::ComboValue) {
    for (size_t i = 0; i < s.items.size(); ++i)
      if (s.items[i].value == v) index = static_cast<int>(i);
  } else if (v >= 0 && v < static_cast<int>(s.items.size())) {
    index = v;
  }
  if (index < 0) return std::to_string(v);
  // The text tables' item list where they give one, as on the page.
  if (const TextEntry* t = textEntry(TextKind::Items, s.name)) {
    std::string line = lineOf(entryText(*t, l), index);
    if (!line.empty()) return line;
  }
  return ml(s.items[static_cast<size_t>(index)].text, l);
}

ByteSpan entryBytes(const CatalogueEntry& e) {
  if (e.packed()) return {e.packedByte, 1};
  const pages::ControlSpec& s = *e.spec;
  const int element = s.base + (s.sub & kSubIndexMask);
  if (s.kind == pages::Kind::SpinWord) return {2 * element, 2};
  return {element, 1};
}

void copyEntry(const CatalogueEntry& e, const ParamImage& from, ParamImage& to) {
  if (e.packed() && e.packedBit >= 0) {
    const int bit = 1 << e.packedBit;
    to.setByte(e.packedByte, (to.byte(e.packedByte) & ~bit) | (from.byte(e.packedByte) & bit));
    return;
  }
  const ByteSpan b = entryBytes(e);
  for (int i = b.first; i < b.first + b.count; ++i) to.setByte(i, from.byte(i));
}

std::string mapCaption(const CatalogueMap& m, int lang) {
  const MapModel& d = definedMap(m.owner);
  if (!d.validSheet(m.sheet)) return {};
  const MapSheet& s = d.sheet(m.sheet);
  const int l = resolvedLanguage(lang);
  if (m.owner >= kOwnerPoutPwm && m.owner < kOwnerPoutPwm + 4)
    return s.v.label + " " + ml(kPwmMap, l);
  if (m.owner >= kOwnerPoutCondition && m.owner < kOwnerPoutCondition + 4)
    return s.v.label + " " + ml(kSwitchingMap, l);
  return languageText(s.name, l);
}

}  // namespace q3
