// The demo medium on a real prefix, and the check run over it: a test spoils
// one thing of the medium and reads back the problems reported.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/medium_check.h"
#include "demo_medium/demo_medium.h"
#include "support/prefix_fixture.h"

namespace cdsetup::check {

class CheckFixture : public testing::PrefixFixture {
 protected:
  void SetUp() override {
    testing::MakeDirs(medium());
    ASSERT_TRUE(demo::BuildDemoMedium(medium(), demo::DemoOptions{2, 0.2}).ok());
    testing::MakeDirs(temp_ / "scratch");
    Open();
  }

  // Replaces the first `from` in the medium's script by `to`.
  void EditScript(const std::string& from, const std::string& to) {
    std::string ini = testing::ReadFile(medium("install.ini"));
    const std::size_t at = ini.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    ini.replace(at, from.size(), to);
    testing::WriteFile(medium("install.ini"), ini);
  }

  // The 1-based line of the script on which `text` first stands; a leading
  // "\n" holds it to the start of a line.
  std::size_t LineOf(const std::string& text) {
    const std::string ini = testing::ReadFile(medium("install.ini"));
    std::size_t at = ini.find(text);
    if (at != std::string::npos && text.front() == '\n') ++at;
    EXPECT_NE(at, std::string::npos) << text;
    return at == std::string::npos ? 0 : std::count(ini.begin(), ini.begin() + at, '\n') + 1;
  }
  std::string At(const std::string& text) { return "install.ini:" + std::to_string(LineOf(text)); }

  Report Check(CheckOptions options = {}) {
    options.scratch_parent = temp_ / "scratch";
    auto report = CheckMedium(*platform_, options);
    EXPECT_TRUE(report.ok()) << report.status().ToString();
    return report.ok() ? std::move(report).value() : Report();
  }
  // The problems as printed, without the notes.
  std::vector<std::string> Problems(CheckOptions options = {}) {
    Report report = Check(options);
    std::vector<std::string> lines = report.Lines();
    lines.resize(report.problems().size());
    return lines;
  }
};

}  // namespace cdsetup::check
