// Answers every page and question of an unattended run from the command
// line: the language, the licence only when accepted, the install type, the
// directory, Yes to creating it, No to extra programs and DirectX.
#pragma once

#include <optional>
#include <string>

#include "framework/unattended_policy.h"

namespace cdsetup::framework {

struct SilentAnswers {
  bool accept_licence = false;
  std::optional<std::string> install_type;  // "min", "std", "max"
  std::optional<std::string> directory;     // ANSI Windows path
};

class SilentPolicy : public UnattendedPolicy {
 public:
  explicit SilentPolicy(SilentAnswers answers) : answers_(std::move(answers)) {}

  bool AnswerDialog(CDialog& dialog,
                    const std::function<void(const std::string&)>& announce) override;
  int AnswerMessageBox(const MessageBoxRequest& request) override;

  /// The directory to type, in ANSI: given again when the code page of the
  /// texts changed after the answers were made.
  void SetDirectory(std::string directory) { answers_.directory = std::move(directory); }

  /// True when the install type page was shown (and --type used).
  bool type_page_seen() const { return type_page_seen_; }

 private:
  SilentAnswers answers_;
  bool main_dialog_started_ = false;
  bool type_page_seen_ = false;
};

}  // namespace cdsetup::framework
