// The local notification by which the unit's bootloader tool asks the program
// to release a COM port or to take it back: a local socket named
// "quelin3-104" that takes one text line "PORT CODE" per connection (numbers
// in decimal or 0x hexadecimal). Needs a running Qt event loop.
#pragma once

#include <QObject>
#include <functional>
#include <string>

class QLocalServer;

namespace q3 {

inline constexpr const char* kPortReleaseServerName = "quelin3-104";

// Parses "PORT CODE"; false for anything else.
bool parsePortMessage(const std::string& line, int& port, int32_t& code);

class PortReleaseServer : public QObject {
 public:
  using Handler = std::function<void(int port, int32_t code)>;
  explicit PortReleaseServer(Handler h, QObject* parent = nullptr);
  ~PortReleaseServer() override;
  // Starts listening under name; a stale socket of an ended program is
  // removed, a running program's is left alone (false).
  bool listen(const char* name = kPortReleaseServerName);
  bool listening() const;

 private:
  void accept();
  QLocalServer* m_server = nullptr;
  Handler m_handler;
};

// Sends one message; true when a server took it (used by tests and tools).
bool sendPortMessage(int port, int32_t code, const char* name = kPortReleaseServerName,
                     int timeoutMs = 1000);

}  // namespace q3
