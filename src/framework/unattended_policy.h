// What answers a page or a message box when nobody is asked: the silent
// run's answers, and the tests' scripted ones. Any interface can consult it.
#pragma once

#include <functional>
#include <string>

#include "framework/dialog.h"
#include "framework/ui_backend.h"

namespace cdsetup::framework {

/// Answers pages and message boxes without asking anyone.
class UnattendedPolicy {
 public:
  virtual ~UnattendedPolicy() = default;
  /// Acts on the page (clicks, types, picks rows through the core's input
  /// functions), first telling `announce` what it answers, for the log: the
  /// answer may run a whole sequence of further pages. False when it has no
  /// answer for this page: the page is then cancelled.
  virtual bool AnswerDialog(CDialog& dialog,
                            const std::function<void(const std::string&)>& announce) = 0;
  /// One of the request's answers.
  virtual int AnswerMessageBox(const MessageBoxRequest& request) = 0;
};

}  // namespace cdsetup::framework
