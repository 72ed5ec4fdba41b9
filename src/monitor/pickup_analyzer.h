// PickupAnalyzer: the pickup monitor's engine without its window. It takes the
// sample blocks into the ring, turns the newest one into the picture's data
// (ignition period, engine speed, the event list in degrees over three periods
// with the markers of 0 and P) and keeps the measuring lines ("dimensions")
// the user draws between edges. The window PickupScopeWindow only paints what this
// object holds; the command-line tool prints the same analysis.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "monitor/pickup_block.h"
#include "monitor/pickup_view.h"

namespace q3 {

// Event flag bits: the sample's bits 24..31 as bits 0..7, and the markers.
struct PickupFlag {
  static constexpr uint32_t kPhase = 0x3;
  static constexpr uint32_t kSignal1 = 0x4;
  static constexpr uint32_t kSignal2 = 0x8;
  static constexpr uint32_t kSignals = 0xC;
  static constexpr uint32_t kOutputs = 0xF0;
  static constexpr uint32_t kMarker0 = 0x100;  // position 0
  static constexpr uint32_t kMarkerP = 0x200;  // position P
  static constexpr uint32_t kMarkers = 0x300;
  static constexpr uint32_t kKindMask = 0x3FC;  // what a dimension end remembers
};

struct PickupEvent {
  double pos = 0;        // degrees
  uint32_t flags = 0;    // PickupFlag bits
  uint32_t changed = 0;  // signal bits (kSignal1, kSignal2) that changed at this sample
};

// A measuring line between two events.
struct PickupDimension {
  double start = 0;  // degrees
  double end = 0;
  int y = 0;               // screen row it was drawn at
  uint32_t startKind = 0;  // event flags & kKindMask
  uint32_t endKind = 0;
};

enum class PickupAnalysis {
  NoSamples,          // nothing new in the ring
  TooFewTransitions,  // fewer than four phase changes: the ring stays unread
  BadInterval,        // a period of zero length (equal time stamps): block dropped
  Done,
};

// A label: its text and whether a small circle follows it as the degree sign.
struct PickupLabel {
  std::string text;
  bool degree = false;
};

class PickupAnalyzer {
 public:
  static constexpr int kMaxEvents = 600;  // including the two markers
  static constexpr int kMaxDimensions = 10;

  // --- blocks ---
  // Hands a block over: its samples go into the ring (only they will be
  // analysed next). A change of the block state clears the events and the
  // dimensions: the picture of the other state no longer applies.
  void handOver(const PickupBlock& block);
  // The state of the newest block, and of the picture shown (both true at first).
  bool blockSynchronised() const { return m_blockSync; }
  bool synchronised() const { return m_shownSync; }

  // The analysis of the samples handed over since the last one.
  PickupAnalysis analyse();
  // Shows one block at once (a capture opened from a file): hand-over and analysis.
  PickupAnalysis show(const PickupBlock& block);

  // --- the picture ---
  double rpm() const { return m_rpm; }
  int period() const { return m_period; }
  double rangeStart() const { return m_rangeStart; }
  double rangeEnd() const { return m_rangeEnd; }
  double rangeSpan() const { return m_rangeEnd - m_rangeStart; }
  // Every event: the samples in time order, then the markers of 0 and P.
  std::span<const PickupEvent> events() const { return {m_events.data(), size_t(m_eventCount)}; }
  // The samples' events only (the traces end where the markers begin).
  int sampleEventCount() const { return m_eventCount >= 2 ? m_eventCount - 2 : 0; }
  // Whether signal 2 changes anywhere in the picture.
  bool signal2Changes() const;
  // The block behind the picture (for saving and export).
  const PickupBlock& shownBlock() const { return m_shown; }
  const PickupRing& ring() const { return m_ring; }

  // Set when the picture changed; the window clears it when it has redrawn.
  bool redrawPending() const { return m_redraw; }
  void requestRedraw() { m_redraw = true; }
  void clearRedraw() { m_redraw = false; }

  // --- dimensions ---
  std::span<const PickupDimension> dimensions() const {
    return {m_dims.data(), size_t(m_dimCount)};
  }
  // The dimension a left-button drag from (xs, ys) to (xe, ye) describes in
  // the view, snapped to events; nothing when its ends coincide or nothing
  // matches.
  std::optional<PickupDimension> dragDimension(const PickupView& view, int xs, int ys, int xe,
                                               int ye) const;
  // Keeps a dimension; false when ten are kept already (it is dropped).
  bool commitDimension(const PickupDimension& d);
  void removeDimension(int index);
  void clearDimensions();
  // The dimension's ends moved to the nearest events of the same kind, so it
  // follows the signal from block to block.
  PickupDimension resolve(const PickupDimension& d) const;

  // --- texts ---
  // "RPM=%.1f (synchro)" or "RPM=%.1f (no synchro)".
  std::string rpmLabel() const;
  // The label of channel (1..4) fired at pos.
  PickupLabel ignitionLabel(int channel, double pos) const;
  // The text over a (resolved) dimension.
  PickupLabel dimensionLabel(const PickupDimension& resolved) const;
  // An angle in degrees as time at the measured speed, "%.1fms".
  std::string millisecondsText(double degrees) const;

 private:
  int nearestEvent(const PickupView& view, int x, uint32_t mask, int direction,
                   double beyond) const;
  void clearPicture();

  PickupRing m_ring;
  PickupBlock m_pending;  // state, selector and speed of the newest block (no samples)
  PickupBlock m_shown;
  bool m_blockSync = true;
  bool m_shownSync = true;
  bool m_redraw = false;
  double m_rpm = 0;
  double m_rangeStart = -180;
  double m_rangeEnd = 540;
  int m_period = 360;
  std::array<PickupEvent, kMaxEvents> m_events{};
  int m_eventCount = 0;
  std::array<PickupDimension, kMaxDimensions> m_dims{};
  int m_dimCount = 0;
  std::vector<int64_t> m_times;  // unwrapped time stamps of the analysed samples
};

}  // namespace q3
