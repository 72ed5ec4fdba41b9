// Printing the main window's pages: "Print" the active page, "Print all"
// every page whose tab is visible (one job, one sheet each), and a print
// preview. Each sheet shows the whole window in its paper look, scaled by one
// factor that keeps its proportions and fills the printable area as far as
// it can; the widgets are drawn straight into the printer (text and lines
// stay vector). Afterwards the window is exactly as it was, whether the job
// printed, was cancelled or failed.
#pragma once

#include <QSize>
#include <QString>
#include <functional>

#include "text/user_dialogs.h"

class QPainter;
class QPrinter;
class QPrintPreviewDialog;
class QTabWidget;
class QWidget;

namespace q3 {

enum class PrintScope { ActivePage, AllPages };

enum class PrintStatus {
  Printed,
  Cancelled,       // the user closed the printer dialog
  NothingToPrint,  // a window without size, or no visible tab
  Failed,          // the printer could not start or reported an error
};

struct PrintResult {
  PrintStatus status = PrintStatus::NothingToPrint;
  int sheets = 0;
  QString error;  // for NothingToPrint and Failed
};

struct PrintHooks {
  // Before anything changes: the pending edit of a control is taken over
  // (the window moves the focus to CheckBoxProgHned).
  std::function<void()> takeOverEdit;
  // Print all only: every page shown from the parameter image.
  std::function<void()> showAllPages;
  // Lets the user choose the printer; false when cancelled. Default: the
  // print dialog preset to the default printer (or a PDF file when no
  // printer is installed).
  std::function<bool(QPrinter&, QWidget* parent)> askPrinter;
  // Runs the preview dialog. Default: modal exec().
  std::function<void(QPrintPreviewDialog&)> runPreview;
};

class WindowPrinter {
 public:
  // window: what is printed; pages: its tab pages (may be null: the window
  // is printed as it is).
  // dialogs: where a failure is told.
  WindowPrinter(QWidget* window, QTabWidget* pages, UserDialogs& dialogs, PrintHooks hooks = {});

  // Print and Print all with the printer dialog; a failure is shown to the
  // user (and returned).
  PrintResult print() { return run(PrintScope::ActivePage); }
  PrintResult printAll() { return run(PrintScope::AllPages); }
  // The preview of Print or Print all; printing from it uses the same pages.
  PrintResult preview(PrintScope scope);
  // Prints onto a printer the caller has set up (a PDF file, a test); no
  // dialog, no message.
  PrintResult printTo(QPrinter& printer, PrintScope scope);

 private:
  PrintResult run(PrintScope scope);
  PrintResult check(PrintScope scope) const;
  void prepare(PrintScope scope);

  QWidget* m_window;
  QTabWidget* m_pages;
  UserDialogs& m_dialogs;
  PrintHooks m_hooks;
};

// Every visible page of pages' window into a PDF file (for "quelin3
// --print-pdf"); works without a display (offscreen platform).
PrintResult printAllToPdf(QTabWidget* pages, const QString& path, UserDialogs& dialogs);

// One sheet: the window as it looks now drawn onto the painter's device with
// one scale for both directions, at the top left.
void paintWindow(QPainter& painter, QWidget* window);

// The one scale of a window drawn onto a printable area: as large as fits in
// both directions.
double printScale(QSize window, QSize area);

// The printer dialog preset to the default printer; when no printer is
// installed the output goes to a PDF file in the documents folder.
bool askPrinterWithDialog(QPrinter& printer, QWidget* parent);

}  // namespace q3
