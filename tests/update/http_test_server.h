// A small HTTP server on 127.0.0.1 for the update-check tests. It answers
// every request in one of a few named ways: a whole answer, a trickle that
// never ends, silence, or a flood of bytes with or without a declared length.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>

namespace q3test {

// The process's one QCoreApplication (tests of this folder run no widgets).
inline QCoreApplication& coreApp() {
  static int argc = 1;
  static char name[] = "test_update";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = QCoreApplication::instance() ? QCoreApplication::instance()
                                                              : new QCoreApplication(argc, argv);
  return *app;
}

// Runs the event loop until done() or timeoutMs; returns done().
inline bool spinUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
  coreApp();
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < timeoutMs)
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
  return done();
}

class TestHttpServer : public QObject {
 public:
  enum class Mode {
    Answer,         // status line, Content-Length and the body, then close
    Trickle,        // a declared length, then one byte every 100 ms
    Silent,         // take the connection and say nothing
    FloodDeclared,  // Content-Length of floodBytes, then the bytes
    FloodUnknown,   // no length, bytes until floodBytes or the client leaves
    FloodChunked,   // chunked transfer encoding, floodBytes in 64 KiB chunks
  };

  TestHttpServer() {
    coreApp();
    connect(&m_server, &QTcpServer::newConnection, this, [this] { accept(); });
    m_server.listen(QHostAddress::LocalHost, 0);
  }

  void answer(int status, QByteArray body) {
    m_mode = Mode::Answer;
    m_status = status;
    m_body = std::move(body);
  }
  void setMode(Mode m, qint64 floodBytes = 0) {
    m_mode = m;
    m_floodBytes = floodBytes;
  }

  QUrl url() const { return QUrl(QString("http://127.0.0.1:%1").arg(m_server.serverPort())); }
  int connections() const { return m_connections; }
  int requests() const { return m_requests; }
  const QByteArray& lastRequest() const { return m_lastRequest; }
  int openSockets() const { return m_open; }

 private:
  void accept() {
    while (QTcpSocket* s = m_server.nextPendingConnection()) {
      ++m_connections;
      ++m_open;
      auto buffer = std::make_shared<QByteArray>();
      connect(s, &QTcpSocket::disconnected, this, [this, s] {
        --m_open;
        s->deleteLater();
      });
      connect(s, &QTcpSocket::readyRead, this, [this, s, buffer] {
        *buffer += s->readAll();
        if (!buffer->contains("\r\n\r\n") || buffer->isEmpty()) return;
        ++m_requests;
        m_lastRequest = *buffer;
        buffer->clear();
        respond(s);
      });
    }
  }

  void respond(QTcpSocket* s) {
    switch (m_mode) {
      case Mode::Answer:
        s->write("HTTP/1.1 " + QByteArray::number(m_status) + " X\r\nContent-Length: " +
                 QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n" + m_body);
        s->disconnectFromHost();
        break;
      case Mode::Trickle: {
        s->write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        auto* t = new QTimer(s);
        connect(t, &QTimer::timeout, s, [s] { s->write("<"); });
        t->start(100);
        break;
      }
      case Mode::Silent:
        break;
      case Mode::FloodDeclared:
      case Mode::FloodUnknown:
      case Mode::FloodChunked: {
        const bool chunked = m_mode == Mode::FloodChunked;
        QByteArray head = "HTTP/1.1 200 OK\r\n";
        if (m_mode == Mode::FloodDeclared)
          head += "Content-Length: " + QByteArray::number(m_floodBytes) + "\r\n";
        if (chunked) head += "Transfer-Encoding: chunked\r\n";
        s->write(head + "Connection: close\r\n\r\n");
        auto sent = std::make_shared<qint64>(0);
        auto more = [this, s, sent, chunked] {
          // Keep about 256 KiB in flight so the client sees a steady stream.
          const QByteArray chunk = chunked ? "10000\r\n" + QByteArray(64 * 1024, 'x') + "\r\n"
                                           : QByteArray(64 * 1024, 'x');
          while (s->bytesToWrite() < 256 * 1024 && *sent < m_floodBytes) {
            s->write(chunk);
            *sent += chunk.size();
          }
          if (*sent >= m_floodBytes && s->bytesToWrite() == 0) s->disconnectFromHost();
        };
        connect(s, &QTcpSocket::bytesWritten, s, more);
        more();
        break;
      }
    }
  }

  QTcpServer m_server;
  Mode m_mode = Mode::Answer;
  int m_status = 200;
  QByteArray m_body;
  qint64 m_floodBytes = 0;
  int m_connections = 0;
  int m_requests = 0;
  int m_open = 0;
  QByteArray m_lastRequest;
};

// A port on 127.0.0.1 with no listener behind it.
inline quint16 closedPort() {
  QTcpServer s;
  s.listen(QHostAddress::LocalHost, 0);
  quint16 p = s.serverPort();
  s.close();
  return p;
}

}  // namespace q3test
