// The parameter image: the PC-side copy of the unit's 1050-byte parameter
// block, with a byte view, a 16-bit little-endian word view, element access by
// base + sub-index (bit 15 of the sub-index = read as signed) and the
// factor/offset scaling that controls and file keywords apply.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace q3 {

// Length of the unit's parameter block and so of every image copy.
inline constexpr int kImageSize = 1050;
// Number of 16-bit words the image holds (word w = bytes 2w, 2w+1).
inline constexpr int kImageWords = kImageSize / 2;

// Sub-index flag: the element is read as a two's-complement value.
inline constexpr int kSignedFlag = 0x8000;
inline constexpr int kSubIndexMask = 0x7FFF;

// Scaling of one use of an element. A stored value s is shown as
// factor * (s + offset) (unsigned) or offset + factor * s (signed); a value v
// entered is stored as v / factor - offset with truncation towards zero.
// A factor of 0 is treated as 1 so that a faulty table never divides by zero.
int scaledFromStored(int stored, bool isSigned, int factor, int offset);
int storedFromScaled(int value, int factor, int offset);

class ParamImage {
 public:
  ParamImage() { clear(); }

  void clear() { m_b.fill(0); }

  // Raw storage (kImageSize bytes).
  uint8_t* data() { return m_b.data(); }
  const uint8_t* data() const { return m_b.data(); }
  static constexpr int size() { return kImageSize; }

  // Byte view. Indices outside 0..1049 read 0 and are not written.
  uint8_t byte(int i) const { return inRange(i) ? m_b[static_cast<std::size_t>(i)] : 0; }
  void setByte(int i, int v) {
    if (inRange(i)) m_b[static_cast<std::size_t>(i)] = static_cast<uint8_t>(v);
  }

  // Word view, little-endian. Indices outside 0..524 read 0 and are not written.
  uint16_t word(int w) const {
    if (w < 0 || w >= kImageWords) return 0;
    return static_cast<uint16_t>(m_b[2 * static_cast<std::size_t>(w)] |
                                 (m_b[2 * static_cast<std::size_t>(w) + 1] << 8));
  }
  void setWord(int w, int v) {
    if (w < 0 || w >= kImageWords) return;
    m_b[2 * static_cast<std::size_t>(w)] = static_cast<uint8_t>(v & 0xFF);
    m_b[2 * static_cast<std::size_t>(w) + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
  }

  // Elements: index = base + (sub & 0x7FFF); signed when sub carries 0x8000.
  // Reads give 0..255 / 0..65535, or -128..127 / -32768..32767 when signed.
  int readByteElement(int base, int sub) const;
  void writeByteElement(int base, int sub, int value);  // stores the low 8 bits
  int readWordElement(int base, int sub) const;
  void writeWordElement(int base, int sub, int value);  // stores the low 16 bits

  // Scaled element access (the conventions of controls and file keywords).
  // A store saturates at the limits of the element (0..255, -128..127, ...).
  int scaledByte(int base, int sub, int factor, int offset) const;
  void storeScaledByte(int base, int sub, int factor, int offset, int value);
  int scaledWord(int base, int sub, int factor, int offset) const;
  void storeScaledWord(int base, int sub, int factor, int offset, int value);

  // Runs of n consecutive elements from base; n may carry kSignedFlag, which
  // then applies to every element. out/in hold n values.
  void readByteRun(int base, int n, int factor, int offset, int* out) const;
  void writeByteRun(int base, int n, int factor, int offset, const int* in);
  void readWordRun(int base, int n, int factor, int offset, int* out) const;
  void writeWordRun(int base, int n, int factor, int offset, const int* in);
  // Sets n consecutive bytes (or words) to one stored value.
  void fillBytes(int base, int n, int stored);
  void fillWords(int base, int n, int stored);

  // Number of bytes in which two images differ.
  int countDifferences(const ParamImage& other) const;

  bool operator==(const ParamImage& o) const { return m_b == o.m_b; }
  bool operator!=(const ParamImage& o) const { return !(*this == o); }

 private:
  static bool inRange(int i) { return i >= 0 && i < kImageSize; }
  std::array<uint8_t, kImageSize> m_b;
};

}  // namespace q3
