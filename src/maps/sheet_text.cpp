// Copy texts and pasted-text readers of the map editor.
#include "maps/sheet_text.h"

#include <cstdlib>
#include <cstring>

#include "text/mstring.h"

namespace q3 {

namespace {

constexpr size_t kMaxNumberLength = 64;

// A blank inside pasted text: a space, or the no-break and thin spaces that
// spreadsheets write as digit-group separators. Returns its length in bytes.
size_t blankAt(std::string_view t, size_t i) {
  const auto c = static_cast<unsigned char>(t[i]);
  if (c == ' ') return 1;
  if (c == 0xC2 && i + 1 < t.size() && static_cast<unsigned char>(t[i + 1]) == 0xA0) return 2;
  if (c == 0xE2 && i + 2 < t.size() && static_cast<unsigned char>(t[i + 1]) == 0x80) {
    const auto d = static_cast<unsigned char>(t[i + 2]);
    if (d == 0xAF || d == 0x89) return 3;
  }
  return 0;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Digits with at most one point and an optional leading minus.
bool strictNumber(const std::string& s, double* out) {
  if (s.empty() || s.size() > kMaxNumberLength) return false;
  size_t i = s[0] == '-' ? 1 : 0;
  int digits = 0, points = 0;
  for (; i < s.size(); ++i) {
    if (isDigit(s[i]))
      ++digits;
    else if (s[i] == '.' && ++points == 1)
      continue;
    else
      return false;
  }
  if (!digits) return false;
  *out = std::strtod(s.c_str(), nullptr);
  return true;
}

PasteField fieldOf(const std::string& chars, bool invalid) {
  PasteField f;
  if (chars.empty() && !invalid) return f;
  double v = 0;
  if (!invalid && strictNumber(chars, &v)) {
    f.kind = PasteField::Number;
    f.value = v;
  } else {
    f.kind = PasteField::Invalid;
  }
  return f;
}

// The field being read and the rules of digit groups.
struct FieldReader {
  std::string chars;
  bool started = false;  // any character other than a blank
  bool invalid = false;
  int groupDigits = 0;  // digits since the start or the last group separator
  int groups = 0;
  bool point = false;

  void add(char c) {
    started = true;
    if (c == ',') c = '.';
    if (c == '.') point = true;
    if (isDigit(c)) ++groupDigits;
    chars += c;
    if (chars.size() > kMaxNumberLength) invalid = true;
  }
  void other() {
    started = true;
    invalid = true;
  }
  // Whether a blank here may separate digit groups: "1 200", "-12 345 678".
  bool mayGroup() const {
    if (invalid || point) return false;
    return groups == 0 ? (groupDigits >= 1 && groupDigits <= 3) : groupDigits == 3;
  }
  void skipGroup() {
    ++groups;
    groupDigits = 0;
  }
  PasteField take() {
    PasteField f = fieldOf(chars, invalid);
    *this = FieldReader();
    return f;
  }
};

void parseBracketForm(std::string_view t, PlainText& out) {
  FieldReader f;
  PasteRow row;
  auto endField = [&] {
    if (f.started) row.push_back(f.take());
  };
  // A row ends only when it holds fields: the outer "}" of {{1,2},{3,4}} and
  // a line break after "}" do not leave a row out.
  auto endRow = [&] {
    endField();
    if (!row.empty()) out.rows.push_back(std::move(row));
    row.clear();
  };
  for (size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (c == '}' || c == '\n') {
      endRow();
    } else if (c == '{' || c == ',') {
      endField();
    } else if (isDigit(c) || c == '-' || c == '.') {
      f.add(c);
    } else if (c == ' ' || c == '\t' || c == '\r' || blankAt(t, i)) {
      i += blankAt(t, i) ? blankAt(t, i) - 1 : 0;
    } else if (f.started) {
      f.other();  // "1.5f", "12a34": not wholly a number
    }
  }
  endRow();
}

void parsePlainForm(std::string_view t, PlainText& out) {
  FieldReader f;
  PasteRow row;
  bool spaceEnded = false;  // a run of blanks ended the last field
  for (size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (c == '\r') continue;
    if (c == '\t' || c == ';') {
      if (f.started)
        row.push_back(f.take());
      else if (!spaceEnded)
        row.push_back(PasteField{});
      spaceEnded = false;
    } else if (c == '\n') {
      if (f.started) row.push_back(f.take());
      out.rows.push_back(std::move(row));
      row.clear();
      spaceEnded = false;
    } else if (size_t b = blankAt(t, i)) {
      const size_t next = i + b;
      if (f.started && f.mayGroup() && next + 3 <= t.size() && isDigit(t[next]) &&
          isDigit(t[next + 1]) && isDigit(t[next + 2]) &&
          (next + 3 == t.size() || !isDigit(t[next + 3]))) {
        f.skipGroup();
      } else if (f.started) {
        row.push_back(f.take());
        spaceEnded = true;
      }
      i = next - 1;
    } else if (isDigit(c) || c == '-' || c == '.' || c == ',') {
      f.add(c);
      spaceEnded = false;
    } else {
      f.other();
      spaceEnded = false;
    }
  }
  if (f.started) row.push_back(f.take());
  if (!row.empty()) out.rows.push_back(std::move(row));
}

std::string numberText(int32_t raw, double scale, char decimal) {
  std::string t = valueText(raw, scale);
  if (decimal != '.')
    for (char& c : t)
      if (c == '.') c = decimal;
  return t;
}

// Splits at line feeds; a carriage return before a line feed is dropped.
std::vector<std::string_view> lines(std::string_view t) {
  std::vector<std::string_view> out;
  size_t pos = 0;
  while (pos <= t.size()) {
    size_t end = t.find('\n', pos);
    if (end == std::string_view::npos) end = t.size();
    std::string_view line = t.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    out.push_back(line);
    pos = end + 1;
  }
  return out;
}

std::vector<std::string_view> fields(std::string_view line) {
  std::vector<std::string_view> out;
  size_t pos = 0;
  while (true) {
    size_t end = line.find('\t', pos);
    if (end == std::string_view::npos) {
      out.push_back(line.substr(pos));
      return out;
    }
    out.push_back(line.substr(pos, end - pos));
    pos = end + 1;
  }
}

const char* const kHeaderKeys[] = {"Label:\t", "LabelX:\t", "LabelY:\t", "LabelData:\t",
                                   "SizeX:\t", "SizeY:\t",  "OnlyXY:\t"};

long readSize(std::string_view v) {
  PasteField f = readField(v);
  if (f.kind != PasteField::Number || f.value < 0 || f.value > 1e6 || f.value != long(f.value))
    return -1;
  return static_cast<long>(f.value);
}

// The grid of a whole table: all rows and columns, plus the areas beyond
// the last breakpoints in the compact layout.
void writeGrid(const MapSheet& s, bool compact, char decimal, const char* sep, const char* eol,
               std::string& out) {
  const int cols = s.x.count + (compact ? 1 : 0);
  const int rows = s.y.count + (compact ? 1 : 0);
  for (int c = 0; c < s.x.count; ++c) {
    out += sep;
    out += numberText(s.x.values[static_cast<size_t>(c)], s.x.scale, decimal);
  }
  for (int r = 0; r < rows; ++r) {
    out += eol;
    if (r < s.y.count) out += numberText(s.y.values[static_cast<size_t>(r)], s.y.scale, decimal);
    for (int c = 0; c < cols; ++c) {
      out += sep;
      out += numberText(s.cell(c, r), s.v.scale, decimal);
    }
  }
}

}  // namespace

char copyDecimalSeparator() { return language() == 2 ? ',' : '.'; }

PasteField readField(std::string_view field) {
  std::string chars;
  bool invalid = false;
  for (size_t i = 0; i < field.size(); ++i) {
    const char c = field[i];
    if (isDigit(c) || c == '-' || c == '.')
      chars += c;
    else if (c == ',')
      chars += '.';
    else if (size_t b = blankAt(field, i))
      i += b - 1;
    else if (c != '\r' && c != '\t')
      invalid = true;
  }
  return fieldOf(chars, invalid);
}

PlainText parsePlainText(std::string_view text) {
  if (text.size() > kPasteLimit) text = text.substr(0, kPasteLimit);
  PlainText out;
  const size_t brace = text.find('{');
  if (brace != std::string_view::npos) {
    out.bracketForm = true;
    parseBracketForm(text.substr(brace), out);
  } else {
    parsePlainForm(text, out);
  }
  return out;
}

bool isSheetText(std::string_view text) {
  for (const char* k : kHeaderKeys)
    if (text.substr(0, std::strlen(k)) == k) return true;
  return false;
}

SheetText parseSheetText(std::string_view text) {
  if (text.size() > kPasteLimit) text = text.substr(0, kPasteLimit);
  SheetText st;
  std::vector<std::string_view> ls = lines(text);
  while (!ls.empty() && ls.back().empty()) ls.pop_back();
  size_t i = 0;
  for (; i < ls.size() && (ls[i].empty() || ls[i][0] != '\t'); ++i) {
    const std::string_view line = ls[i];
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, tab), value = line.substr(tab + 1);
    if (key == "Label:") {
      st.label = value;
    } else if (key == "LabelX:") {
      st.labelX = value;
      st.hasLabelX = true;
    } else if (key == "LabelY:") {
      st.labelY = value;
      st.hasLabelY = true;
    } else if (key == "LabelData:") {
      st.labelData = value;
      st.hasLabelData = true;
    } else if (key == "SizeX:") {
      st.sizeX = readSize(value);
    } else if (key == "SizeY:") {
      st.sizeY = readSize(value);
    } else if (key == "OnlyXY:") {
      st.onlyXY = value == "X" ? 'X' : (value == "Y" ? 'Y' : 0);
    }
  }
  if (i >= ls.size()) return st;
  st.hasGrid = true;
  const std::vector<std::string_view> corner = fields(ls[i]);
  for (size_t k = 1; k < corner.size(); ++k) st.xValues.push_back(readField(corner[k]));
  for (++i; i < ls.size(); ++i) {
    const std::vector<std::string_view> f = fields(ls[i]);
    st.yValues.push_back(readField(f[0]));
    PasteRow row;
    for (size_t k = 1; k < f.size(); ++k) row.push_back(readField(f[k]));
    st.cells.push_back(std::move(row));
  }
  return st;
}

std::string copySelectionText(const MapSheet& s, char decimal) {
  const SheetSelection& t = s.sel;
  std::string out;
  if (!t.count) return out;
  const int mode = t.mode & 0xFF;
  if (mode & kSelX) {
    for (int c = t.firstCol; c <= t.lastCol && c >= 0; ++c) {
      if (c > t.firstCol) out += '\t';
      if (t.xMarks[c] & kMarkSelected)
        out += numberText(s.x.values[static_cast<size_t>(c)], s.x.scale, decimal);
    }
    return out;
  }
  if (mode & kSelY) {
    for (int r = t.firstRow; r <= t.lastRow && r >= 0; ++r) {
      if (r > t.firstRow) out += '\n';
      if (t.yMarks[r] & kMarkSelected)
        out += numberText(s.y.values[static_cast<size_t>(r)], s.y.scale, decimal);
    }
    return out;
  }
  bool firstRow = true;
  for (int r = t.firstRow; r <= t.lastRow && r >= 0; ++r) {
    if (s.y.collapsed && r != s.y.collapsedIndex) continue;
    if (!firstRow) out += '\n';
    firstRow = false;
    bool firstCol = true;
    for (int c = t.firstCol; c <= t.lastCol && c >= 0; ++c) {
      if (s.x.collapsed && c != s.x.collapsedIndex) continue;
      if (!firstCol) out += '\t';
      firstCol = false;
      if (t.cellMarks[r * kCellStride + c] & kMarkSelected)
        out += numberText(s.cell(c, r), s.v.scale, decimal);
    }
  }
  // Only separators: nothing of the selection is in use.
  for (char c : out)
    if (c != '\t' && c != '\n') return out;
  return {};
}

TableTexts copyTableTexts(const MapSheet& s, bool compact, char decimal) {
  TableTexts t;
  std::string& sh = t.sheet;
  sh += "Label:\t" + s.name + "\n";
  sh += "LabelX:\t" + s.x.name + "\n";
  sh += "LabelY:\t" + s.y.name + "\n";
  sh += "LabelData:\t" + s.v.name + "\n";
  sh += "SizeX:\t" + valueText(s.x.count, 1) + "\n";
  sh += "SizeY:\t" + valueText(s.y.count, 1) + "\n";
  sh += std::string("OnlyXY:\t") + (s.x.collapsed ? "X" : (s.y.collapsed ? "Y" : "")) + "\n";
  writeGrid(s, compact, decimal, "\t", "\n", sh);

  // The plain grid leaves a collapsed axis out.
  std::string& p = t.plain;
  const int cols = s.x.count + (compact ? 1 : 0);
  const int rows = s.y.count + (compact ? 1 : 0);
  if (!s.x.collapsed && !s.y.collapsed) {
    writeGrid(s, compact, decimal, "\t", "\n", p);
  } else if (s.y.collapsed && !s.x.collapsed) {
    const int r = s.y.collapsedIndex;
    for (int c = 0; c < s.x.count; ++c) {
      if (c) p += '\t';
      p += numberText(s.x.values[static_cast<size_t>(c)], s.x.scale, decimal);
    }
    p += '\n';
    for (int c = 0; c < cols; ++c) {
      if (c) p += '\t';
      p += numberText(s.cell(c, r), s.v.scale, decimal);
    }
  } else if (s.x.collapsed && !s.y.collapsed) {
    const int c = s.x.collapsedIndex;
    for (int r = 0; r < rows; ++r) {
      if (r) p += '\n';
      if (r < s.y.count) p += numberText(s.y.values[static_cast<size_t>(r)], s.y.scale, decimal);
      p += '\t';
      p += numberText(s.cell(c, r), s.v.scale, decimal);
    }
  } else {
    p = numberText(s.cell(s.x.collapsedIndex, s.y.collapsedIndex), s.v.scale, decimal);
  }
  return t;
}

std::string tableCsv(const MapSheet& s, bool compact, char decimal) {
  std::string out;
  writeGrid(s, compact, decimal, ";", "\r\n", out);
  out += "\r\n";
  return out;
}

}  // namespace q3
