// The compare window.
#include "shell/ui/compare_window.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "files/ign_document.h"
#include "files/unit_backup.h"
#include "maps/map_defs.h"
#include "maps/ui/map_editor.h"
#include "params/param_model.h"
#include "text/mstring.h"
#include "text/user_dialogs.h"

namespace {

const char* const kTitle = "###Compare settings##Einstellungen vergleichen##Porovnat nastavení";
const char* const kWith = "###Compared with:##Verglichen mit:##Porovnáno s:";
const char* const kNothing =
    "###Choose what to compare with.##Wählen Sie, womit verglichen wird.##Zvolte, s čím porovnat.";
const char* const kSame = "###No difference.##Kein Unterschied.##Žádný rozdíl.";
const char* const kFile = "###File...##Datei...##Soubor...";
const char* const kUnit = "###Unit##Gerät##Jednotka";
const char* const kBackup = "###Unit backup...##Gerätesicherung...##Záloha jednotky...";
const char* const kTake = "###Take##Übernehmen##Převzít";
const char* const kTakeAll = "###Take all##Alles übernehmen##Převzít vše";
const char* const kClose = "###Close##Schließen##Zavřít";
const char* const kSetting = "###Setting##Einstellung##Nastavení";
const char* const kWindow = "###Window (A)##Fenster (A)##Okno (A)";
const char* const kCompared = "###Compared (B)##Verglichen (B)##Porovnávané (B)";
const char* const kCells = "###Cells that differ:##Abweichende Zellen:##Odlišné buňky:";
const char* const kBreakpoints =
    "###Breakpoints that differ:##Abweichende Stützstellen:##Odlišné body:";
const char* const kCannotRead = "###Cannot read ##Nicht lesbar: ##Nelze přečíst ";
const char* const kNoUnit =
    "###The unit's settings have not been read yet.##Die Einstellungen des Geräts wurden noch "
    "nicht gelesen.##Nastavení jednotky ještě nebylo přečteno.";

QString tr8(const char* ml) { return QString::fromUtf8(q3::ml(ml)); }
QString utf8(const std::string& s) { return QString::fromUtf8(s.c_str()); }

enum Kind { KindValue = 0, KindMap = 1, KindByte = 2 };
constexpr int kKindRole = Qt::UserRole;
constexpr int kIndexRole = Qt::UserRole + 1;

}  // namespace

CompareWindow::CompareWindow(const q3::ParamModel& model, QString backups, q3::UserDialogs& dialogs,
                             QWidget* parent)
    : QDialog(parent),
      m_model(model),
      m_dialogs(dialogs),
      m_current(model.image()),
      m_backups(std::move(backups)) {
  setObjectName("FormCompare");
  auto* v = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  m_source = new QLabel(this);
  m_source->setObjectName("LabelCompared");
  top->addWidget(m_source, 1);
  for (auto [button, name] :
       {std::pair{&m_file, "ButtonCompareFile"}, std::pair{&m_unit, "ButtonCompareUnit"},
        std::pair{&m_backup, "ButtonCompareBackup"}}) {
    *button = new QPushButton(this);
    (*button)->setObjectName(name);
    top->addWidget(*button);
  }
  connect(m_file, &QPushButton::clicked, this, [this] {
    const QString f = QFileDialog::getOpenFileName(this, QString(), QString(),
                                                   "Ignition Parametrs (*.ign);;All Files (*.*)");
    if (!f.isEmpty()) compareWithFile(f);
  });
  connect(m_unit, &QPushButton::clicked, this, [this] { compareWithUnit(); });
  connect(m_backup, &QPushButton::clicked, this, [this] {
    const QString f = QFileDialog::getOpenFileName(this, QString(), m_backups,
                                                   "Ignition Parametrs (*.ign);;All Files (*.*)");
    if (!f.isEmpty()) compareWithBackup(f);
  });
  v->addLayout(top);

  auto* split = new QSplitter(Qt::Horizontal, this);
  m_tree = new QTreeWidget(split);
  m_tree->setObjectName("TreeCompare");
  m_tree->setColumnCount(3);
  m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
  m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  auto* right = new QWidget(split);
  auto* rv = new QVBoxLayout(right);
  rv->setContentsMargins(0, 0, 0, 0);
  m_grid = new QTableWidget(right);
  m_grid->setObjectName("TableMapDifference");
  m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_grid->horizontalHeader()->setMinimumSectionSize(30);
  m_grid->horizontalHeader()->setDefaultSectionSize(44);
  m_grid->verticalHeader()->setDefaultSectionSize(22);
  rv->addWidget(m_grid, 1);
  split->addWidget(m_tree);
  split->addWidget(right);
  split->setStretchFactor(0, 2);
  split->setStretchFactor(1, 3);
  v->addWidget(split, 1);
  connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    const bool map = item && item->data(0, kKindRole).toInt() == KindMap;
    showMap(map ? item->data(0, kIndexRole).toInt() : -1);
  });

  auto* bottom = new QHBoxLayout;
  m_take = new QPushButton(this);
  m_take->setObjectName("ButtonTake");
  m_takeAll = new QPushButton(this);
  m_takeAll->setObjectName("ButtonTakeAll");
  auto* close = new QPushButton(this);
  close->setObjectName("ButtonCompareClose");
  bottom->addWidget(m_take);
  bottom->addWidget(m_takeAll);
  bottom->addStretch(1);
  bottom->addWidget(close);
  v->addLayout(bottom);
  connect(m_take, &QPushButton::clicked, this, [this] { takeSelected(); });
  connect(m_takeAll, &QPushButton::clicked, this, [this] { takeAll(); });
  connect(close, &QPushButton::clicked, this, &QDialog::close);

  // The window's settings change by edits, undo and loads: compared again
  // when they did.
  m_watch = new QTimer(this);
  m_watch->setInterval(300);
  connect(m_watch, &QTimer::timeout, this, [this] {
    if (m_haveB && isVisible() && m_current != m_lastA) refresh();
  });
  m_watch->start();
  retranslate();
  resize(1100, 640);
}

