// The simulated trigger wheel and its pickup sample blocks.
#include "sim_pickup.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "params/address_map.h"

namespace q3sim {

using q3::ImageByte;

namespace {

constexpr double kSame = 1e-9;   // angles closer than this are one sample
constexpr double kAfter = 1e-7;  // the state just after an edge
constexpr double kTicksPerMinuteDeg = 60.0 / 360.0 / 0.4e-6;  // ticks per degree at 1 rpm

bool twoPickups(int type) {
  return type == 0 || type == 4 || type == 9 || type == 17 || type == 18 || type == 19;
}
bool camshaft(int type) { return type == 6 || type == 11 || type == 12 || type == 14; }

double wrapInto(double a, double repeat) {
  const double r = std::fmod(a, repeat);
  return r < 0 ? r + repeat : r;
}

bool inside(const PickupTrack& t, double a) {
  const double x = wrapInto(a, t.repeat);
  for (const WheelLobe& l : t.lobes) {
    const double s = wrapInto(l.start, t.repeat);
    const double e = s + (l.end - l.start);
    if ((x >= s && x < e) || (x + t.repeat >= s && x + t.repeat < e)) return true;
  }
  return false;
}

struct Point {
  double angle;
  uint8_t outputs;
};

// Every edge of a track within (from, to].
void addEdges(const PickupTrack& t, double from, double to, std::vector<Point>& out) {
  if (t.lobes.empty()) return;
  for (double r = std::floor(from / t.repeat) - 1; r * t.repeat <= to; ++r) {
    for (const WheelLobe& l : t.lobes) {
      const double s = r * t.repeat + wrapInto(l.start, t.repeat);
      for (double a : {s, s + (l.end - l.start)})
        if (a > from && a <= to) out.push_back({a, 0});
    }
  }
}

}  // namespace

TriggerWheel describeTrigger(const uint8_t* mem, int advance) {
  TriggerWheel w;
  const int type = mem[ImageByte::PickupSystem];
  const int perRev = mem[ImageByte::LobesPerRev];
  w.cycle = perRev == 0 ? 720.0 : perRev <= 4 ? 360.0 / perRev : 360.0;
  // The period selector and its period: one phase change per ignition; four
  // per turn are shown over two of them.
  struct Period {
    uint8_t selector;
    int degrees;
  };
  static const Period kPeriods[] = {{0, 720}, {1, 360}, {2, 180}, {3, 120}, {2, 180}};
  const Period period = perRev <= 4 ? kPeriods[perRev] : kPeriods[1];
  w.selector = period.selector;
  w.period = period.degrees;
  const int n = std::clamp<int>(mem[ImageByte::Lobes], 1, type == 14 ? 120 : 58);
  const int channels = std::clamp<int>(mem[ImageByte::Channels], 1, 4);

  std::vector<double> at(static_cast<size_t>(n)), width(static_cast<size_t>(n));
  double pitch = w.cycle / n;
  if (type == 3 || type == 4 || type == 8 || type == 12 || type == 14) {
    // Teeth at an even pitch with missing ones before the reference tooth; the
    // crank wheels of the camshaft types turn twice per cycle.
    const int turns = (type == 12 || type == 14) && w.cycle >= 720 ? 2 : 1;
    const int perTurn = std::max(1, n / turns);
    const int positions = type == 3 || type == 4 ? perTurn + 1 : (perTurn + 12) / 12 * 12;
    pitch = w.cycle / turns / positions;
    for (int k = 0; k < n; ++k) {
      const int turn = std::min(k / perTurn, turns - 1);
      at[size_t(k)] = turn * w.cycle / turns + (k - turn * perTurn) * pitch;
      width[size_t(k)] = 0.4 * pitch;
    }
  } else if ((type == 1 || type == 5 || type == 10) && n > (type == 5 ? 2 : 1)) {
    // Short lobes inserted halfway into a gap: the last one (two for type 5),
    // or the reference lobe itself for the kick-start variant.
    const int insertedCount = type == 5 ? 2 : 1;
    pitch = w.cycle / (n - insertedCount);
    double regular = -pitch;
    int inserted = 0;
    for (int k = 0; k < n; ++k) {
      const bool short_ = type == 10 ? k == 0 : k >= n - insertedCount;
      if (short_) {
        ++inserted;
        at[size_t(k)] = regular + pitch * inserted / (insertedCount + 1);
        width[size_t(k)] = 0.12 * pitch;
      } else {
        regular += pitch;
        inserted = 0;
        at[size_t(k)] = regular;
        width[size_t(k)] = 0.35 * pitch;
      }
    }
    const double ref = at[0];
    for (double& a : at) a -= ref;
  } else {
    for (int k = 0; k < n; ++k) {
      at[size_t(k)] = k * pitch;
      width[size_t(k)] = 0.35 * pitch;
    }
    if (type == 2) width[0] = 0.7 * pitch;   // wide lobe
    if (type == 15) width[0] = 0.1 * pitch;  // narrow lobe
  }

  w.pickup1.repeat = w.cycle;
  for (int k = 0; k < n; ++k)
    w.pickup1.lobes.push_back({at[size_t(k)], at[size_t(k)] + width[size_t(k)]});
  w.pickup1.inverted = mem[ImageByte::PickupPolarity1] == 1;

  // The second pickup: a camshaft pulse once per 720 degrees shortly before
  // the reference, or half a cycle away from the first pickup the lobes that
  // the edge table marks as seen by it.
  const bool secondFlags = twoPickups(type);
  const double p2Offset = w.cycle / 2;
  if (camshaft(type)) {
    w.pickup2.repeat = 720;
    w.pickup2.lobes.push_back({720 - 2.5 * pitch, 720 - 1.5 * pitch});
  } else if (secondFlags) {
    w.pickup2.repeat = w.cycle;
    std::set<int> seen;
    for (int c = 0; c < channels; ++c)
      for (int e : {mem[ImageByte::EdgeStart + c], mem[ImageByte::EdgeEnd + c]})
        if (e & 0x80) seen.insert(std::clamp(e & 0x3F, 1, n) - 1);
    for (int k : seen)
      w.pickup2.lobes.push_back(
          {at[size_t(k)] + p2Offset, at[size_t(k)] + width[size_t(k)] + p2Offset});
  }
  w.pickup2.inverted = mem[ImageByte::PickupPolarity2] == 1;
  w.interchanged = mem[ImageByte::PickupsInterchange] != 0;

  // Each channel fires once per cycle between its maximum-advance edge and
  // its start-advance edge, the nearer the first the more advance.
  const auto edgeAngle = [&](uint8_t e) {
    int lobe = e & 0x3F;
    if (type == 14 && (e & 0x80)) lobe += 64;
    const size_t k = size_t(std::clamp(lobe, 1, n) - 1);
    double a = at[k] + ((e & 0x40) ? width[k] : 0.0);
    if (secondFlags && (e & 0x80)) a += p2Offset;
    return a;
  };
  const double frac = std::clamp(advance, 0, 60) / 60.0;
  for (int c = 0; c < channels; ++c) {
    const double from = edgeAngle(mem[ImageByte::EdgeStart + c]);
    double to = type == 19 ? from : edgeAngle(mem[ImageByte::EdgeEnd + c]);
    while (to < from) to += w.cycle;
    w.firing.push_back(wrapInto(to - (to - from) * frac, w.cycle));
  }
  return w;
}

std::vector<uint32_t> pickupSamples(const TriggerWheel& w, int rpm, int64_t startTicks) {
  const double P = w.period;
  const double from = -P / 8;
  const double to = 3 * P + P / 16;
  std::vector<Point> pts = {{from, 0}};
  addEdges(w.pickup1, from, to, pts);
  addEdges(w.pickup2, from, to, pts);
  for (int k = 0; k <= 3; ++k) pts.push_back({k * P, 0});  // the phase changes
  for (size_t c = 0; c < w.firing.size(); ++c)
    for (double r = std::floor(from / w.cycle); r * w.cycle <= to; ++r) {
      const double a = r * w.cycle + w.firing[c];
      if (a > from && a <= to) pts.push_back({a, uint8_t(1u << c)});
    }
  std::sort(pts.begin(), pts.end(),
            [](const Point& x, const Point& y) { return x.angle < y.angle; });

  const double ticksPerDeg = kTicksPerMinuteDeg / std::max(rpm, 1);
  std::vector<uint32_t> out;
  for (size_t i = 0; i < pts.size() && out.size() < 15000 / 4; ++i) {
    const double a = pts[i].angle;
    uint8_t outputs = pts[i].outputs;
    while (i + 1 < pts.size() && pts[i + 1].angle - a < kSame) outputs |= pts[++i].outputs;
    bool s1 = inside(w.pickup1, a + kAfter) != w.pickup1.inverted;
    // A second pickup that sees nothing stays low whatever its polarity.
    bool s2 = !w.pickup2.lobes.empty() && inside(w.pickup2, a + kAfter) != w.pickup2.inverted;
    if (w.interchanged) std::swap(s1, s2);
    const int64_t phase = int64_t(std::floor((a + kAfter) / P));
    const int64_t ticks = startTicks + std::llround((a - from) * ticksPerDeg);
    out.push_back(uint32_t(ticks & 0xFFFFFF) | uint32_t(((phase % 4) + 4) % 4) << 24 |
                  (s1 ? 1u << 26 : 0u) | (s2 ? 1u << 27 : 0u) | uint32_t(outputs) << 28);
  }
  return out;
}

}  // namespace q3sim
