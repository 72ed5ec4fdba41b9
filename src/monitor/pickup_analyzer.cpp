// The pickup monitor's analysis, dimensions and label texts.
#include "monitor/pickup_analyzer.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace q3 {

namespace {

std::string format(const char* fmt, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

// Whether an event may serve as the end of a dimension of mask k: it is an
// ignition or a marker of k, or one of k's signals changes at it.
bool matches(const PickupEvent& e, uint32_t k) {
  return (e.flags & k & (PickupFlag::kOutputs | PickupFlag::kMarkers)) != 0 ||
         (e.changed & k & PickupFlag::kSignals) != 0;
}

}  // namespace

void PickupAnalyzer::handOver(const PickupBlock& block) {
  m_ring.append(block.samples);
  m_pending.state = block.state;
  m_pending.selector = block.selector;
  m_pending.monitorRpm = block.monitorRpm;
  m_blockSync = block.synchronised();
  if (m_blockSync != m_shownSync) {
    m_shownSync = m_blockSync;
    clearPicture();
    m_dimCount = 0;
    m_redraw = true;
  }
}

void PickupAnalyzer::clearPicture() { m_eventCount = 0; }

PickupAnalysis PickupAnalyzer::show(const PickupBlock& block) {
  handOver(block);
  return analyse();
}

PickupAnalysis PickupAnalyzer::analyse() {
  const int P = pickupPeriodDegrees(m_pending.selector);
  m_period = P;
  const int half = P / 2;  // rounded towards zero
  m_rangeStart = -half;
  m_rangeEnd = P + half;

  const int n = m_ring.pending();
  if (n == 0) return PickupAnalysis::NoSamples;

  // Monotonic time stamps: a smaller one than its predecessor counts across the wrap.
  m_times.resize(size_t(n));
  int64_t offset = 0;
  uint32_t prev = sampleTime(m_ring.pendingAt(0));
  for (int i = 0; i < n; ++i) {
    const uint32_t t = sampleTime(m_ring.pendingAt(i));
    if (t < prev) offset += kPickupTimeWrap;
    prev = t;
    m_times[size_t(i)] = t + offset;
  }

  // The first four changes of the phase field after the first sample.
  int at[4] = {};
  int found = 0;
  int phase = samplePhase(m_ring.pendingAt(0));
  for (int i = 1; i < n && found < 4; ++i) {
    const int p = samplePhase(m_ring.pendingAt(i));
    if (p == phase) continue;
    phase = p;
    at[found++] = i;
  }
  if (found < 4) return PickupAnalysis::TooFewTransitions;

  // The three periods between them. One of zero length cannot be scaled to
  // degrees (and would give an infinite speed): the block is dropped.
  const int64_t len[3] = {m_times[size_t(at[1])] - m_times[size_t(at[0])],
                          m_times[size_t(at[2])] - m_times[size_t(at[1])],
                          m_times[size_t(at[3])] - m_times[size_t(at[2])]};
  if (len[0] <= 0 || len[1] <= 0 || len[2] <= 0) {
    m_ring.markRead();
    return PickupAnalysis::BadInterval;
  }
  m_rpm = 60.0 / (double(len[1]) * kPickupTickSeconds) * P / 360.0;

  // Every sample from the first to the fourth change, period k (1..3) drawn
  // from (k - 2) P to (k - 1) P; the fourth change ends the third period at 2P.
  m_shown = m_pending;
  m_shown.samples.clear();
  m_eventCount = 0;
  int segment = 0;
  int64_t segStart = 0;
  uint32_t before = m_ring.pendingAt(at[0] - 1);
  for (int i = at[0]; i <= at[3]; ++i) {
    const uint32_t s = m_ring.pendingAt(i);
    if (segment < 3 && i == at[segment]) {
      segStart = m_times[size_t(i)];
      ++segment;
    }
    double pos;
    if (i == at[3])
      pos = 2.0 * P;
    else
      pos =
          double(m_times[size_t(i)] - segStart) / double(len[segment - 1]) * P + (segment - 2) * P;
    const uint32_t flags = sampleFlags(s);
    if (m_eventCount < kMaxEvents - 2)
      m_events[size_t(m_eventCount++)] = {pos, flags, (flags ^ sampleFlags(before)) & 0xC};
    before = s;
  }
  for (int i = 0; i < n; ++i) m_shown.samples.push_back(m_ring.pendingAt(i));
  m_ring.markRead();
  m_events[size_t(m_eventCount++)] = {0.0, PickupFlag::kMarker0, 0};
  m_events[size_t(m_eventCount++)] = {double(P), PickupFlag::kMarkerP, 0};
  m_redraw = true;
  return PickupAnalysis::Done;
}

bool PickupAnalyzer::signal2Changes() const {
  for (int i = 0; i < sampleEventCount(); ++i)
    if (m_events[size_t(i)].changed & PickupFlag::kSignal2) return true;
  return false;
}

int PickupAnalyzer::nearestEvent(const PickupView& view, int x, uint32_t mask, int direction,
                                 double beyond) const {
  int best = -1;
  double bestDist = std::numeric_limits<double>::infinity();
  const double span = rangeSpan();
  for (int i = 0; i < m_eventCount; ++i) {
    const PickupEvent& e = m_events[size_t(i)];
    if (!matches(e, mask)) continue;
    if (direction > 0 && !(e.pos > beyond)) continue;
    if (direction < 0 && !(e.pos < beyond)) continue;
    const double d = std::fabs(view.x(e.pos, span) - x);
    if (d < bestDist) {
      bestDist = d;
      best = i;
    }
  }
  return best;
}

std::optional<PickupDimension> PickupAnalyzer::dragDimension(const PickupView& view, int xs, int ys,
                                                             int xe, int ye) const {
  if (m_eventCount == 0) return std::nullopt;
  // What the start may snap to follows the row the drag began in.
  uint32_t k;
  if (ys < 0.8 * PickupRows::kSignal1High)
    k = PickupFlag::kOutputs | PickupFlag::kMarkers;
  else if (ys < PickupRows::kSignal1Low)
    k = PickupFlag::kSignal1;
  else if (ys < PickupRows::kSignal2High)
    k = PickupFlag::kSignals;
  else if (ys < 1.2 * PickupRows::kSignal2Low)
    k = signal2Changes() ? PickupFlag::kSignals : PickupFlag::kSignal2;
  else
    k = PickupFlag::kMarkers;

  int s = nearestEvent(view, xs, k, 0, 0);
  int e = nearestEvent(view, xe, PickupFlag::kKindMask, 0, 0);
  if (e < 0) return std::nullopt;
  if (s >= 0 && m_events[size_t(s)].pos == m_events[size_t(e)].pos) {
    e = nearestEvent(view, xe, PickupFlag::kKindMask, xe >= xs ? 1 : -1, m_events[size_t(s)].pos);
    if (e < 0) return std::nullopt;
  }
  if (s < 0) s = e;
  const PickupEvent* a = &m_events[size_t(s)];
  const PickupEvent* b = &m_events[size_t(e)];
  if (a->pos > b->pos) std::swap(a, b);
  if (a->pos == b->pos) return std::nullopt;
  return PickupDimension{a->pos, b->pos, ye, a->flags & PickupFlag::kKindMask,
                         b->flags & PickupFlag::kKindMask};
}

bool PickupAnalyzer::commitDimension(const PickupDimension& d) {
  if (m_dimCount >= kMaxDimensions) return false;
  m_dims[size_t(m_dimCount++)] = d;
  m_redraw = true;
  return true;
}

void PickupAnalyzer::removeDimension(int index) {
  if (index < 0 || index >= m_dimCount) return;
  for (size_t i = size_t(index); i + 1 < size_t(m_dimCount); ++i) m_dims[i] = m_dims[i + 1];
  --m_dimCount;
  m_redraw = true;
}

void PickupAnalyzer::clearDimensions() {
  m_dimCount = 0;
  m_redraw = true;
}

PickupDimension PickupAnalyzer::resolve(const PickupDimension& d) const {
  PickupDimension r = d;
  auto follow = [&](double pos, uint32_t kind) {
    double best = pos;
    double bestDist = std::numeric_limits<double>::infinity();
    // An end without ignition or marker bits was an edge: it follows edges only.
    const bool edge = (kind & (PickupFlag::kOutputs | PickupFlag::kMarkers)) == 0;
    for (int i = 0; i < m_eventCount; ++i) {
      const PickupEvent& e = m_events[size_t(i)];
      if ((e.flags & PickupFlag::kKindMask) != kind || (edge && e.changed == 0)) continue;
      const double dist = std::fabs(e.pos - pos);
      if (dist < bestDist) {
        bestDist = dist;
        best = e.pos;
      }
    }
    return best;
  };
  r.start = follow(d.start, d.startKind);
  r.end = follow(d.end, d.endKind);
  return r;
}

std::string PickupAnalyzer::rpmLabel() const {
  return format(m_shownSync ? "RPM=%.1f (synchro)" : "RPM=%.1f (no synchro)", m_rpm);
}

std::string PickupAnalyzer::millisecondsText(double degrees) const {
  if (!(m_rpm > 0) || !std::isfinite(m_rpm)) return "---ms";
  return format("%.1fms", degrees * 60000.0 / m_rpm / 360.0);
}

PickupLabel PickupAnalyzer::ignitionLabel(int channel, double pos) const {
  if (!m_shownSync) return {millisecondsText(pos), false};
  char buf[64];
  std::snprintf(buf, sizeof buf, "CH%i=%.1f", channel, pos);
  return {buf, true};
}

PickupLabel PickupAnalyzer::dimensionLabel(const PickupDimension& d) const {
  const double length = std::fabs(d.end - d.start);
  const bool startMarker = (d.startKind & PickupFlag::kMarkers) != 0;
  const bool endMarker = (d.endKind & PickupFlag::kMarkers) != 0;
  // Measured from an edge or an ignition up to a marker: that much before it.
  const bool before = !startMarker && endMarker;
  if (!m_shownSync) return {(before ? "-" : "") + millisecondsText(length), false};
  return {format(before ? "-%.1f" : "%.1f ", length), true};
}

}  // namespace q3
