// The simulated unit's behaviour on the line and its small engine model.
#include "sim_unit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "params/address_map.h"
#include "sim_pickup.h"

namespace q3sim {

using namespace q3;

namespace {
inline void put16(uint8_t* monitor150, int word, int v) {
  // Monitor word N sits at indices 2N, 2N+1, i.e. block bytes 2N-1, 2N.
  monitor150[2 * word - 1] = uint8_t(v);
  monitor150[2 * word] = uint8_t(v >> 8);
}
inline void putB(uint8_t* monitor150, int index, int v) { monitor150[index - 1] = uint8_t(v); }
inline int get16(const uint8_t* monitor150, int word) {
  return monitor150[2 * word - 1] | monitor150[2 * word] << 8;
}
}  // namespace

SimUnit::SimUnit(SimConfig cfg) : m_cfg(std::move(cfg)), m_rng(m_cfg.seed) {
  configureReceiver(m_rxA, isFamilyA(m_cfg.protocol) ? m_cfg.protocol : kProtoCrc, 1000);
  // A plausible factory image: limiter 110 (x100 rpm), TPS sensor, 4 lobes, advance 10..35 deg.
  memory[ImageByte::Limiter] = 110;
  memory[ImageByte::TpsIapSensor] = 1;
  memory[ImageByte::Lobes] = 1;
  memory[ImageByte::Channels] = 2;
  memory[ImageByte::LobesPerRev] = 1;
  const uint8_t edges[8] = {1,  129, 129, 1,
                            65, 193, 193, 65};  // start and end edges of channels 1..4
  std::memcpy(memory + ImageByte::EdgeStart, edges, 8);
  for (int c = 0; c < kMapColumns; ++c) memory[ImageByte::RpmAdv + c] = uint8_t(10 + c * 7);
  for (int r = 0; r < kMapRows; ++r)
    for (int c = 0; c < kMapColumns; ++c)
      memory[ImageByte::Advance + r * kMapColumns + c] = uint8_t(100 + 10 + c * 25 / 14 - r / 2);
  setDesignation(nullptr);
  ident[0] = 'Q';
  ident[1] = 'L';
  ident[2] = 'N';
  ident[3] = 3;
  setBuildDate(21, 6, 2022, 14, 5);
  ident[10] = uint8_t(m_cfg.versionMajor);
  ident[11] = uint8_t(m_cfg.versionMinor);
  setProductionCode('K', true, 22, 6, 1);
  const uint8_t sn[8] = {0x17, 1, 2, 3, 4, 5, 6, 22};
  setSerial(sn);
  setLastUpdate(1655800000u);
  setNote("Simulated unit");
}

void SimUnit::setDesignation(const char* text15) {
  std::memset(ident + 16, 0, 15);
  if (text15) std::strncpy(reinterpret_cast<char*>(ident + 16), text15, 15);
}

void SimUnit::setBuildDate(int day, int month, int year, int hour, int minute) {
  static const uint8_t codes[12] = {25, 13, 32, 35, 39, 45, 43, 29, 40, 38, 51, 12};
  ident[4] = uint8_t(day);
  ident[5] = codes[std::clamp(month, 1, 12) - 1];
  ident[6] = uint8_t(year - 2000);
  ident[7] = uint8_t(hour);
  ident[8] = uint8_t(minute);
}

void SimUnit::setProductionCode(char letter, bool flag, int a, int b, int c) {
  ident[31] = uint8_t((letter & 0x7F) | (flag ? 0x80 : 0));
  ident[32] = uint8_t(a);
  ident[33] = uint8_t(b);
  ident[34] = uint8_t(c);
}

void SimUnit::setSerial(const uint8_t serial8[8]) { std::memcpy(ident + 39, serial8, 8); }

void SimUnit::setLastUpdate(uint32_t t) {
  for (int i = 0; i < 4; ++i) ident[35 + i] = uint8_t(t >> (8 * i));
}

void SimUnit::setNote(const char* text) {
  std::memset(ident + 47, 0, 100);
  if (text) std::strncpy(reinterpret_cast<char*>(ident + 47), text, 100);
}

bool SimUnit::loadMemory(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  uint8_t buf[kMemorySize];
  in.read(reinterpret_cast<char*>(buf), kMemorySize);
  if (in.gcount() != kMemorySize) return false;
  std::memcpy(memory, buf, kMemorySize);
  return true;
}

bool SimUnit::saveMemory(const std::string& path) const {
  const std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(memory), kMemorySize);
    if (!out) return false;
  }
  return std::rename(tmp.c_str(), path.c_str()) == 0;
}