void CompareWindow::retranslate() {
  setWindowTitle(tr8(kTitle));
  m_file->setText(tr8(kFile));
  m_unit->setText(tr8(kUnit));
  m_backup->setText(tr8(kBackup));
  m_take->setText(tr8(kTake));
  m_takeAll->setText(tr8(kTakeAll));
  if (auto* c = findChild<QPushButton*>("ButtonCompareClose")) c->setText(tr8(kClose));
  m_tree->setHeaderLabels({tr8(kSetting), tr8(kWindow), tr8(kCompared)});
  m_source->setText(m_haveB ? tr8(kWith) + " " + m_name : tr8(kNothing));
  if (m_haveB) rebuild();
}

void CompareWindow::setCompared(const q3::ParamImage& b, const QString& name) {
  m_b = b;
  m_name = name;
  m_haveB = true;
  m_source->setText(tr8(kWith) + " " + m_name);
  refresh();
}

bool CompareWindow::compareWithFile(const QString& path) {
  q3::ParamModel file;
  file.image() = m_current;
  q3::IgnDocument doc(file, m_dialogs);
  if (doc.load(path.toStdString(), -1) != q3::IgnDocument::LoadResult::Loaded) {
    m_dialogs.message(q3::ml(kTitle), q3::ml(kCannotRead) + (" " + path.toStdString()),
                      q3::DialogKind::Warning);
    return false;
  }
  file.sanitize();
  setCompared(file.image(), QFileInfo(path).fileName());
  return true;
}

bool CompareWindow::compareWithBackup(const QString& path) {
  q3::ParamModel kept;
  if (!q3::BackupStore::load(path.toStdString(), kept)) {
    m_dialogs.message(q3::ml(kTitle), q3::ml(kCannotRead) + (" " + path.toStdString()),
                      q3::DialogKind::Warning);
    return false;
  }
  setCompared(kept.image(), QFileInfo(path).fileName());
  return true;
}

bool CompareWindow::compareWithUnit() {
  if (!m_model.unitImageValid()) {
    m_dialogs.message(q3::ml(kTitle), q3::ml(kNoUnit), q3::DialogKind::Warning);
    return false;
  }
  setCompared(m_model.unitImage(), tr8(kUnit));
  return true;
}

void CompareWindow::refresh() {
  if (!m_haveB) return;
  m_lastA = m_current;
  m_cmp = q3::compareSettings(m_lastA, m_b);
  rebuild();
}

