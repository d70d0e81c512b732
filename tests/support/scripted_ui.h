// A backend for tests: each modal dialog runs a script of steps (clicks,
// keys, waits on a manual clock), message boxes are answered from a queue,
// and everything shown is recorded.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/input.h"
#include "framework/ui_backend.h"
#include "framework/window_manager.h"

namespace cdsetup::testing {

namespace fw = framework;

class ScriptedUi : public fw::UiBackend {
 public:
  using Step = std::function<void(fw::CDialog&)>;

  ScriptedUi() {
    windows.SetBackend(this);
    windows.SetClock([this] { return now_ms; });
    windows.SetDiagnostics([this](const std::string& line) { diagnostics.push_back(line); });
  }
  ~ScriptedUi() override { windows.SetBackend(nullptr); }

  /// Steps for the next dialog that runs; a dialog whose steps run out
  /// without ending is closed by its close box (and noted).
  void ForNextDialog(std::vector<Step> steps) { scripts_.push_back(std::move(steps)); }
  void AnswerNextBox(int answer) { answers_.push_back(answer); }

  void RunModalLoop(fw::CDialog& dialog) override {
    shown.push_back(dialog.template_id());
    std::vector<Step> steps;
    if (!scripts_.empty()) {
      steps = std::move(scripts_.front());
      scripts_.pop_front();
    }
    fw::WindowManager& wm = *dialog.windows();
    std::size_t next = 0;
    while (dialog.state() && !dialog.state()->end_modal) {
      wm.PumpPending();
      if (!dialog.state() || dialog.state()->end_modal) break;
      if (next == steps.size()) {
        diagnostics.push_back("script ran out in dialog " + std::to_string(dialog.template_id()));
        fw::UserClose(dialog);
        continue;
      }
      steps[next++](dialog);
    }
  }

  int MessageBox(const fw::MessageBoxRequest& request) override {
    boxes.push_back(request);
    if (boxes.size() > 1000) {
      // A loop that keeps asking would never end: give it the box's cancel.
      diagnostics.push_back("more than 1000 message boxes");
      return request.CancelAnswer();
    }
    if (answers_.empty()) return request.DefaultAnswer();
    int a = answers_.front();
    answers_.pop_front();
    return a;
  }

  // Steps.
  static Step Click(int id) {
    return [id](fw::CDialog& d) { Control(d, id, [](fw::WindowState& w) { fw::UserClick(w); }); };
  }
  static Step Type(int id, std::string text) {
    return [id, text](fw::CDialog& d) {
      Control(d, id, [&](fw::WindowState& w) { fw::UserType(w, text); });
    };
  }
  static Step Key(fw::UINT key) {
    return [key](fw::CDialog& d) { fw::UserKey(d, key); };
  }
  static Step Close() {
    return [](fw::CDialog& d) { fw::UserClose(d); };
  }
  static Step PickRow(int id, int row) {
    return [id, row](fw::CDialog& d) {
      Control(d, id, [&](fw::WindowState& w) {
        if (w.cls == fw::WindowClass::kComboBox) {
          fw::UserPickComboRow(w, row);
        } else {
          fw::UserPickRow(w, row);
        }
      });
    };
  }
  static Step DoubleClickRow(int id, int row) {
    return [id, row](fw::CDialog& d) {
      Control(d, id, [&](fw::WindowState& w) { fw::UserDoubleClickRow(w, row); });
    };
  }
  /// Advances the clock by `ms` and lets due timers fire, one tick at a time.
  Step Wait(std::uint64_t ms) {
    return [this, ms](fw::CDialog& d) {
      for (std::uint64_t end = now_ms + ms; now_ms < end && d.state() && !d.state()->end_modal;) {
        now_ms = std::max(now_ms, std::min(end, windows.NextTimerDue()));
        windows.PumpPending();
      }
    };
  }
  /// Runs any check or action inside the loop.
  static Step Do(Step s) { return s; }

  /// The windows this interface shows; dialogs of a test are made on it.
  fw::WindowManager windows;
  std::vector<int> shown;
  std::vector<fw::MessageBoxRequest> boxes;
  std::vector<std::string> diagnostics;
  std::uint64_t now_ms = 1000;

 private:
  static void Control(fw::CDialog& d, int id, const std::function<void(fw::WindowState&)>& f) {
    if (fw::WindowState* w = d.state() ? fw::FindChild(*d.state(), id) : nullptr) f(*w);
  }
  std::deque<std::vector<Step>> scripts_;
  std::deque<int> answers_;
};

}  // namespace cdsetup::testing