void SimUnit::resetUnit() {
  ++resets;
  storing = 0;
  m_startMs = -1;
}

int SimUnit::advanceAt(int rpm, int loadPercent) const {
  // Nearest rpm column (breakpoints in hundreds of rpm), load row by percent.
  int col = 0, best = 1 << 30;
  for (int c = 0; c < kMapColumns; ++c) {
    const int d = std::abs(memory[ImageByte::RpmAdv + c] * 100 - rpm);
    if (d < best) {
      best = d;
      col = c;
    }
  }
  const int row = std::clamp(loadPercent * (kMapRows - 1) / 100, 0, kMapRows - 1);
  return int(memory[ImageByte::Advance + row * kMapColumns + col]) - 100;
}

void SimUnit::updateMonitor(int64_t now) {
  if (m_startMs < 0) m_startMs = now;
  const double t = double(now - m_startMs) / 1000.0;
  const int limiter = memory[ImageByte::Limiter] ? memory[ImageByte::Limiter] * 100 : 12000;
  const int idle = 1300;
  // A 20 s sweep from idle to just below the limiter and back.
  double phase = std::fmod(t, 20.0) / 20.0;
  double f = phase < 0.5 ? phase * 2 : (1 - phase) * 2;
  int rpm = int(idle + f * (limiter - 300 - idle));
  int throttle = int(f * 100);
  if (m_cfg.holdRpm >= 0) {
    // Held on the way up of the sweep: the first advance chart stays active.
    rpm = m_cfg.holdRpm;
    throttle = std::clamp(m_cfg.holdThrottle, 0, 100);
    f = throttle / 100.0;
    phase = f / 2;
  }
  const int sensor = std::min<int>(memory[ImageByte::TpsIapSensor], 2);
  const int pressure = 30 + throttle * 70 / 100;
  const int supply = 13800 + int(250 * std::sin(t * 0.7));
  const int adv = advanceAt(rpm, throttle);
  const int gear = std::clamp(1 + int(f * 6), 1, 6);
  if (m_lastModelMs >= 0 && storing > 0)
    storing = std::max(0, storing - int(now - m_lastModelMs) * 2);
  m_lastModelMs = now;

  uint8_t* m = monitor;
  std::memset(m, 0, kMonitorSize);
  putB(m, MonitorByte::UnitBike, memory[ImageByte::Bike]);  // the bike preset of the memory
  put16(m, MonitorWord::EngineSpeed, rpm);
  put16(m, MonitorWord::LoadVoltage, 500 + throttle * 40);
  put16(m, MonitorWord::LoadValue, sensor == 2 ? pressure : throttle);
  put16(m, MonitorWord::SupplyVoltage, supply);
  put16(m, MonitorWord::ServoPos1, m_servo);
  put16(m, MonitorWord::ServoPos2, 5000 - m_servo);
  put16(m, MonitorWord::SavingCounter, storing);
  for (int ch = 0; ch < 4; ++ch) put16(m, MonitorWord::MaxAdvance + ch, std::max(adv, 0) + 2);
  put16(m, MonitorWord::DwellOpt, 30);
  put16(m, MonitorWord::Dwell, 32 + int(f * 10));
  put16(m, MonitorWord::Speed, int(f * 180));
  put16(m, MonitorWord::GearVoltage, 500 + gear * 600);
  put16(m, MonitorWord::GearRatio, rpm / std::max(1, int(f * 180)));
  put16(m, MonitorWord::Acceleration, phase < 0.5 ? 1200 : 0);
  put16(m, MonitorWord::PotVoltage, 2500);
  put16(m, MonitorWord::PotCorrection, 1000);
  put16(m, MonitorWord::LambdaVoltage, 450 + int(300 * f));
  putB(m, MonitorByte::LoadSensor, sensor);
  const int channels = std::clamp<int>(memory[ImageByte::Channels], 1, 4);
  for (int ch = 0; ch < channels; ++ch) putB(m, MonitorByte::Advance + ch, adv + 100);
  putB(m, MonitorByte::DwellEe, 120);
  putB(m, MonitorByte::ServoPercent1, m_servo / 50);
  putB(m, MonitorByte::ServoPercent2, 100 - m_servo / 50);
  putB(m, MonitorByte::PickupSystem, memory[ImageByte::PickupSystem]);
  putB(m, MonitorByte::Channels, channels);
  putB(m, MonitorByte::Gear, gear);
  putB(m, MonitorByte::DwellFlash, 120);
  putB(m, MonitorByte::DwellNew, 120);
  putB(m, MonitorByte::Lambda, 147 - int(f * 20));
  putB(m, MonitorByte::SyncState, 0x10 | ((1 << channels) - 1));
  putB(m, MonitorByte::PickupStatus, 0x03);
  putB(m, MonitorByte::InputsGrounded, (int(t) & 1) ? 0x05 : 0x01);
  putB(m, MonitorByte::StatusFlags, 0xC0);
  // Every function switched on; quickshift cuts near the top of the sweep,
  // the second advance chart takes over on the way down, the start limiter
  // holds below 1500 rpm and the tacho-lambda output is quiet. The servo
  // reports its position as valid, and no error is raised.
  putB(m, MonitorByte::FunctionEnables, 0x7F);
  putB(m, MonitorByte::FunctionStates,
       (f > 0.85 ? 0x04 : 0) | (phase >= 0.5 ? 0x20 : 0) | (rpm < 1500 ? 0x10 : 0) | 0x40);
  putB(m, MonitorByte::ErrorFlags, 0x10);
  putB(m, MonitorByte::VersionMinor, m_cfg.versionMinor);
  putB(m, MonitorByte::VersionMajor, m_cfg.versionMajor);
}

