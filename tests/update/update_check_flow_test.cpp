// The update check as the window runs it: the tick step, the offer, the
// user's choice, "don't remind", suppression and stopping.
#include "update/update_check_flow.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "text/mstring.h"
#include "text/recording_dialogs.h"
#include "update/http_test_server.h"

namespace {

using q3::UpdateChoice;
using State = q3::UpdateCheckFlow::State;
using q3test::TestHttpServer;

QByteArray offerFile(const char* download) {
  return QByteArray(
             "<product class=\"QUELIN3\" key=\"104\"><recommendation update_number=\"7\">"
             "<english>Seven</english><download>") +
         download + "</download></recommendation></product>";
}

// Records what the feature asks of the window.
struct Window {
  UpdateChoice choice = UpdateChoice::RemindLater;
  bool openSucceeds = true;
  bool jobRunning = false;
  std::vector<std::string> notes;  // "" for a cleared panel
  std::vector<int> offered;
  std::vector<std::string> texts;
  std::vector<QUrl> opened;
  std::vector<int> kept;
  int closed = 0;
  std::function<void()> duringOffer;

  q3::UpdateCheckFlowHooks hooks() {
    q3::UpdateCheckFlowHooks h;
    h.statusNote = [this](const char* t) { notes.push_back(t ? t : ""); };
    h.showOffer = [this](const q3::PatchOffer& o) {
      offered.push_back(o.updateNumber);
      texts.push_back(o.text);
      if (duringOffer) duringOffer();
      return choice;
    };
    h.openLink = [this](const QUrl& u) {
      opened.push_back(u);
      return openSucceeds;
    };
    h.unitJobRunning = [this] { return jobRunning; };
    h.closeProgram = [this] { ++closed; };
    h.keepDeclined = [this](int n) { kept.push_back(n); };
    return h;
  }
};

q3::UpdateCheckFlowConfig configFor(const TestHttpServer& server) {
  q3::UpdateCheckFlowConfig c;
  c.server = server.url();
  c.buildDate = "2022_06_21";
  c.timeLimitMs = 1000;
  return c;
}

// Ticks the way the main timer does (TMR + 50 each) until the check is
// handled; returns the last TMR.
int32_t runUntilHandled(q3::UpdateCheckFlow& f, int32_t tmr = 0) {
  q3test::spinUntil([&] {
    f.tick(tmr += 50);
    return f.state() == State::Handled || f.state() == State::Stopped;
  });
  return tmr;
}

TEST(UpdateCheckFlow, StartsOnceAfterTwoSecondsAndClearsItsNote) {
  TestHttpServer server;
  server.answer(404, "gone");
  Window w;
  q3::UpdateCheckFlow f(configFor(server), w.hooks());
  f.tick(2000);
  EXPECT_EQ(f.state(), State::Idle);
  f.tick(2050);
  EXPECT_EQ(f.state(), State::Requested);
  EXPECT_EQ(w.notes, std::vector<std::string>{q3::kTryingUpdatesText});
  int32_t tmr = runUntilHandled(f, 2050);
  EXPECT_EQ(w.notes.back(), "");
  EXPECT_TRUE(w.offered.empty());
  // Once per run.
  for (int i = 0; i < 10; ++i) f.tick(tmr += 50);
  q3test::spinUntil([] { return false; }, 200);
  EXPECT_EQ(server.connections(), 1);
}

TEST(UpdateCheckFlow, NoOfferOutcomesClearTheNoteAndShowNothing) {
  struct Case {
    const char* name;
    TestHttpServer::Mode mode;
    int status;
    QByteArray body;
    q3::UpdateOutcome outcome;
  };
  const Case cases[] = {
      {"404", TestHttpServer::Mode::Answer, 404, offerFile("x"), q3::UpdateOutcome::NoOffer},
      {"malformed", TestHttpServer::Mode::Answer, 200, "<product", q3::UpdateOutcome::NoOffer},
      {"silent server", TestHttpServer::Mode::Silent, 0, "", q3::UpdateOutcome::TimedOut},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestHttpServer server;
    server.answer(c.status, c.body);
    server.setMode(c.mode);
    Window w;
    q3::UpdateCheckFlow f(configFor(server), w.hooks());
    runUntilHandled(f);
    ASSERT_TRUE(f.result());
    EXPECT_EQ(f.result()->outcome, c.outcome);
    EXPECT_TRUE(w.offered.empty());
    EXPECT_EQ(w.notes, (std::vector<std::string>{q3::kTryingUpdatesText, ""}));
  }
  // No listener at all.
  Window w;
  q3::UpdateCheckFlowConfig cfg;
  cfg.server = QUrl(QString("http://127.0.0.1:%1").arg(q3test::closedPort()));
  cfg.buildDate = "2022_06_21";
  q3::UpdateCheckFlow f(cfg, w.hooks());
  runUntilHandled(f);
  EXPECT_EQ(f.result()->outcome, q3::UpdateOutcome::Unreachable);
  EXPECT_EQ(w.notes.back(), "");
}

TEST(UpdateCheckFlow, TheUsersChoice) {
  struct Case {
    const char* name;
    UpdateChoice choice;
    const char* download;
    bool openSucceeds, jobRunning;
    std::vector<int> kept;
    const char* message;  // the box after a download, or nullptr
    int closed;
  };
  const Case cases[] = {
      {"remind later", UpdateChoice::RemindLater, "/q3-setup.exe", true, false, {}, nullptr, 0},
      {"don't remind", UpdateChoice::DontRemind, "/q3-setup.exe", true, false, {7}, nullptr, 0},
      {"download an installer",
       UpdateChoice::Download,
       "/q3-setup.exe",
       true,
       false,
       {},
       "After downloading run new installer.",
       1},
      {"download a program",
       UpdateChoice::Download,
       "/quelin3.zip",
       true,
       false,
       {},
       "After downloading store new version to suitable location instead of current version.",
       1},
      {"opening the link failed",
       UpdateChoice::Download,
       "/q3-setup.exe",
       false,
       false,
       {},
       nullptr,
       0},
      {"a unit job is running",
       UpdateChoice::Download,
       "/q3-setup.exe",
       true,
       true,
       {},
       "After downloading run new installer.",
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestHttpServer server;
    const QByteArray link = server.url().toString().toUtf8() + c.download;
    server.answer(200, offerFile(link.constData()));
    Window w;
    w.choice = c.choice;
    w.openSucceeds = c.openSucceeds;
    w.jobRunning = c.jobRunning;
    q3test::RecordingDialogs boxes;
    q3::UpdateCheckFlowHooks hooks = w.hooks();
    hooks.dialogs = &boxes;
    q3::UpdateCheckFlow f(configFor(server), hooks);
    runUntilHandled(f);
    EXPECT_EQ(w.offered, std::vector<int>{7});
    EXPECT_EQ(w.kept, c.kept);
    EXPECT_EQ(f.declinedNumber(), c.kept.empty() ? 0 : 7);
    if (c.choice == UpdateChoice::Download) EXPECT_EQ(w.opened, std::vector<QUrl>{QUrl(link)});
    ASSERT_EQ(boxes.boxes.size(), c.message ? 1u : 0u);
    if (c.message) {
      EXPECT_EQ(boxes.boxes[0].title, "Downloading");
      EXPECT_EQ(boxes.boxes[0].text, c.message);
    }
    EXPECT_EQ(w.closed, c.closed);
    EXPECT_EQ(w.notes.back(), "");
  }
}

TEST(UpdateCheckFlow, ADeclinedNumberFromTheSettingsHidesTheOffer) {
  TestHttpServer server;
  server.answer(200, offerFile("/x"));
  Window w;
  q3::UpdateCheckFlowConfig cfg = configFor(server);
  cfg.declinedNumber = 7;
  q3::UpdateCheckFlow f(cfg, w.hooks());
  runUntilHandled(f);
  EXPECT_EQ(f.result()->evaluation.verdict, q3::PatchVerdict::Declined);
  EXPECT_TRUE(w.offered.empty());
  EXPECT_EQ(w.notes.back(), "");
}

TEST(UpdateCheckFlow, TheOfferSpeaksTheLanguageOfTheMomentItIsShown) {
  TestHttpServer server;
  server.answer(200,
                "<product class=\"QUELIN3\" key=\"104\"><recommendation update_number=\"3\">"
                "<english>Three</english><czech>Tři</czech></recommendation></product>");
  Window w;
  q3::setLanguage(0);
  q3::UpdateCheckFlow f(configFor(server), w.hooks());
  f.tick(2050);
  ASSERT_TRUE(q3test::spinUntil([&] { return f.state() == State::AnswerReady; }));
  q3::setLanguage(2);  // changed while the answer was on its way
  f.tick(2100);
  q3::setLanguage(0);
  EXPECT_EQ(w.texts, std::vector<std::string>{"Tři"});
}

TEST(UpdateCheckFlow, TicksWhileTheWindowIsOpenDoNotOfferAgain) {
  TestHttpServer server;
  server.answer(200, offerFile("/x"));
  Window w;
  q3::UpdateCheckFlow* feature = nullptr;
  w.duringOffer = [&] {
    for (int i = 0; i < 5; ++i) feature->tick(100000 + i * 50);
  };
  q3::UpdateCheckFlow f(configFor(server), w.hooks());
  feature = &f;
  runUntilHandled(f);
  EXPECT_EQ(w.offered.size(), 1u);
  EXPECT_EQ(server.connections(), 1);
}

TEST(UpdateCheckFlow, SuppressedMakesNoConnection) {
  TestHttpServer server;
  server.answer(200, offerFile("/x"));
  Window w;
  q3::UpdateCheckFlowConfig cfg = configFor(server);
  cfg.suppressed = true;
  q3::UpdateCheckFlow f(cfg, w.hooks());
  int32_t tmr = 0;
  for (int i = 0; i < 100; ++i) f.tick(tmr += 50);
  q3test::spinUntil([] { return false; }, 300);
  EXPECT_EQ(server.connections(), 0);
  EXPECT_EQ(f.state(), State::Idle);
  EXPECT_TRUE(w.notes.empty());
}

TEST(UpdateCheckFlow, StopDuringTheRequest) {
  TestHttpServer server;
  server.setMode(TestHttpServer::Mode::Silent);
  Window w;
  {
    q3::UpdateCheckFlow f(configFor(server), w.hooks());
    f.tick(2050);
    ASSERT_TRUE(q3test::spinUntil([&] { return server.requests() == 1; }));
    f.stop();
    EXPECT_EQ(f.state(), State::Stopped);
    EXPECT_EQ(w.notes.back(), "");
    f.tick(5000);
    EXPECT_EQ(f.state(), State::Stopped);
  }
  EXPECT_TRUE(q3test::spinUntil([&] { return server.openSockets() == 0; }, 5000));
  // Destroyed without stop() while the request runs: just as clean.
  {
    q3::UpdateCheckFlow f(configFor(server), w.hooks());
    f.tick(2050);
    ASSERT_TRUE(q3test::spinUntil([&] { return server.requests() == 2; }));
  }
  EXPECT_TRUE(q3test::spinUntil([&] { return server.openSockets() == 0; }, 5000));
  EXPECT_TRUE(w.offered.empty());
}

}  // namespace
