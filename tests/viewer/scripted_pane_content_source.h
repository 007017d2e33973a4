// A pane content source whose answers the test sets: a text per pane, or a failure.
// Records every capture and the time limit it was given; each capture completes on a
// later turn of the event loop, as a socket reply would.
#pragma once

#include <QTimer>

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <qcoro/qcorotimer.h>

#include "viewer/pane_content_source.h"

namespace vesket::viewer::testing {

class ScriptedPaneContentSource : public PaneContentSource {
 public:
  struct Call {
    std::string paneId;
    std::optional<double> timeout;
  };

  std::map<std::string, std::optional<std::string>> texts;  // nullopt: the capture fails
  std::vector<Call> calls;
  int inFlight = 0;
  int maxInFlight = 0;

  QCoro::Task<std::string> captureContent(std::string paneId) override {
    return captureContent(std::move(paneId), std::nullopt);
  }

  QCoro::Task<std::string> captureContent(std::string paneId, std::optional<double> timeout) override {
    calls.push_back({paneId, timeout});
    maxInFlight = std::max(maxInFlight, ++inFlight);
    auto pause = QCoro::sleepFor(std::chrono::milliseconds(1));
    co_await std::move(pause);
    --inFlight;
    const auto found = texts.find(paneId);
    if (found == texts.end() || !found->second) throw std::runtime_error("capture failed");
    std::string text = *found->second;  // g++ 12 moves from a co_returned lvalue expression
    co_return text;
  }
};

}  // namespace vesket::viewer::testing
