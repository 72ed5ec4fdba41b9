// The map editors of the main window: the MapEditor controls on the Sensors,
// Advance Map, Power out and Servo pages, their load from the image and their
// store on each committed change (followed by the deferred apply, so that
// every map edit is one undoable change), the tick step that feeds them the
// live engine values and runs their timer entry, the servo "Percent" switch
// and "Advance +" / "Advance -". The throttle calibration buttons write the
// image (Sensors page); the curve follows at the next reload.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <array>
#include <memory>
#include <vector>

#include "maps/map_defs.h"
#include "maps/ui/map_editor.h"
#include "monitor/hit_map.h"
#include "params/address_map.h"
#include "shell/ui/main_window.h"
#include "shell/ui/window_features.h"

namespace {

using q3::MapEditor;

struct MapPlace {
  int owner;
  const char* page;
  const char* name;
};

// Every map control, its page and its objectName.
const MapPlace kPlaces[] = {
    {q3::kOwnerAdvance, "TabSheetAdvance", "TabAdvance"},
    {q3::kOwnerServo, "TabSheetServo", "TabServo"},
    {q3::kOwnerTpsCurve, "TabSheetSensors", "TabSensorTps"},
    {q3::kOwnerIapCurve, "TabSheetSensors", "TabSensorIap"},
    {q3::kOwnerLambdaCurve, "TabSheetSensors", "TabSensorLambda"},
    {q3::kOwnerLambdaRpm, "TabSheetSensors", "TabLambdaRpm"},
    {q3::kOwnerPoutCondition + 0, "TabSheetPOut", "TabPout1"},
    {q3::kOwnerPoutCondition + 1, "TabSheetPOut", "TabPout2"},
    {q3::kOwnerPoutCondition + 2, "TabSheetPOut", "TabPout3"},
    {q3::kOwnerPoutPwm + 0, "TabSheetPOut", "TabPoutPwm1"},
    {q3::kOwnerPoutPwm + 1, "TabSheetPOut", "TabPoutPwm2"},
    {q3::kOwnerPoutPwm + 2, "TabSheetPOut", "TabPoutPwm3"},
};

class MapsFeature : public QObject, public q3::Feature {
 public:
  explicit MapsFeature(WindowContext& ctx) : m_ctx(ctx), m_form(&ctx.window) {
    for (const MapPlace& p : kPlaces) {
      QWidget* page = m_form->page(p.page);
      if (!page) continue;
      const q3::MapControlSetup setup = q3::mapControlSetup(p.owner);
      auto* tab = new MapEditor(p.owner, setup.width, setup.height, setup.options, page);
      tab->setDialogs(&m_ctx.dialogs);
      tab->setObjectName(QString::fromLatin1(p.name));
      q3::defineMap(tab->model());
      tab->model().setOwnerNotify([this](q3::MapModel& m) { committed(m); });
      // The editor's hints ("Dragging: ...", the button under the pointer)
      // go to the first panel of the status bar.
      connect(tab, &MapEditor::statusHint, this,
              [this](const QString& text) { m_form->statusPanel(0)->setText(text); });
      m_tabs.push_back(tab);
      if (!m_pages.contains(page)) {
        m_pages.push_back(page);
        page->installEventFilter(this);
      }
    }
    place();
    for (auto [name, k] : {std::pair{"MenuAdvancePlus", 1}, std::pair{"MenuAdvanceMinus", -1}}) {
      if (QAction* a = m_form->action(name)) {
        a->setEnabled(true);
        connect(a, &QAction::triggered, this, [this, k = k] { advance(k); });
      }
    }
    m_ctx.maps.editors = [this] {
      std::vector<q3::PlaybackHost::Editor> list;
      for (MapEditor* t : m_tabs)
        list.push_back({t->model().ownerId(), t->model().current(), t->model().sheetCount()});
      return list;
    };
    // After every page was shown the maps show the same image at once, not
    // one tick later: printing to a file right after loading runs no tick.
    m_allShown = m_ctx.events.allPagesShown.subscribe([this] { reloadAll(); });
    m_ctx.maps.showSheet = [this](int editor, int sheet) {
      if (editor < 0 || size_t(editor) >= m_tabs.size()) return;
      MapEditor* t = m_tabs[size_t(editor)];
      if (!t->model().validSheet(sheet) || t->model().current() == sheet) return;
      t->model().selectSheet(sheet);
      t->refresh();
    };
  }

