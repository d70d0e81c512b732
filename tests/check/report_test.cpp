#include "check/report.h"

#include <gtest/gtest.h>

namespace cdsetup::check {
namespace {

TEST(Report, ProblemsInTheOrderOfTheirLinesThenTheNotes) {
  Report report;
  EXPECT_TRUE(report.clean());
  EXPECT_EQ(report.Summary(), "no problems found");
  report.Add(12, "second");
  report.Add(3, "first");
  report.Add(0, "of no line");
  report.Add(12, "third");
  report.Note("a size");
  EXPECT_FALSE(report.clean());
  const std::vector<std::string> expected = {"install.ini: of no line", "install.ini:3: first",
                                             "install.ini:12: second", "install.ini:12: third",
                                             "a size"};
  EXPECT_EQ(report.Lines(), expected);
  EXPECT_EQ(report.Summary(), "4 problems found");
  Report one;
  one.Add(1, "x");
  EXPECT_EQ(one.Summary(), "1 problem found");
}

TEST(Report, BytesWithTheirMegabytes) {
  EXPECT_EQ(Bytes(0), "0 bytes (0.0 MB)");
  EXPECT_EQ(Bytes(3 * 1024 * 1024 / 2), "1572864 bytes (1.5 MB)");
}

}  // namespace
}  // namespace cdsetup::check
