// The two frame families on the line to the unit: family A (preamble, kind,
// command, address, length, data, CRC or 16-bit sum) and family B (operation
// and block byte, N data bytes, XOR check). The receiver finds frames in a
// port's receive ring byte by byte; the transmitter feeds a frame into a
// port's transmit buffer in chunks. Everything is fixed-size: nothing is
// allocated per byte or per frame.
#pragma once

#include <cstdint>

namespace q3 {

class PortRecord;
class PickupCapture;

inline constexpr int kFrameMax = 1040;
inline constexpr int kFamilyAHeader = 14;
inline constexpr int kFamilyAOverhead = 16;
inline constexpr int kFamilyAMaxData = 512;  // the most data one family A request carries
inline constexpr int kFamilyBOverhead = 2;

// Protocol identifiers.
inline constexpr int kProtoNone = 0;
inline constexpr int kProtoCrc = 1;  // family A, CRC check, kind nibble B
inline constexpr int kProtoSum = 2;  // family A, 16-bit sum check, kind nibble F
inline constexpr int kProto3050 = 3050;
inline constexpr int kProto3100 = 3100;
inline constexpr int kProto3150 = 3150;
inline constexpr int kProto3300 = 3300;

bool isFamilyA(int protocol);
bool isFamilyB(int protocol);
// Family B data bytes per frame (50, 100, 150, 300); 0 for other protocols.
int familyBData(int protocol);
// Frame length of a family B protocol (data + 2); 0 for other protocols.
int familyBFrameLength(int protocol);
bool isKnownProtocol(int protocol);

// Family A command codes.
inline constexpr uint16_t kCmdReadBlock = 0x7010;
inline constexpr uint16_t kCmdReadIdent = 0x701F;
inline constexpr uint16_t kCmdWriteBlock = 0x7020;
inline constexpr uint16_t kCmdMonitor = 0x7050;
inline constexpr uint16_t kCmdIdentify = 0xFEEE;
inline constexpr uint16_t kCmdReset = 0xF000;
inline constexpr uint16_t kCmdShortOk = 0xFFFF;
inline constexpr uint16_t kCmdShortRefused = 0xFFFE;

// Family A kind byte: high nibble check type, low nibble direction.
inline constexpr uint8_t kKindRequest = 0x0B;
inline constexpr uint8_t kKindAnswer = 0x0C;
inline constexpr uint8_t kKindShortRefused = 0x0D;

// Family B operation bases.
inline constexpr uint8_t kOpWrite = 0x00;
inline constexpr uint8_t kOpMonitor = 0x30;
inline constexpr uint8_t kOpRead = 0x40;

// The checks, exposed for the simulated unit and the tests.
uint16_t crcUpdate(uint16_t reg, uint8_t byte);
uint16_t crcOf(const uint8_t* p, int n, uint16_t start = 1);
// Sum with even offsets as low bytes and odd offsets as high bytes, starting at offset 'first'.
uint16_t sumOf(const uint8_t* p, int n, int first = 0, uint16_t start = 0);
inline constexpr uint16_t kCrcPreamble = 0xB797;  // register after FF FF FF FF A5 5A BB
inline constexpr uint16_t kSumPreamble = 0x5B5E;  // sum of the same seven bytes

// Builds a complete family A frame into dst (at least 16 + 512 bytes): kind
// nibble by protocol (1 CRC, 2 sum) and direction; the length is capped at 512.
// Returns the frame length.
int buildFrameA(uint8_t* dst, int protocol, uint8_t direction, uint16_t command, uint16_t address,
                const uint8_t* data, int length);
// Builds a family B frame: byte 0, N data bytes (zeros when data is null),
// optional key in the last data bytes (not for 3300), check. Returns N + 2.
int buildFrameB(uint8_t* dst, int protocol, uint8_t first, const uint8_t* data, int keyMajor,
                int keyMinor);
// Puts the key of a monitor or probe request into a family B frame in place
// (offset N major, N - 1 minor when not 0; nothing for 3300) and fixes the check.
void placeKeyB(uint8_t* frame, int protocol, int keyMajor, int keyMinor);
uint8_t checkB(const uint8_t* frame, int n);  // the check byte for frame[0..n)

// Field access of a received family A frame.
inline uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline void putLe16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

// One receiver context: the frame being received and the frame to send.
struct FrameReceiver {
  int32_t protocol = 0;
  uint16_t runningCheck = 0;
  uint16_t capturedCheck = 0;
  int32_t lastByteTime = 0;
  int32_t interByteTimeout = 0;  // ms of TMR
  int32_t expectedLength = 0;
  int32_t position = 0;
  int32_t checkType = 255;  // family A: 0 CRC, 1 sum, 255 unknown
  bool complete = false;    // a complete frame stands in the buffer (until the next byte)
  uint8_t frame[kFrameMax]{};
  uint8_t txFrame[kFrameMax]{};
  int32_t txLength = 0;
  int32_t txRemaining = 0;
  int32_t txPosition = -1;  // -1 = unset: the next transmit step starts from the beginning
  // Bytes taken from the ring so far; tells a silent unit from a noisy line.
  uint32_t bytesSeen = 0;
  // Frames that arrived whole but failed their check (or announced a length
  // no frame can have): a damaged answer is known at its last byte.
  uint32_t badFrames = 0;
  // Bytes that went to the frame receiver (not to a pickup capture).
  uint32_t frameBytes = 0;

  // Family A fields of the complete frame.
  uint8_t kind() const { return frame[7]; }
  uint16_t command() const { return le16(frame + 8); }
  uint16_t address() const { return le16(frame + 10); }
  uint16_t dataLength() const { return le16(frame + 12); }
  const uint8_t* dataA() const { return frame + kFamilyAHeader; }
  // Length of the complete frame.
  int frameLength() const { return expectedLength; }
};

// Clears the context and sets the protocol, inter-byte time-out and expected
// length. An unknown protocol leaves the context cleared with its old protocol.
void configureReceiver(FrameReceiver& rx, int protocol, int timeoutMs);
// Feeds one byte at time now; true when it completes a valid frame.
bool receiveByte(FrameReceiver& rx, uint8_t byte, int32_t now);
// Runs the receiver over the bytes waiting in the port's ring at time now
// (the pickup capture, when given and active, takes the bytes first). Stops at
// a complete frame, leaving later bytes in the ring; true when a complete
// valid frame stands in the buffer.
bool receive(FrameReceiver& rx, PortRecord& port, int32_t now, PickupCapture* capture);
// Drops a frame the receiver has begun (the bytes before a new request).
void restartReceive(FrameReceiver& rx);
// Moves the next chunk (at most 330 bytes) of the transmit frame into the
// port's transmit buffer when it is free. Returns the bytes still to send.
int transmitStep(FrameReceiver& rx, PortRecord& port);
// Sets the transmit frame to be sent from the beginning.
inline void restartTransmit(FrameReceiver& rx) { rx.txPosition = -1; }

// Request builders into the context's transmit frame; return the frame length.
int buildRequestA(FrameReceiver& rx, uint16_t command, uint16_t address, const uint8_t* data,
                  int length);
int buildRequestB(FrameReceiver& rx, uint8_t opBase, int block, const uint8_t* data, int keyMajor,
                  int keyMinor);

}  // namespace q3
