// The hit map of an advance map.
#include "monitor/hit_map.h"

#include <algorithm>
#include <cstdio>

#include "maps/map_defs.h"
#include "maps/param_catalogue.h"
#include "params/address_map.h"

namespace q3 {

namespace {

// Where a value lies on breakpoints: the lower one and the weight of the
// upper one (0 at or below the first, and at or above the last breakpoint).
struct Place {
  int lower = 0;
  double upperWeight = 0;
};

Place place(const std::vector<int32_t>& bp, double v) {
  const int n = static_cast<int>(bp.size());
  if (n <= 1 || v <= bp[0]) return {0, 0};
  if (v >= bp.back()) return {n - 1, 0};
  size_t i = 0;
  while (i + 2 < bp.size() && v >= bp[i + 1]) ++i;
  const double lo = bp[i];
  const double hi = bp[i + 1];
  return {static_cast<int>(i), hi > lo ? (v - lo) / (hi - lo) : 0};
}

int word(const uint8_t* m, int w) {
  const size_t low = 2 * static_cast<size_t>(w);
  return m[low] | (m[low + 1] << 8);
}

}  // namespace

HitMapCounter::HitMapCounter(const ParamImage& img, int map) {
  MapModel m = definedMap(kOwnerAdvance);
  loadMap(m, img);
  const int sheet = std::clamp(map, 0, m.sheetCount() - 1);
  const MapSheet& s = m.sheet(sheet);
  m_hits.map = sheet;
  for (int c = 0; c < s.x.count; ++c)
    m_hits.rpm.push_back(static_cast<int32_t>(s.x.values[static_cast<size_t>(c)] * s.x.scale));
  for (int r = 0; r < s.y.count; ++r)
    m_hits.load.push_back(static_cast<int32_t>(s.y.values[static_cast<size_t>(r)] * s.y.scale));
  m_hits.loadName = s.y.name;
  m_hits.loadUnit = s.y.unit;
  m_loadCollapsed = s.y.collapsed != 0;
  m_collapsedRow = std::clamp(s.y.collapsedIndex, 0, std::max(0, s.y.count - 1));
  m_hits.seconds.assign(m_hits.rpm.size() * m_hits.load.size(), 0.0);
}

void HitMapCounter::clear() {
  std::fill(m_hits.seconds.begin(), m_hits.seconds.end(), 0.0);
  m_hits.total = 0;
}

void HitMapCounter::add(const uint8_t* monitor, double seconds) {
  if (seconds <= 0 || m_hits.seconds.empty()) return;
  const bool second = (monitor[MonitorByte::FunctionStates] & 0x20) != 0;
  if (second != (m_hits.map == 1)) return;
  const int rpm = word(monitor, MonitorWord::EngineSpeed);
  if (rpm == 0) return;
  const Place x = place(m_hits.rpm, rpm);
  const Place y = m_loadCollapsed ? Place{m_collapsedRow, 0}
                                  : place(m_hits.load, word(monitor, MonitorWord::LoadValue));
  const int cols = m_hits.columns();
  auto put = [&](int row, int col, double w) {
    if (w <= 0) return;
    m_hits
        .seconds[static_cast<size_t>(row) * static_cast<size_t>(cols) + static_cast<size_t>(col)] +=
        seconds * w;
  };
  put(y.lower, x.lower, (1 - y.upperWeight) * (1 - x.upperWeight));
  if (x.upperWeight > 0) put(y.lower, x.lower + 1, (1 - y.upperWeight) * x.upperWeight);
  if (y.upperWeight > 0) {
    put(y.lower + 1, x.lower, y.upperWeight * (1 - x.upperWeight));
    if (x.upperWeight > 0) put(y.lower + 1, x.lower + 1, y.upperWeight * x.upperWeight);
  }
  m_hits.total += seconds;
}

HitMap recordingHitMap(const IgnlogFile& file, const ParamImage& img, int map) {
  HitMapCounter counter(img, map);
  const IgnlogRecord* held = nullptr;
  for (const IgnlogRecord& r : file.records()) {
    if (r.type != static_cast<int>(IgnlogType::Monitor)) continue;
    if (held && r.timeMs >= held->timeMs) {
      const uint32_t step = std::min(r.timeMs - held->timeMs, kHitMapMaxStepMs);
      counter.add(file.payload(*held).data(), step / 1000.0);
    }
    held = &r;
  }
  return counter.hits();
}

bool lastRecordedImage(const IgnlogFile& file, ParamImage& img) {
  for (auto it = file.records().rbegin(); it != file.records().rend(); ++it) {
    if (it->type != static_cast<int>(IgnlogType::Image)) continue;
    const std::span<const uint8_t> p = file.payload(*it);
    std::copy(p.begin(), p.begin() + std::min<size_t>(p.size(), kImageSize), img.data());
    return true;
  }
  return false;
}

std::string hitMapText(const HitMap& h, bool csv) {
  std::string out;
  char buf[32];
  const char* sep = csv ? ";" : "";
  const std::string corner = h.loadName + " [" + h.loadUnit + "]";
  std::snprintf(buf, sizeof buf, csv ? "%s" : "%8s", corner.c_str());
  out += buf;
  for (int32_t r : h.rpm) {
    std::snprintf(buf, sizeof buf, csv ? "%s%i" : "%s%7i", sep, r);
    out += buf;
  }
  out += "\n";
  for (int k = 0; k < h.rows(); ++k) {
    const int row = csv ? k : h.rows() - 1 - k;
    std::snprintf(buf, sizeof buf, csv ? "%i" : "%8i", h.load[static_cast<size_t>(row)]);
    out += buf;
    for (int c = 0; c < h.columns(); ++c) {
      std::snprintf(buf, sizeof buf, csv ? "%s%.1f" : "%s%7.1f", sep, h.at(row, c));
      out += buf;
    }
    out += "\n";
  }
  return out;
}

}  // namespace q3
