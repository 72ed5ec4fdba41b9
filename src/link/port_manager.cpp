// Port records, the port manager, the I/O threads and the port scan.
#include "link/port_manager.h"

#include <QThread>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/app_clock.h"
#include "base/debug_log.h"

namespace q3 {

namespace {
std::atomic<int> g_txTraceCount{0};  // running count of logged transmissions, process-wide
}

RingFree ringFree(int rd, int wr) {
  RingFree f{};
  if (wr >= rd) {
    f.first = kRingSize - wr;
    f.second = rd;
  } else {
    f.first = rd - wr;
    f.second = 0;
  }
  // One byte is never filled, so a full ring never looks empty.
  if (f.second > 0)
    --f.second;
  else
    --f.first;
  return f;
}

int PortRecord::putChunk(const uint8_t* src, int n) {
  if (txCount.load(std::memory_order_acquire) != 0) return 0;
  n = std::min(n, kRingSize);
  if (n <= 0) return 0;
  std::memcpy(txBuf, src, size_t(n));
  txCount.store(n, std::memory_order_release);
  return n;
}

int PortRecord::rxAvailable() const {
  const int rd = rdIdx.load(std::memory_order_relaxed);
  const int wr = wrIdx.load(std::memory_order_acquire);
  return wr >= rd ? wr - rd : kRingSize - rd + wr;
}

bool PortRecord::takeByte(uint8_t& b) {
  const int rd = rdIdx.load(std::memory_order_relaxed);
  if (rd == wrIdx.load(std::memory_order_acquire)) return false;
  b = rxRing[rd];
  rdIdx.store(rd + 1 == kRingSize ? 0 : rd + 1, std::memory_order_release);
  return true;
}

void PortRecord::rxDiscard() {
  rdIdx.store(wrIdx.load(std::memory_order_acquire), std::memory_order_release);
}

PortManager::PortManager(const AppClock& clock)
    : m_clock(clock), m_factory(qtSerialDeviceFactory()) {
  for (int i = 0; i < kComPorts; ++i) {
    com[i].number = uint8_t(i);
    std::snprintf(com[i].comName, sizeof com[i].comName, "COM%i", i);
  }
  lastScan = m_clock.tmr();
}

PortManager::~PortManager() {
  // Close what is open and wait for every port thread: the records die with us.
  closeAll();
  for (int i = 0; i < kComPorts; ++i) {
    PortRecord& c = com[i];
    if (c.thread) {
      c.threadCommand.store(kCmdClose, std::memory_order_release);
      c.thread->wait(2000);
      if (c.thread->isRunning()) {
        c.threadState.store(2, std::memory_order_release);  // tells the loop to end
        c.thread->wait();
      }
      delete c.thread;
      c.thread = nullptr;
      // The thread's last act is storing 2: acquiring it orders its final
      // use of the record before what follows here.
      (void)c.threadState.load(std::memory_order_acquire);
    }
    if (c.device) {
      c.device->close();
      c.device.reset();
    }
  }
}

void PortManager::requestOpen(int port, int baud) {
  if (port < 0 || port >= kComPorts) return;
  PortRecord& c = com[port];
  c.error.store(kErrNone, std::memory_order_release);
  c.baud.store(baud, std::memory_order_release);
  if (c.portState.load(std::memory_order_acquire) != kPortClosed ||
      c.requestFlags.load(std::memory_order_acquire) != 0)
    c.requestFlags.store(kReqOpen | kReqClose, std::memory_order_release);
  else
    c.requestFlags.store(kReqOpen, std::memory_order_release);
}

void PortManager::requestClose(int port) {
  if (port < 0 || port >= kComPorts) return;
  PortRecord& c = com[port];
  if (c.portState.load(std::memory_order_acquire) != kPortClosed ||
      c.requestFlags.load(std::memory_order_acquire) != 0) {
    c.error.store(kErrNone, std::memory_order_release);
    c.requestFlags.store(kReqClose, std::memory_order_release);
  }
}

void PortManager::closeAll() {
  for (int i = 0; i < kComPorts; ++i) requestClose(i);
}

void PortManager::releaseThread(PortRecord& c) {
  if (c.thread) {
    c.thread->wait();
    delete c.thread;
    c.thread = nullptr;
  }
  c.threadState.store(0, std::memory_order_release);
}

void PortManager::managerRun() {
  const int32_t now = m_clock.tmr();
  if (now - lastScan > 1000 || scanDone.load(std::memory_order_acquire) == 0) {
    lastScan = now;
    if (scanPorts()) portListChanged.store(1, std::memory_order_release);
    scanDone.store(1, std::memory_order_release);
  }
  for (int i = 0; i < kComPorts; ++i) {
    PortRecord& c = com[i];
    if (c.threadState.load(std::memory_order_acquire) == 2) releaseThread(c);
    const uint8_t req = c.requestFlags.load(std::memory_order_acquire);
    if (req == 0) continue;
    const uint8_t state = c.portState.load(std::memory_order_acquire);
    if (req & kReqClose) {
      if (state == kPortClosed)
        c.requestFlags.store(req & ~kReqClose, std::memory_order_release);
      else if (state != kPortClosing) {
        c.requestTime = now;
        c.threadCommand.store(kCmdClose, std::memory_order_release);
      }
      continue;
    }
    // Open requested.
    const uint8_t err = c.error.load(std::memory_order_acquire);
    if (err == kErrOpenFailed || state == kPortOpen) {
      c.requestFlags.store(0, std::memory_order_release);
      continue;
    }
    if (state == kPortOpening || c.threadCommand.load(std::memory_order_acquire) == kCmdOpen) {
      if (now - c.requestTime > 5000) {
        c.error.store(kErrOpenTimeout, std::memory_order_release);
        c.threadCommand.store(kCmdClose, std::memory_order_release);
        c.requestFlags.store(kReqClose, std::memory_order_release);
      }
      continue;
    }
    if (c.threadState.load(std::memory_order_acquire) != 0) continue;  // a thread still ending
    if (c.devicePath[0] == 0) {
      // No device behind this number: the open fails like one of an absent port.
      c.error.store(kErrOpenFailed, std::memory_order_release);
      c.requestFlags.store(0, std::memory_order_release);
      continue;
    }
    std::snprintf(c.settings, sizeof c.settings, "%i,N,8,1",
                  c.baud.load(std::memory_order_acquire));
    c.requestTime = now;
    c.error.store(kErrNone, std::memory_order_release);
    if (!m_threadless) {
      QThread* t = QThread::create([this, &c] { ioThreadMain(c); });
      if (!t) {
        c.error.store(kErrThreadFailed, std::memory_order_release);
        c.requestFlags.store(0, std::memory_order_release);
        continue;
      }
      t->setStackSize(128 * 1024);
      c.thread = t;
    }
    c.threadCommand.store(kCmdOpen, std::memory_order_release);
    c.threadState.store(1, std::memory_order_release);
    if (c.thread) c.thread->start();
  }
}

std::string PortManager::menuText(const PortRecord& c) {
  std::string s = c.comName;
  if (c.devicePath[0]) {
    s += "  ";
    s += c.devicePath;
  }
  return s;
}

bool PortManager::ioStep(PortRecord& c) {
  const uint8_t state = c.portState.load(std::memory_order_acquire);
  const uint8_t cmd = c.threadCommand.load(std::memory_order_acquire);
  if (state == kPortClosed && cmd == kCmdOpen) {
    traceLog("\n[%i:TMR=%i]OPEN %s (%s)\n", c.number, m_clock.tmr(), c.comName, c.settings);
    c.portState.store(kPortOpening, std::memory_order_release);
    c.device = m_factory ? m_factory(c.devicePath) : nullptr;
    if (!c.device || !c.device->open(c.devicePath, c.baud.load(std::memory_order_acquire))) {
      c.openFailure.store(c.device ? c.device->openFailure() : OpenFailure::Other,
                          std::memory_order_release);
      c.device.reset();
      c.threadCommand.store(kCmdNone, std::memory_order_release);
      c.error.store(kErrOpenFailed, std::memory_order_release);
      c.portState.store(kPortClosed, std::memory_order_release);
      return false;
    }
    c.openFailure.store(OpenFailure::None, std::memory_order_release);
    c.rdIdx.store(0, std::memory_order_release);
    c.wrIdx.store(0, std::memory_order_release);
    c.txCount.store(0, std::memory_order_release);
    c.portState.store(kPortOpen, std::memory_order_release);
    c.threadCommand.store(kCmdNone, std::memory_order_release);
    return true;
  }
  if ((state == kPortOpen || state == kPortOpening) && cmd == kCmdClose) {
    traceLog("\n[%i:TMR=%i]CLOSE %s\n", c.number, m_clock.tmr(), c.comName);
    c.rdIdx.store(0, std::memory_order_release);
    c.wrIdx.store(0, std::memory_order_release);
    c.portState.store(kPortClosing, std::memory_order_release);
    if (c.device) c.device->close();
    c.device.reset();
    c.txCount.store(0, std::memory_order_release);
    c.portState.store(kPortClosed, std::memory_order_release);
    c.threadCommand.store(kCmdNone, std::memory_order_release);
    return false;
  }
  if (state != kPortOpen || !c.device) return true;

  const int n = c.txCount.load(std::memory_order_acquire);
  if (n > 0) {
    if (c.txBuf[0] != 0x30 && debugLogActive()) {  // monitor requests are not traced
      traceLog("\n[%i:TMR=%i]TX %i:\n", c.number, m_clock.tmr(), g_txTraceCount.fetch_add(1));
      // The bytes go out in pieces that fit the log's line buffer.
      char piece[100 * 3 + 1];
      for (int i = 0; i < n;) {
        int p = 0;
        for (int k = 0; k < 100 && i < n; ++k, ++i)
          p += std::snprintf(piece + p, sizeof piece - size_t(p), "%02x\t", c.txBuf[i]);
        traceLog("%s", piece);
      }
      traceLog("\n");
    }
    c.device->write(c.txBuf, n);
    c.txCount.store(0, std::memory_order_release);
  }

  int waiting = c.device->bytesWaiting();
  if (waiting <= 0) return true;
  const int rd = c.rdIdx.load(std::memory_order_acquire);
  int wr = c.wrIdx.load(std::memory_order_relaxed);
  const RingFree f = ringFree(rd, wr);
  const int ask1 = std::min(waiting, f.first);
  const int got1 = ask1 > 0 ? c.device->read(c.rxRing + wr, ask1) : 0;
  wr += got1;
  if (wr >= kRingSize) wr -= kRingSize;
  c.wrIdx.store(wr, std::memory_order_release);  // publishes the bytes just read
  if (got1 < ask1 || got1 == 0) return true;
  waiting -= got1;
  const int ask2 = std::min(waiting, f.second);
  if (ask2 > 0) {
    const int got2 = c.device->read(c.rxRing, ask2);  // wr wrapped to 0 here
    c.wrIdx.store(wr + got2, std::memory_order_release);
  }
  return true;
}

void PortManager::ioThreadMain(PortRecord& c) {
  while (!m_clock.stopRequested() && c.threadState.load(std::memory_order_acquire) == 1) {
    const uint8_t state = c.portState.load(std::memory_order_acquire);
    QThread::msleep(state == kPortClosed ? 50 : 1);
    if (state == kPortClosed && c.threadCommand.load(std::memory_order_acquire) != kCmdOpen) {
      // Closed and nothing to open: a close command that found no open port ends here.
      if (c.threadCommand.load(std::memory_order_acquire) == kCmdClose) {
        c.threadCommand.store(kCmdNone, std::memory_order_release);
        break;
      }
    }
    if (!ioStep(c)) break;
  }
  if (c.device) {  // stopped while open
    c.device->close();
    c.device.reset();
    c.portState.store(kPortClosed, std::memory_order_release);
  }
  c.threadState.store(2, std::memory_order_release);
}

void PortManager::ioStepAll() {
  for (int i = 0; i < kComPorts; ++i) {
    PortRecord& c = com[i];
    if (c.threadState.load(std::memory_order_acquire) != 1) continue;
    if (!ioStep(c)) c.threadState.store(2, std::memory_order_release);
  }
}

bool PortManager::scanPorts() {
  std::vector<std::string> paths;
  bool changed = false;
  if (!m_numbering.scan(paths)) {
    for (int i = 0; i < 30; ++i) {
      if (!com[i].present.load(std::memory_order_acquire)) changed = true;
      com[i].present.store(1, std::memory_order_release);
    }
    return changed;
  }
  for (int i = 0; i < kComPorts; ++i) {
    PortRecord& c = com[i];
    const bool there = i > 0 && size_t(i) < paths.size() && !paths[size_t(i)].empty();
    if (there && std::strcmp(c.devicePath, paths[size_t(i)].c_str()) != 0 &&
        c.portState.load(std::memory_order_acquire) == kPortClosed &&
        c.threadState.load(std::memory_order_acquire) == 0) {
      std::snprintf(c.devicePath, sizeof c.devicePath, "%s", paths[size_t(i)].c_str());
    }
    if (int(there) != c.present.load(std::memory_order_acquire)) changed = true;
    c.present.store(there ? 1 : 0, std::memory_order_release);
  }
  return changed;
}

}  // namespace q3
