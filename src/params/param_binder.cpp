// Binding engine: transfers, deferred apply, apply sequence, undo and redo,
// new document and bike choice.
#include "params/param_binder.h"

#include <cstdio>

#include "params/address_map.h"
#include "text/mstring.h"
#include "text/user_dialogs.h"

namespace q3 {

namespace {
const char* const kAskDefaults =
    "###Do you want default setting?##Wollen Sie Standardeinstellungen öffnen?"
    "##Chcete nastavit základní hodnoty?";
const char* const kConfirmTitle = "###Confirm##Bestätigen##Potvrzení";

// Index of the list item whose attached value equals v, -1 when none.
int itemWithValue(const ControlView& c, int v) {
  for (int i = 0; i < c.count(); ++i)
    if (c.itemValue(i) == v) return i;
  return -1;
}
}  // namespace

void showBinding(const Binding& b, const ParamImage& img) {
  ControlView& c = *b.control;
  switch (b.kind) {
    case TransferKind::SpinByte:
    case TransferKind::SpinWord: {
      const int pos = b.kind == TransferKind::SpinByte
                          ? img.scaledByte(b.base, b.sub, b.factor, b.offset)
                          : img.readWordElement(b.base, b.sub) + b.offset;
      c.setValue(pos);
      char text[16];
      std::snprintf(text, sizeof text, "%i", pos);
      c.setText(text);
      break;
    }
    case TransferKind::CheckBox:
      c.setValue(img.readByteElement(b.base, b.sub) != 0 ? 1 : 0);
      break;
    case TransferKind::RadioIndex:
      c.setValue(img.readByteElement(b.base, b.sub));
      break;
    case TransferKind::RadioValue:
    case TransferKind::ComboValue:
      c.setValue(itemWithValue(c, img.readByteElement(b.base, b.sub)));
      break;
    case TransferKind::RadioButtons: {
      int sel = img.readByteElement(b.base, b.sub);
      if (sel < 0 || sel >= c.count()) sel = 0;
      for (int i = 0; i < c.count(); ++i) c.setButtonChecked(i, i == sel);
      break;
    }
  }
}

void storeBinding(const Binding& b, ParamImage& img) {
  const ControlView& c = *b.control;
  switch (b.kind) {
    case TransferKind::SpinByte:
      img.storeScaledByte(b.base, b.sub, b.factor, b.offset, c.value());
      break;
    case TransferKind::SpinWord:
      img.writeWordElement(b.base, b.sub, c.value() - b.offset);
      break;
    case TransferKind::CheckBox:
      img.writeByteElement(b.base, b.sub, c.value() != 0 ? 1 : 0);
      break;
    case TransferKind::RadioIndex:
      img.writeByteElement(b.base, b.sub, c.value());
      break;
    case TransferKind::RadioValue:
    case TransferKind::ComboValue: {
      const int i = c.value();
      img.writeByteElement(b.base, b.sub, i >= 0 && i < c.count() ? c.itemValue(i) : -1);
      break;
    }
    case TransferKind::RadioButtons: {
      int last = 0;
      for (int i = 0; i < c.count(); ++i)
        if (c.buttonChecked(i)) last = i;
      img.writeByteElement(b.base, b.sub, last);
      break;
    }
  }
}

ParamBinder::ParamBinder(ParamModel& model, PageHost& host, UserDialogs& dialogs)
    : m_model(model), m_host(host), m_dialogs(dialogs) {}

void ParamBinder::editLostFocus(const void* edit, bool visible) {
  if (!suppressed() && visible) notify(edit, NotifyKind::AtOnce);
}

void ParamBinder::editEnter(const void* edit) {
  if (!suppressed()) notify(edit, NotifyKind::AtOnce);
}

void ParamBinder::upDownClick(const void* upDown) {
  if (!suppressed()) notify(upDown, NotifyKind::Spin);
}

void ParamBinder::radioGroupClick(const void* group) {
  if (!suppressed()) notify(group, NotifyKind::AtOnce);
}

void ParamBinder::checkBoxClick(const void* box) {
  if (!suppressed()) notify(box, NotifyKind::AtOnce);
}

void ParamBinder::comboChange(const void* combo) {
  if (suppressed()) return;
  notify(combo, NotifyKind::AtOnce);
  m_host.focusProgramAfterChange();
}

void ParamBinder::notify(const void* control, NotifyKind kind) {
  if (m_pending && m_pending != control) kind = NotifyKind::AtOnce;
  m_pending = control;
  if (kind != m_pendingKind && m_pendingKind != NotifyKind::AtOnce)
    kind = NotifyKind::AtOnce;
  else
    m_deadline = m_tick + kSpinApplyDelayTicks;
  m_pendingKind = kind;
  if (kind == NotifyKind::AtOnce) {
    m_pending = nullptr;
    m_pendingKind = NotifyKind::AtOnce;
    m_deadline = 0;
    apply();
  }
}

void ParamBinder::timerTick() {
  ++m_tick;
  if (m_pending && m_tick >= m_deadline) notify(m_pending, NotifyKind::AtOnce);
}

// The binder itself stands for the main window: never a pending control, so
// the apply always runs and takes any pending change along.
void ParamBinder::applyNow() { notify(this, NotifyKind::AtOnce); }

void ParamBinder::applyPending() {
  if (m_pending) notify(m_pending, NotifyKind::AtOnce);
}

void ParamBinder::apply() {
  const int page = m_host.activePage();
  m_host.storePage(page);
  m_model.sanitize();
  {
    Suppress s(*this);
    m_host.showPage(page);
  }
  if (snapshot() && m_host.programAfterChange()) m_host.requestProgramChanged();
}

bool ParamBinder::snapshot() { return m_model.snapshot(m_host.activePage()); }

void ParamBinder::undo() {
  const int undone = m_model.current();
  if (m_model.stepBack()) restore(undone);
}

void ParamBinder::redo() {
  if (m_model.stepForward()) restore(m_model.current());
}

void ParamBinder::restore(int sourceEntry) {
  const bool changed = m_model.restoreCurrent();
  {
    Suppress s(*this);
    m_host.showPage(m_host.activePage());
    // Undo and redo bring back the page on which the change was made.
    if (m_model.entry(m_model.current()).page != m_host.activePage()) {
      m_host.switchToPage(m_model.entry(sourceEntry).page);
      m_host.showPage(m_host.activePage());
    }
  }
  m_model.publishUndoRedoState();
  if (m_host.programAfterChange() && changed) m_host.requestProgramChanged();
  m_model.compare();
  m_host.focusProgramAfterChange();
}

void ParamBinder::resetHistory() { m_model.resetHistory(m_host.activePage()); }

bool ParamBinder::newDocument(bool activePageOnly) {
  const int page = activePageOnly ? m_host.activePage() : -1;
  if (m_dialogs.ask(ml(kConfirmTitle), ml(kAskDefaults), true) != Answer::Yes) return false;
  m_model.applyDefaults(page);
  {
    Suppress s(*this);
    m_host.showPage(m_host.activePage());
  }
  applyNow();
  if (documentReset) documentReset();
  return true;
}

Answer ParamBinder::chooseBike(int bike, int pickupSystem) {
  ParamImage& img = m_model.image();
  const int previous = img.byte(ImageByte::Bike);
  img.setByte(ImageByte::Bike, bike);
  const Answer a =
      bike == 255 ? Answer::No : m_dialogs.ask(ml(kConfirmTitle), ml(kAskDefaults), true);
  if (a != Answer::Yes && a != Answer::No) {
    img.setByte(ImageByte::Bike, previous);
    Suppress s(*this);
    m_host.showPage(m_host.activePage());
    return Answer::Cancel;
  }
  img.setByte(ImageByte::PickupSystem, pickupSystem);
  m_model.setBikeChoiceFlag(true);
  m_model.setPageMask(-1);
  m_model.applyEdgeReset();
  if (a == Answer::Yes) {
    m_model.applyDefaults(-1);
    {
      Suppress s(*this);
      m_host.showPage(m_host.activePage());
    }
    applyNow();
    if (documentReset) documentReset();
  }
  m_model.applyBikePreset();
  {
    Suppress s(*this);
    m_host.showPage(m_host.activePage());
  }
  applyNow();
  return a;
}

}  // namespace q3