void SimUnit::makePickupBlock(int64_t now) {
  // The trigger wheel of the memory's description at the speed and advance
  // the monitor block reports; time stamps count 0.4 us from the model's clock.
  const int rpm = std::max(300, get16(monitor, MonitorWord::EngineSpeed));
  const int adv = int(monitor[MonitorByte::Advance - 1]) - 100;
  const TriggerWheel wheel = describeTrigger(memory, adv);
  m_pickupPeriod = wheel.selector;
  const std::vector<uint32_t> samples = pickupSamples(wheel, rpm, now * 2500);
  m_pickup.clear();
  for (uint32_t w : samples)
    for (int i = 0; i < 4; ++i) m_pickup.push_back(uint8_t(w >> (8 * i)));
}

void SimUnit::announcePickupBlock(int64_t now) {
  // The answer announces the block that follows it: state, XOR, sum, period, length.
  makePickupBlock(now);
  uint8_t x = 0, s = 0;
  for (uint8_t b : m_pickup) {
    x ^= b;
    s = uint8_t(s + b);
  }
  putB(monitor, MonitorByte::PickupBlockState, m_cfg.pickupUnsynchronised ? 2 : 1);
  putB(monitor, MonitorByte::PickupBlockXor, x);
  putB(monitor, MonitorByte::PickupBlockSum, s);
  putB(monitor, MonitorByte::PickupPeriod, m_pickupPeriod);
  put16(monitor, MonitorWord::PickupBlockLength, int(m_pickup.size()));
}

void SimUnit::putOnLine(uint8_t b, std::vector<uint8_t>& out) {
  if (m_cfg.drop > 0 && m_uni(m_rng) < m_cfg.drop) return;
  if (m_cfg.corrupt > 0 && m_uni(m_rng) < m_cfg.corrupt) {
    uint8_t mask = 0;
    while (mask == 0) mask = uint8_t(m_rng());
    b ^= mask;
  }
  out.push_back(b);
}

void SimUnit::sendFrame(uint8_t* frame, int n, std::vector<uint8_t>& out, bool familyA) {
  if (corruptNextAnswers > 0) {
    --corruptNextAnswers;
    frame[n - 1] ^= 0x5A;  // a wrong check: the receiver must drop it
  }
  ++framesAnswered;
  if (frameLog) frameLog("OUT", frame, n);
  for (int i = 0; i < n; ++i) putOnLine(frame[i], out);
}

void SimUnit::applyTestBits(const uint8_t* req) {
  // Each request carries the clicks since the last one; act once per request.
  std::memcpy(lastTest, req + 20, 3);
  if (req[20] | req[21] | req[22]) ++testActions;
  if (req[22] & 0x01) m_servo = std::min(5000, m_servo + 250);
  if (req[22] & 0x02) m_servo = std::max(0, m_servo - 250);
}

void SimUnit::appendPickupBlock(const uint8_t* req, std::vector<uint8_t>& out) {
  // While the program asks for it (request byte 23) the answer announces a
  // block in monitor bytes 128..131 and word 49, and the block follows it.
  if (req[23] != 1 || m_pickup.empty()) return;
  for (uint8_t b : m_pickup) putOnLine(b, out);
}