void CompareWindow::rebuild() {
  // The row chosen before stays chosen where it is still listed.
  int kind = -1;
  int index = -1;
  if (QTreeWidgetItem* s = selectedItem()) {
    kind = s->data(0, kKindRole).toInt();
    index = s->data(0, kIndexRole).toInt();
  }
  m_tree->clear();
  QTreeWidgetItem* reselect = nullptr;
  auto group = [this](const QString& caption) {
    auto* g = new QTreeWidgetItem(m_tree, {caption});
    QFont f = g->font(0);
    f.setBold(true);
    g->setFont(0, f);
    g->setFlags(Qt::ItemIsEnabled);
    g->setExpanded(true);
    return g;
  };
  for (int page = 0; page < q3::kPageCount; ++page) {
    QTreeWidgetItem* g = nullptr;
    for (size_t i = 0; i < m_cmp.values.size(); ++i) {
      const q3::ValueChange& c = m_cmp.values[i];
      if (c.entry->page != page) continue;
      if (!g) g = group(utf8(q3::pageCaption(page)));
      auto* it = new QTreeWidgetItem(g, {utf8(q3::entryCaption(*c.entry)), utf8(c.a), utf8(c.b)});
      it->setData(0, kKindRole, KindValue);
      it->setData(0, kIndexRole, int(i));
      if (kind == KindValue && index == int(i)) reselect = it;
    }
    for (size_t i = 0; i < m_cmp.maps.size(); ++i) {
      const q3::MapChange& m = m_cmp.maps[i];
      if (m.map->page != page) continue;
      if (!g) g = group(utf8(q3::pageCaption(page)));
      QString b;
      if (!m.cells.empty()) b = tr8(kCells) + " " + QString::number(m.cells.size());
      if (!m.axes.empty())
        b += (b.isEmpty() ? "" : ", ") + tr8(kBreakpoints) + " " + QString::number(m.axes.size());
      auto* it = new QTreeWidgetItem(g, {utf8(q3::mapCaption(*m.map)), QString(), b});
      it->setData(0, kKindRole, KindMap);
      it->setData(0, kIndexRole, int(i));
      if (kind == KindMap && index == int(i)) reselect = it;
    }
  }
  if (!m_cmp.others.empty()) {
    QTreeWidgetItem* g = group(utf8(q3::otherBytesCaption()));
    for (size_t i = 0; i < m_cmp.others.size(); ++i) {
      const q3::ByteChange& o = m_cmp.others[i];
      auto* it = new QTreeWidgetItem(
          g, {QStringLiteral("%1").arg(o.index), QString::number(o.a), QString::number(o.b)});
      it->setData(0, kKindRole, KindByte);
      it->setData(0, kIndexRole, int(i));
    }
  }
  if (m_cmp.empty()) new QTreeWidgetItem(m_tree, {tr8(kSame)});
  m_tree->expandAll();
  m_tree->resizeColumnToContents(1);
  m_tree->resizeColumnToContents(2);
  if (reselect)
    m_tree->setCurrentItem(reselect);
  else
    showMap(-1);
  m_takeAll->setEnabled(!m_cmp.empty());
}

