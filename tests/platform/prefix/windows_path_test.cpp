#include "platform/prefix/windows_path.h"

#include <gtest/gtest.h>

namespace cdsetup::platform {
namespace {

WindowsPath Cwd() {
  WindowsPath p;
  p.drive = 'd';
  p.parts = {"Setup", "Data"};
  return p;
}

std::string Resolve(std::string_view path) {
  auto r = WindowsPath::Parse(path, Cwd());
  return r.ok() ? r->ToString() : "<" + r.status().ToString() + ">";
}

TEST(WindowsPath, ResolvesEveryFormAgainstTheCurrentDirectory) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"C:\\Games\\Foo", "C:\\Games\\Foo"},
      {"c:/games/foo/", "C:\\games\\foo"},
      {"C:\\", "C:\\"},
      {"install.ini", "D:\\Setup\\Data\\install.ini"},
      {"Sub\\x.txt", "D:\\Setup\\Data\\Sub\\x.txt"},
      {"\\Root.txt", "D:\\Root.txt"},
      {"d:rel", "D:\\Setup\\Data\\rel"},
      {"e:rel", "E:\\rel"},
      {".\\a\\.\\b", "D:\\Setup\\Data\\a\\b"},
      {"..\\x", "D:\\Setup\\x"},
      {"..\\..\\..\\..\\x", "D:\\x"},
      {"C:\\..\\..\\Windows", "C:\\Windows"},
      {"C:\\a\\\\b", "C:\\a\\b"},
      {"C:\\*.*", "C:\\*.*"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(Resolve(c.in), c.out);
  }
}

TEST(WindowsPath, RefusesWhatNamesNoLocalPath) {
  for (const char* bad : {"", "\\\\server\\share", "C:\\a<b", "C:\\a|b", "C:\\a\"b", "C:\\a\x01z",
                          "1:\\x", "C:\\a:b"}) {
    SCOPED_TRACE(bad);
    EXPECT_TRUE(WindowsPath::Parse(bad, Cwd()).status().IsRefused());
  }
}

}  // namespace
}  // namespace cdsetup::platform
