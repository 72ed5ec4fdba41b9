// Printing in the main window: File -> Print and the print button print the
// active page, File -> Print all every page whose tab is visible, and
// File -> Print preview shows the sheets of Print all before they go to the
// printer. The sheets themselves are made by src/print.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <memory>

#include "print/window_printer.h"
#include "shell/ui/main_window.h"
#include "shell/ui/window_context.h"
#include "shell/ui/window_features.h"
#include "text/mstring.h"

namespace {

constexpr const char* kPreviewText = "###Print preview##Druckvorschau##Náhled tisku";

// A small printer: paper in, the body, the sheet coming out.
QIcon printerIcon() {
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.5));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(9, 3, 14, 10));  // paper going in
  p.setBrush(QColor(0x70, 0x80, 0x90));
  p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);  // the body
  p.setBrush(Qt::white);
  p.drawRect(QRectF(8, 19, 16, 10));  // the printed sheet
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
  for (int y : {22, 25}) p.drawLine(11, y, 21, y);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x40, 0xc0, 0x40));
  p.drawEllipse(QRectF(24, 14, 3, 3));  // the power light
  return QIcon(pm);
}

class PrintFeature : public QObject, public q3::Feature {
 public:
  explicit PrintFeature(WindowContext& ctx) : m_ctx(ctx), m_w(&ctx.window) {
    bindCommands();
    m_texts = ctx.events.textsApplied.subscribe([this] { retranslate(); });
  }

  const char* featureName() const override { return "print"; }

 private:
  void bindCommands() {
    auto on = [this](const char* name, auto f) {
      if (QAction* a = m_w->action(name)) {
        a->setEnabled(true);
        connect(a, &QAction::triggered, this, f);
      }
    };
    on("MenuPrint", [this] { printer().print(); });
    on("MenuPrintAll", [this] { printer().printAll(); });
    QAction* all = m_w->action("MenuPrintAll");
    if (all) all->setVisible(true);
    if (auto* b = m_w->control<QAbstractButton>("SpeedButtonPrint")) {
      b->setEnabled(true);
      b->setIcon(printerIcon());
      connect(b, &QAbstractButton::clicked, this, [this] { printer().print(); });
    }
    // The preview stands right under Print all in the File menu.
    if (auto* file = m_w->findChild<QMenu*>("MenuFile"); file && all) {
      const QList<QAction*> items = file->actions();
      const qsizetype at = items.indexOf(all);
      m_preview = new QAction(file);
      m_preview->setObjectName("MenuPrintPreview");
      file->insertAction(at >= 0 && at + 1 < items.size() ? items[at + 1] : nullptr, m_preview);
      connect(m_preview, &QAction::triggered, this,
              [this] { printer().preview(q3::PrintScope::AllPages); });
      retranslate();
    }
  }

  void retranslate() {
    if (m_preview) m_preview->setText(QString::fromUtf8(q3::ml(kPreviewText)));
  }

  q3::WindowPrinter printer() {
    q3::PrintHooks h;
    // A control still being edited gives its value up first.
    h.takeOverEdit = [this] { m_w->programAfterChangeBox()->setFocus(); };
    h.showAllPages = [this] { m_ctx.showAllPages(); };
    return q3::WindowPrinter(m_w, m_w->pageControl(), m_ctx.dialogs, h);
  }

  WindowContext& m_ctx;
  MainWindow* m_w;
  QAction* m_preview = nullptr;
  q3::Event<>::Subscription m_texts;
};

}  // namespace

std::unique_ptr<q3::Feature> makePrintFeature(WindowContext& ctx) {
  return std::make_unique<PrintFeature>(ctx);
}
