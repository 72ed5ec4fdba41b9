// The serial device as the port threads see it. One real implementation uses
// Qt SerialPort; tests and the in-process simulated unit use an in-memory line.
// A device is created, used and destroyed by the one port thread that owns it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace q3 {

// Why a device could not be opened.
enum class OpenFailure : uint8_t {
  None,
  PermissionDenied,  // the user may not open it (not in the device's group)
  Busy,              // another program holds it
  Gone,              // the device no longer exists
  Other,
};

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;
  // Opens the device for exclusive read and write at baud, 8 data bits, no
  // parity, 1 stop bit; purges both directions. False when it cannot.
  virtual bool open(const std::string& path, int baud) = 0;
  // After a failed open: why.
  virtual OpenFailure openFailure() const { return OpenFailure::Other; }
  // Discards both queues and closes; failures are ignored.
  virtual void close() = 0;
  // Bytes waiting in the input queue (0 when none or on an error, which is cleared).
  virtual int bytesWaiting() = 0;
  // Reads up to max waiting bytes without blocking; returns how many were read.
  virtual int read(uint8_t* dst, int max) = 0;
  // Writes the whole chunk, blocking at most about 100 ms; returns bytes accepted.
  virtual int write(const uint8_t* src, int n) = 0;
};

// Creates an unopened device for a device path; called in the port's own thread.
using DeviceFactory = std::function<std::unique_ptr<SerialDevice>(const std::string& path)>;

// The factory of the real serial ports (Qt SerialPort).
DeviceFactory qtSerialDeviceFactory();

}  // namespace q3
