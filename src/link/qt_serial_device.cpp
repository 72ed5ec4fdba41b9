// The real serial device: a QSerialPort used from its port's own thread with
// blocking calls (that thread has no event loop).
#include <QSerialPort>
#include <memory>

#include "link/port_diagnosis.h"
#include "link/serial_device.h"

namespace q3 {

namespace {

class QtSerialDevice final : public SerialDevice {
 public:
  bool open(const std::string& path, int baud) override {
    m_port = std::make_unique<QSerialPort>();
    m_port->setPortName(QString::fromStdString(path));
    if (!m_port->open(QIODevice::ReadWrite)) {  // QSerialPort locks the device exclusively
      switch (m_port->error()) {
        case QSerialPort::DeviceNotFoundError:
          m_failure = OpenFailure::Gone;
          break;
        case QSerialPort::PermissionError:
          // Qt reports a refused permission and a device held elsewhere alike.
          m_failure = mayOpen(path) ? OpenFailure::Busy : OpenFailure::PermissionDenied;
          break;
        case QSerialPort::OpenError:
          m_failure = OpenFailure::Busy;
          break;
        default:
          m_failure = OpenFailure::Other;
          break;
      }
      m_port.reset();
      return false;
    }
    const bool ok = m_port->setBaudRate(baud) && m_port->setDataBits(QSerialPort::Data8) &&
                    m_port->setParity(QSerialPort::NoParity) &&
                    m_port->setStopBits(QSerialPort::OneStop) &&
                    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
      m_failure = OpenFailure::Other;
      m_port->close();
      m_port.reset();
      return false;
    }
    m_port->setReadBufferSize(10000);
    m_port->clear(QSerialPort::AllDirections);
    return true;
  }
  void close() override {
    if (!m_port) return;
    m_port->clear(QSerialPort::AllDirections);
    m_port->close();
    m_port.reset();
  }
  int bytesWaiting() override {
    if (!m_port) return 0;
    if (m_port->bytesAvailable() == 0) m_port->waitForReadyRead(0);  // pulls what the driver holds
    if (m_port->error() != QSerialPort::NoError) m_port->clearError();
    return int(m_port->bytesAvailable());
  }
  int read(uint8_t* dst, int max) override {
    if (!m_port) return 0;
    const qint64 n = m_port->read(reinterpret_cast<char*>(dst), max);
    return n > 0 ? int(n) : 0;
  }
  int write(const uint8_t* src, int n) override {
    if (!m_port) return 0;
    const qint64 w = m_port->write(reinterpret_cast<const char*>(src), n);
    // Synchronous: the chunk leaves before the next one is taken (at most ~100 ms).
    while (m_port->bytesToWrite() > 0)
      if (!m_port->waitForBytesWritten(100)) break;
    if (m_port->error() != QSerialPort::NoError) m_port->clearError();
    return w > 0 ? int(w) : 0;
  }

  OpenFailure openFailure() const override { return m_failure; }

 private:
  std::unique_ptr<QSerialPort> m_port;
  OpenFailure m_failure = OpenFailure::None;
};

}  // namespace

DeviceFactory qtSerialDeviceFactory() {
  return [](const std::string&) -> std::unique_ptr<SerialDevice> {
    return std::make_unique<QtSerialDevice>();
  };
}

}  // namespace q3