  const char* featureName() const override { return "maps"; }

  // The page controls that belong to the maps exist once every feature has
  // made its widgets.
  void startup(q3::StartupStep step) override {
    if (step == q3::StartupStep::CollectControlLists) connectPageControls();
  }

  void tick(q3::TickPhase phase, int32_t) override {
    if (phase == q3::TickPhase::MapEditors) tick();
  }

  MapEditor* tab(int owner) const {
    for (MapEditor* t : m_tabs)
      if (t->model().ownerId() == owner) return t;
    return nullptr;
  }

  // The tick step: reload after an outside change of the image, live values,
  // timer entry.
  void tick() {
    q3::ParamImage& img = m_ctx.params.image();
    if (!m_loaded || img != m_lastImage) reloadAll();
    const q3::MonitorBuffer& mon = m_ctx.params.monitor();
    const int mode = std::min<int>(mon.byte(q3::MonitorByte::LoadSensor), 2);
    const int rpm = mon.word(q3::MonitorWord::EngineSpeed);
    const int tpTenths = mode < 2 ? mon.word(q3::MonitorWord::LoadValue) * 10 : -1;
    const int iap = mode == 2 ? mon.word(q3::MonitorWord::LoadValue) : -1;
    const bool second = (mon.byte(q3::MonitorByte::FunctionStates) & 0x20) != 0;
    const int flags = q3::liveMapFlags(second, mode);
    for (MapEditor* t : m_tabs) {
      t->model().setLiveValues(rpm, tpTenths, iap, flags);
      t->timerEntry();
    }
    markBaseAdvance(rpm);
    countTimeSpent();
  }

  // The time the engine spends in each cell of the advance maps, from the
  // monitor values of the connected unit or of a recording played back
  // (which fills the same buffer), counted at every tick for the time since
  // the last one. The counts start anew when a map's breakpoints change.
  void countTimeSpent() {
    MapEditor* t = tab(q3::kOwnerAdvance);
    if (!t) return;
    const int32_t now = m_ctx.clock.tmr();
    const int32_t step = m_lastCount >= 0 ? now - m_lastCount : 0;
    m_lastCount = now;
    const q3::ParamImage& img = m_ctx.params.image();
    const bool settingsChanged = !m_spent[0] || img != m_spentImage;
    m_spentImage = img;
    for (int map = 0; map < 2; ++map) {
      auto& counter = m_spent[size_t(map)];
      if (settingsChanged) {
        q3::HitMapCounter fresh(img, map);
        if (!counter || counter->hits().rpm != fresh.hits().rpm ||
            counter->hits().load != fresh.hits().load)
          counter = std::make_unique<q3::HitMapCounter>(std::move(fresh));
      }
      if (step > 0 && step <= int32_t(q3::kHitMapMaxStepMs))
        counter->add(m_ctx.params.monitor().data(), step / 1000.0);
    }
    // The editor's cells follow every half second.
    if (++m_spentTicks % 10 != 0) return;
    for (int map = 0; map < 2; ++map) {
      const q3::HitMap& h = m_spent[size_t(map)]->hits();
      if (h.total <= 0) continue;
      std::vector<double> cells(size_t(q3::kCellCount), 0.0);
      for (int r = 0; r < h.rows(); ++r)
        for (int c = 0; c < h.columns(); ++c) cells[q3::cellIndex(c, r)] = h.at(r, c);
      t->setCellTimes(map, std::move(cells));
    }
  }

