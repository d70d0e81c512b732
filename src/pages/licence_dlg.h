// The licence page: the agreement text of the chosen language in a read-only
// box, to be accepted before anything is installed.
#pragma once

#include <cstdint>
#include <string>

#include "framework/dialog.h"
#include "resources/resource_ids.h"
#include "script/localized_texts.h"

namespace cdsetup::pages {

class CLicenceDlg : public framework::CDialog {
 public:
  static constexpr int IDD = resources::IDD_LICENCE;
  static constexpr int IDC_AGREEMENT = resources::IDC_AGREEMENT;
  /// A larger agreement file is not read: the box stays empty.
  static constexpr std::uint64_t kMaxAgreementSize = 16u * 1024 * 1024;

  CLicenceDlg(framework::Owner owner, script::LocalizedTexts texts);

  bool OnInitDialog() override;

 private:
  script::LocalizedTexts m_texts;
};

}  // namespace cdsetup::pages
