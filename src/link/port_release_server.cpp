// The port-release notification over a local socket.
#include "link/port_release_server.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <cstdio>
#include <cstdlib>

#include "base/debug_log.h"

namespace q3 {

namespace {
QString serverName(const std::string& name) {
  return QString::fromStdString(name.empty() ? portReleaseServerName({}) : name);
}
}  // namespace

std::string portReleaseServerName(const std::string& startOption) {
  if (!startOption.empty()) return startOption;
  return "quelin3-104-" + std::to_string(::getuid());
}

bool parsePortMessage(const std::string& line, int& port, int32_t& code) {
  const char* p = line.c_str();
  char* end = nullptr;
  long a = std::strtol(p, &end, 0);
  if (end == p) return false;
  p = end;
  long long b = std::strtoll(p, &end, 0);
  if (end == p) return false;
  while (*end == ' ' || *end == '\t' || *end == '\r' || *end == '\n') ++end;
  if (*end != 0 || a < 0 || a > 255 || b < INT32_MIN || b > UINT32_MAX) return false;
  port = static_cast<int>(a);
  code = static_cast<int32_t>(static_cast<uint32_t>(b));
  return true;
}

PortReleaseServer::PortReleaseServer(Handler h, QObject* parent)
    : QObject(parent), m_server(new QLocalServer(this)), m_handler(std::move(h)) {
  connect(m_server, &QLocalServer::newConnection, this, [this] { accept(); });
}

PortReleaseServer::~PortReleaseServer() = default;

bool PortReleaseServer::listen(const std::string& name) {
  const QString full = serverName(name);
  // Another program of this user listens under the name: leave it alone.
  QLocalSocket probe;
  probe.connectToServer(full);
  if (probe.waitForConnected(200)) return false;
  // A socket left by a program that ended without closing it: take it over.
  QLocalServer::removeServer(full);
  m_server->setSocketOptions(QLocalServer::UserAccessOption);
  return m_server->listen(full);
}

bool PortReleaseServer::listening() const { return m_server->isListening(); }

void PortReleaseServer::accept() {
  while (QLocalSocket* s = m_server->nextPendingConnection()) {
    connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
    connect(s, &QLocalSocket::readyRead, this, [this, s] {
      while (s->canReadLine()) {
        const std::string line = s->readLine(256).toStdString();
        int port = 0;
        int32_t code = 0;
        if (!parsePortMessage(line, port, code)) {
          debugLog("Port message ignored: %s", line.c_str());
          continue;
        }
        debugLog("Port message COM%i 0x%08x", port, static_cast<unsigned>(code));
        if (m_handler) m_handler(port, code);
      }
    });
  }
}

bool sendPortMessage(int port, int32_t code, const std::string& name, int timeoutMs) {
  QLocalSocket s;
  s.connectToServer(serverName(name));
  if (!s.waitForConnected(timeoutMs)) return false;
  char line[64];
  std::snprintf(line, sizeof line, "%d %u\n", port, static_cast<unsigned>(code));
  s.write(line);
  const bool ok = s.waitForBytesWritten(timeoutMs);
  s.disconnectFromServer();
  return ok;
}

}  // namespace q3
