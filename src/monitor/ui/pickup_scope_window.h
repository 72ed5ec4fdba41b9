// PickupScopeWindow: the pickup monitor window ("PickUp monitor"). It shows what its
// PickupAnalyzer holds like a small oscilloscope, painted into an off-screen image:
// the trigger signals over one ignition period with their edges, the ignition
// arrows and labels, the engine speed and the measuring lines the user draws
// with the mouse. The wheel and the + and - keys zoom (1..1024), a middle
// drag or the arrow keys pan, a left drag draws a measuring line, a right
// click on its text removes it. Nine combo boxes choose the colours; Pause
// stops the sample stream (the owner stops asking the unit for blocks).
// Beyond that: it can freeze by itself when synchronisation is lost, save the
// capture behind the picture and open it again, and export its samples as CSV.
//
// The close box only hides the window; its owner keeps it and its engine.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "monitor/pickup_analyzer.h"
#include "monitor/pickup_settings.h"
#include "monitor/pickup_view.h"
#include "monitor/ui/pickup_painter.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace q3 {

class PickupScopeWindow : public QWidget {
  Q_OBJECT

 public:
  struct Hooks {
    // The colours, zoom, placement or the freeze setting changed.
    std::function<void()> settingsChanged;
    // Pause pressed or released (the window's owner stops asking for blocks).
    std::function<void(bool paused)> pauseChanged;
    // A file name to open or to save to; empty cancels. A file dialog when unset.
    std::function<QString(bool save, const QString& caption, const QString& filter)> chooseFile;
    // An error to show; a message box when unset.
    std::function<void(const QString& text)> error;
  };

  PickupScopeWindow(PickupAnalyzer& engine, PickupMonitorSettings& settings,
                    QWidget* parent = nullptr);
  void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }

  // ButtonPause: "Continue" while paused, "Pause" otherwise.
  bool paused() const { return m_paused; }
  void setPaused(bool on);
  // Freezes the picture because the unit lost synchronisation (paused, with a note).
  void freezeForSyncLoss();
  bool frozenBySyncLoss() const { return m_frozen; }

  // The main loop's tick: redraws when the engine or a mouse action asked for it.
  void tick();
  // Paints the picture into the off-screen image and shows it.
  void redraw();
  const QImage& image() const { return m_image; }
  PickupView& view() { return m_view; }
  const PickupView& view() const { return m_view; }

  // Colours, zoom and placement from the settings into the window, and the
  // placement back.
  void applySettings();
  void storePlacement();

  // The capture behind the picture: saved, opened (the window pauses, so the
  // unit's blocks do not replace it) and its samples exported.
  bool saveCapture(const QString& path);
  bool openCapture(const QString& path);
  bool exportCsv(const QString& path);

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void leaveEvent(QEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void closeEvent(QCloseEvent*) override;
  void hideEvent(QHideEvent*) override;

 private:
  void buildControls();
  void placeControls();
  void boxChange();
  bool comboHasFocus() const;
  void zoomAt(bool in, int x);
  void releaseButtons();
  void requestRedraw() { m_redrawRequested = true; }
  void settingsChanged();
  void showError(const QString& text);
  QString chooseFile(bool save, const QString& caption, const QString& filter);
  // Writes the block behind the picture with write; an error when there is none.
  bool writeShown(const QString& path, const QString& nothingYet,
                  bool (*write)(const std::string&, const PickupBlock&));

  PickupAnalyzer& m_engine;
  PickupMonitorSettings& m_settings;
  Hooks m_hooks;
  PickupView m_view;
  QImage m_image;
  PickupHits m_hits;
  std::array<QComboBox*, kPickupSlots> m_combos{};
  QPushButton* m_pause = nullptr;
  QPushButton* m_clearDim = nullptr;
  QPushButton* m_open = nullptr;
  QPushButton* m_save = nullptr;
  QPushButton* m_csv = nullptr;
  QCheckBox* m_freeze = nullptr;
  bool m_loadingCombos = false;
  bool m_paused = false;
  bool m_frozen = false;
  bool m_redrawRequested = false;
  // Mouse: the drag of a measuring line or of the origin.
  bool m_leftDrag = false;
  bool m_middleDrag = false;
  QPoint m_dragStart;
  QPoint m_dragAt;
  std::optional<PickupDimension> m_preview;
};

}  // namespace q3
