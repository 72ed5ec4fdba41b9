// The pickup monitor window: controls, mouse, keys and painting.
#include "monitor/ui/pickup_scope_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QWheelEvent>
#include <vector>

#include "base/window_fit.h"
#include "monitor/pickup_capture_file.h"

namespace q3 {

namespace {
constexpr int kComboWidth = 80;
constexpr int kRowHeight = 19;
constexpr int kColumns[3] = {10, 150, 290};  // x of the combo columns A, B and C
constexpr int kRows[3] = {65, 45, 25};       // their rows, above the bottom edge
constexpr int kExtrasX = 450;
const char* const kCaptureFilter = "Pickup captures (*.q3pickup);;All files (*)";
}  // namespace

PickupScopeWindow::PickupScopeWindow(PickupAnalyzer& engine, PickupMonitorSettings& settings,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window), m_engine(engine), m_settings(settings) {
  setObjectName("FormMon");
  setWindowTitle("PickUp monitor");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(300, 200);
  buildControls();
  resize(800, 600);
  applySettings();
}

void PickupScopeWindow::buildControls() {
  for (int i = 0; i < kPickupSlots; ++i) {
    auto* c = new QComboBox(this);
    c->setObjectName(pickupSlots()[size_t(i)].combo);
    for (const PickupColourItem& item : pickupColourItems()) c->addItem(item.name);
    c->setFocusPolicy(Qt::ClickFocus);
    connect(c, &QComboBox::currentIndexChanged, this, [this] { boxChange(); });
    m_combos[size_t(i)] = c;
  }
  const auto button = [this](const char* name, const char* text) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
  };
  m_pause = button("ButtonPause", "Pause");
  connect(m_pause, &QPushButton::clicked, this, [this] { setPaused(!m_paused); });
  m_clearDim = button("ButtonClearDim", "Clear dim");
  connect(m_clearDim, &QPushButton::clicked, this, [this] {
    m_engine.clearDimensions();
    redraw();
  });
  m_open = button("ButtonOpenCapture", "Open...");
  connect(m_open, &QPushButton::clicked, this, [this] {
    const QString f = chooseFile(false, "Open pickup capture", kCaptureFilter);
    if (!f.isEmpty()) openCapture(f);
  });
  m_save = button("ButtonSaveCapture", "Save...");
  connect(m_save, &QPushButton::clicked, this, [this] {
    const QString f = chooseFile(true, "Save pickup capture", kCaptureFilter);
    if (!f.isEmpty()) saveCapture(f);
  });
  m_csv = button("ButtonExportCsv", "CSV...");
  connect(m_csv, &QPushButton::clicked, this, [this] {
    const QString f = chooseFile(true, "Export pickup samples", "CSV files (*.csv)");
    if (!f.isEmpty()) exportCsv(f);
  });
  m_freeze = new QCheckBox("Freeze on sync loss", this);
  m_freeze->setObjectName("CheckBoxFreezeOnSyncLoss");
  m_freeze->setFocusPolicy(Qt::NoFocus);
  m_freeze->setStyleSheet("QCheckBox { color: white; }");
  connect(m_freeze, &QCheckBox::toggled, this, [this](bool on) {
    if (m_loadingCombos) return;
    m_settings.freezeOnSyncLoss = on;
    settingsChanged();
  });
}

void PickupScopeWindow::placeControls() {
  const int h = height(), w = width();
  for (int i = 0; i < kPickupSlots; ++i)
    m_combos[size_t(i)]->setGeometry(kColumns[i / 3], h - kRows[i % 3], kComboWidth, kRowHeight);
  m_clearDim->setGeometry(w - 90, h - 65, 80, 22);
  m_pause->setGeometry(w - 90, h - 35, 80, 22);
  m_open->setGeometry(kExtrasX, h - kRows[0], 70, kRowHeight);
  m_save->setGeometry(kExtrasX, h - kRows[1], 70, kRowHeight);
  m_csv->setGeometry(kExtrasX, h - kRows[2], 70, kRowHeight);
  m_freeze->setGeometry(kExtrasX + 80, h - kRows[0], 170, kRowHeight);
}

void PickupScopeWindow::applySettings() {
  m_loadingCombos = true;
  for (int i = 0; i < kPickupSlots; ++i)
    m_combos[size_t(i)]->setCurrentIndex(m_settings.colours[size_t(i)]);
  m_freeze->setChecked(m_settings.freezeOnSyncLoss);
  m_loadingCombos = false;
  const WindowRect& r = m_settings.rect;
  if (r.width > 0 && r.height > 0) {
    std::vector<WindowRect> monitors;
    for (const QScreen* s : QGuiApplication::screens()) {
      const QRect g = s->availableGeometry();
      monitors.push_back({g.x(), g.y(), g.width(), g.height()});
    }
    const WindowRect fit = fitToMonitors(r, monitors);
    setGeometry(fit.left, fit.top, fit.width, fit.height);
  }
  redraw();
  m_view.setZoom(m_settings.zoom);
  redraw();
}

