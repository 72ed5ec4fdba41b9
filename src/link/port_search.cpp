// The port search: probe table, search slots and answer decoding.
#include "link/port_search.h"

#include <cstdio>
#include <cstring>

#include "base/app_clock.h"
#include "base/debug_log.h"
#include "base/status_sink.h"
#include "link/model_table.h"

namespace q3 {
namespace {

constexpr ProbeRow kInitialProbeTable[kProbeRows] = {
    {kOpenRow, 0, 0},         {kProtoCrc, 57600, 75},    {kProtoSum, 57600, 125},
    {kOpenRow, 0, 0},         {kProto3050, 57600, 125},  {kOpenRow, 0, 0},
    {kProto3100, 57600, 175}, {kOpenRow, 0, 0},          {kProto3150, 57600, 175},
    {kOpenRow, 0, 0},         {kProtoCrc, 115200, 75},   {kProtoSum, 115200, 325},
    {kOpenRow, 0, 0},         {kProto3300, 115200, 175}, {0, 0, 0},
};

const char* probeName(int protocol) {
  switch (protocol) {
    case kProtoCrc:
      return "WCOM";
    case kProtoSum:
      return "WCOMS";
    case kProto3050:
      return "IGN50";
    case kProto3100:
      return "IGN100";
    case kProto3150:
      return "IGN150";
    case kProto3300:
      return "IGN300";
    default:
      return "?";
  }
}

// A multi-language message with the same arguments in every language.
template <typename... A>
void showSlot1(StatusSink* sink, int slotIndex, const char* fmt, int durationMs, Colour back,
               int priority, A... args) {
  char buf[512];
  std::snprintf(buf, sizeof buf, fmt, args..., args..., args...);
  if (sink) sink->showStatus(1, buf, durationMs, kBlack, back, priority);
  // The log takes the English text.
  const char* en = buf + 3;
  const char* endEn = std::strstr(en, "##");
  debugLog("[%i]%.*s", slotIndex,
           endEn ? static_cast<int>(endEn - en) : static_cast<int>(std::strlen(en)), en);
}

}  // namespace

PortSearch::PortSearch(const AppClock& clock) : LinkEngine(clock) {
  std::memcpy(probeTable, kInitialProbeTable, sizeof probeTable);
}

void PortSearch::fillProbeTable(int protocol, int baud, int timeoutMs) {
  for (ProbeRow& r : probeTable) {
    if (r.protocol == 0) break;
    if (r.protocol == kOpenRow) r = ProbeRow{protocol, baud, timeoutMs};
  }
}

int PortSearch::buildProbe(FrameReceiver& rx, int protocol, int keyMajor, int keyMinor) {
  rx.protocol = protocol;
  if (isFamilyA(protocol)) return buildRequestA(rx, kCmdIdentify, 0, nullptr, 0);
  if (protocol == kProto3300) return buildRequestB(rx, kOpMonitor, 0, nullptr, 0, 0);
  return buildRequestB(rx, kOpMonitor, 0, nullptr, keyMajor, keyMinor);
}

void PortSearch::setState(SearchSlot& s, int state) {
  s.state = state;
  if (state >= kSearchOpening && state <= kSearchProbeAgain) s.stateTime = clock().tmr();
}

int PortSearch::firstRow() const { return probeTable[0].protocol == kOpenRow ? 1 : 0; }

bool PortSearch::portReady(int port) const {
  // A port whose close is still pending is not open for a new probe.
  const PortRecord& c = com[port];
  return c.isOpen() && !(c.requestFlags.load(std::memory_order_acquire) & kReqClose);
}

bool PortSearch::heldBySlot(int port) const {
  for (const SearchSlot& s : slot)
    if (s.port == port) return true;
  return false;
}

void PortSearch::searchRun() {
  managerRun();
  if (!scanDone.load(std::memory_order_acquire) || connectedPort.load(std::memory_order_acquire) ||
      !linkEnabled.load(std::memory_order_acquire))
    return;
  if (!m_loggedFirst) {
    debugLog("COM found");
    m_loggedFirst = true;
  }
  if (comSelection.load(std::memory_order_acquire) == -1) {
    for (SearchSlot& s : slot) {
      if (s.port) requestClose(s.port);
      s.port = 0;
      s.state = kSearchChoose;
    }
    return;
  }
  for (int i = 0; i < kSearchSlots; ++i)
    if (runSlot(i)) return;
}

bool PortSearch::runSlot(int i) {
  SearchSlot& s = slot[i];
  const int sel = comSelection.load(std::memory_order_acquire);
  for (int pass = 0; pass < 2; ++pass) {  // a port that is already open is processed again at once
    const int32_t now = clock().tmr();
    if (s.state == kSearchClosing) {
      if (now - s.stateTime > kCloseTimeoutMs) {
        s.port = 0;
        s.state = kSearchChoose;
      } else if (com[s.port].portState.load(std::memory_order_acquire) == kPortClosed) {
        s.state = kSearchChoose;  // the port stays: the next row is tried on it
      }
    }
    // With a fixed port, slot 0 alone may hold a port: a second slot on the same
    // port would send its probes into the first one's.
    if (sel > 0 && s.port != 0 && (s.port != sel || i != 0)) {
      debugLog("[%i]FORCE CLOSE - Close port COM%i", i, s.port);
      requestClose(s.port);
      s.port = 0;
      setState(s, kSearchClosing);
    }
    const ProbeRow& row = probeTable[s.row];
    if (s.state == kSearchOpening) {
      if (now - s.stateTime > kOpenTimeoutMs) {
        setState(s, kSearchPortFailed);
        debugLog("[%i] Not Openning...", i);
      } else if (portReady(s.port)) {
        // Bytes left in the ring belong to an earlier exchange: an old answer
        // must not be taken for the answer to this probe.
        com[s.port].rxDiscard();
        configureReceiver(s.rx, row.protocol, row.timeoutMs);
        buildProbe(s.rx, row.protocol, keyMajor.load(), keyMinor.load());
        restartTransmit(s.rx);
        transmitStep(s.rx, com[s.port]);
        setState(s, kSearchProbeSent);
        debugLog("[%i] Send Once (%s)...", i, probeName(row.protocol));
      }
    }
    if ((s.state == kSearchProbeSent || s.state == kSearchProbeAgain) &&
        now - s.stateTime > row.timeoutMs) {
      if (s.state == kSearchProbeSent) {
        if (s.rx.txPosition >= 0 && s.rx.txRemaining == 0) restartTransmit(s.rx);
        setState(s, kSearchProbeAgain);
        debugLog("[%i] Send Again...", i);
      } else {
        setState(s, kSearchProtocolFailed);
      }
    }
    if (s.state == kSearchProbeSent || s.state == kSearchProbeAgain) {
      transmitStep(s.rx, com[s.port]);
      while ((s.state == kSearchProbeSent || s.state == kSearchProbeAgain) &&
             receive(s.rx, com[s.port], clock().tmr(), nullptr))
        decodeAnswer(i);
    }
    if (s.state == kSearchIdentified && acceptOrRefuse(i)) return true;
    if (s.state == kSearchPortFailed) {
      debugLog("[%i]FAIL PORT - Close port COM%i", i, s.port);
      requestClose(s.port);
      s.port = 0;
      setState(s, kSearchClosing);
    }
    if (s.state == kSearchProtocolFailed) {
      const ProbeRow& next = probeTable[s.row + 1];
      if (next.protocol != 0 && next.baud == row.baud) {
        debugLog("[%i]FAIL PROTOCOL - skip port closing", i);
        s.state = kSearchChoose;
      } else {
        debugLog("[%i]FAIL PROTOCOL - Close port COM%i", i, s.port);
        requestClose(s.port);
        setState(s, kSearchClosing);
      }
    }
    if (s.state != kSearchChoose) return false;

    if (s.port != 0) {
      ++s.row;
      if (probeTable[s.row].protocol == 0) s.port = 0;  // every row failed: closed already
    }
    if (s.port == 0) {
      if (sel > 0) {
        if (i != 0) return true;  // a fixed port is probed by slot 0 alone
        s.port = sel;
      } else {
        int p = nextPortHint;
        int found = 0;
        for (int k = 0; k < kComPorts; ++k) {
          if (p > 0 && p < kComPorts && com[p].present.load(std::memory_order_acquire) &&
              !heldBySlot(p)) {
            found = p;
            break;
          }
          p = (p >= kComPorts - 1) ? 1 : p + 1;
        }
        if (!found) return false;
        nextPortHint = (found >= kComPorts - 1) ? 1 : found + 1;
        s.port = found;
      }
      s.row = firstRow();
    }
    const ProbeRow& r = probeTable[s.row];
    configureReceiver(s.rx, r.protocol, r.timeoutMs);
    if (portReady(s.port)) {
      debugLog("[%i]...skip onening port COM%i, Protocol=%i, Timeout=%i", i, s.port, r.protocol,
               r.timeoutMs);
      setState(s, kSearchOpening);
      continue;
    }
    requestOpen(s.port, r.baud);
    debugLog("[%i]Open Port COM%i, Protocol=%i, Timeout=%i", i, s.port, r.protocol, r.timeoutMs);
    setState(s, kSearchOpening);
    return false;
  }
  return false;
}

void PortSearch::decodeAnswer(int i) {
  SearchSlot& s = slot[i];
  FrameReceiver& rx = s.rx;
  const int len = rx.frameLength();
  debugLog("[%i] Frame rec (%i)...", i, len);
  if (len == rx.txLength && std::memcmp(rx.frame, rx.txFrame, static_cast<size_t>(len)) == 0) {
    debugLog("[%i] ECHO !", i);
    setState(s, kSearchPortFailed);
    return;
  }
  if (isFamilyB(rx.protocol)) {
    if (rx.frame[0] != 0xB0) return;
    const int n = familyBData(rx.protocol);
    s.frameOverhead = kFamilyBOverhead;
    s.hwVersion = -1;
    s.typeKey = rx.protocol == kProto3300 ? (rx.frame[2] << 8) | rx.frame[3] : rx.frame[n];
    s.maxFrameLength = familyBFrameLength(rx.protocol);
    if (const char* model = modelName(s.typeKey))
      std::snprintf(s.name, sizeof s.name, "%s v%i", model, s.typeKey);
    else
      std::snprintf(s.name, sizeof s.name, "Korvelan %i", s.typeKey);
    setState(s, kSearchIdentified);
    return;
  }
  if (rx.command() != kCmdIdentify || (rx.kind() & 0x0F) != kKindAnswer) return;
  const uint8_t* d = rx.dataA();
  const int n = rx.dataLength();
  s.frameOverhead = kFamilyAOverhead;
  s.maxFrameLength = 48;
  s.hwVersion = -1;
  s.typeKey = -1;
  char text[32]{};
  int k = 0;
  while (k < n && d[k] != 0) {
    if (k < 31) text[k] = static_cast<char>(d[k]);
    ++k;
  }
  int at = k + 1;  // the words follow the terminating NUL
  int32_t* words[3] = {&s.maxFrameLength, &s.hwVersion, &s.typeKey};
  for (int32_t* w : words) {
    if (at + 2 > n) break;
    *w = le16(d + at);
    at += 2;
  }
  std::snprintf(s.name, sizeof s.name, "%s v%i (hw:%x)", text, s.typeKey,
                static_cast<unsigned>(s.hwVersion));
  setState(s, kSearchIdentified);
}

bool PortSearch::acceptOrRefuse(int i) {
  SearchSlot& s = slot[i];
  const bool compatible = s.typeKey == keyMajor.load();
  if (onUnitFound)
    onUnitFound(FoundUnit{s.port, s.rx.protocol, s.typeKey, s.hwVersion, s.maxFrameLength, s.name,
                          compatible});
  if (listOnly) {
    s.state = kSearchPortFailed;
    return false;
  }
  if (!compatible) {
    showSlot1(m_status, i,
              "###COM %i:%s (unmatched)##COM %i:%s verbunden (unübertroffen)##COM %i:%s připojen "
              "(nekompatibilní)",
              6000, kRed, 10, s.port, static_cast<const char*>(s.name));
    s.state = kSearchPortFailed;
    return false;
  }
  // The engine may read the record once connectedPort is published.
  conn.port = s.port;
  conn.typeKey = s.typeKey;
  conn.hwVersion = s.hwVersion;
  std::memcpy(conn.name, s.name, sizeof conn.name);
  conn.maxFrameLength = s.maxFrameLength;
  conn.frameOverhead = s.frameOverhead;
  conn.sendTime = s.stateTime;
  conn.rx = s.rx;
  const int port = s.port;
  for (int k = 0; k < kSearchSlots; ++k) {
    if (k != i && slot[k].port && slot[k].port != port) requestClose(slot[k].port);
    slot[k].port = 0;
    slot[k].state = kSearchChoose;
    slot[k].row = 0;
  }
  portListChanged.store(1, std::memory_order_release);
  nextPortHint = port;
  linkEnabled.store(1, std::memory_order_release);
  connectedPort.store(port, std::memory_order_release);
  char name[32];
  std::memcpy(name, conn.name, sizeof name);
  showSlot1(m_status, i, "###%s connected##%s verbunden##%s připojen", -1, kWhite, 100,
            static_cast<const char*>(name));
  return true;
}

}  // namespace q3