void SimUnit::receive(const uint8_t* data, int n, int64_t now, std::vector<uint8_t>& out) {
  for (int i = 0; i < n; ++i) {
    const uint8_t b = data[i];
    if (m_cfg.echo) out.push_back(b);
    if (isFamilyA(m_cfg.protocol)) {
      if (receiveByte(m_rxA, b, int32_t(now))) handleA(now, out);
      continue;
    }
    const int len = familyBFrameLength(m_cfg.protocol);
    if (m_posB > 0 && now - m_lastByteMs > 100) m_posB = 0;  // a pause ends a partial request
    m_lastByteMs = now;
    if (m_posB == 0 && (b & 0x80)) continue;  // requests never have bit 7 in their first byte
    m_reqB[m_posB++] = b;
    if (m_posB < len) continue;
    if (checkB(m_reqB, len) == 0) {
      m_posB = 0;
      handleB(m_reqB, now, out);
      continue;
    }
    // A bad request: slide to the next byte that could start one.
    int k = 1;
    while (k < len && (m_reqB[k] & 0x80)) ++k;
    std::memmove(m_reqB, m_reqB + k, size_t(len - k));
    m_posB = len - k;
  }
}

void SimUnit::handleA(int64_t now, std::vector<uint8_t>& out) {
  ++framesIn;
  const FrameReceiver& rx = m_rxA;
  if (frameLog) frameLog("IN", rx.frame, rx.frameLength());
  if ((rx.kind() & 0x0F) != kKindRequest) return;
  // A unit speaks one check type: requests of the other one go unanswered.
  if ((rx.kind() & 0xF0) != (m_cfg.protocol == kProtoSum ? 0xF0 : 0xB0)) return;
  if (m_cfg.silent || (m_cfg.silentAfter >= 0 && framesAnswered >= m_cfg.silentAfter)) return;
  if (m_cfg.silentWhileStoring && storing > 0 && rx.command() == kCmdMonitor) fellSilent = true;
  if (fellSilent) return;
  const int proto = m_cfg.protocol;
  const uint16_t cmd = rx.command();
  const uint16_t addr = rx.address();
  const int len = rx.dataLength();
  const uint8_t* d = rx.dataA();
  int n = 0;
  switch (cmd) {
    case kCmdIdentify: {
      uint8_t data[64]{};
      const int nl = int(std::min<size_t>(m_cfg.name.size(), 31));
      std::memcpy(data, m_cfg.name.data(), size_t(nl));
      int p = nl + 1;
      putLe16(data + p, uint16_t(m_cfg.maxFrameLength));
      putLe16(data + p + 2, uint16_t(m_cfg.hwVersion));
      putLe16(data + p + 4, uint16_t(m_cfg.typeKey));
      n = buildFrameA(m_frame, proto, kKindAnswer, cmd, addr, data, p + 6);
      break;
    }
    case kCmdReadBlock:
    case kCmdReadIdent: {
      const int want = len >= 2 ? le16(d) : 0;
      const uint8_t* src = cmd == kCmdReadBlock ? memory : ident;
      const int size = cmd == kCmdReadBlock ? kMemorySize : kIdentSize;
      uint8_t data[kFamilyAMaxData]{};
      const int take = std::clamp(want, 0, kFamilyAMaxData);
      for (int i = 0; i < take; ++i) data[i] = addr + i < size ? src[addr + i] : 0;
      n = buildFrameA(m_frame, proto, kKindAnswer, cmd, addr, data, take);
      if (cmd == kCmdReadBlock) afterMemoryRead(addr, take);
      break;
    }
    case kCmdWriteBlock: {
      for (int i = 0; i < len && addr + i < kMemorySize; ++i) memory[addr + i] = d[i];
      memoryDirty = true;
      storing = 2100;
      m_lastModelMs = now;  // the storing countdown runs from the last write
      // Acknowledged with the short answer: command 0xFFFF, the command in the
      // address field and the block address as the data word.
      uint8_t word[2];
      putLe16(word, addr);
      n = buildFrameA(m_frame, proto, kKindAnswer, kCmdShortOk, kCmdWriteBlock,
                      addr ? word : nullptr, addr ? 2 : 0);
      break;
    }
    case kCmdMonitor: {
      uint8_t req[kMonitorSize]{};
      std::memcpy(req, d, size_t(std::min(len, kMonitorSize)));
      applyTestBits(req);
      updateMonitor(now);
      if (req[23] == 1) {
        announcePickupBlock(now);
      }
      const int take = std::clamp(len, 0, kMonitorSize);
      n = buildFrameA(m_frame, proto, kKindAnswer, cmd, addr,
                      monitor + std::min<int>(addr, kMonitorSize - take), take);
      sendFrame(m_frame, n, out, true);
      appendPickupBlock(req, out);
      return;
    }
    case kCmdReset:
      resetUnit();
      n = buildFrameA(m_frame, proto, kKindAnswer, cmd, addr, nullptr, 0);
      break;
    default:
      n = buildFrameA(m_frame, proto, kKindAnswer, kCmdShortRefused, cmd, nullptr, 0);
      break;
  }
  sendFrame(m_frame, n, out, true);
}

