// PortSearch: the port search. While no unit is connected it opens the
// present COM ports, sends an identification probe in each known protocol at
// the matching baud rate and waits for an answer, probing up to three ports at
// once (the search slots). A unit of this program's type key becomes the
// connected unit (the slot is copied into the engine's connection record);
// any other unit is reported as unmatched and its port released.
// Runs entirely in the user-interface thread (from the watchdog run).
#pragma once

#include <cstdint>
#include <functional>

#include "link/link_engine.h"

namespace q3 {

class StatusSink;

// One row of the probe table. Protocol -1 marks an open row filled at
// start-up; protocol 0 ends the table.
struct ProbeRow {
  int32_t protocol;
  int32_t baud;
  int32_t timeoutMs;  // answer time-out of the probe and inter-byte time-out of the receiver
};
inline constexpr int kProbeRows = 15;
inline constexpr int kOpenRow = -1;

// Search slot states.
enum SearchState : int32_t {
  kSearchChoose = 0,
  kSearchOpening = 1,
  kSearchProbeSent = 2,
  kSearchClosing = 3,
  kSearchProbeAgain = 4,
  kSearchIdentified = 5,
  kSearchProtocolFailed = 6,
  kSearchPortFailed = 7,
};

inline constexpr int kSearchSlots = 3;
inline constexpr int kOpenTimeoutMs = 600;
inline constexpr int kCloseTimeoutMs = 300;

struct SearchSlot {
  int32_t port = 0;  // COM number being probed, 0 = none
  int32_t row = 0;
  int32_t stateTime = 0;
  int32_t state = kSearchChoose;
  int32_t hwVersion = -1;
  int32_t typeKey = -1;
  char name[32]{};
  int32_t maxFrameLength = 48;
  int32_t frameOverhead = kFamilyAOverhead;
  FrameReceiver rx;
};

// What a slot identified (reported before it is accepted or refused).
struct FoundUnit {
  int port;
  int protocol;
  int typeKey;
  int hwVersion;
  int maxFrameLength;
  const char* name;
  bool compatible;
};

class PortSearch : public LinkEngine {
 public:
  explicit PortSearch(const AppClock& clock);

  // The probe table; open rows stay -1 until fillProbeTable().
  ProbeRow probeTable[kProbeRows];
  // Fills every open row (start-up: 3150 at 57600 Bd, 175 ms).
  void fillProbeTable(int protocol = kProto3150, int baud = 57600, int timeoutMs = 175);

  SearchSlot slot[kSearchSlots];
  // Where the automatic selection starts looking (the stored ComPortAuto at start-up).
  int32_t nextPortHint = 1;

  // One search run (the port manager first).
  void searchRun();

  // Slot 1 messages ("... connected", "... (unmatched)"); may be null.
  void setStatusSink(StatusSink* s) { m_status = s; }
  // Told of every unit a slot identifies, compatible or not (scan command).
  std::function<void(const FoundUnit&)> onUnitFound;
  // Listing only: every identified unit is reported and its port released,
  // none is connected, so the search goes on over all ports.
  bool listOnly = false;

  // The probe of a protocol as sent on the line (tests and the simulated unit).
  static int buildProbe(FrameReceiver& rx, int protocol, int keyMajor, int keyMinor);

 private:
  bool runSlot(int i);  // true when the whole run ends (unit accepted, fixed port)
  void setState(SearchSlot& s, int state);
  void decodeAnswer(int i);
  bool acceptOrRefuse(int i);
  bool chooseRow(SearchSlot& s) const;
  int firstRow() const;
  bool heldBySlot(int port) const;
  bool portReady(int port) const;
  StatusSink* m_status = nullptr;
  bool m_loggedFirst = false;
};

}  // namespace q3
