// Whether a program carries an icon: Wine's own cmd.exe has one, the tests'
// recorder none, and damaged or foreign files are no programs with one.
#include "platform/prefix/program_icon.h"

#include <gtest/gtest.h>

#include "support/scoped_temp_dir.h"
#include "support/windows_program.h"
#include "support/wine_session.h"

namespace cdsetup::platform {
namespace {

constexpr const char* kWineCmd = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/cmd.exe";

TEST(ProgramIcon, FoundInTheResourcesOfAProgramThatHasOne) {
  ASSERT_TRUE(testing::WineInstalled()) << testing::kWineMissing;
  const std::string cmd = testing::ReadFile(kWineCmd);
  ASSERT_GT(cmd.size(), 4096u) << kWineCmd;
  EXPECT_TRUE(HasProgramIcon(cmd));
  EXPECT_FALSE(HasProgramIcon(testing::WorkingDirectoryRecorder()));  // no resources at all
  EXPECT_FALSE(HasProgramIcon(""));
  EXPECT_FALSE(HasProgramIcon("#!/bin/sh\necho demo\n"));
  // Cut short within its headers, or with its header moved away: never read
  // past the end, and no icon.
  for (std::size_t n = 0; n < 1024; ++n) EXPECT_FALSE(HasProgramIcon(cmd.substr(0, n))) << n;
  std::string moved = cmd;
  moved[0x3F] = 0x7F;  // the PE header's offset beyond the file
  EXPECT_FALSE(HasProgramIcon(moved));
}

}  // namespace
}  // namespace cdsetup::platform
