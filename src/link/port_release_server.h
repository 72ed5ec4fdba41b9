// The local notification by which the unit's bootloader tool asks the program
// to release a COM port or to take it back: a local socket that takes one text
// line "PORT CODE" per connection (numbers in decimal or 0x hexadecimal).
// Needs a running Qt event loop.
//
// The socket belongs to one user: its name is "quelin3-104-<user id>", so two
// users of one machine each have their own, and only its owner may connect.
// The start option QUELIN3_PORT_SERVER replaces the whole name (a test suite
// gives every test program its own, so a program running on the same machine
// is never reached).
#pragma once

#include <QObject>
#include <functional>
#include <string>

class QLocalServer;

namespace q3 {

// The name of this user's socket: the start option (QUELIN3_PORT_SERVER) when
// set, else "quelin3-104-" followed by the user id.
std::string portReleaseServerName(const std::string& startOption);

// Parses "PORT CODE"; false for anything else.
bool parsePortMessage(const std::string& line, int& port, int32_t& code);

class PortReleaseServer : public QObject {
 public:
  using Handler = std::function<void(int port, int32_t code)>;
  explicit PortReleaseServer(Handler h, QObject* parent = nullptr);
  ~PortReleaseServer() override;
  // Starts listening under name (empty: this user's name); a stale
  // socket of an ended program is removed, a running program's is left alone
  // (false).
  bool listen(const std::string& name = {});
  bool listening() const;

 private:
  void accept();
  QLocalServer* m_server = nullptr;
  Handler m_handler;
};

// Sends one message to the server of that name (empty: this user's); true
// when a server took it (used by tests and tools).
bool sendPortMessage(int port, int32_t code, const std::string& name = {}, int timeoutMs = 1000);

}  // namespace q3
