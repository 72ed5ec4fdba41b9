// Comparison of two parameter images by name: the settings that differ,
// grouped by page with their captions and values in page units; the maps
// that differ, cell by cell and breakpoint by breakpoint; and the bytes no
// page names. Also taking one setting, one map or everything of the second
// image into the first.
#pragma once

#include <string>
#include <vector>

#include "maps/map_sheet.h"
#include "maps/param_catalogue.h"

namespace q3 {

struct ValueChange {
  const CatalogueEntry* entry = nullptr;
  std::string a, b;  // as the page shows them
};

// A breakpoint (index >= 0) or the number of breakpoints (index -1) of an axis.
struct AxisChange {
  char axis = 'X';  // 'X' or 'Y'
  int index = 0;
  int32_t a = 0, b = 0;
};

struct CellChange {
  int row = 0, col = 0;
  int32_t a = 0, b = 0;  // stored sheet values (times the value axis' scale = shown)
};

struct MapChange {
  const CatalogueMap* map = nullptr;
  MapSheet a, b;  // the sheet as loaded from each image
  std::vector<AxisChange> axes;
  std::vector<CellChange> cells;
  int columns = 0, rows = 0;  // the grid the cells were compared over
};

// A byte of the image that no control and no map names.
struct ByteChange {
  int index = 0;
  int a = 0, b = 0;
};

struct SettingsComparison {
  std::vector<ValueChange> values;
  std::vector<MapChange> maps;
  std::vector<ByteChange> others;
  bool empty() const { return values.empty() && maps.empty() && others.empty(); }
  // Number of listed differences (a map counts each cell and breakpoint).
  int count() const;
};

// Texts of values are made in the current language.
SettingsComparison compareSettings(const ParamImage& a, const ParamImage& b);

// One line of the text form.
struct ComparisonLine {
  int page = -1;  // -1: the bytes no page names
  std::string text;
};
// The differences as lines, page by page: "Limiter [rpm] 11000 → 11500",
// "Advance 1 [3,5] 20 → 22 °" (row and column counted from 1),
// "Advance 1 RPM[4] 3000 → 3200", "Byte 188: 10 → 12".
std::vector<ComparisonLine> comparisonLines(const SettingsComparison& c);
// The whole text: each page's caption on a line of its own, its lines below
// it indented by two blanks; a line feed after every line.
std::string comparisonText(const SettingsComparison& c);
// Caption of the group of bytes no page names.
std::string otherBytesCaption(int lang = -1);

// Takes the second image's map sheet (breakpoints, number of breakpoints,
// cells) into the first image through the map's own store, so that settings
// the map control also writes (base advance, limiters) keep their values.
void takeMap(const CatalogueMap& m, const ParamImage& from, ParamImage& to);

// The value of a map cell or breakpoint as shown: raw times scale, with the
// decimals of the scale.
std::string mapValueText(int32_t raw, double scale);

}  // namespace q3
