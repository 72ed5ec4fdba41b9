// Status-message slots: priority, expiry and language re-selection.
#include "base/status_slots.h"

#include <cstring>

#include "text/mstring.h"

namespace q3 {

void StatusSlots::bind(StatusSlotView* view) {
  m_view = view;
  for (int s = 1; s <= kSlots; ++s) {
    m_slots[s].expiry = kNever;
    if (m_view && m_view->hasLabel(s)) m_view->setLabelVisible(s, false);
  }
}

void StatusSlots::showStatus(int slot, const char* mtext, int durationMs, Colour font, Colour back,
                             int priority) {
  if (!valid(slot) || !m_view || !m_view->hasLabel(slot)) return;
  Slot& st = m_slots[slot];
  int current = st.priority;
  if (st.text.empty() || !m_view->labelVisible(slot)) current = -1;
  // A negative priority always wins; otherwise a lower one is refused.
  if (priority >= 0 && priority < current) return;
  st.priority = priority;
  st.text.clear();
  if (!mtext) {
    m_view->setLabelVisible(slot, false);
    return;
  }
  st.text.assign(mtext, mtext + std::strlen(mtext) + 1);
  m_view->setLabelVisible(slot, true);
  m_view->setLabelText(slot, selectText(st.text.data(), -1));
  m_view->setLabelColours(slot, font, back);
  if (durationMs > 0)
    st.expiry = *m_ticks + durationMs / 50;
  else if (durationMs < 0)
    st.expiry = kNever;
}

void StatusSlots::expire() {
  for (int s = 1; s <= kSlots; ++s) {
    Slot& st = m_slots[s];
    if (st.expiry > 0 && st.expiry < *m_ticks) {
      st.expiry = kExpired;
      if (m_view && m_view->hasLabel(s)) m_view->setLabelVisible(s, false);
    }
  }
}

void StatusSlots::reselectLanguage() {
  if (!m_view) return;
  for (int s = 1; s <= kSlots; ++s)
    if (!m_slots[s].text.empty() && m_view->hasLabel(s))
      m_view->setLabelText(s, selectText(m_slots[s].text.data(), -1));
}

void StatusSlots::freeTexts() {
  for (int s = 1; s <= kSlots; ++s) m_slots[s].text.clear();
}

int StatusSlots::priority(int slot) const { return valid(slot) ? m_slots[slot].priority : -1; }
int StatusSlots::expiryTick(int slot) const { return valid(slot) ? m_slots[slot].expiry : kNever; }
bool StatusSlots::hasText(int slot) const { return valid(slot) && !m_slots[slot].text.empty(); }

}  // namespace q3
