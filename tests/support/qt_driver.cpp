#include "support/qt_driver.h"

namespace cdsetup::testing {

QApplication& TestApplication() {
  // The platform is given on the command line, not in the environment, so
  // that programs the tests start do not inherit it.
  static int argc = 3;
  static char name[] = "cdsetup_tests", option[] = "-platform", platform[] = "offscreen";
  static char* argv[] = {name, option, platform, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

}  // namespace cdsetup::testing
