// Binding engine: transfer kinds, deferred apply of spin clicks, undo ring,
// undo and redo across pages, the new-document and bike-choice flows.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "params/address_map.h"
#include "params/param_binder.h"
#include "params_fixture.h"

using namespace q3;

namespace {

class FakeControl : public ControlView {
 public:
  explicit FakeControl(std::vector<int> items = {}, int buttons = 0)
      : items(std::move(items)), checked(static_cast<size_t>(buttons), false) {}
  int value() const override { return v; }
  void setValue(int x) override { v = x; }
  int count() const override {
    return checked.empty() ? static_cast<int>(items.size()) : static_cast<int>(checked.size());
  }
  int itemValue(int i) const override { return items[static_cast<size_t>(i)]; }
  bool buttonChecked(int i) const override { return checked[static_cast<size_t>(i)]; }
  void setButtonChecked(int i, bool on) override { checked[static_cast<size_t>(i)] = on; }
  void setText(const std::string& t) override { text = t; }

  int v = 0;
  std::vector<int> items;
  std::vector<bool> checked;
  std::string text;
};

// Ten pages, each a binding table; the window parts are counters.
class FakePages : public PageHost {
 public:
  int activePage() const override { return active; }
  void storePage(int p) override {
    for (auto& b : pages[p]) storeBinding(b, *image);
    ++stores;
  }
  void showPage(int p) override {
    for (auto& b : pages[p]) showBinding(b, *image);
    ++shows;
  }
  void switchToPage(int p) override {
    active = p;
    switches.push_back(p);
    showPage(p);
  }
  bool programAfterChange() const override { return progHned; }
  void requestProgramChanged() override { programTicks.push_back(binder ? binder->tick() : -1); }

  ParamImage* image = nullptr;
  ParamBinder* binder = nullptr;
  std::map<int, std::vector<Binding>> pages;
  int active = 0, stores = 0, shows = 0;
  bool progHned = false;
  std::vector<int> switches, programTicks;
};

struct BinderFixture : ::testing::Test {
  BinderFixture() : binder(model, host, dialogs) {
    host.image = &model.image();
    host.binder = &binder;
    model.image().setByte(ImageByte::Bike, 20);
    model.applyDefaults(-1);
    model.sanitize();
    model.setHooks({.undoRedoState = [this](bool u, bool r) {
      undoEnabled = u;
      redoEnabled = r;
    }});
    host.pages[0] = {{&limiter, TransferKind::SpinByte, ImageByte::Limiter, 0, 100, 0},
                     {&retard, TransferKind::SpinByte, ImageByte::Retard, 0, 1, 0}};
    host.pages[1] = {{&interchange, TransferKind::CheckBox, ImageByte::PickupsInterchange, 0}};
    host.pages[5] = {{&servoEnable, TransferKind::CheckBox, ImageByte::ServoEnable, 0}};
    host.pages[6] = {{&gears, TransferKind::SpinByte, ImageByte::GearCount, 0, 1, 0}};
    host.showPage(0);
    binder.resetHistory();
  }
  void ticks(int n) {
    for (int i = 0; i < n; ++i) binder.timerTick();
  }
  // One spin click on the limiter: the control moves by one increment.
  void limiterClick(int delta) {
    limiter.v += delta;
    binder.upDownClick(&limiter);
  }

  q3test::ScriptedDialogs dialogs;  // the binder's questions
  ParamModel model;
  FakePages host;
  ParamBinder binder;
  FakeControl limiter, retard, interchange, servoEnable, gears;
  bool undoEnabled = true, redoEnabled = true;
};

}  // namespace

