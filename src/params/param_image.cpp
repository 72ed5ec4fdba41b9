// Element access and scaling of the parameter image.
#include "params/param_image.h"

#include <algorithm>

namespace q3 {

int scaledFromStored(int stored, bool isSigned, int factor, int offset) {
  if (factor == 0) factor = 1;
  return isSigned ? offset + factor * stored : factor * (stored + offset);
}

int storedFromScaled(int value, int factor, int offset) {
  if (factor == 0) factor = 1;
  return value / factor - offset;  // C++ division truncates towards zero
}

namespace {
int elementIndex(int base, int sub) { return base + (sub & kSubIndexMask); }
bool isSignedSub(int sub) { return (sub & kSignedFlag) != 0; }
}  // namespace

int ParamImage::readByteElement(int base, int sub) const {
  const uint8_t v = byte(elementIndex(base, sub));
  return isSignedSub(sub) ? static_cast<int>(static_cast<int8_t>(v)) : static_cast<int>(v);
}

void ParamImage::writeByteElement(int base, int sub, int value) {
  setByte(elementIndex(base, sub), value & 0xFF);
}

int ParamImage::readWordElement(int base, int sub) const {
  const uint16_t v = word(elementIndex(base, sub));
  return isSignedSub(sub) ? static_cast<int>(static_cast<int16_t>(v)) : static_cast<int>(v);
}

void ParamImage::writeWordElement(int base, int sub, int value) {
  setWord(elementIndex(base, sub), value & 0xFFFF);
}

int ParamImage::scaledByte(int base, int sub, int factor, int offset) const {
  return scaledFromStored(readByteElement(base, sub), isSignedSub(sub), factor, offset);
}

// An entered value outside what the element can hold is stored as the nearest
// value it can hold: wrapping would turn, say, a limiter correction of -6000
// rpm into +6800 rpm. Sanitising then brings it into the parameter's range.
void ParamImage::storeScaledByte(int base, int sub, int factor, int offset, int value) {
  const int s = storedFromScaled(value, factor, offset);
  writeByteElement(base, sub, isSignedSub(sub) ? std::clamp(s, -128, 127) : std::clamp(s, 0, 255));
}

int ParamImage::scaledWord(int base, int sub, int factor, int offset) const {
  return scaledFromStored(readWordElement(base, sub), isSignedSub(sub), factor, offset);
}

void ParamImage::storeScaledWord(int base, int sub, int factor, int offset, int value) {
  const int s = storedFromScaled(value, factor, offset);
  writeWordElement(base, sub,
                   isSignedSub(sub) ? std::clamp(s, -32768, 32767) : std::clamp(s, 0, 65535));
}

void ParamImage::readByteRun(int base, int n, int factor, int offset, int* out) const {
  const int flag = n & kSignedFlag, count = n & kSubIndexMask;
  for (int i = 0; i < count; ++i) out[i] = scaledByte(base, i | flag, factor, offset);
}

void ParamImage::writeByteRun(int base, int n, int factor, int offset, const int* in) {
  const int flag = n & kSignedFlag, count = n & kSubIndexMask;
  for (int i = 0; i < count; ++i) storeScaledByte(base, i | flag, factor, offset, in[i]);
}

void ParamImage::readWordRun(int base, int n, int factor, int offset, int* out) const {
  const int flag = n & kSignedFlag, count = n & kSubIndexMask;
  for (int i = 0; i < count; ++i) out[i] = scaledWord(base, i | flag, factor, offset);
}

void ParamImage::writeWordRun(int base, int n, int factor, int offset, const int* in) {
  const int flag = n & kSignedFlag, count = n & kSubIndexMask;
  for (int i = 0; i < count; ++i) storeScaledWord(base, i | flag, factor, offset, in[i]);
}

void ParamImage::fillBytes(int base, int n, int stored) {
  for (int i = 0; i < n; ++i) setByte(base + i, stored);
}

void ParamImage::fillWords(int base, int n, int stored) {
  for (int i = 0; i < n; ++i) setWord(base + i, stored);
}

int ParamImage::countDifferences(const ParamImage& other) const {
  int n = 0;
  for (int i = 0; i < kImageSize; ++i)
    n += m_b[static_cast<std::size_t>(i)] != other.m_b[static_cast<std::size_t>(i)];
  return n;
}

}  // namespace q3
