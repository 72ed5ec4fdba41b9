// An in-memory serial line for tests and the in-process simulated unit: the
// program's side is a SerialDevice, the far side is either read and written
// directly or served by a peer function called on every write.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/serial_device.h"

namespace q3 {

class MemoryLine {
 public:
  // Called with every chunk the program writes (in the port's thread); it may
  // answer with peerWrite(). Without a peer the bytes queue up for peerRead().
  using Peer = std::function<void(const uint8_t* data, int n)>;
  void setPeer(Peer p);

  // Far side.
  void peerWrite(const uint8_t* data, int n);
  std::vector<uint8_t> peerReadAll();

  // Program side (used by MemoryDevice).
  void hostWrite(const uint8_t* data, int n);
  int hostWaiting();
  int hostRead(uint8_t* dst, int max);
  void hostPurge();

  std::atomic<bool> failOpen{false};
  std::atomic<OpenFailure> failOpenAs{OpenFailure::Other};  // the reason a failed open gives
  std::atomic<int> openDelayMs{0};
  std::atomic<int> opens{0};
  std::atomic<int> lastBaud{0};
  std::atomic<bool> isOpen{false};

 private:
  std::mutex m_mutex;
  std::deque<uint8_t> m_toHost;
  std::deque<uint8_t> m_toPeer;
  Peer m_peer;
};

// Paths to lines; its factory() makes devices for PortManager::setDeviceFactory.
class MemoryLineSet {
 public:
  std::shared_ptr<MemoryLine> add(const std::string& path);
  std::shared_ptr<MemoryLine> find(const std::string& path) const;
  DeviceFactory factory() const;
  // A device on line; on no line (nullptr) it cannot be opened: the device is gone.
  static std::unique_ptr<SerialDevice> deviceOn(std::shared_ptr<MemoryLine> line);

 private:
  std::map<std::string, std::shared_ptr<MemoryLine>> m_lines;
};

}  // namespace q3
