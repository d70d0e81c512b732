// The result types: a failure keeps its kind and context, and a result is
// never both without a value and without a reason.
#include "base/result.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace cdsetup::base {
namespace {

TEST(Result, AValueOrAReasonNeverNeither) {
  const Result<int> value(7);
  EXPECT_TRUE(value.ok());
  EXPECT_EQ(value.value_or(0), 7);

  const Result<int> missing(Status::NotFound("C:\\x"));
  EXPECT_FALSE(missing.ok());
  EXPECT_EQ(missing.status().ToString(), "not found: C:\\x");
  EXPECT_EQ(missing.value_or(3), 3);

  // An OK status where a failure belongs reads as one, never as "OK".
  const Result<int> confused(Status::Ok());
  EXPECT_FALSE(confused.ok());
  EXPECT_FALSE(confused.status().ok());
  EXPECT_NE(confused.status().ToString(), "OK");

  const Status gone = Status::FromErrno(ENOENT, "open a").WithContext("copy");
  EXPECT_TRUE(gone.IsNotFound());
  EXPECT_EQ(gone.message(), std::string("copy: open a: ") + std::strerror(ENOENT));
  EXPECT_TRUE(Status::Ok().WithContext("copy").ok());
}

}  // namespace
}  // namespace cdsetup::base
