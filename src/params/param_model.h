// The parameter model the main window owns: the image and its companion
// copies (unit image, saved image, change marks, undo ring), the monitor
// buffer, sanitising, defaults and the unit/PC comparison.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "params/address_map.h"
#include "params/param_image.h"

namespace q3 {

class StatusSink;

// Sanitising: brings an image into its valid ranges (every rule in order).
void sanitizeImage(ParamImage& img);

// Clamp of a run of n elements, the building block of sanitising.
enum class ClampMode { Plain, Ascending, Descending };
enum class ElemWidth { Byte, Word };
void clampRun(ParamImage& img, ElemWidth width, bool isSigned, int base, int n, ClampMode mode,
              int minimum, int maximum, int step);

// Defaults that need no page mask (used by sanitising and the file reader).
void applyPowerOutputFunctionDefaults(ParamImage& img, int output, bool full);
void applyLambdaCurve(ParamImage& img, int sensorType);

// The monitor block: 150 received bytes kept at indices 1..150.
class MonitorBuffer {
 public:
  MonitorBuffer() { clear(); }
  void clear() { m_b.fill(0); }
  // Stores a received block (at most 150 bytes) one index up.
  void storeBlock(const uint8_t* block, int len);
  uint8_t byte(int i) const {
    return (i >= 0 && i < kMonitorBufferLen) ? m_b[static_cast<std::size_t>(i)] : 0;
  }
  void setByte(int i, int v) {
    if (i >= 0 && i < kMonitorBufferLen) m_b[static_cast<std::size_t>(i)] = static_cast<uint8_t>(v);
  }
  // Little-endian word at indices 2w, 2w+1 (w = 0..74).
  uint16_t word(int w) const { return static_cast<uint16_t>(byte(2 * w) | (byte(2 * w + 1) << 8)); }
  uint8_t* data() { return m_b.data(); }
  const uint8_t* data() const { return m_b.data(); }

 private:
  std::array<uint8_t, kMonitorBufferLen> m_b;
};

// One snapshot of the undo history.
struct UndoEntry {
  ParamImage image;
  int page = 0;
};

inline constexpr int kUndoDepth = 200;

// Notifications the model gives its owner. Every one is optional.
struct ParamModelHooks {
  std::function<void()> recordImageChange;  // write the change into a running recording
  std::function<void()> saveSettings;       // after every stored undo snapshot
  std::function<void(bool undoEnabled, bool redoEnabled)> undoRedoState;
  std::function<void(bool modified)> captionChanged;  // after the modified flag was set
  std::function<void()> pagesNeedLayout;              // after defaults were applied
};

class ParamModel {
 public:
  ParamModel();

  // --- image and companion copies ---
  ParamImage& image() { return m_image; }
  const ParamImage& image() const { return m_image; }
  ParamImage& unitImage() { return m_unit; }
  const ParamImage& unitImage() const { return m_unit; }
  bool unitImageValid() const { return m_unitValid; }
  void setUnitImageValid(bool v) { m_unitValid = v; }
  ParamImage& savedImage() { return m_saved; }
  const ParamImage& savedImage() const { return m_saved; }
  void takeImageAsSaved() { m_saved = m_image; }

  // Change marks: one flag per byte.
  bool changeMark(int i) const {
    return i >= 0 && i < kImageSize && m_marks[static_cast<std::size_t>(i)] != 0;
  }
  void setChangeMark(int i) {
    if (i >= 0 && i < kImageSize) m_marks[static_cast<std::size_t>(i)] = 1;
  }
  void clearChangeMarks() { m_marks.fill(0); }
  void clearChangeMarks(int from, int count);
  int changeMarkCount() const;
  const std::array<uint8_t, kImageSize>& changeMarks() const { return m_marks; }

  MonitorBuffer& monitor() { return m_monitor; }
  const MonitorBuffer& monitor() const { return m_monitor; }

  void setHooks(ParamModelHooks h) { m_hooks = std::move(h); }
  ParamModelHooks& hooks() { return m_hooks; }
  void setStatusSink(StatusSink* s) { m_status = s; }

  // --- sanitising ---
  void sanitize() { sanitizeImage(m_image); }

  // --- undo ring ---
  // Compares the image with the current entry, marks differing bytes and,
  // when anything differs, stores a new entry with page. Returns whether the
  // image had changed.
  bool snapshot(int activePage);
  // Clears the ring to one entry (the image with page) and all change marks.
  void resetHistory(int activePage);
  // Moves within the ring; false when there is nothing to undo / redo.
  // On success the image is not touched: call restoreCurrent().
  bool stepBack();
  bool stepForward();
  // Copies the current entry into the image, marking every changed byte.
  // Returns whether any byte changed.
  bool restoreCurrent();
  bool canUndo() const { return m_current != m_oldest; }
  bool canRedo() const { return m_current != m_newest; }
  const UndoEntry& entry(int i) const { return m_ring[static_cast<std::size_t>(i)]; }
  int current() const { return m_current; }
  int oldest() const { return m_oldest; }
  int newest() const { return m_newest; }
  void publishUndoRedoState();

  // --- unit / PC comparison ---
  bool modified() const { return m_modified; }
  void compare();

  // --- defaults ---
  // Page mask: page -1 = all ten pages, 0..9 = that page only.
  void setPageMask(int page);
  bool pageFlag(int page) const {
    return page >= 0 && page < kPageCount && m_mask[static_cast<std::size_t>(page)];
  }
  bool bikeChoiceFlag() const { return m_bikeChoice; }
  void setBikeChoiceFlag(bool v) { m_bikeChoice = v; }

  void applyDefaults(int page);
  void applyGeneralDefaults();  // honours the page mask
  void applyEdgeReset();        // honours the page mask
  void applyBikePreset();       // preset of the bike in byte 170, honours the page mask
  void applyPowerOutputDefaults();

 private:
  ParamImage m_image, m_unit, m_saved;
  bool m_unitValid = false;
  std::array<uint8_t, kImageSize> m_marks{};
  MonitorBuffer m_monitor;
  std::array<UndoEntry, kUndoDepth> m_ring;
  int m_current = 0, m_oldest = 0, m_newest = 0;
  bool m_modified = false;
  std::array<bool, kPageCount> m_mask{};
  bool m_bikeChoice = false;
  ParamModelHooks m_hooks;
  StatusSink* m_status = nullptr;
};

}  // namespace q3
