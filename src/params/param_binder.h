// The binding engine under all setting pages: transfer of a control to and
// from an image element, the deferred apply that groups rapid spin clicks into
// one change, the apply sequence, undo and redo, and the new-document and
// bike-choice flows. Controls and pages are reached through small interfaces,
// so all of it runs without widgets.
#pragma once

#include <functional>
#include <string>

#include "params/param_model.h"
#include "text/user_dialogs.h"

namespace q3 {

// A control as the binding engine sees it. The widget side implements it.
class ControlView {
 public:
  virtual ~ControlView() = default;
  // Spin edit: position. Check box: 0/1. Radio group, combo box: selected
  // item index, -1 when none.
  virtual int value() const = 0;
  virtual void setValue(int v) = 0;
  // Number of items (lists) or buttons (groups of radio buttons).
  virtual int count() const { return 0; }
  // The value attached to item i of a list.
  virtual int itemValue(int i) const { return i; }
  // Group of radio buttons.
  virtual bool buttonChecked(int i) const { return false; }
  virtual void setButtonChecked(int i, bool on) {}
  // The text edit beside a spin button.
  virtual void setText(const std::string& text) {}
};

enum class TransferKind {
  SpinByte,      // position = f * (byte + o), or o + f * byte when signed
  SpinWord,      // position = word + o
  CheckBox,      // checked when the byte is not 0
  RadioIndex,    // item index = byte
  RadioValue,    // the item whose value equals the byte
  ComboValue,    // the same as RadioValue
  RadioButtons,  // button i checked exactly when i equals the byte
};

struct Binding {
  ControlView* control = nullptr;
  TransferKind kind = TransferKind::SpinByte;
  int base = 0;
  int sub = 0;  // may carry kSignedFlag
  int factor = 1;
  int offset = 0;
};

// Image to control, and control to image.
void showBinding(const Binding& b, const ParamImage& img);
void storeBinding(const Binding& b, ParamImage& img);

// The pages and the window parts the binding engine drives.
class PageHost {
 public:
  virtual ~PageHost() = default;
  virtual int activePage() const = 0;
  // Reads the page's controls into the image.
  virtual void storePage(int page) = 0;
  // Sets the page's controls from the image, then the general refresh.
  virtual void showPage(int page) = 0;
  // Makes page the active one and runs the page-changed reaction.
  virtual void switchToPage(int page) = 0;
  // The state of CheckBoxProgHned (program after change).
  virtual bool programAfterChange() const = 0;
  // Starts the programming of the bytes that carry change marks.
  virtual void requestProgramChanged() = 0;
  // Moves the focus to CheckBoxProgHned.
  virtual void focusProgramAfterChange() {}
};

enum class NotifyKind { AtOnce, Spin };

// Ticks between the last spin click and its apply.
inline constexpr int kSpinApplyDelayTicks = 5;

class ParamBinder {
 public:
  // dialogs: where the defaults question is asked.
  ParamBinder(ParamModel& model, PageHost& host, UserDialogs& dialogs);

  ParamModel& model() { return m_model; }

  // While set, control events do nothing (the program itself sets controls).
  bool suppressed() const { return m_suppress > 0; }
  class Suppress {
   public:
    explicit Suppress(ParamBinder& b) : m_b(b) { ++m_b.m_suppress; }
    ~Suppress() { --m_b.m_suppress; }
    Suppress(const Suppress&) = delete;
    Suppress& operator=(const Suppress&) = delete;

   private:
    ParamBinder& m_b;
  };

  // Control events (each does nothing while suppressed).
  void editLostFocus(const void* edit, bool visible);
  void editEnter(const void* edit);
  void upDownClick(const void* upDown);
  void radioGroupClick(const void* group);
  void checkBoxClick(const void* box);
  void comboChange(const void* combo);

  // The deferred apply.
  void notify(const void* control, NotifyKind kind);
  void timerTick();
  void applyNow();
  // A pending spin change applied at once (before a page change, a command
  // or closing takes over); nothing when none is pending.
  void applyPending();
  void apply();
  bool pending() const { return m_pending != nullptr; }
  int tick() const { return m_tick; }

  bool snapshot();
  void undo();
  void redo();
  void resetHistory();

  // New document (MenuNew / MenuNewPage): asks, applies the defaults of all
  // pages or of the active page and commits them as an edit. Returns whether
  // the defaults were applied.
  bool newDocument(bool activePageOnly);
  // The bike list's choice: bike into byte 170, the question, the preset.
  // pickupSystem is the pickup-system list's value. Returns the answer.
  Answer chooseBike(int bike, int pickupSystem);

  // Called after defaults were applied by newDocument: the status line is
  // reset, there is no current file, the history is told so.
  std::function<void()> documentReset;

 private:
  void restore(int sourceEntry);

  ParamModel& m_model;
  PageHost& m_host;
  UserDialogs& m_dialogs;
  int m_suppress = 0;
  const void* m_pending = nullptr;
  NotifyKind m_pendingKind = NotifyKind::AtOnce;
  int m_deadline = 0;
  int m_tick = 0;
};

}  // namespace q3
