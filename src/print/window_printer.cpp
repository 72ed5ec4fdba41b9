// Print, Print all, preview and the PDF output of the main window's pages.
#include "print/window_printer.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPicture>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>
#include <algorithm>
#include <cerrno>

#include "base/safe_write.h"
#include "print/paper_look.h"
#include "text/mstring.h"
#include "text/user_dialogs.h"

namespace q3 {

namespace {

constexpr const char* kPrintFailedText =
    "###Printing failed##Drucken fehlgeschlagen##Tisk se nezdařil";

// One widget without its children, drawn into a picture in its own
// coordinates: a widget rendered straight into a printer becomes one bitmap
// at the printer's resolution, a picture keeps the drawing commands (text
// stays text, lines stay lines).
QPicture pictureOf(QWidget* w, bool windowBackground) {
  QPicture picture;
  QPainter recorder(&picture);
  w->render(&recorder, QPoint(), QRegion(),
            windowBackground ? QWidget::DrawWindowBackground : QWidget::RenderFlags());
  return picture;
}

// w and, above it, its children that are not hidden, each at its place in
// the window and clipped to its own rect and its parents' (a picture of a
// whole widget tree keeps neither the children's places nor their clips:
// backgrounds land at the top left, groups spill over scroll bars).
void paintTree(QPainter& painter, QWidget* w, QWidget* window, const QRect& clip, double played) {
  const QRect inWindow(w->mapTo(window, QPoint(0, 0)), w->size());
  const QRect visible = clip.intersected(inWindow);
  if (visible.isEmpty()) return;
  const QPicture picture = pictureOf(w, w == window);
  painter.save();
  painter.setClipRect(visible);
  painter.translate(inWindow.topLeft());
  // Playing a picture back already scales it from its resolution to the
  // device's; that part of the scale is taken out again.
  painter.scale(1 / played, 1 / played);
  painter.drawPicture(0, 0, picture);
  painter.restore();
  // A tab bar's picture sets clips of its own when played back, which take
  // the place of the painter's clip: painted after the page below it, its
  // white spills over the page's top-left captions. It goes first, so the
  // page is painted over whatever it spills.
  auto paintChildren = [&](bool tabBars) {
    for (QObject* o : w->children()) {
      auto* child = qobject_cast<QWidget*>(o);
      if (child && !child->isWindow() && !child->isHidden() &&
          (qobject_cast<QTabBar*>(child) != nullptr) == tabBars)
        paintTree(painter, child, window, visible, played);
    }
  };
  paintChildren(true);
  paintChildren(false);
}

}  // namespace

void paintWindow(QPainter& painter, QWidget* window) {
  const double scale =
      printScale(window->size(), QSize(painter.device()->width(), painter.device()->height()));
  const double played = double(painter.device()->logicalDpiX()) / QPicture().logicalDpiX();
  painter.save();
  painter.scale(scale, scale);
  paintTree(painter, window, window, window->rect(), played);
  painter.restore();
}

namespace {

// A wide window goes on a landscape sheet.
void orientFor(QPrinter& printer, const QWidget* window) {
  printer.setPageOrientation(window->width() > window->height() ? QPageLayout::Landscape
                                                                : QPageLayout::Portrait);
}

QString printerName(const QPrinter& printer) {
  return printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
}

// A PDF goes through the program's safe file write: the printer writes a
// temporary file beside the target, which replaces the target only when the
// document is complete. The printer's own file writes report no failure, so
// a document that does not end with its end-of-file marker is taken as cut
// short (a full disk, a size limit) and the old file stays.
bool pdfComplete(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly) || f.size() < 16) return false;
  f.seek(f.size() - 16);
  return f.readAll().contains("%%EOF");
}

// Why a document file could not grow: more bytes are appended to it (it is
// thrown away anyway) and the system's answer names the cause ("no space left
// on device", "file too large", a quota). Empty when it grows after all.
std::string shortFileCause(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd < 0) return writeCause(errno);
  static const char zeros[65536] = {};
  std::string cause;
  for (int i = 0; i < 16 && cause.empty(); ++i) {
    const ssize_t n = ::write(fd, zeros, sizeof zeros);
    if (n < 0) cause = writeCause(errno);
  }
  ::close(fd);
  return cause;
}

template <typename Print>
PrintResult printPdfSafely(QPrinter& printer, Print print) {
  const QString target = printer.outputFileName();
  PendingFile file(target.toStdString());
  PrintResult r;
  if (!file.isOpen()) {
    r.status = PrintStatus::Failed;
    r.error = QString::fromStdString(file.failure().message);
    return r;
  }
  printer.setOutputFileName(QString::fromStdString(file.tempPath()));
  r = print();
  printer.setOutputFileName(target);
  if (r.status == PrintStatus::Failed) {
    // The printer gives up when its file cannot grow; say why.
    const std::string cause = shortFileCause(file.tempPath());
    if (!cause.empty())
      r.error = QString::fromStdString("cannot write " + target.toStdString() + ": " + cause);
  }
  if (r.status != PrintStatus::Printed) return r;
  FileWriteResult done;
  if (pdfComplete(file.tempPath())) {
    done = file.commit();
  } else {
    done.cause = shortFileCause(file.tempPath());
    if (done.cause.empty()) done.cause = "the document was cut short";
    done.message = "cannot write " + target.toStdString() + ": " + done.cause;
  }
  if (!done.ok) {
    r.status = PrintStatus::Failed;
    r.error = QString::fromStdString(done.message);
  }
  return r;
}

