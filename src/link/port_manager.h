// Port I/O: 256 port records (PortRecord), the port manager that opens and closes
// ports on request, one I/O thread per port in use, and the port scan with
// persistent COM numbers. The layers above never touch a device: they post
// open and close requests, place one chunk into a port's transmit buffer and
// take received bytes out of its receive ring.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "base/app_clock.h"
#include "link/port_scan.h"
#include "link/serial_device.h"

class QThread;

namespace q3 {

inline constexpr int kComPorts = 256;
inline constexpr int kRingSize =
    330;  // transmit buffer and receive ring; the ring holds 329 at most

// Port states.
inline constexpr uint8_t kPortClosed = 0;
inline constexpr uint8_t kPortOpening = 16;
inline constexpr uint8_t kPortOpen = 32;
inline constexpr uint8_t kPortClosing = 48;
// Port errors.
inline constexpr uint8_t kErrNone = 0;
inline constexpr uint8_t kErrOpenFailed = 1;
inline constexpr uint8_t kErrOpenTimeout = 2;
inline constexpr uint8_t kErrThreadFailed = 3;
// Request flags.
inline constexpr uint8_t kReqOpen = 1;
inline constexpr uint8_t kReqClose = 2;
// Thread commands.
inline constexpr uint8_t kCmdNone = 0;
inline constexpr uint8_t kCmdOpen = 1;
inline constexpr uint8_t kCmdClose = 2;

// Free space of a ring of kRingSize with one byte never filled, as the two
// stretches a reader would fill: [write, ...) and then [0, ...).
struct RingFree {
  int first;
  int second;
  int total() const { return first + second; }
};
RingFree ringFree(int readIndex, int writeIndex);

// One COM port. Every field shared between the manager (user-interface
// thread), the port's I/O thread and the ring consumer is atomic; the
// transmit buffer is published by its count and the receive ring by its write
// index (release after the data, acquire before reading it).
class PortRecord {
 public:
  uint8_t number = 0;      // the COM number, set at construction
  char devicePath[256]{};  // the device behind the number (empty: none known)
  char comName[16]{};      // "COM%i"
  char settings[32]{};     // "%i,N,8,1", formed when an open is started
  std::atomic<uint8_t> portState{kPortClosed};
  std::atomic<uint8_t> error{kErrNone};
  // Why the last open failed (OpenFailure; None after a good open).
  std::atomic<OpenFailure> openFailure{OpenFailure::None};
  std::atomic<int32_t> baud{115200};
  std::atomic<int32_t> present{0};
  std::atomic<uint8_t> threadState{0};  // 0 no thread, 1 running, 2 ended
  std::atomic<uint8_t> requestFlags{0};
  std::atomic<uint8_t> threadCommand{kCmdNone};
  int32_t requestTime = 0;  // manager only

  uint8_t txBuf[kRingSize]{};
  std::atomic<int32_t> txCount{0};  // 0 = buffer free
  uint8_t rxRing[kRingSize]{};
  std::atomic<int32_t> rdIdx{0};
  std::atomic<int32_t> wrIdx{0};

  // Producer side: when the buffer is free, copies up to kRingSize bytes and
  // returns how many were taken (0 when busy).
  int putChunk(const uint8_t* src, int n);
  bool txBusy() const { return txCount.load(std::memory_order_acquire) != 0; }
  // Consumer side: bytes waiting in the ring; takes one byte (false when empty).
  int rxAvailable() const;
  bool takeByte(uint8_t& b);
  // Discards everything in the receive ring (consumer side).
  void rxDiscard();
  bool isOpen() const { return portState.load(std::memory_order_acquire) == kPortOpen; }

  // Owned by the I/O side (the port thread, or the test driver in thread-less mode).
  std::unique_ptr<SerialDevice> device;
  QThread* thread = nullptr;  // manager only
};

// The port records, the port manager and the scan.
class PortManager {
 public:
  // clock: the time base of the run (read by the port threads too); its stop
  // flag ends the port threads.
  explicit PortManager(const AppClock& clock);
  virtual ~PortManager();
  PortManager(const PortManager&) = delete;
  PortManager& operator=(const PortManager&) = delete;

  PortRecord com[kComPorts];
  int32_t lastScan = 0;
  std::atomic<int32_t> scanDone{0};
  std::atomic<int32_t> portListChanged{0};  // set by a scan that found a difference

  void requestOpen(int port, int baud);
  void requestClose(int port);
  void closeAll();
  // Port manager run (user-interface thread).
  void managerRun();
  // Scans now; true when a present flag changed.
  bool scanPorts();

  // Where devices come from. Defaults: Qt SerialPort devices and the system
  // port list, numbered in memory; the link session adds the start options'
  // extra devices and the ports.ini of the data folder.
  void setDeviceFactory(DeviceFactory f) { m_factory = std::move(f); }
  PortNumbering& numbering() { return m_numbering; }
  // Thread-less mode for exact tests: no I/O thread is created; the test
  // drives every running port with ioStepAll() instead.
  void setThreadless(bool on) { m_threadless = on; }
  void ioStepAll();
  // One pass of the I/O loop body for one port (open, close, transmit, receive);
  // false when the port's thread would end now.
  bool ioStep(PortRecord& c);

  // The device name shown in the trace and menus ("COM3  /dev/ttyUSB0").
  static std::string menuText(const PortRecord& c);

 protected:
  void ioThreadMain(PortRecord& c);
  const AppClock& clock() const { return m_clock; }

 private:
  void releaseThread(PortRecord& c);
  const AppClock& m_clock;
  DeviceFactory m_factory;
  PortNumbering m_numbering;
  bool m_threadless = false;
};

}  // namespace q3
