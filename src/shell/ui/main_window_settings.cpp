// The window's settings: data paths, the service-mode file, loading and
// saving application.ini and default.ini, and fitting the saved rectangle
// onto the monitors present now.
#include <QAction>
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QTabWidget>

#include "base/app_paths.h"
#include "base/window_fit.h"
#include "shell/ui/main_window.h"
#include "text/mstring.h"
#include "update/update_server.h"

namespace {

q3::WindowRect toRect(const QRect& r) { return {r.left(), r.top(), r.width(), r.height()}; }

std::vector<q3::WindowRect> monitorRects() {
  std::vector<q3::WindowRect> out;
  for (const QScreen* s : QGuiApplication::screens()) out.push_back(toRect(s->geometry()));
  return out;
}

}  // namespace

void MainWindow::loadKeyFile() { m_keyFile.load(m_paths.applicationIni()); }

QUrl MainWindow::updateServer() const {
  return q3::updateServerUrl(m_options.updateServer, q3::updateServerSetting(m_keyFile));
}

void MainWindow::readServiceMode() {
  m_service = q3::readServiceModeFile(q3::serviceModeFilePath(m_options));
}

void MainWindow::loadSettings() {
  m_settings.rect = toRect(geometry());
  m_settings.activePage = PageControl1->currentIndex();
  m_settings.language = q3::language();
  m_settings.readFrom(m_keyFile);

  // Apply first, so the fitting sees the size the window really takes (a
  // saved size below the window's minimum grows to it).
  const q3::WindowRect& saved = m_settings.rect;
  if (saved.width > 0 && saved.height > 0)
    setGeometry(saved.left, saved.top, saved.width, saved.height);
  q3::WindowRect r = q3::fitToMonitors(toRect(geometry()), monitorRects());
  setGeometry(r.left, r.top, r.width, r.height);
  m_settings.rect = toRect(geometry());

  if (m_service.enabled && m_service.testCom != 0) m_settings.comPort = m_service.testCom;
  q3::setLanguage(m_settings.language);
  if (m_settings.activePage >= 0 && m_settings.activePage < PageControl1->count())
    PageControl1->setCurrentIndex(m_settings.activePage);
  m_settings.activePage = PageControl1->currentIndex();
  setPlayerVisible(m_settings.monitorPlayer);

  q3::readImageDump(m_paths.defaultIni(), m_image.data(), q3::kImageSize);
  makeImageConsistent();
}

void MainWindow::saveSettings() {
  m_settings.rect = toRect(geometry());
  m_settings.activePage = PageControl1->currentIndex();
  m_settings.language = q3::language();
  m_settings.monitorPlayer = GroupBoxPlayer->isVisibleTo(this);
  // Start from the file as it is now, so settings written by other parts of
  // the program in the meantime are kept.
  m_keyFile.load(m_paths.applicationIni());
  m_settings.writeTo(m_keyFile);
  m_keyFile.save(m_paths.applicationIni());
  q3::writeImageDump(m_paths.defaultIni(), m_image.data(), q3::kImageSize);
}
