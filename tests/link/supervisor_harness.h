// In-process fixture for the search and the supervisor: the real engine,
// search and supervisor on an in-memory line, driven tick by tick with the
// engine passes and port steps run in the test thread, against a small
// family B (150 data bytes) unit whose faults the tests script.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/app_clock.h"
#include "link/memory_device.h"
#include "link/operation_status.h"
#include "link/protocol_engine.h"
#include "link/supervisor.h"
#include "params/param_model.h"
#include "text/user_dialogs.h"

namespace q3test {

// A unit speaking protocol 3150 on the far side of a MemoryLine.
struct FakeUnit {
  uint8_t mem[1050]{};
  uint8_t ident[150]{};
  uint8_t monitor[150]{};
  uint8_t command[150]{};
  int typeKey = 104;
  bool silent = false;
  bool echo = false;
  int storing = 0;            // reported as monitor word 8, counted down per poll
  int storingAfterWrite = 0;  // storing work started by each write
  std::map<int, int> reads;   // block -> read requests (0 = identification block)
  std::map<int, int> writes;  // block -> write requests
  int polls = 0;
  int resets = 0;
  // Called before a read of block b (1..7) is answered: lets a test change memory.
  std::function<void(int block)> beforeRead;
  // The next damagedWrites answers to writes of block damagedBlock go out
  // with a spoilt check (a noisy line).
  int damagedBlock = -1;
  int damagedWrites = 0;

  FakeUnit() {
    ident[0] = 'Q', ident[1] = 'L', ident[2] = 'N', ident[3] = 3;
    ident[4] = 21, ident[5] = 45, ident[6] = 22, ident[7] = 10, ident[8] = 30;
    ident[10] = 104, ident[11] = 0;
    monitor[149] = 104;  // version major at monitor index 150, minor 0 at 149
    // A consistent image, so that a PC image equal to it stays equal when sanitised.
    q3::ParamImage img;
    for (int i = 0; i < 1050; ++i) img.setByte(i, i * 7 + 3);
    q3::sanitizeImage(img);
    std::memcpy(mem, img.data(), 1050);
  }

  void onHostBytes(const uint8_t* d, int n, q3::MemoryLine& line) {
    if (echo) {
      line.peerWrite(d, n);
      return;
    }
    m_in.insert(m_in.end(), d, d + n);
    while (m_in.size() >= 152) {
      std::vector<uint8_t> f(m_in.begin(), m_in.begin() + 152);
      uint8_t x = 0;
      for (uint8_t b : f) x ^= b;
      if (x != 0xFF || (f[0] & 0x80)) {  // out of step: slide on by one byte
        m_in.erase(m_in.begin());
        continue;
      }
      m_in.erase(m_in.begin(), m_in.begin() + 152);
      if (!silent) answer(f, line);
    }
  }

  void answer(const std::vector<uint8_t>& f, q3::MemoryLine& line) {
    uint8_t out[152]{};
    const uint8_t op = f[0] & 0xF0, block = f[0] & 0x0F;
    const uint8_t* data = f.data() + 1;
    out[0] = f[0] | 0x80;
    if (op == q3::kOpMonitor) {
      ++polls;
      monitor[15] = static_cast<uint8_t>(storing);
      monitor[16] = static_cast<uint8_t>(storing >> 8);
      if (storing > 0) storing = std::max(0, storing - 700);
      std::memcpy(out + 1, monitor, 150);
      out[150] = static_cast<uint8_t>(typeKey);
    } else if (op == q3::kOpRead) {
      ++reads[block];
      if (block == 0) {
        std::memcpy(out + 1, ident, 150);
      } else {
        if (beforeRead) beforeRead(block);
        std::memcpy(out + 1, mem + (block - 1) * 150, 150);
      }
    } else if (op == q3::kOpWrite) {
      if (block == 0) {
        std::memcpy(command, data, 150);
        ++resets;
      } else {
        ++writes[block];
        std::memcpy(mem + (block - 1) * 150, data, 150);
        storing = storingAfterWrite;
      }
      std::memcpy(out + 1, data, 150);
    } else {
      return;
    }
    out[151] = q3::checkB(out, 151);
    if (op == q3::kOpWrite && block == damagedBlock && damagedWrites > 0) {
      --damagedWrites;
      out[151] ^= 0x5A;
    }
    line.peerWrite(out, 152);
  }