  void advance(int k) {
    if (auto* t = qobject_cast<MapEditor*>(QApplication::focusWidget())) t->advance(k);
  }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Resize) place();
    return QObject::eventFilter(o, e);
  }

 private:
  // Positions on the pages, following their size.
  void place() {
    for (MapEditor* t : m_tabs) {
      QWidget* page = t->parentWidget();
      const int w = page->width(), h = page->height();
      const int owner = t->model().ownerId();
      const q3::MapControlSetup setup = q3::mapControlSetup(owner);
      if (owner == q3::kOwnerAdvance) {
        t->setGeometry(0, 35, w, std::max(100, h - 40));
      } else if (owner == q3::kOwnerServo) {
        t->setGeometry(0, 35, w, std::max(100, h - 35));
      } else if (owner == q3::kOwnerTpsCurve || owner == q3::kOwnerIapCurve) {
        t->setGeometry(std::max(0, w - 300), 10, setup.width, setup.height);
      } else if (owner == q3::kOwnerLambdaCurve) {
        t->setGeometry(std::max(0, w - 570), 10, setup.width, setup.height);
      } else if (owner == q3::kOwnerLambdaRpm) {
        t->setGeometry(std::max(0, w - 570), 240, std::max(120, w / 5), std::max(90, h * 3 / 10));
      } else {
        const int k = owner >= q3::kOwnerPoutPwm ? owner - q3::kOwnerPoutPwm
                                                 : owner - q3::kOwnerPoutCondition;
        const int rowH = std::max(90, h / 3);
        t->setGeometry(std::max(0, w - 430), 5 + k * rowH, 420, rowH - 10);
      }
      t->refresh();
    }
  }

  void reloadAll() {
    const q3::ParamImage& img = m_ctx.params.image();
    // A change that is still gathering steps is stored first, at its deadline.
    for (MapEditor* t : m_tabs)
      if (t->model().openKey() != 0 || t->model().gatheredFlags() != 0) return;
    for (MapEditor* t : m_tabs) {
      q3::reloadMap(t->model(), img);
      t->setVisible(q3::mapVisible(t->model().ownerId(), img));
      t->refresh();
    }
    m_lastImage = img;
    m_loaded = true;
  }

  // A committed change of a map: store its sheet, load it back, run the
  // deferred apply (sanitise, show, undo snapshot, program after change).
  void committed(q3::MapModel& m) {
    q3::ParamImage& img = m_ctx.params.image();
    q3::storeMap(m, img);
    q3::reloadMap(m, img);
    m_ctx.binder.applyNow();
    reloadAll();
  }

  // LabelBaseAdv is green while the engine runs below the first breakpoint
  // of the advance map shown, that is on the base advance.
  void markBaseAdvance(int rpm) {
    MapEditor* t = tab(q3::kOwnerAdvance);
    if (!t || !t->isVisible() || !m_baseLabel) return;
    const q3::MapSheet& s = t->model().cur();
    const bool onBase = rpm < s.x.values[0] * 100;
    if (onBase == m_baseGreen && m_baseKnown) return;
    m_baseGreen = onBase;
    m_baseKnown = true;
    m_baseLabel->setAutoFillBackground(true);
    QPalette pal = m_baseLabel->palette();
    pal.setColor(QPalette::Window, onBase ? QColor(0, 255, 0) : QColor(0xF0, 0xF0, 0xF0));
    m_baseLabel->setPalette(pal);
  }

  // The base-advance label, made by the Advance page, shows whether the
  // engine runs on the base advance.
  void connectPageControls() { m_baseLabel = m_form->control<QLabel>("LabelBaseAdv"); }

  WindowContext& m_ctx;
  MainWindow* m_form;
  std::vector<MapEditor*> m_tabs;
  QList<QWidget*> m_pages;
  q3::ParamImage m_lastImage;
  bool m_loaded = false;
  QPointer<QLabel> m_baseLabel;
  bool m_baseGreen = false;
  bool m_baseKnown = false;
  q3::Event<>::Subscription m_allShown;
  std::array<std::unique_ptr<q3::HitMapCounter>, 2> m_spent;
  q3::ParamImage m_spentImage;
  int32_t m_lastCount = -1;
  int m_spentTicks = 0;
};

}  // namespace

std::unique_ptr<q3::Feature> makeMapsFeature(WindowContext& ctx) {
  return std::make_unique<MapsFeature>(ctx);
}
