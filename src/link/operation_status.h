// The status-slot view of the link: one listener of the supervisor's events
// that turns stages and results into the texts of slot 2 with the progress
// bar beside it, and the connection state into slot 1. The window, the
// command-line tool and tests all use it; nothing decides on its texts.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "base/event.h"
#include "base/status_sink.h"
#include "link/operation_result.h"

namespace q3 {

class ConnectionSupervisor;

// The progress bar beside slot 2 (CGaugeProgram, maximum 100). Every entry is optional.
struct ProgressBarView {
  std::function<void(int value)> setValue;
  std::function<void(Colour colour)> setColour;
  std::function<void(bool visible)> setVisible;
};

// The slot-2 text of a stage that starts (a multi-language string), or nullptr.
const char* stageText(Stage stage);

// The slot-2 text of a result and its background; text nullptr shows nothing.
struct ResultText {
  const char* mtext = nullptr;
  Colour back = kBtnFace;
};
ResultText resultText(const OperationResult& r);

class OperationStatusView {
 public:
  OperationStatusView(ConnectionSupervisor& sup, StatusSink* status, ProgressBarView bar = {});
  void setBar(ProgressBarView bar) { m_bar = std::move(bar); }

 private:
  void onProgress(const OperationProgress& p);
  void onResult(const OperationResult& r);
  void slot2(const char* mtext, Colour back);
  void barValue(int v);
  void barColour(Colour c);
  void barVisible(bool v);

  ConnectionSupervisor& m_sup;
  StatusSink* m_status;
  ProgressBarView m_bar;
  std::vector<Event<>::Subscription> m_plain;
  Event<const OperationProgress&>::Subscription m_progress;
  Event<const OperationResult&>::Subscription m_result;
  Event<std::span<const uint8_t>>::Subscription m_monitor;
};

}  // namespace q3