 private:
  std::vector<uint8_t> m_in;
};

// What the status slots were asked to show (English version of each text).
struct StatusRecord : q3::StatusSink {
  struct Entry {
    int slot;
    std::string text;
    q3::Colour back;
    int priority;
  };
  std::vector<Entry> entries;
  void showStatus(int slot, const char* mtext, int, q3::Colour, q3::Colour back,
                  int priority) override {
    std::string t;
    if (mtext) {
      t = mtext;
      if (t.rfind("###", 0) == 0) t = t.substr(3, t.find("##", 3) - 3);
    }
    entries.push_back({slot, t, back, priority});
  }
  bool shown(int slot, const std::string& text) const {
    for (const auto& e : entries)
      if (e.slot == slot && e.text == text) return true;
    return false;
  }
  const Entry* last(int slot) const {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
      if (it->slot == slot && !it->text.empty()) return &*it;
    return nullptr;
  }
};

struct DialogRecord : q3::UserDialogs {
  std::vector<std::string> messages;
  int asks = 0;
  q3::Answer reply = q3::Answer::Yes;
  void message(const std::string&, const std::string& text, q3::DialogKind) override {
    messages.push_back(text);
  }
  q3::Answer ask(const std::string&, const std::string&, bool) override {
    ++asks;
    return reply;
  }
};

class LinkHarness {
 public:
  explicit LinkHarness(const std::vector<std::string>& devices = {"/dev/fake0"})
      : com(clock, false), sup(com, model, clock, dialogs), view(sup, &status) {
    m_prevDialogs = q3::setDialogs(&dialogs);
    for (const auto& d : devices) {
      auto line = lines.add(d);
      units.emplace_back();
    }
    for (size_t i = 0; i < devices.size(); ++i) {
      auto line = lines.find(devices[i]);
      FakeUnit* u = &units[i];
      q3::MemoryLine* l = line.get();
      line->setPeer([u, l](const uint8_t* d, int n) { u->onHostBytes(d, n, *l); });
    }
    com.setThreadless(true);
    com.setDeviceFactory(lines.factory());
    com.numbering().setStorePath("");
    com.numbering().setLister([devices](std::vector<q3::PortDevice>& out) {
      out.clear();
      for (const auto& d : devices) out.push_back({d, d});
      return true;
    });
    com.fillProbeTable();
    com.setStatusSink(&status);
    q3::ProgressBarView bar;
    bar.setValue = [this](int v) { progress.push_back(v); };
    bar.setColour = [this](q3::Colour c) { barColour = c; };
    view.setBar(bar);
    onResult = sup.events().result.subscribe([this](const q3::OperationResult& r) {
      if (r.operation != q3::Operation::Monitor) results.push_back(r);
    });
  }
  ~LinkHarness() {
    q3::setDialogs(m_prevDialogs);
    com.closeAll();
  }

  FakeUnit& unit(int i = 0) { return units[static_cast<size_t>(i)]; }

  // One timer tick: TMR advances 50 ms, the supervisor runs on even ticks,
  // then the engine and the port get a few passes each.
  void tick() {
    ++m_ticks;
    clock.setTmr(m_ticks * 50);
    if ((m_ticks & 1) == 0) {
      sup.run();
      steps.push_back(sup.step());
    }
    for (int k = 0; k < 8; ++k) {
      com.ioStepAll();
      com.enginePass();
    }
    com.ioStepAll();
  }
  // Ticks until pred holds; false after maxTicks.
  bool tickUntil(const std::function<bool()>& pred, int maxTicks = 400) {
    for (int i = 0; i < maxTicks; ++i) {
      if (pred()) return true;
      tick();
    }
    return pred();
  }
  // The last result of an operation since results were last cleared, or nullptr.
  const q3::OperationResult* result(q3::Operation op) const {
    for (auto it = results.rbegin(); it != results.rend(); ++it)
      if (it->operation == op) return &*it;
    return nullptr;
  }
  // Ticks until op has ended and the supervisor is idle again; the result or nullptr.
  const q3::OperationResult* waitFor(q3::Operation op, int maxTicks = 400) {
    results.clear();
    tickUntil([&] { return result(op) && sup.step() == q3::kSupIdle; }, maxTicks);
    return result(op);
  }
  bool connectAndCheck() {
    const q3::OperationResult* r = waitFor(q3::Operation::ConnectionCheck);
    return r && r->ok();
  }
  // The distinct supervisor steps seen, in order.
  std::vector<int> stepTrail() const {
    std::vector<int> t;
    for (int s : steps)
      if (t.empty() || t.back() != s) t.push_back(s);
    return t;
  }
  int ticks() const { return m_ticks; }

  q3::AppClock clock;
  q3::MemoryLineSet lines;
  std::vector<FakeUnit> units;
  q3::ProtocolEngine com;
  q3::ParamModel model;
  StatusRecord status;
  DialogRecord dialogs;
  q3::ConnectionSupervisor sup;
  q3::OperationStatusView view;
  std::vector<q3::OperationResult> results;
  q3::Event<const q3::OperationResult&>::Subscription onResult;
  std::vector<int> progress;
  std::vector<int> steps;
  q3::Colour barColour = 0;

 private:
  int m_ticks = 0;
  q3::UserDialogs* m_prevDialogs = nullptr;
};

}  // namespace q3test
