// Why a serial device cannot be opened, in words a user can act on: the group
// that may open it and how to join it, the program that holds it, or that it
// is gone. The system look-ups live in a small platform file
// (port_diagnosis_posix.cpp); other systems get the plain reason.
#pragma once

#include <string>

#include "link/serial_device.h"

namespace q3 {

// Whether this user may open the device for reading and writing (a device
// that exists but refuses only because it is held passes).
bool mayOpen(const std::string& path);

// The group owning the device ("dialout", "uucp", ...; empty when unknown).
std::string deviceGroup(const std::string& path);

// The program holding the device open ("ModemManager (pid 612)"; empty when
// the system does not show it).
std::string deviceHolder(const std::string& path);

// One English line: "permission denied: /dev/ttyUSB0 belongs to group dialout
// - join it with: sudo usermod -aG dialout $USER (then log in again)".
std::string describeOpenFailure(OpenFailure why, const std::string& path);

// A short name of the reason for menus: "permission denied", "busy", "gone".
const char* openFailureName(OpenFailure why);

}  // namespace q3