void SimUnit::handleB(const uint8_t* req, int64_t now, std::vector<uint8_t>& out) {
  ++framesIn;
  const int proto = m_cfg.protocol;
  const int N = familyBData(proto);
  if (frameLog) frameLog("IN", req, N + 2);
  if (m_cfg.silent || (m_cfg.silentAfter >= 0 && framesAnswered >= m_cfg.silentAfter)) return;
  if (m_cfg.silentWhileStoring && storing > 0 && (req[0] & 0xF0) == kOpMonitor) fellSilent = true;
  if (fellSilent) return;
  const uint8_t op = req[0];
  const uint8_t* d = req + 1;
  uint8_t data[300]{};
  uint8_t first = uint8_t(op | 0x80);
  if (op < kOpMonitor) {  // write
    const int blk = op;
    if (blk == 0) {
      std::memcpy(command, d, size_t(std::min(N, kIdentSize)));
      if (d[12] == 0xA5 && d[13] == 0x10) resetUnit();
    } else {
      const int base = (blk - 1) * N;
      for (int i = 0; i < N && base + i < kMemorySize; ++i) memory[base + i] = d[i];
      memoryDirty = true;
      storing = 2100;
      m_lastModelMs = now;  // the storing countdown runs from the last write
    }
    std::memcpy(data, d, size_t(N));  // the echo the program compares
  } else if (op < kOpRead) {          // monitor exchange, block op - 0x30
    const int blk = op - kOpMonitor;
    uint8_t reqBlock[kMonitorSize]{};
    const int at = blk * N;
    for (int i = 0; i < N && at + i < kMonitorSize; ++i) reqBlock[at + i] = d[i];
    if (blk == 0 || at <= 23) applyTestBits(reqBlock);
    updateMonitor(now);
    const bool wantsPickup = at <= 23 && 23 < at + N && reqBlock[23] == 1;
    if (wantsPickup) {
      announcePickupBlock(now);
    }
    for (int i = 0; i < N && at + i < kMonitorSize; ++i) data[i] = monitor[at + i];
    if (blk == 0) {
      // The probe answer: the type key in the last data byte, or big-endian at
      // frame offsets 2 and 3 for the 300-byte frames.
      if (proto == kProto3300) {
        data[1] = uint8_t(m_cfg.typeKey >> 8);
        data[2] = uint8_t(m_cfg.typeKey);
      } else {
        data[N - 1] = uint8_t(m_cfg.typeKey);
      }
    }
    const int n = buildFrameB(m_frame, proto, first, data, 0, 0);
    sendFrame(m_frame, n, out, false);
    if (wantsPickup) appendPickupBlock(reqBlock, out);
    return;
  } else {  // read
    const int blk = op - kOpRead;
    if (blk == 0) {
      std::memcpy(data, ident, size_t(std::min(N, kIdentSize)));
    } else {
      const int base = (blk - 1) * N;
      for (int i = 0; i < N && base + i < kMemorySize; ++i) data[i] = memory[base + i];
      afterMemoryRead(base, N);
    }
  }
  const int n = buildFrameB(m_frame, proto, first, data, 0, 0);
  sendFrame(m_frame, n, out, false);
}

void SimUnit::afterMemoryRead(int from, int count) {
  const int a = m_cfg.unstableAddr;
  if (a < 0 || a >= kMemorySize || a < from || a >= from + count) return;
  if (m_cfg.unstableSkip > 0) {
    --m_cfg.unstableSkip;
    return;
  }
  ++memory[a];
}

}  // namespace q3sim
