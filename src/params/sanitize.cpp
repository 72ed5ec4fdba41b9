// Sanitising: brings every parameter of the image into its valid range and
// order. Runs after each applied edit, each read from the unit, before
// programming and around file loads, so every later reader can rely on it.
#include <algorithm>
#include <array>
#include <vector>

#include "params/address_map.h"
#include "params/param_model.h"

namespace q3 {

namespace {

int readElem(const ParamImage& img, ElemWidth w, bool s, int base, int i) {
  const int sub = i | (s ? kSignedFlag : 0);
  return w == ElemWidth::Byte ? img.readByteElement(base, sub) : img.readWordElement(base, sub);
}

void writeElem(ParamImage& img, ElemWidth w, int base, int i, int v) {
  if (w == ElemWidth::Byte)
    img.writeByteElement(base, i, v);
  else
    img.writeWordElement(base, i, v);
}

void clampBytes(ParamImage& img, int base, int n, ClampMode mode, int lo, int hi, int step) {
  clampRun(img, ElemWidth::Byte, false, base, n, mode, lo, hi, step);
}
void clampWords(ParamImage& img, int base, int n, ClampMode mode, int lo, int hi, int step) {
  clampRun(img, ElemWidth::Word, false, base, n, mode, lo, hi, step);
}

// A map of 10 rows x 15: entries clamped, the column count made 1..15
// (0 counts as all 15), and each row's unused columns filled with the value
// of its last used column so that the unit never interpolates into garbage.
void sanitizeMap(ParamImage& img, int base, int columnsByte, int lo, int hi) {
  clampBytes(img, base, kMapRows * kMapColumns, ClampMode::Plain, lo, hi, 0);
  int cols = img.byte(columnsByte);
  if (cols == 0 || cols > kMapColumns) cols = kMapColumns;
  img.setByte(columnsByte, cols);
  for (int r = 0; r < kMapRows; ++r) {
    const int row = base + r * kMapColumns;
    const int last = img.byte(row + cols - 1);
    for (int c = cols; c < kMapColumns; ++c) img.setByte(row + c, last);
  }
}

bool validPowerFunction(int k, int f) {
  switch (f) {
    case 0:
    case 1:
    case 2:
    case 253:
    case 254:
    case 255:
      return true;
    case 4:
      return k == 2;  // only output 3 can drive the N2O valve
    default:
      return false;
  }
}

void sanitizePowerOutput(ParamImage& img, int k) {
  int f = img.byte(ImageByte::PoutFunction + k);
  if (!validPowerFunction(k, f)) {
    f = 255;
    img.setByte(ImageByte::PoutFunction + k, f);
  }
  img.setByte(ImageByte::N2oEnable, img.byte(ImageByte::PoutFunction + 2) == 4 ? 1 : 0);
  clampBytes(img, ImageByte::PoutThreshold + 3 * k, 3, ClampMode::Ascending, 3, 250,
             f == 2 ? 0 : 1);
  const int wordMax = img.byte(ImageByte::TpsIapSensor) == 2 ? 999 : 100;
  clampWords(img, ImageWord::PoutWords + 2 * k, 2, ClampMode::Ascending, 0, wordMax, 1);
  if (f == 2 || f == 3) applyPowerOutputFunctionDefaults(img, k, false);
  clampBytes(img, ImageByte::PoutPwmRpm + 6 * k, 6, ClampMode::Ascending, 3, 250, 1);
  clampWords(img, ImageWord::PoutPwmWords + 4 * k, 4, ClampMode::Ascending, 0, wordMax, 1);
  if (f == 253)
    clampBytes(img, ImageByte::PoutPwmTable + 24 * k, 24, ClampMode::Plain,
               (img.byte(ImageByte::PoutPulse + k) + 9) / 10, 200, 0);
  else
    clampBytes(img, ImageByte::PoutPwmTable + 24 * k, 24, ClampMode::Plain, 0, 100, 0);
}

// Edge bytes: lobe number in bits 0..5 (plus bit 7 as value 64 for system 14),
// flag bit 6 = second edge, bit 7 = second pickup.
void sanitizeEdges(ParamImage& img) {
  const int sys = img.byte(ImageByte::PickupSystem);
  const int lobes = img.byte(ImageByte::Lobes);
  const bool wide = sys == 14;
  const bool twoPickups =
      sys == 14 || sys == 0 || sys == 4 || sys == 9 || sys == 17 || sys == 18 || sys == 19;
  for (int i = ImageByte::EdgeStart; i < ImageByte::EdgeEnd + kChannels; ++i) {
    int b = img.byte(i);
    int lobe = b & 63;
    int flags = b & 0xC0;
    if (wide) {
      if (b & 128) lobe |= 64;
      flags = b & 64;
    }
    lobe = std::min(lobe, lobes);
    if (lobe == 0) lobe = 1;
    b = (lobe & 63) | flags;
    if (wide && (lobe & 64)) b |= 128;
    if (!twoPickups) b &= ~128;
    img.setByte(i, b);
  }
}

}  // namespace

void clampRun(ParamImage& img, ElemWidth width, bool isSigned, int base, int n, ClampMode mode,
              int minimum, int maximum, int step) {
  if (n <= 0) return;
  // Runs of the image are at most 150 elements: no allocation on the usual path.
  std::array<int, static_cast<std::size_t>(kMapRows) * kMapColumns> small;
  std::vector<int> large;
  int* e = small.data();
  if (n > static_cast<int>(small.size())) {
    large.resize(static_cast<std::size_t>(n));
    e = large.data();
  }
  for (int i = 0; i < n; ++i) {
    int lo = minimum, hi = maximum;
    if (mode == ClampMode::Ascending) {
      lo = minimum + step * i;
      hi = maximum - step * (n - 1 - i);
    } else if (mode == ClampMode::Descending) {
      lo = minimum + step * (n - 1 - i);
      hi = maximum - step * i;
    }
    int v = readElem(img, width, isSigned, base, i);
    if (v < lo) v = lo;
    if (v > hi) v = hi;
    e[i] = v;
  }
  for (int i = 1; i < n; ++i) {
    int& cur = e[i];
    const int prev = e[i - 1];
    if (mode == ClampMode::Ascending && cur <= prev) cur = prev + step;
    if (mode == ClampMode::Descending && cur >= prev) cur = prev - step;
  }
  for (int i = 0; i < n; ++i) writeElem(img, width, base, i, e[i]);
}

void sanitizeImage(ParamImage& img) {
  if (img.byte(ImageByte::Channels) == 0) img.setByte(ImageByte::Channels, 1);
  if (img.byte(ImageByte::Channels) > 4) img.setByte(ImageByte::Channels, 4);
  if (img.byte(ImageByte::DwellMode) > 2) img.setByte(ImageByte::DwellMode, 1);
  if (img.byte(ImageByte::PotFunction) > 4) img.setByte(ImageByte::PotFunction, 0);

  clampBytes(img, ImageByte::LambdaCurveBytes, 6, ClampMode::Ascending, 0, 250, 1);
  clampWords(img, ImageWord::LambdaCurveWords, 6,
             img.byte(ImageByte::LambdaSensor) == 1 ? ClampMode::Ascending : ClampMode::Descending,
             0, 5000, 1);
  clampBytes(img, ImageByte::LambdaBar, 4, ClampMode::Ascending, 0, 250, 1);
  clampBytes(img, ImageByte::LambdaTachoAxis, 2, ClampMode::Ascending, 0, 250, 1);
  clampBytes(img, ImageByte::LambdaTachoValues, 2, ClampMode::Plain, 3, 250, 0);

  for (int axis : {ImageWord::AdvIap, ImageWord::Adv2Iap, ImageWord::ServoIap})
    clampWords(img, axis, kMapRows, ClampMode::Ascending, 0, 999, 1);

  if (img.byte(ImageByte::ServoSensor) != 0) img.setByte(ImageByte::ServoEnable, 0);

  for (int axis : {ImageByte::RpmAdv, ImageByte::RpmAdv2, ImageByte::ServoRpm})
    clampBytes(img, axis, kMapColumns, ClampMode::Ascending, 3, 250, 1);

  // The second calibration pressure must lie above the first.
  if (img.word(ImageWord::IapCal + 2) <= img.word(ImageWord::IapCal))
    img.setWord(ImageWord::IapCal + 2, img.word(ImageWord::IapCal));

  sanitizeMap(img, ImageByte::Advance, ImageByte::AdvColumns, 70, 160);
  sanitizeMap(img, ImageByte::Advance2, ImageByte::Adv2Columns, 70, 160);
  sanitizeMap(img, ImageByte::Servo, ImageByte::ServoColumns, 0,
              img.byte(ImageByte::ServoPercent) ? 100 : 250);

  for (int b : {ImageByte::AdvColumns, ImageByte::Adv2Columns, ImageByte::ServoColumns})
    clampBytes(img, b, 1, ClampMode::Plain, 1, 15, 0);

  const int sys = img.byte(ImageByte::PickupSystem);
  if (sys == 0)
    img.setByte(ImageByte::Lobes, 1);
  else if (img.byte(ImageByte::Lobes) > (sys == 14 ? 120 : 58))
    img.setByte(ImageByte::Lobes, sys == 14 ? 120 : 58);

  sanitizeEdges(img);

  for (int k = 0; k < kPowerOutputs; ++k) sanitizePowerOutput(img, k);

  clampBytes(img, ImageByte::Limiter, 2, ClampMode::Plain, 10, 250, 0);
  if (img.byte(ImageByte::BaseAdv) > 40) img.setByte(ImageByte::BaseAdv, 40);
}

}  // namespace q3
