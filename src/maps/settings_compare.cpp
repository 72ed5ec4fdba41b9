// Comparison of two parameter images by name, and taking settings over.
#include "maps/settings_compare.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "maps/map_defs.h"
#include "params/address_map.h"
#include "text/mstring.h"

namespace q3 {

namespace {

const char* const kOther = "###Other bytes##Sonstige Bytes##Ostatní bajty";
const char* const kByte = "###Byte##Byte##Bajt";
const char* const kBreakpoints = "###breakpoints##Stützstellen##bodů";

bool isCondition(int owner) {
  return owner >= kOwnerPoutCondition && owner < kOwnerPoutCondition + 4;
}

// A map control loaded from an image.
MapModel loaded(int owner, const ParamImage& img) {
  MapModel m = definedMap(owner);
  loadMap(m, img);
  return m;
}

// The bytes any control or map stores into. A map's store is probed on two
// images of opposite contents: a byte it writes differs from at least one.
const std::array<bool, kImageSize>& namedBytes() {
  static const std::array<bool, kImageSize> named = [] {
    std::array<bool, kImageSize> n{};
    for (const CatalogueEntry& e : catalogueEntries()) {
      const ByteSpan b = entryBytes(e);
      for (int i = b.first; i < b.first + b.count && i < kImageSize; ++i)
        n[static_cast<size_t>(i)] = true;
    }
    for (const CatalogueMap& cm : catalogueMaps()) {
      for (int fill : {0x00, 0xFF}) {
        ParamImage probe;
        probe.fillBytes(0, kImageSize, fill);
        MapModel m = loaded(cm.owner, probe);
        m.selectSheet(cm.sheet);
        storeMap(m, probe);
        for (int i = 0; i < kImageSize; ++i)
          if (probe.byte(i) != fill) n[static_cast<size_t>(i)] = true;
      }
    }
    return n;
  }();
  return named;
}

void compareAxis(char name, const SheetAxis& a, const SheetAxis& b, std::vector<AxisChange>& out) {
  if (a.count != b.count) out.push_back({name, -1, a.count, b.count});
  const int n = std::max(a.count, b.count);
  for (int i = 0; i < n && static_cast<size_t>(i) < a.values.size(); ++i) {
    const int32_t va = a.values[static_cast<size_t>(i)];
    const int32_t vb = b.values[static_cast<size_t>(i)];
    if (va != vb) out.push_back({name, i, va, vb});
  }
}

std::string axisName(const SheetAxis& a) { return a.name.empty() ? a.label : a.name; }

std::string axisUnit(const SheetAxis& a) { return a.name == "RPM" ? "rpm" : a.unit; }

std::string withUnit(std::string text, const std::string& unit) {
  if (!unit.empty()) text.append(" ").append(unit);
  return text;
}

}  // namespace

int SettingsComparison::count() const {
  int n = static_cast<int>(values.size() + others.size());
  for (const MapChange& m : maps) n += static_cast<int>(m.axes.size() + m.cells.size());
  return n;
}

std::string mapValueText(int32_t raw, double scale) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*f", decimalsForScale(scale), static_cast<double>(raw) * scale);
  return buf;
}

SettingsComparison compareSettings(const ParamImage& a, const ParamImage& b) {
  SettingsComparison c;
  for (const CatalogueEntry& e : catalogueEntries()) {
    const ByteSpan span = entryBytes(e);
    bool differs = false;
    for (int i = span.first; i < span.first + span.count; ++i)
      differs = differs || a.byte(i) != b.byte(i);
    // A bit of a shared byte differs only when that bit does.
    if (e.packed() && e.packedBit >= 0) differs = entryValue(e, a) != entryValue(e, b);
    if (differs) c.values.push_back({&e, entryValueText(e, a), entryValueText(e, b)});
  }
  // Each map control loaded once from each image for all its sheets.
  std::optional<MapModel> ma, mb;
  for (const CatalogueMap& cm : catalogueMaps()) {
    if (!ma || ma->ownerId() != cm.owner) {
      ma.emplace(loaded(cm.owner, a));
      mb.emplace(loaded(cm.owner, b));
    }
    const MapSheet& sa = ma->sheet(cm.sheet);
    const MapSheet& sb = mb->sheet(cm.sheet);
    MapChange ch;
    compareAxis('X', sa.x, sb.x, ch.axes);
    compareAxis('Y', sa.y, sb.y, ch.axes);
    // A switching map keeps its areas (three rows of four) beyond the used cells.
    ch.columns = isCondition(cm.owner) ? 4 : std::max(sa.x.count, sb.x.count);
    ch.rows = isCondition(cm.owner) ? 3 : std::max(sa.y.count, sb.y.count);
    for (int r = 0; r < ch.rows; ++r)
      for (int col = 0; col < ch.columns; ++col)
        if (sa.cell(col, r) != sb.cell(col, r))
          ch.cells.push_back({r, col, sa.cell(col, r), sb.cell(col, r)});
    if (ch.axes.empty() && ch.cells.empty()) continue;
    ch.map = &cm;
    ch.a = sa;
    ch.b = sb;
    c.maps.push_back(std::move(ch));
  }
  const std::array<bool, kImageSize>& named = namedBytes();
  for (int i = 0; i < kImageSize; ++i)
    if (!named[static_cast<size_t>(i)] && a.byte(i) != b.byte(i))
      c.others.push_back({i, a.byte(i), b.byte(i)});
  return c;
}