void PickupScopeWindow::storePlacement() {
  const QRect g = geometry();
  m_settings.rect = {g.x(), g.y(), g.width(), g.height()};
  m_settings.zoom = m_view.zoom();
}

void PickupScopeWindow::settingsChanged() {
  if (m_hooks.settingsChanged) m_hooks.settingsChanged();
}

void PickupScopeWindow::boxChange() {
  if (m_loadingCombos) return;
  for (int i = 0; i < kPickupSlots; ++i)
    m_settings.colours[size_t(i)] = std::max(0, m_combos[size_t(i)]->currentIndex());
  requestRedraw();
  settingsChanged();
}

void PickupScopeWindow::setPaused(bool on) {
  if (!on) m_frozen = false;
  const bool changed = on != m_paused;
  m_paused = on;
  m_pause->setText(on ? "Continue" : "Pause");
  requestRedraw();
  if (changed && m_hooks.pauseChanged) m_hooks.pauseChanged(on);
}

void PickupScopeWindow::freezeForSyncLoss() {
  m_frozen = true;
  setPaused(true);
}

void PickupScopeWindow::tick() {
  const bool asked = m_redrawRequested || m_engine.redrawPending();
  m_redrawRequested = false;
  if (asked) redraw();
}

void PickupScopeWindow::redraw() {
  if (m_image.size() != size()) {
    m_view.resize(width(), height());
    m_image = QImage(m_view.width(), m_view.height(), QImage::Format_RGB32);
    placeControls();
  }
  PickupScene scene;
  scene.engine = &m_engine;
  scene.view = &m_view;
  scene.settings = &m_settings;
  scene.preview = m_preview ? &*m_preview : nullptr;
  for (int i = 0; i < kPickupSlots; ++i) {
    const QRect g = m_combos[size_t(i)]->geometry();
    scene.legends.push_back({QPoint(g.right() + 10, g.top() + 3), pickupSlots()[size_t(i)].legend});
  }
  if (m_frozen) scene.note = "frozen: synchronisation lost";
  paintPickup(m_image, scene, &m_hits);
  m_engine.clearRedraw();
  update();
}

void PickupScopeWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (m_image.isNull()) {
    p.fillRect(rect(), Qt::black);
    p.setPen(Qt::white);
    p.drawLine(rect().topLeft(), rect().bottomRight());
    p.drawLine(rect().topRight(), rect().bottomLeft());
    return;
  }
  p.drawImage(0, 0, m_image);
}

void PickupScopeWindow::resizeEvent(QResizeEvent*) { redraw(); }

bool PickupScopeWindow::comboHasFocus() const {
  for (const QComboBox* c : m_combos)
    if (c->hasFocus()) return true;
  return false;
}

void PickupScopeWindow::zoomAt(bool in, int x) {
  if (m_view.wheel(in, x)) m_settings.zoom = m_view.zoom();
  requestRedraw();
}

void PickupScopeWindow::wheelEvent(QWheelEvent* e) {
  e->accept();
  if (comboHasFocus()) return;
  const Qt::KeyboardModifiers mods = e->modifiers();
  if ((mods & Qt::ControlModifier) && !(mods & Qt::ShiftModifier)) return;
  const int delta = e->angleDelta().y() ? e->angleDelta().y() : e->angleDelta().x();
  if (delta == 0) return;
  zoomAt(delta > 0, int(e->position().x()));
}

void PickupScopeWindow::mousePressEvent(QMouseEvent* e) {
  if (comboHasFocus()) {
    setFocus();
    return;
  }
  const QPoint at = e->position().toPoint();
  switch (e->button()) {
    case Qt::LeftButton:
      m_leftDrag = true;
      m_dragStart = m_dragAt = at;
      m_preview = m_engine.dragDimension(m_view, at.x(), at.y(), at.x(), at.y());
      break;
    case Qt::MiddleButton:
      m_middleDrag = true;
      m_dragAt = at;
      break;
    case Qt::RightButton:
      if (m_leftDrag) {  // cancels the measuring line being drawn
        m_leftDrag = false;
        m_preview.reset();
        break;
      }
      for (size_t i = 0; i < m_hits.dimensionTexts.size(); ++i) {
        if (m_hits.dimensionTexts[i].contains(at)) {
          m_engine.removeDimension(int(i));
          m_hits.dimensionTexts.clear();  // the others moved up: find them again after the redraw
          break;
        }
      }
      break;
    default:
      break;
  }
  requestRedraw();
}

