// TTab: the map editor control. It draws its model (TabModel) as a table into
// an off-screen 32-bit image and copies that image to the screen; it turns the
// mouse, the wheel and the keys into edits of the model, runs the cell editor,
// the hover arrow buttons with their repeat, the fill handle, the block move
// and its own scroll bars, and it has a timer entry that the main window
// calls on every tick.
#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>
#include <vector>

#include "maps/tab_model.h"

namespace q3 {

// Hit-test bits.
enum TabHit : int {
  kHitCell = 1,
  kHitXHeader = 2,
  kHitYHeader = 4,
  kHitColumnStrip = 8,
  kHitRowStrip = 16,
  kHitCorner = 32,       // the inner corner cell: all cells
  kHitLabelXPart = 64,   // label corner above the diagonal: all X breakpoints
  kHitLabelYPart = 128,  // below it: all Y breakpoints
  kHitSheetTab = 256,    // col = sheet index
};

class TTab : public QWidget {
  Q_OBJECT
 public:
  // width/height 0 give 500 x 200.
  TTab(int ownerId, int width, int height, int options, QWidget* parent = nullptr);
  ~TTab() override;

  TabModel& model() { return m_model; }
  const TabModel& model() const { return m_model; }

  // Called by the main window once per tick after it wrote the live values.
  void timerEntry();
  // "Advance +" / "Advance -": the actual element or the selection.
  bool advance(int k) { return changed(m_model.incrementActual(k)); }
  // Print appearance: no raised panels, no buttons, no caret.
  void setPrintAppearance(bool on);
  bool printAppearance() const { return m_print; }
  // Recomputes the layout and repaints (after a load or an axis change).
  void refresh();

  // The off-screen picture, drawn anew by render().
  const QImage& offscreen() const { return m_image; }
  void render();

  struct Hit {
    int bits = 0;
    int col = -2;  // data indices; -1 header column / row
    int row = -2;
  };
  Hit hitTest(QPoint p) const;
  // Rectangle of a data element as drawn now (empty when not visible).
  QRect elementRect(int col, int row) const;

  bool editorOpen() const { return m_edit.open; }
  QString editorText() const { return m_edit.text; }
  int view() const { return m_view; }

  // The number of controls alive; the main window keeps at most 50.
  static int instances();

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void leaveEvent(QEvent* e) override;

 private:
  struct Layout {
    int top = 10;
    int labelW = 65, gapW = 15;
    int left = 10, right = 27, bottom = 27;  // margins including the scroll-bar room
    double colW = 40, rowH = 20, headerH = 20, yHeaderW = 40;
    double cellLeft = 0, cellTop = 0;
    int visCols = 1, visRows = 1;
    bool hBar = false, vBar = false;
    QRect hBarRect, vBarRect;
    int tabsTop = 0;
  };
  struct Editor {
    bool open = false;
    ElemRef elem;
    QString text;
    int caret = 0;
    int anchor = 0;  // selection from anchor to caret
    int blink = 0;
  };
  struct Hover {
    bool valid = false;
    ElemRef elem;
    QRect up, down;
    int pressed = 0;  // +1 up, -1 down
    int pressTick = 0;
    bool repeated = false;
  };
  struct Drag {
    int mode = 0;  // 1 fill handle, 2 block move, 3 selection, 4 thumb
    QPoint start;
    int c0 = 0, r0 = 0, c1 = 0, r1 = 0;      // selection at the press
    int tc0 = 0, tr0 = 0, tc1 = 0, tr1 = 0;  // target
    int kind = 0;
    bool vertical = false;
    int startOffset = 0;
  };

  void computeLayout();
  int shownToDataCol(int j) const;
  int shownToDataRow(int i) const;
  int dataToShownCol(int c) const;
  int dataToShownRow(int r) const;
  QRectF cellRectF(int shownCol, int shownRow) const;
  QRectF xHeaderRectF(int shownCol) const;
  QRectF yHeaderRectF(int shownRow) const;

  // Painting (ttab_paint.cpp).
  void paintTable(class QPainter& p);
  void paintScrollBars(QPainter& p);
  void paintTabs(QPainter& p);
  void paintHoverButtons(QPainter& p);
  void paintEditor(QPainter& p);
  void paintRing(QPainter& p, const QRectF& r, uint32_t colour);
  QFont textFont(const CAxe& a, bool italicSmall) const;

  // Input: keys and the cell editor (ttab_keys.cpp), mouse, hover and scroll bars
  // (ttab_mouse.cpp).
  bool changed(bool did);
  void moveCursor(int dc, int dr, bool extend, bool wrap);
  void setCursor(ElemRef e, bool select);
  void selectByMouse(const Hit& h, Qt::KeyboardModifiers mods, bool press);
  void openEditor(ElemRef e, const QString& text, bool selectAll);
  void commitEditor();
  void cancelEditor();
  bool editorKey(QKeyEvent* e);
  void updateHover(QPoint p);
  void stepHover(int k);
  bool scrollBarPress(QPoint p);
  void scrollBy(bool vertical, int delta);
  int selectionHandle(QPoint p) const;  // 1 fill handle, 2 block border
  QRect selectionRect() const;
  void updateFocusPolicy();
  void markDirty() { m_dirty = true; }

  TabModel m_model;
  QImage m_image;
  Layout m_l;
  Editor m_edit;
  Hover m_hover;
  Drag m_drag;
  int m_view = 1;
  bool m_print = false;
  bool m_dirty = true;
  bool m_buttonsHeld = false;
  int m_lastLanguage = -1;
  int m_scrollRepeat = 0;  // +-1 horizontal, +-2 vertical arrow held; ticks held
  int m_scrollHeldTicks = 0;
  QPoint m_pointer{-1, -1};
  std::vector<int32_t> m_scratch;
  bool m_previewOn = false;
};

}  // namespace q3