bool printsToPdfFile(const QPrinter& printer) {
  return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
}

}  // namespace

double printScale(QSize window, QSize area) {
  return std::min(double(area.width()) / window.width(), double(area.height()) / window.height());
}

WindowPrinter::WindowPrinter(QWidget* window, QTabWidget* pages, PrintHooks hooks)
    : m_window(window), m_pages(pages), m_hooks(std::move(hooks)) {}

PrintResult WindowPrinter::check(PrintScope scope) const {
  PrintResult r;
  if (!m_window || m_window->width() <= 0 || m_window->height() <= 0) {
    r.error = "The window has no size to print.";
    return r;
  }
  if (scope == PrintScope::AllPages && m_pages && PaperLook::visibleTabs(m_pages).isEmpty()) {
    r.error = "No page has a visible tab.";
    return r;
  }
  r.status = PrintStatus::Printed;
  return r;
}

void WindowPrinter::prepare(PrintScope scope) {
  if (m_hooks.takeOverEdit) m_hooks.takeOverEdit();
  if (scope == PrintScope::AllPages && m_hooks.showAllPages) m_hooks.showAllPages();
}

PrintResult WindowPrinter::printTo(QPrinter& printer, PrintScope scope) {
  PrintResult r = check(scope);
  if (r.status != PrintStatus::Printed) return r;
  PaperLook look(m_window);
  QList<int> tabs{-1};  // -1: the window as it is
  if (scope == PrintScope::AllPages && m_pages) tabs = PaperLook::visibleTabs(m_pages);
  QPainter painter;
  if (!painter.begin(&printer)) {
    r.status = PrintStatus::Failed;
    r.error = "Cannot start printing on " + printerName(printer) + ".";
    return r;
  }
  for (int tab : tabs) {
    if (r.sheets > 0 && !printer.newPage()) {
      r.status = PrintStatus::Failed;
      r.error = "The printer refused a new sheet.";
      break;
    }
    if (tab >= 0) look.showOnlyTab(m_pages, tab);
    paintWindow(painter, m_window);
    ++r.sheets;
  }
  painter.end();
  if (r.status == PrintStatus::Printed && printer.printerState() == QPrinter::Error) {
    r.status = PrintStatus::Failed;
    r.error = "The printer " + printerName(printer) + " reported an error.";
  }
  return r;
}

PrintResult WindowPrinter::run(PrintScope scope) {
  PrintResult r = check(scope);
  if (r.status == PrintStatus::Printed) {
    prepare(scope);
    QPrinter printer(QPrinter::HighResolution);
    orientFor(printer, m_window);
    auto ask = m_hooks.askPrinter ? m_hooks.askPrinter : askPrinterWithDialog;
    if (!ask(printer, m_window)) {
      r.status = PrintStatus::Cancelled;
      return r;
    }
    if (printsToPdfFile(printer))
      r = printPdfSafely(printer, [&] { return printTo(printer, scope); });
    else
      r = printTo(printer, scope);
  }
  if (r.status == PrintStatus::Failed || r.status == PrintStatus::NothingToPrint)
    dialogs().message(ml(kPrintFailedText), r.error.toStdString(), DialogKind::Error);
  return r;
}

PrintResult WindowPrinter::preview(PrintScope scope) {
  PrintResult r = check(scope);
  if (r.status != PrintStatus::Printed) {
    dialogs().message(ml(kPrintFailedText), r.error.toStdString(), DialogKind::Error);
    return r;
  }
  prepare(scope);
  QPrinter printer(QPrinter::HighResolution);
  orientFor(printer, m_window);
  QPrintPreviewDialog dialog(&printer, m_window);
  // Each repaint of the preview applies the paper look and takes it away
  // again, so the window is itself while the preview is open.
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                   [this, scope, &r](QPrinter* p) { r = printTo(*p, scope); });
  if (m_hooks.runPreview)
    m_hooks.runPreview(dialog);
  else
    dialog.exec();
  if (r.status == PrintStatus::Failed)
    dialogs().message(ml(kPrintFailedText), r.error.toStdString(), DialogKind::Error);
  return r;
}

bool askPrinterWithDialog(QPrinter& printer, QWidget* parent) {
  if (QPrinterInfo::availablePrinters().isEmpty()) {
    // No printer installed: the dialog offers a PDF file instead.
    printer.setOutputFormat(QPrinter::PdfFormat);
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    printer.setOutputFileName(QDir(folder).filePath("quelin3-settings.pdf"));
  }
  QPrintDialog dialog(&printer, parent);
  dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
  return dialog.exec() == QDialog::Accepted;
}

PrintResult printAllToPdf(QTabWidget* pages, const QString& path) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  QWidget* window = pages ? pages->window() : nullptr;
  if (window) orientFor(printer, window);
  WindowPrinter wp(window, pages);
  return printPdfSafely(printer, [&] { return wp.printTo(printer, PrintScope::AllPages); });
}

}  // namespace q3
