// A temporary prefix and medium with a PrefixPlatform over them, for tests
// that exercise the platform on real files.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/prefix/prefix_platform.h"
#include "support/scoped_temp_dir.h"

namespace cdsetup::testing {

class PrefixFixture : public ::testing::Test {
 protected:
  /// Opens the platform over temp/prefix (created) and temp/medium, with the
  /// code page 1250 so that Polish names can be exercised.
  void SetUp() override {
    MakeDirs(temp_ / "medium");
    Open();
  }

  void Open(int code_page = 1250) {
    platform::PrefixOptions o;
    o.prefix_dir = temp_ / "prefix";
    o.medium_dir = temp_ / "medium";
    o.program_name = "cdsetup";
    o.user = "tester";
    o.code_page = code_page;
    o.runner = runner_;
    auto p = platform::PrefixPlatform::Open(o);
    ASSERT_TRUE(p.ok()) << p.status().ToString();
    platform_ = std::move(p).value();
  }

  std::string c_drive(std::string_view rel = "") const {
    return temp_ / "prefix/drive_c" + (rel.empty() ? "" : "/" + std::string(rel));
  }
  std::string medium(std::string_view rel = "") const {
    return temp_ / "medium" + (rel.empty() ? "" : "/" + std::string(rel));
  }

  ScopedTempDir temp_;
  /// Programs are started through this one when set (before Open).
  std::shared_ptr<platform::ProcessRunner> runner_;
  std::unique_ptr<platform::PrefixPlatform> platform_;
};

}  // namespace cdsetup::testing