TEST(Transfer, ShowAndStoreOfEveryKind) {
  struct Case {
    const char* what;
    TransferKind kind;
    int base, sub, factor, offset;
    std::vector<int> items;
    int buttons;
    int stored;      // byte (or word) in the image
    int shown;       // control value after show (button index for button groups)
    int entered;     // control value the user sets
    int storedBack;  // byte (or word) after store
    // clang-format off
  } cases[] = {
      {"spin x100", TransferKind::SpinByte, ImageByte::Limiter, 0, 100, 0, {}, 0, 150, 15000, 15050,
       150},
      {"spin +100 offset", TransferKind::SpinByte, ImageByte::RpmCorrection, 0, 1, -100, {}, 0, 0,
       -100, -60, 40},
      {"spin signed", TransferKind::SpinByte, ImageByte::RpmPulses, kSignedFlag, 1, 0, {}, 0, 254, -2,
       -1, 255},
      {"spin on a signed word", TransferKind::SpinWord, ImageWord::Proprietary, kSignedFlag, 1, 0, {},
       0, 0xFFFF, -1, -32000, 65536 - 32000},
      {"spin on a word with offset", TransferKind::SpinWord, ImageWord::SpeedPulses, 0, 1, 5, {}, 0,
       1000, 1005, 1, -4 & 0xFFFF},
      {"check box", TransferKind::CheckBox, ImageByte::ServoEnable, 0, 1, 0, {}, 0, 7, 1, 0, 0},
      {"radio group by index", TransferKind::RadioIndex, ImageByte::GearSystem, 0, 1, 0, {0, 1, 2}, 0,
       2, 2, 1, 1},
      {"radio group by value", TransferKind::RadioValue, ImageByte::InputFunction, 0, 1, 0,
       {0, 11, 10, 3}, 0, 10, 2, 3, 3},
      {"radio group by value, no match", TransferKind::RadioValue, ImageByte::InputFunction, 0, 1, 0,
       {0, 11, 10, 3}, 0, 99, -1, -1, 255},
      {"combo box by value", TransferKind::ComboValue, ImageByte::Bike, 0, 1, 0, {255, 20, 39}, 0, 39,
       2, 0, 255},
      {"radio buttons", TransferKind::RadioButtons, ImageByte::DwellMode, 0, 1, 0, {}, 4, 2, 2, 3, 3},
      {"radio buttons, byte out of range", TransferKind::RadioButtons, ImageByte::DwellMode, 0, 1, 0,
       {}, 4, 9, 0, -1, 0},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeControl ctl(c.items, c.buttons);
    const Binding b{&ctl, c.kind, c.base, c.sub, c.factor, c.offset};
    ParamImage img;
    const bool word = c.kind == TransferKind::SpinWord;
    const int index = c.base + (c.sub & kSubIndexMask);
    word ? img.setWord(index, c.stored) : img.setByte(index, c.stored);
    showBinding(b, img);
    if (c.kind == TransferKind::RadioButtons) {
      for (int i = 0; i < c.buttons; ++i) EXPECT_EQ(ctl.checked[i], i == c.shown) << i;
      for (int i = 0; i < c.buttons; ++i) ctl.checked[i] = c.entered >= 0 && i <= c.entered;
    } else {
      EXPECT_EQ(ctl.v, c.shown);
      ctl.v = c.entered;
    }
    if (c.kind == TransferKind::SpinByte || word) EXPECT_EQ(ctl.text, std::to_string(c.shown));
    storeBinding(b, img);
    EXPECT_EQ(word ? img.word(index) : img.byte(index), c.storedBack);
  }
}

TEST_F(BinderFixture, FiveSpinClicksGiveOneSnapshotFiveTicksAfterTheLast) {
  host.progHned = true;
  ticks(3);
  for (int i = 0; i < 5; ++i) {
    limiterClick(100);
    ticks(2);  // well inside the delay
  }
  const int lastClickTick = binder.tick() - 2;
  EXPECT_EQ(model.current(), 0);
  EXPECT_TRUE(binder.pending());
  ticks(2);
  EXPECT_EQ(model.current(), 0);  // 4 ticks after the last click: still waiting
  ticks(1);
  EXPECT_EQ(model.current(), 1);
  EXPECT_FALSE(binder.pending());
  EXPECT_EQ(model.image().byte(ImageByte::Limiter), 115);
  ASSERT_EQ(host.programTicks.size(), 1u);
  EXPECT_EQ(host.programTicks[0], lastClickTick + kSpinApplyDelayTicks);
  ticks(20);
  EXPECT_EQ(model.current(), 1);
  EXPECT_EQ(host.programTicks.size(), 1u);
}

