// The simulated ignition unit: what the unit does on the line, without any
// transport. Bytes from the line go in through receive(); the unit's answers
// come out into a byte buffer with the configured faults applied. Used by the
// quelin3-unit-sim program (on a pseudo-terminal or a device) and in-process
// by the link tests over an in-memory line.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "link/frame.h"

namespace q3sim {

inline constexpr int kMemorySize = 1050;
inline constexpr int kIdentSize = 150;
inline constexpr int kMonitorSize = 150;

struct SimConfig {
  int protocol = q3::kProto3150;
  int typeKey = 104;       // the key the unit answers a probe with
  int versionMajor = 104;  // program version (identification bytes 10/11, monitor 150/149)
  int versionMinor = 0;
  int maxFrameLength = 528;  // family A: announced in the identify answer
  int hwVersion = 0x21;
  std::string name = "QUELIN3";  // family A: announced name
  double corrupt = 0;            // probability that a byte the unit sends is corrupted
  double drop = 0;               // probability that a byte the unit sends is lost
  bool silent = false;           // never answers
  bool echo = false;             // sends every received byte back
  int silentAfter = -1;          // stops answering after this many answered frames (-1 never)
  // Falls silent for good at the first monitor request after a write, while
  // it stores (a unit that dies storing what was programmed).
  bool silentWhileStoring = false;
  uint32_t seed = 1;
  // A unit whose memory will not hold still: after unstableSkip answered reads
  // that cover unstableAddr, every further such read changes that byte after
  // it has been sent, so two reads in a row never agree (-1: off).
  int unstableAddr = -1;
  int unstableSkip = 0;
  // A fixed operating point instead of the sweep: engine speed [rpm] and
  // throttle [%] (-1: the sweep).
  int holdRpm = -1;
  int holdThrottle = 0;
  // Pickup blocks go out with the state "not synchronised".
  bool pickupUnsynchronised = false;
};

class SimUnit {
 public:
  explicit SimUnit(SimConfig cfg = {});

  // Feeds bytes received from the line at time nowMs (any monotonic clock);
  // appends whatever the unit sends to out.
  void receive(const uint8_t* data, int n, int64_t nowMs, std::vector<uint8_t>& out);

  SimConfig& config() { return m_cfg; }
  // Called after a read of memory[from, from + count) has been answered.
  void afterMemoryRead(int from, int count);
  uint8_t memory[kMemorySize]{};
  uint8_t ident[kIdentSize]{};
  uint8_t command[kIdentSize]{};  // the last command block written (family B block 0)
  // The monitor block as last sent (bytes 0..149 = monitor indices 1..150).
  uint8_t monitor[kMonitorSize]{};

  // Identification block fields.
  void setDesignation(const char* text15);
  void setBuildDate(int day, int month, int year, int hour, int minute);
  void setProductionCode(char letter, bool flag, int a, int b, int c);
  void setSerial(const uint8_t serial8[8]);
  void setLastUpdate(uint32_t secondsSince1970);
  void setNote(const char* text);

  // Test aid: the next n answers go out with a wrong check.
  int corruptNextAnswers = 0;
  // Counters.
  int framesIn = 0;
  int framesAnswered = 0;
  int resets = 0;
  int storing = 0;          // remaining storing work (monitor word 8)
  bool fellSilent = false;  // silentWhileStoring has struck
  // The test-command bits of the last monitor request (bytes 20..22), as acted on.
  uint8_t lastTest[3]{};
  int testActions = 0;

  // Called for every frame in and out ("IN"/"OUT").
  std::function<void(const char* dir, const uint8_t* frame, int n)> frameLog;

  // Parameter memory file: 1050 raw bytes.
  bool loadMemory(const std::string& path);
  bool saveMemory(const std::string& path) const;
  bool memoryDirty = false;

  // Fills the monitor block for time nowMs (the engine model).
  void updateMonitor(int64_t nowMs);

 private:
  void handleA(int64_t nowMs, std::vector<uint8_t>& out);
  void handleB(const uint8_t* req, int64_t nowMs, std::vector<uint8_t>& out);
  void sendFrame(uint8_t* frame, int n, std::vector<uint8_t>& out, bool familyA);
  void putOnLine(uint8_t b, std::vector<uint8_t>& out);
  void applyTestBits(const uint8_t* req);
  void appendPickupBlock(const uint8_t* req, std::vector<uint8_t>& out);
  void makePickupBlock(int64_t nowMs);
  void announcePickupBlock(int64_t nowMs);
  void resetUnit();
  int advanceAt(int rpm, int loadPercent) const;

  SimConfig m_cfg;
  q3::FrameReceiver m_rxA;
  uint8_t m_reqB[q3::kFrameMax]{};
  int m_posB = 0;
  int64_t m_lastByteMs = 0;
  int64_t m_lastModelMs = -1;
  int64_t m_startMs = -1;
  int m_servo = 2500;
  std::mt19937 m_rng;
  std::uniform_real_distribution<double> m_uni{0.0, 1.0};
  std::vector<uint8_t> m_pickup;  // the announced sample block
  uint8_t m_pickupPeriod = 1;     // its period selector
  uint8_t m_frame[q3::kFrameMax + 16]{};
};

}  // namespace q3sim
