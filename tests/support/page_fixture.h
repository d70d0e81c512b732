// A real prefix and medium with its platform, an application object and the
// scripted backend: what a page needs to run in a test.
#pragma once

#include <unistd.h>

#include <string>

#include "framework/app.h"
#include "script/localized_texts.h"
#include "support/prefix_fixture.h"
#include "support/scripted_ui.h"

namespace cdsetup::testing {

class PageFixture : public PrefixFixture {
 protected:
  void SetUp() override { PrefixFixture::SetUp(); }

  /// Adds drive `letter` over the host folder temp/`folder` (made when
  /// missing) and reopens the platform so that it sees the drive.
  void AddDrive(char letter, const std::string& folder) {
    MakeDirs(temp_ / folder);
    std::string link = temp_ / "prefix/dosdevices/" + std::string(1, letter) + ":";
    ASSERT_EQ(::symlink((temp_ / folder).c_str(), link.c_str()), 0);
    Open();
  }

  /// The install script on the medium, as D:\install.ini.
  void WriteScript(const std::string& text) { WriteFile(medium("install.ini"), text); }
  static constexpr const char* kIni = "D:\\install.ini";
  /// The script's texts in `language`, as the pages are given them.
  script::LocalizedTexts Texts(std::string language) const {
    return script::LocalizedTexts(*platform_, kIni, std::move(language));
  }

  ScriptedUi ui_;
  framework::CWinApp app_{"setup", ui_.windows};
  /// The windows the test's dialogs are made on.
  framework::WindowManager& windows() { return ui_.windows; }
};

}  // namespace cdsetup::testing