TEST_F(BinderFixture, SpinThenCheckBoxLandInOneEntry) {
  limiterClick(100);
  host.active = 1;  // the check box lives on another page in this fixture's tables
  host.pages[1].push_back({&limiter, TransferKind::SpinByte, ImageByte::Limiter, 0, 100, 0});
  interchange.v = 1;
  binder.checkBoxClick(&interchange);
  EXPECT_FALSE(binder.pending());
  EXPECT_EQ(model.current(), 1);
  EXPECT_EQ(model.image().byte(ImageByte::Limiter), 111);
  EXPECT_EQ(model.image().byte(ImageByte::PickupsInterchange), 1);
  binder.undo();
  EXPECT_EQ(model.image().byte(ImageByte::Limiter), 110);
  EXPECT_EQ(model.image().byte(ImageByte::PickupsInterchange), 0);
}

TEST_F(BinderFixture, ASpinOnAnotherControlAppliesAtOnce) {
  limiterClick(100);
  retard.v = 7;
  binder.upDownClick(&retard);
  EXPECT_FALSE(binder.pending());
  EXPECT_EQ(model.current(), 1);
  EXPECT_EQ(model.image().byte(ImageByte::Retard), 7);
}

TEST_F(BinderFixture, UndoRingAfter250Changes) {
  for (int i = 1; i <= 250; ++i) {
    retard.v = i % 2 ? 20 : 30;  // each apply changes the image
    limiter.v = 1000 + 100 * (i % 150);
    binder.radioGroupClick(&retard);
  }
  EXPECT_TRUE(undoEnabled);
  EXPECT_FALSE(redoEnabled);
  const ParamImage last = model.image();
  int undone = 0;
  while (model.canUndo()) {
    binder.undo();
    ++undone;
  }
  EXPECT_EQ(undone, 199);
  EXPECT_FALSE(undoEnabled);
  EXPECT_TRUE(redoEnabled);
  // The oldest kept state is change 51: limiter 1000 + 100 * 51.
  EXPECT_EQ(model.image().byte(ImageByte::Limiter), (1000 + 100 * 51) / 100);
  const ParamImage oldest = model.image();
  binder.undo();  // the 200th undo does nothing
  EXPECT_EQ(model.image(), oldest);
  for (int i = 0; i < 199; ++i) binder.redo();
  EXPECT_EQ(model.image(), last);
  EXPECT_FALSE(redoEnabled);
}

TEST_F(BinderFixture, ANewChangeAfterUndoDiscardsTheRedoEntries) {
  for (int v : {1, 2, 3}) {
    retard.v = v;
    binder.checkBoxClick(&retard);
  }
  binder.undo();
  binder.undo();
  EXPECT_TRUE(redoEnabled);
  retard.v = 9;
  binder.checkBoxClick(&retard);
  EXPECT_FALSE(redoEnabled);
  binder.redo();
  EXPECT_EQ(model.image().byte(ImageByte::Retard), 9);
  binder.undo();
  EXPECT_EQ(model.image().byte(ImageByte::Retard), 1);
}

TEST_F(BinderFixture, UndoSwitchesBackToThePageOfTheChange) {
  host.switchToPage(5);
  servoEnable.v = 1;
  binder.checkBoxClick(&servoEnable);
  host.switchToPage(6);
  host.switches.clear();
  binder.undo();
  EXPECT_EQ(host.active, 5);
  EXPECT_EQ(host.switches, std::vector<int>{5});
  EXPECT_EQ(model.image().byte(ImageByte::ServoEnable), 0);
  EXPECT_EQ(servoEnable.v, 0);  // the page shows the restored value
  EXPECT_TRUE(model.changeMark(ImageByte::ServoEnable));
  binder.redo();
  EXPECT_EQ(model.image().byte(ImageByte::ServoEnable), 1);
  EXPECT_EQ(host.active, 5);
}

TEST_F(BinderFixture, UndoWithProgramAfterChangeProgramsTheMarkedBytes) {
  retard.v = 3;
  binder.checkBoxClick(&retard);
  EXPECT_TRUE(model.changeMark(ImageByte::Retard));
  EXPECT_EQ(model.changeMarkCount(), 1);
  host.progHned = true;
  binder.undo();
  EXPECT_EQ(host.programTicks.size(), 1u);
}

