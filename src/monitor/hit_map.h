// Where the engine runs: the time spent in each cell of an advance map, from
// the monitor values of a recording or of a connected unit. Engine speed and
// load are placed on the map's breakpoints the way the unit interpolates
// between them, so a moment between two breakpoints counts for both cells in
// the proportion of its distance to each.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "monitor/ignlog_format.h"
#include "params/param_image.h"

namespace q3 {

// A gap between two monitor values longer than this is a pause (the link was
// lost, the recording held) and counts only this long.
inline constexpr uint32_t kHitMapMaxStepMs = 2000;

struct HitMap {
  int map = 0;                  // 0 advance map 1, 1 advance map 2
  std::vector<int32_t> rpm;     // column breakpoints [rpm]
  std::vector<int32_t> load;    // row breakpoints (throttle % or pressure kPa)
  std::string loadName;         // "TP" or "IAP"
  std::string loadUnit;         // "%" or "kPa"
  std::vector<double> seconds;  // rows x columns, row by row
  double total = 0;             // seconds counted in all cells

  int columns() const { return static_cast<int>(rpm.size()); }
  int rows() const { return static_cast<int>(load.size()); }
  double at(int row, int col) const {
    return seconds[static_cast<size_t>(row) * rpm.size() + static_cast<size_t>(col)];
  }
  // Share of the counted time (0..1).
  double share(int row, int col) const { return total > 0 ? at(row, col) / total : 0; }
};

// Counts monitor values into the cells of one advance map whose breakpoints
// come from a parameter image.
class HitMapCounter {
 public:
  HitMapCounter(const ParamImage& img, int map);
  // Counts one monitor buffer (indices 0..149 at least) held for seconds.
  // Only moments in which this map is the active one and the engine turns count.
  void add(const uint8_t* monitor, double seconds);
  void clear();
  const HitMap& hits() const { return m_hits; }

 private:
  HitMap m_hits;
  bool m_loadCollapsed = false;
  int m_collapsedRow = 0;
};

// The hit map of a recording: each monitor record held until the next one
// (at most kHitMapMaxStepMs), over the breakpoints of img.
HitMap recordingHitMap(const IgnlogFile& file, const ParamImage& img, int map);
// The settings a recording ends with (its last image record); false when it
// holds none.
bool lastRecordedImage(const IgnlogFile& file, ParamImage& img);

// The grid as text: a head line with the engine speeds, then one line per
// load breakpoint from the highest, seconds with one decimal; csv: ";"
// between fields and the rows from the lowest load.
std::string hitMapText(const HitMap& h, bool csv);

}  // namespace q3
