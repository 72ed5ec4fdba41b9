// The parameter model: companion copies, undo ring and unit/PC comparison.
#include "params/param_model.h"

#include <algorithm>
#include <cstring>

#include "base/status_sink.h"

namespace q3 {

namespace {
constexpr int wrapNext(int i) { return i == kUndoDepth - 1 ? 0 : i + 1; }
constexpr int wrapPrev(int i) { return i == 0 ? kUndoDepth - 1 : i - 1; }

const char* const kUnitDiffers =
    "###Unit and PC settings are different##Einrichten der Einheit und der PC sind anders"
    "##Nastavení v jednotce a PC se liší";
const char* const kUnitIdentical =
    "###Unit and PC settings are identical##Einrichten des Einheit und der PC ist die gleichen"
    "##Nastavení v jednotce a PC je shodné";
}  // namespace

void MonitorBuffer::storeBlock(const uint8_t* block, int len) {
  len = std::clamp(len, 0, kMonitorBlockLen);
  for (int j = 0; j < len; ++j) m_b[static_cast<std::size_t>(j) + 1] = block[j];
}

ParamModel::ParamModel() { setPageMask(-1); }

void ParamModel::clearChangeMarks(int from, int count) {
  for (int i = std::max(from, 0); i < std::min(from + count, kImageSize); ++i)
    m_marks[static_cast<std::size_t>(i)] = 0;
}

int ParamModel::changeMarkCount() const {
  return static_cast<int>(std::count(m_marks.begin(), m_marks.end(), uint8_t{1}));
}

bool ParamModel::snapshot(int activePage) {
  const uint8_t* now = m_image.data();
  const uint8_t* last = m_ring[static_cast<std::size_t>(m_current)].image.data();
  if (std::memcmp(now, last, kImageSize) == 0) return false;  // the usual apply of no change
  for (int i = 0; i < kImageSize; ++i)
    if (now[i] != last[i]) m_marks[static_cast<std::size_t>(i)] = 1;
  if (m_hooks.recordImageChange) m_hooks.recordImageChange();
  compare();
  m_current = wrapNext(m_current);
  m_newest = m_current;
  if (m_oldest == m_current) m_oldest = wrapNext(m_oldest);
  UndoEntry& e = m_ring[static_cast<std::size_t>(m_current)];
  e.image = m_image;
  e.page = activePage;
  if (m_hooks.saveSettings) m_hooks.saveSettings();
  publishUndoRedoState();
  return true;
}

void ParamModel::resetHistory(int activePage) {
  m_current = m_oldest = m_newest = 0;
  m_ring[0].image = m_image;
  m_ring[0].page = activePage;
  publishUndoRedoState();
  clearChangeMarks();
}

bool ParamModel::stepBack() {
  if (m_current == m_oldest) return false;
  m_current = wrapPrev(m_current);
  return true;
}

bool ParamModel::stepForward() {
  if (m_current == m_newest) return false;
  m_current = wrapNext(m_current);
  return true;
}

bool ParamModel::restoreCurrent() {
  const ParamImage& src = m_ring[static_cast<std::size_t>(m_current)].image;
  bool changed = false;
  for (int i = 0; i < kImageSize; ++i) {
    if (m_image.byte(i) != src.byte(i)) {
      m_image.setByte(i, src.byte(i));
      m_marks[static_cast<std::size_t>(i)] = 1;
      changed = true;
    }
  }
  return changed;
}

void ParamModel::publishUndoRedoState() {
  if (m_hooks.undoRedoState) m_hooks.undoRedoState(canUndo(), canRedo());
}

void ParamModel::compare() {
  m_modified = m_image != m_saved;
  if (m_hooks.captionChanged) m_hooks.captionChanged(m_modified);
  if (!m_status) return;
  if (!m_unitValid) {
    // A negative priority always wins, so the slot is cleared whatever it shows.
    m_status->showStatus(4, nullptr, 0, kKeepColour, kKeepColour, -1);
    return;
  }
  if (m_unit.countDifferences(m_image) > 0)
    m_status->showStatus(4, kUnitDiffers, -1, kBlack, kYellow, 10);
  else
    m_status->showStatus(4, kUnitIdentical, 4000, kBlack, kLime, 10);
}

}  // namespace q3
