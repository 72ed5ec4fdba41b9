// MapEditor: the map editor control. It draws its model (MapModel) as a table into
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
#include <functional>
#include <vector>

#include "maps/map_model.h"
#include "maps/map_paste.h"
#include "maps/ui/map_graph_view.h"
#include "text/user_dialogs.h"

class QMenu;

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

// Header and cell texts are made smaller to fit, but not below this.
inline constexpr double kMinTextPoints = 7.0;

class MapEditor : public QWidget {
  Q_OBJECT
 public:
  // width/height 0 give 500 x 200.
  MapEditor(int ownerId, int width, int height, int options, QWidget* parent = nullptr);
  // Where a refused paste or insert is told; without one nothing is told.
  void setDialogs(UserDialogs* dialogs) { m_dialogs = dialogs; }
  ~MapEditor() override;

  MapModel& model() { return m_model; }
  const MapModel& model() const { return m_model; }

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
  // Paints the whole control into any painter (an image, a printer, a PDF)
  // in control coordinates.
  void paint(QPainter& p);

  // Views: 1 table, 2 2D graph, 4 3D graph; one the options do not offer is
  // refused.
  bool setView(int view);
  bool viewAvailable(int view) const;
  MapGraphView& graph() { return m_graph; }
  // Where the 2D or 3D graph is drawn (the graph beside the table in the
  // table view; empty when there is none), and the condition map's plot.
  QRect graphFrame() const { return m_l.graphFrame; }
  QRectF conditionPlot() const { return m_l.conditionPlot; }

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

  // --- Clipboard (map_editor_commands.cpp) ---
  // Copy of the selection as plain text (or the text selected in the open
  // cell editor); copy of the whole table as plain text and in the sheet
  // format; copy of the graph as an image; paste of the sheet format when it
  // is on the clipboard, else of plain text. A refused paste shows the
  // dimension message through the core's dialogs.
  void copySelection();
  void copyTable();
  void copyGraph();
  PasteResult paste();
  // Bit 0 text, bit 1 a whole sheet on the clipboard; follows the
  // clipboard's changes.
  int clipboardState() const { return m_clipState; }

  // --- Command surface ---
  struct ToolButton {
    QString name;  // "Copy", "CopyTable", "Paste", "Plus", "Minus", "OnlyX", ...
    QRect rect;
    int show = 0;         // 0 hidden; bit 0 every view; 0x10, 0x20, 0x40 one view; 0x80 inert
    bool toggle = false;  // acts on the press; a push button on the release
    bool checked = false;
    QString bitmap;  // resource name, or empty
    QString caption;
    const char* hint = nullptr;  // multi-language
    std::function<void()> act;
  };
  // The tool buttons as they stand now (laid out with the control).
  const std::vector<ToolButton>& toolButtons() const { return m_buttons; }
  const ToolButton* toolButton(const QString& name) const;
  bool buttonShown(const ToolButton& b) const;
  // The popup menu of a right press at pos (the short menu of a sheet tab
  // there); it is built anew each time and opened with popup().
  QMenu* buildPopupMenu(QPoint pos);
  QMenu* popupMenu() const { return m_menu; }
  // The hint under the pointer: "tooltip|status line" (one part alone is
  // both).
  QString hintAt(QPoint pos) const;
  // Asks for the file of "Export CSV" (save true) and "Import CSV"; empty
  // for none. The window's file dialogs by default.
  void setCsvFileChooser(std::function<QString(bool save)> f) { m_csvFile = std::move(f); }
  bool exportCsv(const QString& path);
  PasteResult importCsv(const QString& path);

  // --- Time spent in the cells (map_editor_paint.cpp) ---
  // The seconds the engine spent in each cell of a sheet (data cell (c, r)
  // at r * kCellStride + c), given by the owner; empty when none are known.
  // With the shading on (popup menu, off by default) the table shades each
  // cell by its share of the time under its value, and the cell's hint
  // tells its seconds.
  void setCellTimes(int sheet, std::vector<double> seconds);
  const std::vector<double>& cellTimes(int sheet) const;
  void setTimeShading(bool on);
  bool timeShading() const { return m_timeShading; }

 signals:
  // The long part of the hint, for the window's status line.
  void statusHint(const QString& text);

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
  // Tells the user text in a box titled "QUELIN3" (when there are dialogs).
  void tell(const std::string& text, DialogKind kind);
  UserDialogs* m_dialogs = nullptr;
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
    QRect graphFrame;  // 2D/3D view, or the 2D graph beside the table
    bool graphBeside = false;
    QRectF conditionPlot;  // compact layout
    int titleShift = 0;    // the title row moved down below the sheet tabs
    int buttonsLeft = 0;   // left end of the title row's buttons
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
    bool add = false;  // a Ctrl drag adds to the selection held at the press
  };

  void computeLayout();
  int shownToDataCol(int j) const;
  int shownToDataRow(int i) const;
  int dataToShownCol(int c) const;
  int dataToShownRow(int r) const;
  QRectF cellRectF(int shownCol, int shownRow) const;
  QRectF xHeaderRectF(int shownCol) const;
  QRectF yHeaderRectF(int shownRow) const;

  // Painting (map_editor_paint.cpp).
  void paintTable(class QPainter& p);
  void paintScrollBars(QPainter& p);
  void paintTabs(QPainter& p);
  void paintHoverButtons(QPainter& p);
  void paintEditor(QPainter& p);
  void paintRing(QPainter& p, const QRectF& r, uint32_t colour);
  QFont textFont(const SheetAxis& a, bool italicSmall) const;
  // Width of the widest breakpoint text of an axis at the smallest size
  // header texts are drawn in.
  double widestHeaderText(const SheetAxis& a) const;

  // Input: keys and the cell editor (map_editor_keys.cpp), mouse, hover and scroll bars
  // (map_editor_mouse.cpp).
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
  // Command surface (map_editor_commands.cpp).
  void layoutButtons();
  void paintButtons(QPainter& p);
  int buttonAt(QPoint p) const;
  bool buttonPress(QMouseEvent* e);
  bool buttonRelease(QMouseEvent* e);
  bool usableSelection() const;
  bool selectionEditable() const;
  void clipboardChanged();
  void showHint(QPoint pos);
  void runCommand(const std::function<bool()>& f);
  // Graph input (map_editor_mouse.cpp): true when a graph took the event.
  bool graphPress(QMouseEvent* e);
  bool graphMove(QMouseEvent* e);
  bool graphRelease(QMouseEvent* e);
  bool graphWheel(QPoint pos, int notches, Qt::KeyboardModifiers mods);

  MapModel m_model;
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
  int m_wheelRest = 0;          // wheel travel short of a notch
  SheetSelection m_selAtPress;  // the selection a Ctrl drag adds to
  MapGraphView m_graph{*this};
  std::vector<ToolButton> m_buttons;
  QString m_buttonDown;  // the push button pressed and not yet released
  QMenu* m_menu = nullptr;
  int m_clipState = 0;
  std::function<QString(bool)> m_csvFile;
  QString m_lastStatus;
  int m_graphCapture = 0;  // the graph (view 2, 4, 8 condition map) a press went to
  uint32_t m_controlColour = 0xF0F0F0;
  std::vector<std::vector<double>> m_times;  // per sheet, see setCellTimes
  bool m_timeShading = false;
};

}  // namespace q3
