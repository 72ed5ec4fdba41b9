// Frame families A and B: checks, builders, the byte receiver and the transmitter.
#include "link/frame.h"

#include <algorithm>
#include <cstring>

#include "base/debug_log.h"
#include "link/pickup_capture.h"
#include "link/port_manager.h"

namespace q3 {

namespace {
constexpr uint8_t kPreamble[7] = {0xFF, 0xFF, 0xFF, 0xFF, 0xA5, 0x5A, 0xBB};
constexpr int kCheckCrc = 0;
constexpr int kCheckSum = 1;
constexpr int kCheckUnknown = 255;
}  // namespace

bool isFamilyA(int protocol) { return protocol == kProtoCrc || protocol == kProtoSum; }

int familyBData(int protocol) {
  switch (protocol) {
    case kProto3050:
      return 50;
    case kProto3100:
      return 100;
    case kProto3150:
      return 150;
    case kProto3300:
      return 300;
    default:
      return 0;
  }
}

bool isFamilyB(int protocol) { return familyBData(protocol) != 0; }
int familyBFrameLength(int protocol) {
  const int n = familyBData(protocol);
  return n ? n + kFamilyBOverhead : 0;
}
bool isKnownProtocol(int protocol) {
  return protocol == kProtoNone || isFamilyA(protocol) || isFamilyB(protocol);
}

uint16_t crcUpdate(uint16_t reg, uint8_t byte) {
  for (int bit = 0; bit < 8; ++bit) {
    const bool top = reg & 0x8000;
    reg = uint16_t((reg << 1) | ((byte >> bit) & 1));
    if (top) reg ^= 0x1083;
  }
  return reg;
}

uint16_t crcOf(const uint8_t* p, int n, uint16_t start) {
  uint16_t reg = start;
  for (int i = 0; i < n; ++i) reg = crcUpdate(reg, p[i]);
  return reg;
}

uint16_t sumOf(const uint8_t* p, int n, int first, uint16_t start) {
  uint16_t s = start;
  for (int i = 0; i < n; ++i) s = uint16_t(s + (((first + i) & 1) ? p[i] << 8 : p[i]));
  return s;
}

int buildFrameA(uint8_t* dst, int protocol, uint8_t direction, uint16_t command, uint16_t address,
                const uint8_t* data, int length) {
  length = std::clamp(length, 0, kFamilyAMaxData);
  std::memcpy(dst, kPreamble, 7);
  dst[7] = uint8_t((protocol == kProtoSum ? 0xF0 : 0xB0) | (direction & 0x0F));
  putLe16(dst + 8, command);
  putLe16(dst + 10, address);
  putLe16(dst + 12, uint16_t(length));
  if (length > 0) {
    if (data)
      std::memcpy(dst + kFamilyAHeader, data, size_t(length));
    else
      std::memset(dst + kFamilyAHeader, 0, size_t(length));
  }
  const int body = kFamilyAHeader + length;
  if (protocol == kProtoSum) {
    const uint16_t s = sumOf(dst, body);
    if ((length & 1) == 0) {
      putLe16(dst + body, uint16_t(~s));
    } else {
      // The first check byte sits at an odd offset and counts as a high byte.
      dst[body] = uint8_t(~(s >> 8));
      dst[body + 1] = uint8_t(~s);
    }
  } else {
    putLe16(dst + body, crcOf(dst, body));
  }
  return body + 2;
}

uint8_t checkB(const uint8_t* frame, int n) {
  uint8_t x = 0xFF;
  for (int i = 0; i < n; ++i) x ^= frame[i];
  return x;
}

void placeKeyB(uint8_t* frame, int protocol, int keyMajor, int keyMinor) {
  const int n = familyBData(protocol);
  if (n == 0) return;
  if (protocol != kProto3300) {
    if (keyMinor != 0) frame[n - 1] = uint8_t(keyMinor);
    if (keyMajor != 0 || keyMinor != 0) frame[n] = uint8_t(keyMajor);
  }
  frame[n + 1] = checkB(frame, n + 1);
}

int buildFrameB(uint8_t* dst, int protocol, uint8_t first, const uint8_t* data, int keyMajor,
                int keyMinor) {
  const int n = familyBData(protocol);
  if (n == 0) return 0;
  dst[0] = first;
  if (data)
    std::memcpy(dst + 1, data, size_t(n));
  else
    std::memset(dst + 1, 0, size_t(n));
  placeKeyB(dst, protocol, keyMajor, keyMinor);
  return n + kFamilyBOverhead;
}

void configureReceiver(FrameReceiver& rx, int protocol, int timeoutMs) {
  rx.position = 0;
  rx.runningCheck = 0;
  rx.capturedCheck = 0;
  rx.lastByteTime = 0;
  rx.interByteTimeout = 0;
  rx.expectedLength = 0;
  rx.checkType = kCheckUnknown;
  rx.complete = false;
  rx.txLength = 0;
  rx.txRemaining = 0;
  rx.txPosition = -1;
  if (!isKnownProtocol(protocol)) return;
  rx.protocol = protocol;
  rx.interByteTimeout = timeoutMs;
  if (isFamilyA(protocol))
    rx.expectedLength = kFamilyAOverhead;
  else
    rx.expectedLength = familyBFrameLength(protocol);
}

namespace {

// The short answers carry their meaning in the address field: 0xFFFF is an
// acknowledgement, 0xFFFE a refusal. They are turned into ordinary answers of
// the command they acknowledge so the engine needs only one comparison.
void rewriteShortAnswer(FrameReceiver& rx) {
  const uint16_t cmd = rx.command();
  if (cmd != kCmdShortOk && cmd != kCmdShortRefused) return;
  const uint16_t len = rx.dataLength();
  uint16_t addr = 0;
  if (len == 1) addr = rx.frame[kFamilyAHeader];
  if (len == 2) addr = le16(rx.frame + kFamilyAHeader);
  rx.frame[7] =
      uint8_t((rx.frame[7] & 0xF0) | (cmd == kCmdShortOk ? kKindAnswer : kKindShortRefused));
  putLe16(rx.frame + 8, rx.address());
  putLe16(rx.frame + 10, addr);
  putLe16(rx.frame + 12, 0);
}

void restartA(FrameReceiver& rx) {
  rx.position = 0;
  rx.checkType = kCheckUnknown;
  rx.expectedLength = kFamilyAOverhead;
  rx.runningCheck = 0;
}

bool receiveByteA(FrameReceiver& rx, uint8_t b) {
  if (rx.complete || rx.position >= kFrameMax) {
    rx.complete = false;
    restartA(rx);
  }
  rx.frame[rx.position++] = b;
  if (rx.checkType == kCheckCrc)
    rx.runningCheck = crcUpdate(rx.runningCheck, b);
  else if (rx.checkType == kCheckSum)
    rx.runningCheck = uint16_t(rx.runningCheck + ((rx.position - 1) & 1 ? b << 8 : b));

  if (rx.position == 8) {
    const uint8_t hi = rx.frame[7] & 0xF0;
    if (std::memcmp(rx.frame, kPreamble, 7) == 0 && (hi == 0xB0 || hi == 0xF0)) {
      if (hi == 0xB0) {
        rx.checkType = kCheckCrc;
        rx.runningCheck = crcUpdate(kCrcPreamble, rx.frame[7]);
      } else {
        rx.checkType = kCheckSum;
        rx.runningCheck = uint16_t(kSumPreamble + rx.frame[7] * 256);
      }
    } else {
      // Slide: drop the first byte and wait for the next one.
      std::memmove(rx.frame, rx.frame + 1, 7);
      rx.position = 7;
    }
    return false;
  }
  if (rx.position == kFamilyAHeader) {
    const int total = kFamilyAOverhead + rx.dataLength();
    if (total > kFrameMax) {  // cannot fit the frame buffer: not a frame of ours
      ++rx.badFrames;
      restartA(rx);
      return false;
    }
    rx.expectedLength = total;
  }
  if (rx.position < kFamilyAHeader) return false;
  if (rx.checkType == kCheckCrc && rx.position == rx.expectedLength - 2)
    rx.capturedCheck = rx.runningCheck;
  if (rx.position < rx.expectedLength) return false;
  bool ok;
  if (rx.checkType == kCheckCrc)
    ok = rx.capturedCheck == le16(rx.frame + rx.expectedLength - 2);
  else
    ok = rx.runningCheck == 0xFFFF;
  if (!ok) {
    ++rx.badFrames;
    restartA(rx);
    return false;
  }
  rewriteShortAnswer(rx);
  rx.complete = true;
  return true;
}

bool receiveByteB(FrameReceiver& rx, uint8_t b) {
  const int len = familyBFrameLength(rx.protocol);
  rx.complete = false;
  if (rx.position >= len) rx.position = 0;
  if (rx.position == 0) {
    if (!(b & 0x80)) return false;
    rx.runningCheck = 0xFF;
  }
  rx.frame[rx.position++] = b;
  rx.runningCheck ^= b;
  if (rx.position == len) {
    if (rx.runningCheck == 0) {
      rx.position = 0;
      rx.complete = true;
      return true;
    }
    ++rx.badFrames;
  }
  return false;
}

}  // namespace

bool receiveByte(FrameReceiver& rx, uint8_t b, int32_t now) {
  if (rx.position > 0 && now - rx.lastByteTime > rx.interByteTimeout) {
    if (isFamilyA(rx.protocol))
      restartA(rx);
    else
      rx.position = 0;
  }
  rx.lastByteTime = now;
  if (isFamilyA(rx.protocol)) return receiveByteA(rx, b);
  if (isFamilyB(rx.protocol)) return receiveByteB(rx, b);
  return false;
}

void restartReceive(FrameReceiver& rx) {
  rx.complete = false;
  if (isFamilyA(rx.protocol))
    restartA(rx);
  else
    rx.position = 0;
}

bool receive(FrameReceiver& rx, PortRecord& port, int32_t now, PickupCapture* capture) {
  if (rx.protocol == kProtoNone) {
    port.rxDiscard();
    return false;
  }
  uint8_t b;
  while (port.takeByte(b)) {
    ++rx.bytesSeen;
    if (capture && capture->active()) {
      bool alsoFrame = false;
      if (capture->feed(b, alsoFrame)) {
        // The bytes that went into the block were no frame: a partial frame
        // built from them would swallow the start of the next answer.
        if (isFamilyA(rx.protocol))
          restartA(rx);
        else
          rx.position = 0;
        return false;
      }
      if (!alsoFrame) continue;
    }
    ++rx.frameBytes;
    if (receiveByte(rx, b, now)) return true;
  }
  return false;
}

int transmitStep(FrameReceiver& rx, PortRecord& port) {
  if (rx.txPosition < 0) {
    rx.txPosition = 0;
    rx.txRemaining = rx.txLength;
  }
  if (rx.txRemaining <= 0 || port.txBusy()) return rx.txRemaining;
  debugLog("...sent [0x%02x] (%i)", rx.txFrame[0], rx.txRemaining);
  const int n = port.putChunk(rx.txFrame + rx.txPosition, std::min(rx.txRemaining, kRingSize));
  rx.txPosition += n;
  rx.txRemaining -= n;
  return rx.txRemaining;
}

int buildRequestA(FrameReceiver& rx, uint16_t command, uint16_t address, const uint8_t* data,
                  int length) {
  rx.txLength = buildFrameA(rx.txFrame, rx.protocol, kKindRequest, command, address, data, length);
  rx.txPosition = -1;
  return rx.txLength;
}

int buildRequestB(FrameReceiver& rx, uint8_t opBase, int block, const uint8_t* data, int keyMajor,
                  int keyMinor) {
  rx.txLength =
      buildFrameB(rx.txFrame, rx.protocol, uint8_t(opBase + block), data, keyMajor, keyMinor);
  rx.txPosition = -1;
  return rx.txLength;
}

}  // namespace q3
