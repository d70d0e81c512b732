// Presentation facts of the real windows in pixels, and the close box on
// every page: it never crashes and never leaves a loop running.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "framework/input.h"
#include "pages/language_dlg.h"
#include "pages/target_dir_dlg.h"
#include "qt_fixture.h"
#include "resources/resource_ids.h"
#include "ui/qt/row_widgets.h"

namespace cdsetup::app {
namespace {

using framework::IDCANCEL;
using framework::IDOK;
using testing::QtFixture;

using QtPresentation = QtFixture;

TEST_F(QtPresentation, MainDialogClientAreaAndPicture) {
  CInstallDlg main(nullptr, Polish());
  driver_->Dialog(resources::IDD_MAIN, [&](QWidget& w) {
    EXPECT_EQ(backend_->DialogBaseUnits(), (framework::CSize{6, 13}));
    // 232 x 150 dialog units at 6 x 13 base units.
    EXPECT_EQ(w.size(), QSize(348, 244));
    const QImage image = w.grab().toImage();
    // The picture from the top-left corner: its sky at the top, its hills below.
    const QColor sky = image.pixelColor(10, 5);
    EXPECT_NEAR(sky.red(), 43, 2);
    EXPECT_NEAR(sky.blue(), 119, 2);
    const QColor hills = image.pixelColor(10, 240);
    EXPECT_LT(hills.red(), 40);
    Click(Control(w, IDCANCEL));
  });
  driver_->Start();
  EXPECT_EQ(main.DoModal(), IDCANCEL);
  EXPECT_FALSE(driver_->stalled()) << driver_->waiting_for();
}

TEST_F(QtPresentation, DriveRowsIconTextAndRowHeight) {
  pages::CTargetDirDlg page(nullptr, "C:\\windows", Texts("Polski"));
  driver_->Dialog(resources::IDD_TARGET_DIR, [&](QWidget& w) {
    EXPECT_EQ(page.m_driveList.item_height(), 16);
    EXPECT_LT(page.m_driveList.text_height(), 16);  // the rows keep their 16-pixel minimum
    EXPECT_EQ(page.m_dirList.item_height(), 16);
    auto* list = Control<ui::qt::RowList>(w, resources::IDC_DIRECTORIES);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->RowRect(1).top() - list->RowRect(0).top(), 16);
    auto* drives = Control<QComboBox>(w, resources::IDC_DRIVES);
    ASSERT_TRUE(drives);
    Click(drives);
    ASSERT_TRUE(drives->view()->isVisible());
    EXPECT_EQ(drives->view()->visualRect(drives->model()->index(0, 0)).height(), 16);
    QTest::keyClick(drives->view(), Qt::Key_Escape);

    // A row alone, unselected: white, the icon from x = 3, the text from x = 23.
    QImage row(200, 16, QImage::Format_ARGB32);
    row.fill(Qt::magenta);
    {
      QPainter painter(&row);
      ui::qt::PaintListRow(*backend_, *page.m_driveList.state(), painter, QRect(0, 0, 200, 16), 0,
                           0);
    }
    auto ink = [&](int x) {
      for (int y = 0; y < 16; ++y) {
        if (row.pixel(x, y) != qRgb(255, 255, 255)) return true;
      }
      return false;
    };
    for (int x = 0; x < 3; ++x) EXPECT_FALSE(ink(x)) << x;
    int first_icon = -1, last_icon = -1;
    for (int x = 0; x < 23; ++x) {
      if (!ink(x)) continue;
      if (first_icon < 0) first_icon = x;
      last_icon = x;
    }
    EXPECT_GE(first_icon, 3);
    EXPECT_LE(last_icon, 18);
    int first_text = -1;
    for (int x = 19; x < 200 && first_text < 0; ++x) {
      if (ink(x)) first_text = x;
    }
    EXPECT_GE(first_text, 23);
    EXPECT_LE(first_text, 26);
    Click(Control(w, IDCANCEL));
  });
  driver_->Start();
  EXPECT_EQ(page.DoModal(), IDCANCEL);
  EXPECT_FALSE(driver_->stalled()) << driver_->waiting_for();
}

TEST_F(QtPresentation, CloseBoxOnEveryPage) {
  pages::CLanguageDlg language(nullptr, Texts(""));
  driver_->Dialog(resources::IDD_LANGUAGE, [](QWidget& w) { w.close(); });
  driver_->Start();
  EXPECT_EQ(language.DoModal(), IDCANCEL);

  CInstallDlg main(nullptr, Polish());
  auto back_at_main = [&](Outcome expected) {
    return [&, expected](QWidget& w) {
      EXPECT_EQ(main.outcome(), expected) << main.reason();
      EXPECT_FALSE(w.isMinimized());
      // The main dialog has no close box: closing it changes nothing.
      w.close();
      EXPECT_TRUE(main.IsWindow());
      Click(Control(w, IDOK));
    };
  };
  driver_->Dialog(resources::IDD_MAIN, [](QWidget& w) { QTest::keyClick(&w, Qt::Key_Return); });
  driver_->Dialog(resources::IDD_LICENCE, [](QWidget& w) { w.close(); });
  driver_->Dialog(resources::IDD_MAIN, back_at_main(Outcome::kCancelled));
  driver_->Dialog(resources::IDD_LICENCE, [](QWidget& w) { Click(Control(w, IDOK)); });
  driver_->Dialog(resources::IDD_INSTALL_TYPE,
                  [](QWidget& w) { w.close(); });  // the standard list, then
  driver_->Dialog(resources::IDD_TARGET_DIR, [](QWidget& w) { w.close(); });
  driver_->Dialog(resources::IDD_MAIN, back_at_main(Outcome::kCancelled));
  driver_->Dialog(resources::IDD_LICENCE, [](QWidget& w) { Click(Control(w, IDOK)); });
  driver_->Dialog(resources::IDD_INSTALL_TYPE,
                  [](QWidget& w) { QTest::keyClick(&w, Qt::Key_Escape); });
  driver_->Dialog(resources::IDD_TARGET_DIR, [](QWidget& w) {
    TypeInto(Control(w, resources::IDC_PATH), QStringLiteral("C:\\windows"));
    QTest::keyClick(Control(w, resources::IDC_PATH), Qt::Key_Return);
  });
  driver_->Dialog(resources::IDD_COPY_PROGRESS, [](QWidget& w) { w.close(); });
  driver_->Box([](QWidget& box) { box.close(); });  // an OK box: its close box is OK
  driver_->Dialog(resources::IDD_MAIN, [&](QWidget& w) {
    // Closing the copy page aborts it: the user's choice, not a failure.
    EXPECT_EQ(main.outcome(), Outcome::kCancelled) << main.reason();
    QTest::keyClick(&w, Qt::Key_Tab);  // to the exit button, which Enter then presses
    QTest::keyClick(&w, Qt::Key_Return);
  });
  driver_->Start();
  EXPECT_EQ(main.DoModal(), IDCANCEL);
  EXPECT_FALSE(driver_->stalled()) << driver_->waiting_for();
  EXPECT_EQ(driver_->steps_left(), 0u);
  EXPECT_EQ(main.outcome(), Outcome::kCancelled);
}

TEST_F(QtPresentation, AbandonedDisplayEndsEveryLoop) {
  CInstallDlg main(nullptr, Polish());
  driver_->Dialog(resources::IDD_MAIN, [](QWidget& w) { Click(Control(w, IDOK)); });
  driver_->Dialog(resources::IDD_LICENCE, [&](QWidget&) { backend_->Abandon(); });
  driver_->Start();
  EXPECT_EQ(main.DoModal(), IDCANCEL);
  EXPECT_EQ(main.outcome(), Outcome::kCancelled);
}

}  // namespace
}  // namespace cdsetup::app