TEST_F(BinderFixture, SuppressedEventsAndInvisibleEditsDoNothing) {
  {
    ParamBinder::Suppress s(binder);
    retard.v = 5;
    binder.checkBoxClick(&retard);
    binder.upDownClick(&retard);
    binder.comboChange(&retard);
    binder.editEnter(&retard);
  }
  EXPECT_FALSE(binder.pending());
  EXPECT_EQ(model.current(), 0);
  binder.editLostFocus(&retard, false);
  EXPECT_EQ(model.current(), 0);
  binder.editLostFocus(&retard, true);
  EXPECT_EQ(model.current(), 1);
}

TEST_F(BinderFixture, ApplyNowTakesAPendingSpinAlong) {
  limiterClick(-100);
  binder.applyNow();
  EXPECT_FALSE(binder.pending());
  EXPECT_EQ(model.image().byte(ImageByte::Limiter), 109);
  // An apply that changes nothing adds no entry.
  binder.applyNow();
  EXPECT_EQ(model.current(), 1);
}

TEST_F(BinderFixture, ApplySanitisesAndShowsTheResult) {
  limiter.v = 500;  // below the 1000 rpm minimum of the limiter byte
  binder.checkBoxClick(&limiter);
  EXPECT_EQ(model.image().byte(ImageByte::Limiter), 10);
  EXPECT_EQ(limiter.v, 1000);
}

TEST_F(BinderFixture, NewDocumentAsksAndAppliesOnlyOnYes) {
  q3test::ScriptedDialogs& d = dialogs;
  int resets = 0;
  binder.documentReset = [&] { ++resets; };
  model.image().setByte(ImageByte::Limiter, 150);
  model.image().setByte(ImageByte::Retard, 20);
  host.showPage(0);
  for (Answer a : {Answer::No, Answer::Cancel}) {
    d.answers = {a};
    EXPECT_FALSE(binder.newDocument(false));
    EXPECT_EQ(model.image().byte(ImageByte::Limiter), 150);
  }
  EXPECT_TRUE(d.lastWithCancel);
  EXPECT_EQ(d.questions.back(), "Do you want default setting?");
  d.answers = {Answer::Yes};
  host.active = 6;
  model.image().setByte(ImageByte::GearCount, 2);
  host.showPage(6);
  EXPECT_TRUE(binder.newDocument(true));  // the Gear page only
  EXPECT_EQ(model.image().byte(ImageByte::GearCount), 6);
  EXPECT_EQ(model.image().byte(ImageByte::Limiter), 150);
  EXPECT_EQ(resets, 1);
  EXPECT_EQ(model.current(), 1);
  d.answers = {Answer::Yes};
  EXPECT_TRUE(binder.newDocument(false));
  EXPECT_EQ(model.image().byte(ImageByte::Limiter), 110);
  EXPECT_EQ(model.image().byte(ImageByte::Retard), 6);
}

TEST_F(BinderFixture, ChoosingABike) {
  q3test::ScriptedDialogs& d = dialogs;
  model.image().setByte(ImageByte::Limiter, 150);
  struct Case {
    const char* what;
    int bike, pickupSystem;
    Answer answer;
    int wantBike, wantLimiter, wantEdge188, wantQuestions;
    // clang-format off
  } cases[] = {
      {"cancel restores the previous bike", 39, 14, Answer::Cancel, 20, 150, 65, 1},
      {"no writes only the preset", 28, 0, Answer::No, 28, 150, 1, 1},
      {"yes resets every page", 39, 14, Answer::Yes, 39, 110, 198, 1},
      {"special setting asks nothing and keeps the edges", 255, 14, Answer::Yes, 255, 110, 198,
       0},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    d.questions.clear();
    d.answers = {c.answer};
    binder.chooseBike(c.bike, c.pickupSystem);
    EXPECT_EQ(model.image().byte(ImageByte::Bike), c.wantBike);
    EXPECT_EQ(model.image().byte(ImageByte::Limiter), c.wantLimiter);
    EXPECT_EQ(model.image().byte(188), c.wantEdge188);
    EXPECT_EQ(static_cast<int>(d.questions.size()), c.wantQuestions);
  }
  // Bike 28 is the bike-7 trigger system with two lobes per revolution.
  d.answers = {Answer::No};
  binder.chooseBike(28, 0);
  EXPECT_EQ(model.image().byte(ImageByte::LobesPerRev), 2);
  EXPECT_EQ(model.image().byte(189), 129);
  EXPECT_EQ(model.image().byte(195), 65);
}