void PickupScopeWindow::mouseMoveEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  if (m_leftDrag) {
    m_dragAt = at;
    m_preview = m_engine.dragDimension(m_view, m_dragStart.x(), m_dragStart.y(), at.x(), at.y());
  } else if ((e->buttons() & Qt::RightButton)) {
    // Held over a measuring line's text, the right button removes it.
    for (size_t i = 0; i < m_hits.dimensionTexts.size(); ++i) {
      if (m_hits.dimensionTexts[i].contains(at)) {
        m_engine.removeDimension(int(i));
        m_hits.dimensionTexts.clear();
        break;
      }
    }
  }
  if (m_middleDrag) {
    m_view.pan(at.x() - m_dragAt.x());
    m_dragAt = at;
  }
  requestRedraw();
}

void PickupScopeWindow::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && m_leftDrag) {
    m_leftDrag = false;
    if (m_preview) m_engine.commitDimension(*m_preview);  // the eleventh is not kept
    m_preview.reset();
  }
  if (e->button() == Qt::MiddleButton) m_middleDrag = false;
  requestRedraw();
}

void PickupScopeWindow::releaseButtons() {
  m_leftDrag = false;
  m_middleDrag = false;
  m_preview.reset();
}

void PickupScopeWindow::leaveEvent(QEvent*) {
  releaseButtons();
  requestRedraw();
}

void PickupScopeWindow::keyPressEvent(QKeyEvent* e) {
  const QPoint pointer = mapFromGlobal(QCursor::pos());
  const int x = rect().contains(pointer) ? pointer.x() : width() / 2;
  switch (e->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      zoomAt(true, x);
      break;
    case Qt::Key_Minus:
      zoomAt(false, x);
      break;
    case Qt::Key_Home:
      m_view.setZoom(1);
      m_settings.zoom = 1;
      requestRedraw();
      break;
    case Qt::Key_Left:
    case Qt::Key_Right:
      m_view.pan((e->key() == Qt::Key_Left ? 1 : -1) * width() / 8);
      requestRedraw();
      break;
    case Qt::Key_Escape:
      releaseButtons();
      requestRedraw();
      break;
    default:
      QWidget::keyPressEvent(e);
  }
}

void PickupScopeWindow::closeEvent(QCloseEvent* e) {
  // The close box hides the window; the engine and its picture stay.
  e->ignore();
  hide();
}

void PickupScopeWindow::hideEvent(QHideEvent*) {
  releaseButtons();
  storePlacement();
  settingsChanged();
}

QString PickupScopeWindow::chooseFile(bool save, const QString& caption, const QString& filter) {
  if (m_hooks.chooseFile) return m_hooks.chooseFile(save, caption, filter);
  return save ? QFileDialog::getSaveFileName(this, caption, QString(), filter)
              : QFileDialog::getOpenFileName(this, caption, QString(), filter);
}

void PickupScopeWindow::showError(const QString& text) {
  if (m_hooks.error)
    m_hooks.error(text);
  else
    QMessageBox::warning(this, windowTitle(), text);
}

bool PickupScopeWindow::writeShown(const QString& path, const QString& nothingYet,
                                   bool (*write)(const std::string&, const PickupBlock&)) {
  if (m_engine.shownBlock().samples.empty()) {
    showError(nothingYet);
    return false;
  }
  if (!write(path.toStdString(), m_engine.shownBlock())) {
    showError("Cannot write " + path);
    return false;
  }
  return true;
}

bool PickupScopeWindow::saveCapture(const QString& path) {
  return writeShown(path, "There is no capture to save yet.", &savePickupCapture);
}

bool PickupScopeWindow::exportCsv(const QString& path) {
  return writeShown(path, "There are no samples to export yet.", &savePickupCsv);
}

bool PickupScopeWindow::openCapture(const QString& path) {
  const PickupFileResult r = loadPickupCapture(path.toStdString());
  if (!r.ok) {
    showError(QString::fromStdString(path.toStdString() + ": " + r.error));
    return false;
  }
  // A capture from a file is looked at as it is: the unit's blocks wait.
  setPaused(true);
  const PickupAnalysis a = m_engine.show(r.block);
  redraw();
  QString problems;
  for (const PickupFileWarning& w : r.warnings)
    problems += QString("line %1: %2\n").arg(w.line).arg(QString::fromStdString(w.detail));
  if (a != PickupAnalysis::Done)
    problems +=
        "The capture holds no complete picture (fewer than four phase changes or a "
        "period of zero length).";
  if (!problems.isEmpty()) showError(problems.trimmed());
  return a == PickupAnalysis::Done;
}

}  // namespace q3