std::string otherBytesCaption(int lang) { return ml(kOther, lang); }

std::vector<ComparisonLine> comparisonLines(const SettingsComparison& c) {
  std::vector<ComparisonLine> lines;
  const std::string arrow = " \xE2\x86\x92 ";  // →
  for (int page = 0; page < kPageCount; ++page) {
    for (const ValueChange& v : c.values) {
      if (v.entry->page != page) continue;
      const std::string caption = entryCaption(*v.entry);
      const std::string unit = entryUnit(*v.entry);
      std::string t = caption;
      t.append(" ").append(v.a).append(arrow).append(v.b);
      // The unit stands in most captions already ("Limiter [rpm]").
      std::string bracketed = "[";
      bracketed.append(unit).append("]");
      if (!unit.empty() && caption.find(bracketed) == std::string::npos) t.append(" ").append(unit);
      lines.push_back({page, t});
    }
    for (const MapChange& m : c.maps) {
      if (m.map->page != page) continue;
      const std::string caption = mapCaption(*m.map);
      for (const AxisChange& x : m.axes) {
        const SheetAxis& ax = x.axis == 'X' ? m.a.x : m.a.y;
        std::string t = caption;
        t.append(" ").append(axisName(ax));
        if (x.index < 0) {
          t.append(": ").append(std::to_string(x.a)).append(arrow).append(std::to_string(x.b));
          t.append(" ").append(ml(kBreakpoints));
        } else {
          t.append("[").append(std::to_string(x.index + 1)).append("] ");
          t.append(mapValueText(x.a, ax.scale)).append(arrow).append(mapValueText(x.b, ax.scale));
          t = withUnit(t, axisUnit(ax));
        }
        lines.push_back({page, t});
      }
      for (const CellChange& cell : m.cells) {
        std::string t = caption;
        t.append(" [").append(std::to_string(cell.row + 1)).append(",");
        t.append(std::to_string(cell.col + 1)).append("] ");
        t.append(mapValueText(cell.a, m.a.v.scale)).append(arrow);
        t.append(mapValueText(cell.b, m.a.v.scale));
        lines.push_back({page, withUnit(t, m.a.v.unit)});
      }
    }
  }
  for (const ByteChange& o : c.others)
    lines.push_back({-1, std::string(ml(kByte)) + " " + std::to_string(o.index) + ": " +
                             std::to_string(o.a) + arrow + std::to_string(o.b)});
  return lines;
}

std::string comparisonText(const SettingsComparison& c) {
  std::string out;
  int group = -2;
  for (const ComparisonLine& l : comparisonLines(c)) {
    if (l.page != group) {
      group = l.page;
      out.append(group >= 0 ? pageCaption(group) : otherBytesCaption()).append("\n");
    }
    out.append("  ").append(l.text).append("\n");
  }
  return out;
}

void takeMap(const CatalogueMap& cm, const ParamImage& from, ParamImage& to) {
  MapModel mine = loaded(cm.owner, to);
  const MapModel theirs = loaded(cm.owner, from);
  if (!mine.validSheet(cm.sheet)) return;
  MapSheet& s = mine.sheet(cm.sheet);
  const MapSheet& o = theirs.sheet(cm.sheet);
  s.x.values = o.x.values;
  s.x.count = o.x.count;
  s.x.collapsed = o.x.collapsed;
  s.y.values = o.y.values;
  s.y.count = o.y.count;
  s.y.collapsed = o.y.collapsed;
  s.v.values = o.v.values;
  mine.selectSheet(cm.sheet);
  storeMap(mine, to);
}

}  // namespace q3
