// In-memory serial line.
#include "link/memory_device.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace q3 {

void MemoryLine::setPeer(Peer p) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_peer = std::move(p);
}

void MemoryLine::peerWrite(const uint8_t* data, int n) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_toHost.insert(m_toHost.end(), data, data + n);
}

std::vector<uint8_t> MemoryLine::peerReadAll() {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<uint8_t> v(m_toPeer.begin(), m_toPeer.end());
  m_toPeer.clear();
  return v;
}

void MemoryLine::hostWrite(const uint8_t* data, int n) {
  Peer peer;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_peer) {
      m_toPeer.insert(m_toPeer.end(), data, data + n);
      return;
    }
    peer = m_peer;
  }
  peer(data, n);  // outside the lock: the peer answers through peerWrite()
}

int MemoryLine::hostWaiting() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return int(m_toHost.size());
}

int MemoryLine::hostRead(uint8_t* dst, int max) {
  std::lock_guard<std::mutex> lock(m_mutex);
  const int n = std::min<int>(max, int(m_toHost.size()));
  std::copy_n(m_toHost.begin(), n, dst);
  m_toHost.erase(m_toHost.begin(), m_toHost.begin() + n);
  return n;
}

void MemoryLine::hostPurge() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_toHost.clear();
}

namespace {

class MemoryDevice final : public SerialDevice {
 public:
  explicit MemoryDevice(std::shared_ptr<MemoryLine> line) : m_line(std::move(line)) {}
  bool open(const std::string&, int baud) override {
    if (!m_line) {
      m_failure = OpenFailure::Gone;
      return false;
    }
    if (const int d = m_line->openDelayMs.load())
      std::this_thread::sleep_for(std::chrono::milliseconds(d));
    if (m_line->failOpen.load()) {
      m_failure = m_line->failOpenAs.load();
      return false;
    }
    if (m_line->isOpen.exchange(true)) {  // exclusive
      m_failure = OpenFailure::Busy;
      return false;
    }
    m_line->opens.fetch_add(1);
    m_line->lastBaud.store(baud);
    m_line->hostPurge();
    m_open = true;
    return true;
  }
  void close() override {
    if (m_line && m_open) m_line->isOpen.store(false);
    m_open = false;
  }
  OpenFailure openFailure() const override { return m_failure; }
  int bytesWaiting() override { return m_line ? m_line->hostWaiting() : 0; }
  int read(uint8_t* dst, int max) override { return m_line ? m_line->hostRead(dst, max) : 0; }
  int write(const uint8_t* src, int n) override {
    if (!m_line) return 0;
    m_line->hostWrite(src, n);
    return n;
  }
  ~MemoryDevice() override { close(); }

 private:
  std::shared_ptr<MemoryLine> m_line;
  bool m_open = false;
  OpenFailure m_failure = OpenFailure::None;
};

}  // namespace

std::shared_ptr<MemoryLine> MemoryLineSet::add(const std::string& path) {
  auto line = std::make_shared<MemoryLine>();
  m_lines[path] = line;
  return line;
}

std::shared_ptr<MemoryLine> MemoryLineSet::find(const std::string& path) const {
  auto it = m_lines.find(path);
  return it == m_lines.end() ? nullptr : it->second;
}

DeviceFactory MemoryLineSet::factory() const {
  auto lines = m_lines;  // the factory keeps its own copy of the table
  return [lines](const std::string& path) -> std::unique_ptr<SerialDevice> {
    auto it = lines.find(path);
    return deviceOn(it == lines.end() ? nullptr : it->second);
  };
}

std::unique_ptr<SerialDevice> MemoryLineSet::deviceOn(std::shared_ptr<MemoryLine> line) {
  return std::make_unique<MemoryDevice>(std::move(line));
}

}  // namespace q3
