// The keyword lines of a settings file whose values map one to one onto image
// elements, shared by the writer and the reader so both stay in step.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "params/param_image.h"

namespace q3 {

// The file key of the current format (the number after KORVELAN_KEY).
inline constexpr int KORVELAN_KEY = 104;

enum class IgnFieldKind { Byte, Word, Break };

// A run of `count` elements from `index` (byte or word index), shown in the
// file as factor * (stored + offset). Break starts a continuation line.
struct IgnField {
  IgnFieldKind kind;
  int index = 0;
  int count = 1;
  int factor = 1;
  int offset = 0;
  bool isSigned = false;
};

struct IgnLine {
  std::string keyword;
  std::vector<IgnField> fields;
  bool readable = true;  // false: written but not read back
};

// All element lines, including the reader-only lines of the spare fourth
// power output.
const std::vector<IgnLine>& ignElementLines();

// The keyword of the file line that holds image byte i, or "byte N".
std::string ignKeywordOfByte(int byte);
// The keywords whose values differ between two images, in file order.
std::vector<std::string> differingKeywords(const uint8_t* a, const uint8_t* b, int length);
const IgnLine* ignFindLine(std::string_view keyword);

// File value of one element, and the store of a read value (v / factor -
// offset; a byte out of range stores 0, a word keeps the low 16 bits).
int ignFileValue(const ParamImage& img, const IgnField& f, int k);
void ignStoreValue(ParamImage& img, const IgnField& f, int k, int value);

// Keyword column width for a keyword of length len.
int ignKeywordWidth(int len);

}  // namespace q3