void CompareWindow::showMap(int index) {
  m_take->setEnabled(selectedItem() != nullptr);
  if (m_graph) {
    m_graph->deleteLater();
    m_graph = nullptr;
  }
  m_grid->clear();
  if (index < 0 || index >= int(m_cmp.maps.size())) {
    m_grid->setRowCount(0);
    m_grid->setColumnCount(0);
    return;
  }
  const q3::MapChange& m = m_cmp.maps[size_t(index)];
  // B - A per cell, rows and columns in the order of the map editor's table.
  m_grid->setRowCount(m.rows);
  m_grid->setColumnCount(m.columns);
  QStringList cols, rows;
  for (int c = 0; c < m.columns; ++c)
    cols << QString::fromStdString(q3::mapValueText(m.a.x.values[size_t(c)], m.a.x.scale));
  for (int r = 0; r < m.rows; ++r)
    rows << QString::fromStdString(q3::mapValueText(m.a.y.values[size_t(r)], m.a.y.scale));
  m_grid->setHorizontalHeaderLabels(cols);
  m_grid->setVerticalHeaderLabels(rows);
  int32_t largest = 1;
  for (const q3::CellChange& c : m.cells) largest = std::max(largest, std::abs(c.b - c.a));
  for (const q3::CellChange& c : m.cells) {
    const int32_t d = c.b - c.a;
    QString t = QString::fromStdString(q3::mapValueText(d, m.a.v.scale));
    if (d > 0) t.prepend('+');
    auto* item = new QTableWidgetItem(t);
    item->setTextAlignment(Qt::AlignCenter);
    // Red where B is higher, blue where it is lower, stronger the larger.
    const int k = 60 + int(160.0 * std::abs(d) / largest);
    item->setBackground(d > 0 ? QColor(255, 255 - k, 255 - k) : QColor(255 - k, 255 - k, 255));
    m_grid->setItem(c.row, c.col, item);
  }
  // The map's graph: A's curves with B's as the comparison curve.
  const int owner = m.map->owner;
  const q3::MapControlSetup setup = q3::mapControlSetup(owner);
  m_graph = new q3::MapEditor(owner, 0, 0, setup.options | q3::kOptGraph2D, this);
  m_graph->setObjectName("CompareGraph");
  q3::defineMap(m_graph->model());
  q3::loadMap(m_graph->model(), m_current);
  m_graph->model().selectSheet(m.map->sheet);
  q3::MapSheet& s = m_graph->model().sheet(m.map->sheet);
  s.x.compareValues = m.b.x.values;
  s.x.compareCount = m.b.x.count;
  s.v.compareValues = m.b.v.values;
  m_graph->setAttribute(Qt::WA_TransparentForMouseEvents);
  m_graph->setFocusPolicy(Qt::NoFocus);
  m_graph->setMinimumHeight(260);
  m_graph->setView(2);
  m_grid->parentWidget()->layout()->addWidget(m_graph);
  m_graph->refresh();
}

QTreeWidgetItem* CompareWindow::selectedItem() const {
  QTreeWidgetItem* it = m_tree->currentItem();
  return it && it->data(0, kKindRole).isValid() ? it : nullptr;
}

bool CompareWindow::selectSetting(const char* controlName) {
  for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
    if ((*it)->data(0, kKindRole).toInt() != KindValue || !(*it)->data(0, kKindRole).isValid())
      continue;
    const q3::ValueChange& c = m_cmp.values[size_t((*it)->data(0, kIndexRole).toInt())];
    if (std::string(c.entry->spec->name) == controlName) {
      m_tree->setCurrentItem(*it);
      return true;
    }
  }
  return false;
}

bool CompareWindow::selectMap(int owner, int sheet) {
  for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
    if ((*it)->data(0, kKindRole).toInt() != KindMap) continue;
    const q3::MapChange& c = m_cmp.maps[size_t((*it)->data(0, kIndexRole).toInt())];
    if (c.map->owner == owner && c.map->sheet == sheet) {
      m_tree->setCurrentItem(*it);
      return true;
    }
  }
  return false;
}

void CompareWindow::takeSelected() {
  QTreeWidgetItem* it = selectedItem();
  if (!it || !applyChange) return;
  const int index = it->data(0, kIndexRole).toInt();
  const q3::ParamImage b = m_b;
  switch (it->data(0, kKindRole).toInt()) {
    case KindValue: {
      const q3::CatalogueEntry* e = m_cmp.values[size_t(index)].entry;
      applyChange([e, b](q3::ParamImage& img) { q3::copyEntry(*e, b, img); });
      break;
    }
    case KindMap: {
      const q3::CatalogueMap* cm = m_cmp.maps[size_t(index)].map;
      applyChange([cm, b](q3::ParamImage& img) { q3::takeMap(*cm, b, img); });
      break;
    }
    case KindByte: {
      const int at = m_cmp.others[size_t(index)].index;
      applyChange([at, b](q3::ParamImage& img) { img.setByte(at, b.byte(at)); });
      break;
    }
  }
  refresh();
}

void CompareWindow::takeAll() {
  if (!m_haveB || !applyChange) return;
  const q3::ParamImage b = m_b;
  applyChange([b](q3::ParamImage& img) { img = b; });
  refresh();
}
