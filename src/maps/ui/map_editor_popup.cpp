// MapEditor: the popup menu, built anew from the state under the pointer at
// each right press.
#include <QMenu>
#include <algorithm>
#include <cmath>

#include "maps/ui/map_editor.h"
#include "maps/ui/map_editor_texts.h"
#include "maps/ui/paint_util.h"

namespace q3 {

using namespace maptexts;

// ---------------------------------------------------------------------------
// Popup menu

QMenu* MapEditor::buildPopupMenu(QPoint pos) {
  if (m_menu) m_menu->deleteLater();
  m_menu = new QMenu(this);
  m_menu->setObjectName("TabPopupMenu");
  if (m_model.sheetCount() == 0) return m_menu;
  QMenu* menu = m_menu;
  auto item = [&](const char* name, const QString& text, std::function<void()> f,
                  int checked = -1) {
    QAction* a = menu->addAction(text);
    a->setObjectName(name);
    if (checked >= 0) {
      a->setCheckable(true);
      a->setChecked(checked != 0);
    }
    QObject::connect(a, &QAction::triggered, this, [this, f] {
      f();
      refresh();
    });
    return a;
  };
  const Hit hit = hitTest(pos);
  if (hit.bits & kHitSheetTab) {
    // A sheet tab: its sheet becomes current, a menu for it alone.
    m_model.selectSheet(hit.col);
    refresh();
    item("MenuCopyTable",
         mls("###Copy the entire table##Tabelle kopieren##Kopírovat celou tabulku"),
         [this] { copyTable(); });
    if ((m_clipState & 2) && m_model.cur().hasEditableAxis())
      item("MenuPaste", mls("###Paste table##Tabelle einfügen##Vložit tabulku"),
           [this] { paste(); });
    return m_menu;
  }
  MapSheet& s = m_model.cur();
  const bool on = s.enabled != 0;
  const bool inGraph = (m_view != 1 || m_l.graphBeside) && m_l.graphFrame.contains(pos);
  const bool onTable =
      m_view == 1 && !inGraph &&
      (hit.bits & (kHitCell | kHitXHeader | kHitYHeader | kHitColumnStrip | kHitRowStrip));
  // 1. Enable / Disable.
  if (s.flags0 & 8) {
    const char* what =
        on ? "###Disable ##Deaktivieren ##Zakázat " : "###Enable ##Aktivieren ##Povolit ";
    item("MenuEnable", ml2(what) + " " + mls(s.name), [this] { m_model.toggleEnabled(); });
    menu->addSeparator();
  }
  if (on) {
    // 2. Copy and paste.
    const bool usable = usableSelection();
    if (usable) item("MenuCopy", mls(kHintCopy), [this] { copySelection(); });
    item("MenuCopyTable",
         mls("###Copy the entire table##Tabelle kopieren##Kopírovat celou tabulku"),
         [this] { copyTable(); });
    if (inGraph || (m_model.compact() && m_l.conditionPlot.contains(pos)))
      item("MenuCopyGraph", mls("###Copy graph##Chart kopieren##Kopírovat graf"),
           [this] { copyGraph(); });
    // Plain text needs a selection to go to, as the Paste button does.
    if ((m_clipState & 2) && s.hasEditableAxis())
      item("MenuPaste", mls("###Paste table##Tabelle einfügen##Vložit tabulku"),
           [this] { paste(); });
    else if ((m_clipState & 1) && usable && selectionEditable())
      item("MenuPaste", mls(kHintPaste), [this] { paste(); });
    menu->addSeparator();
    // 3. Interpolate.
    if (s.sel.interpReady && selectionEditable())
      item("MenuInterpolate", mls("###Interpolate##Interpolieren##Interpolovat"),
           [this] { m_model.interpolate(); });
    // 4. Insert a row or a column at the grid line nearest to the pointer.
    if (m_view == 1 && !m_model.compact()) {
      const int mode = s.sel.mode & 0xFF;
      auto wholeLine = [&](bool columns) {
        if (!(hit.bits & kHitCell)) return false;
        return m_model.wholeLineSelected(columns, columns ? hit.col : hit.row);
      };
      const bool rowHere = s.y.resizable && !s.y.collapsed &&
                           (wholeLine(false) || (hit.bits & kHitRowStrip) || (mode & kSelY));
      const bool columnHere = s.x.resizable && !s.x.collapsed &&
                              (wholeLine(true) || (hit.bits & kHitColumnStrip) || (mode & kSelX));
      const int row = std::clamp(
          static_cast<int>(std::lround((pos.y() - m_l.cellTop) / m_l.rowH)) + s.y.scrollOffset, 0,
          s.y.count);
      const int col = std::clamp(
          static_cast<int>(std::lround((pos.x() - m_l.cellLeft) / m_l.colW)) + s.x.scrollOffset, 0,
          s.x.count);
      if (rowHere)
        item("MenuInsertRow", mls("###Insert row here##Einfügen einer Zeile##Vložit řádek (zde)"),
             [this, row] {
               std::string why;
               m_model.insertRow(row, &why);
               if (!why.empty()) tell(why, DialogKind::Warning);
             });
      if (columnHere)
        item("MenuInsertColumn",
             mls("###Insert column here##Einfügen hier Spalte##Vložit sloupec (zde)"), [this, col] {
               std::string why;
               m_model.insertColumn(col, &why);
               if (!why.empty()) tell(why, DialogKind::Warning);
             });
    }
    // 5. Delete the wholly selected rows or columns, but not all of them.
    for (bool columns : {false, true}) {
      const SheetAxis& a = columns ? s.x : s.y;
      const int n = m_model.wholeLinesSelected(columns);
      // A collapsed axis keeps its lines: the table shows only one of them.
      if (!a.resizable || a.collapsed || n == 0 || n >= a.count) continue;
      const char* one = columns ? "###Delete column##Spalte löschen##Vymazat sloupec"
                                : "###Delete row##Klare Zeile##Vymazat řádek";
      const char* many = columns ? "###Delete columns##Löschen von Spalten##Vymazat sloupce"
                                 : "###Delete rows##Klare Linien##Vymazat řádky";
      item(columns ? "MenuDeleteColumns" : "MenuDeleteRows",
           QString("%1 (%2)").arg(mls(n == 1 ? one : many)).arg(n), [this, columns] {
             if (columns)
               m_model.deleteSelectedColumns();
             else
               m_model.deleteSelectedRows();
           });
    }
    menu->addSeparator();
  }
  // 6. Autoscroll, over a table larger than its visible window.
  if (m_view == 1 && onTable &&
      ((s.x.count > m_l.visCols && !s.x.collapsed) ||
       (s.y.count > m_l.visRows && !s.y.collapsed))) {
    int& flag = MapModel::sharedAutoscroll();
    item(
        "MenuAutoscroll",
        mls("###Autoscroll actual position##Autoscroll aktuelle Position##Automaticky posunovat na "
            "aktuální polohu"),
        [&flag] { flag = 1; }, flag ? 1 : 0);
    item(
        "MenuNoAutoscroll",
        mls("###Disable autoscroll##Deaktivieren Autoscroll##Zakázat automatické posunování"),
        [&flag] { flag = 0; }, flag ? 0 : 1);
    menu->addSeparator();
  }
  // 7. The 3D view.
  if (m_view == 4) {
    MapGraphView& g = m_graph;
    const int preset = presetOf(g.rotation);
    item(
        "MenuTop", mls("###Top view##Aufsicht##Pohled seshora"), [&g] { g.setPreset(Preset::Top); },
        preset == 0);
    item(
        "MenuIso1", mls("###ISO1 view##ISO1 Ansicht##Pohled ISO1"),
        [&g] { g.setPreset(Preset::Iso1); }, preset == 1);
    item(
        "MenuIso2", mls("###ISO2 view##ISO2 Ansicht##Pohled ISO2"),
        [&g] { g.setPreset(Preset::Iso2); }, preset == 2);
    menu->addSeparator();
    item(
        "MenuWire", mls("###Wire model##Draht-Modell##Drátěný model"), [&g] { g.drawMode = 0; },
        g.drawMode == 0);
    item(
        "MenuOneColour", mls("###One color graph##Ein Farb-Kurve##Jednobarevný graf"),
        [&g] { g.drawMode = 1; }, g.drawMode == 1);
    for (int grain = 0; grain < 4; ++grain) {
      const QString text =
          mls("###Height colors (grain 0)##Höhe Farben (Korn 0)##Výškové barvy (zrno 0)")
              .replace("0)", QString("%1)").arg(grain));
      const QByteArray name = "MenuGrain" + QByteArray::number(grain);
      QAction* a = item(
          "MenuGrain", text, [&g, grain] { g.drawMode = 2 + grain; }, g.drawMode == 2 + grain);
      a->setObjectName(QString::fromLatin1(name));
    }
    menu->addSeparator();
    const char* const labels[4] = {
        "###No values##Keinen Wert##Žádné hodnoty",
        "###Only active value##Nur aktiven Wert##Jen aktivní honota",
        "###Only interresting values##Nur interresanten Werte##Jen zajímavé honoty",
        "###All values##Alle Werte##Všechny honoty"};
    for (int i = 0; i < 4; ++i) {
      QAction* a = item(
          "MenuLabels", mls(labels[i]), [&g, i] { g.labelMode = i; }, g.labelMode == i);
      a->setObjectName(QString("MenuLabels%1").arg(i));
    }
    menu->addSeparator();
  }
  if (on && !cellTimes(m_model.current()).empty() && m_view == 1) {
    // The time the engine spent in each cell, as shading.
    item(
        "MenuTimeShading",
        mls("###Shade cells by time spent##Zellen nach Verweilzeit schattieren##Stínovat buňky "
            "podle strávené doby"),
        [this] { setTimeShading(!m_timeShading); }, m_timeShading ? 1 : 0);
    menu->addSeparator();
  }
  if (on) {
    // 8. The views.
    const int views = viewAvailable(1) + viewAvailable(2) + viewAvailable(4);
    if (views > 1) {
      if (viewAvailable(1))
        item(
            "MenuViewTable", mls("###View as table##Als Tabelle anzeigen##Zbrazit jako tabulku"),
            [this] { setView(1); }, m_view == 1);
      if (viewAvailable(2))
        item(
            "MenuView2D", mls("###View as graph 2D##Als 2D-Graph anzeigen##Zobrazit jako 2D graf"),
            [this] { setView(2); }, m_view == 2);
      if (viewAvailable(4))
        item(
            "MenuView3D", mls("###View as graph 3D##Als 3D-Graph anzeigen##Zobrazit jako 3D graf"),
            [this] { setView(4); }, m_view == 4);
      menu->addSeparator();
    }
    // 9. The dimensions.
    if (s.x.usage == 1 || s.y.usage == 1) {
      const AxisUse now = m_model.axesInUse();
      const QString x = mls(s.x.label), y = mls(s.y.label);
      auto dim = [&](const char* name, AxisUse u, const QString& text) {
        if (m_model.canUseAxes(u))
          item(
              name, text, [this, u] { m_model.useAxes(u); }, now == u);
      };
      dim("MenuOnlyX", AxisUse::OnlyX, ml2("###Use only##Nur##Použij jen") + " " + x);
      dim("MenuOnlyY", AxisUse::OnlyY, ml2("###Use only##Nur##Použij jen") + " " + y);
      dim("MenuBoth", AxisUse::Both,
          ml2("###Use##Verwenden##Použij") + " " + x + " " + ml2(kAnd) + " " + y);
      menu->addSeparator();
    }
    // A table to and from a file.
    item("MenuExportCsv",
         mls("###Export table as CSV...##Tabelle als CSV exportieren...##Exportovat tabulku do "
             "CSV..."),
         [this] {
           const QString path = m_csvFile ? m_csvFile(true) : QString();
           if (!path.isEmpty()) exportCsv(path);
         });
    if (s.hasEditableAxis())
      item("MenuImportCsv",
           mls("###Import table from CSV...##Tabelle aus CSV importieren...##Importovat tabulku z "
               "CSV..."),
           [this] {
             const QString path = m_csvFile ? m_csvFile(false) : QString();
             if (!path.isEmpty()) importCsv(path);
           });
  }
  return m_menu;
}

}  // namespace q3
