// A whole installation through the real windows on the offscreen platform:
// mouse clicks and key presses on the widgets, from the main dialog's install
// button to the closing message, with a picture of every page and message box
// (saved under $CDSETUP_SCREENSHOTS_DIR when set, which `make screenshots` does).
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QRadioButton>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "base/ascii.h"
#include "framework/input.h"
#include "pages/dir_rows.h"
#include "pages/language_dlg.h"
#include "qt_fixture.h"
#include "resources/resource_ids.h"
#include "support/held_converter.h"
#include "ui/qt/row_widgets.h"

namespace cdsetup::app {
namespace {

using framework::IDCANCEL;
using framework::IDOK;
using testing::HeldConverter;
using testing::QtFixture;

class QtInstall : public QtFixture {
 protected:
  void SetUp() override {
    QtFixture::SetUp();
    const char* dir = std::getenv("CDSETUP_SCREENSHOTS_DIR");
    shots_ = dir && *dir ? std::string(dir) : temp_ / "shots";
    std::filesystem::create_directories(shots_);
  }

  void Shot(const QImage& image, const std::string& name) {
    ASSERT_FALSE(image.isNull()) << name;
    const std::string path = shots_ + "/" + name + ".png";
    EXPECT_TRUE(image.save(QString::fromStdString(path))) << path;
    saved_.push_back(name);
  }
  void Shot(QWidget& window, const std::string& name) { Shot(window.grab().toImage(), name); }
  // The window with a combo box's open list, which is a window of its own.
  static QImage WithOpenList(QWidget& window, QComboBox& combo) {
    const QImage base = window.grab().toImage();
    QWidget* popup = combo.view()->window();
    if (!popup->isVisible()) return base;
    const QImage list = popup->grab().toImage();
    const QPoint at = window.mapFromGlobal(popup->mapToGlobal(QPoint(0, 0)));
    const QRect all = QRect(QPoint(0, 0), base.size()).united(QRect(at, list.size()));
    QImage out(all.size(), QImage::Format_ARGB32);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage(-all.topLeft(), base);
    painter.drawImage(at - all.topLeft(), list);
    return out;
  }

  // The directory list's row naming `name`, or -1.
  static int DirRow(QWidget& window, const std::string& name) {
    framework::WindowState* list =
        framework::FindChild(StateOf(window), resources::IDC_DIRECTORIES);
    if (!list) return -1;
    for (std::size_t i = 0; i < list->items.size(); ++i) {
      auto* item = reinterpret_cast<const pages::DirItem*>(list->items[i].data);
      if (base::EqualsIgnoreCaseAscii(item->strName, name) ||
          base::EqualsIgnoreCaseAscii(item->strName, name + "\\")) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }
  static void OpenDirRow(QWidget& window, const std::string& name) {
    auto* list = Control<ui::qt::RowList>(window, resources::IDC_DIRECTORIES);
    ASSERT_TRUE(list);
    const int row = DirRow(window, name);
    std::string rows;
    for (const auto& item :
         framework::FindChild(StateOf(window), resources::IDC_DIRECTORIES)->items) {
      rows += reinterpret_cast<const pages::DirItem*>(item.data)->strName + "|";
    }
    ASSERT_GE(row, 0) << name << " among " << rows;
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->RowRect(row).center());
  }

  // The keys go where the focus is, as they do for a person.
  static void Press(QWidget& window, Qt::Key key) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus && focus->window() == &window ? focus : &window, key);
  }

  // Tab until the focus is on the control `id`; false when it never comes.
  static bool TabTo(QWidget& window, int id) {
    for (int i = 0; i < 12; ++i) {
      const framework::WindowState* focus = StateOf(window).focus;
      if (focus && focus->id == id) return true;
      Press(window, Qt::Key_Tab);
    }
    return false;
  }

  std::string shots_;
  std::vector<std::string> saved_;
};

TEST_F(QtInstall, WholeInstallationThroughTheWindows) {
  // The language page first, as start-up shows it when the system's language
  // has no section: the list opened and a row clicked.
  pages::CLanguageDlg language(windows_, Texts(""));
  driver_->Dialog(resources::IDD_LANGUAGE, [&](QWidget& w) {
    auto* combo = Control<QComboBox>(w, resources::IDC_LANGUAGE);
    ASSERT_TRUE(combo);
    QTest::mouseClick(combo, Qt::LeftButton, {}, QPoint(combo->width() - 6, combo->height() / 2));
    ASSERT_TRUE(combo->view()->isVisible());
    Shot(WithOpenList(w, *combo), "01-language");
    const int row = combo->findText(QStringLiteral("Polski"));
    ASSERT_GE(row, 0);
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(combo->view()->viewport(), Qt::LeftButton, {},
                      combo->view()->visualRect(combo->model()->index(row, 0)).center());
    Click(Control(w, IDOK));
  });
  driver_->Start();
  ASSERT_EQ(language.DoModal(), IDOK);
  EXPECT_EQ(language.GetLanguage(), "Polski");

  HeldConverter held(converter_, "temat.wav");
  app::InstallSettings settings = Polish();
  settings.converter = &held;
  CInstallDlg main(windows_, *platform_, settings);
  // 1: Enter on the main dialog; a folder on a drive that is not there.
  driver_->Dialog(resources::IDD_MAIN, [&](QWidget& w) {
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Demo Żółw Światła - instalacja"));
    EXPECT_EQ(Control<QPushButton>(w, IDCANCEL)->text(), QStringLiteral("Wyjście"));
    Shot(w, "02-main");
    QTest::keyClick(&w, Qt::Key_Return);
  });
  driver_->Dialog(resources::IDD_LICENCE, [&](QWidget& w) {
    Shot(w, "03-licence");
    Click(Control(w, IDOK));
  });
  driver_->Dialog(resources::IDD_INSTALL_TYPE, [&](QWidget& w) {
    Click(Control<QRadioButton>(w, resources::IDC_TYPE_MAX));
    EXPECT_TRUE(Control<QRadioButton>(w, resources::IDC_TYPE_MAX)->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(w, resources::IDC_TYPE_STD)->isChecked());
    Shot(w, "04-install-type");
    QTest::keyClick(&w, Qt::Key_Return);
  });
  driver_->Dialog(resources::IDD_TARGET_DIR, [&](QWidget& w) {
    TypeInto(Control(w, resources::IDC_PATH), QStringLiteral("Q:\\Gry"));
    QTest::keyClick(Control(w, resources::IDC_PATH), Qt::Key_Return);
  });
  driver_->Box([&](QWidget& box) {
    // The buttons speak the page's language.
    auto* message = qobject_cast<QMessageBox*>(&box);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->button(QMessageBox::Yes)->text().remove(QLatin1Char('&')),
              QStringLiteral("Tak"));
    EXPECT_EQ(message->button(QMessageBox::No)->text().remove(QLatin1Char('&')),
              QStringLiteral("Nie"));
    Shot(box, "06-box-create-directory");
    ClickBox(box, QMessageBox::Yes);
  });
  driver_->Box([&](QWidget& box) {
    Shot(box, "07-box-cannot-create-directory");
    ClickBox(box, QMessageBox::Ok);
  });
  // 2: the copy stopped with the page's close box.
  driver_->Dialog(resources::IDD_MAIN, [&](QWidget& w) { Click(Control(w, IDOK)); });
  driver_->Dialog(resources::IDD_LICENCE, [&](QWidget& w) { Click(Control(w, IDOK)); });
  driver_->Dialog(resources::IDD_INSTALL_TYPE, [&](QWidget& w) { Click(Control(w, IDOK)); });
  driver_->Dialog(resources::IDD_TARGET_DIR, [&](QWidget& w) {
    TypeInto(Control(w, resources::IDC_PATH), QStringLiteral("C:\\windows"));
    Click(Control(w, IDOK));
  });
  driver_->Dialog(resources::IDD_COPY_PROGRESS, [&](QWidget& w) { w.close(); });
  driver_->Box([&](QWidget& box) {
    Shot(box, "08-box-copy-error");
    ClickBox(box, QMessageBox::Ok);
  });
  // 3: the whole installation.
  driver_->Dialog(resources::IDD_MAIN, [&](QWidget& w) { Click(Control(w, IDOK)); });
  driver_->Dialog(resources::IDD_LICENCE, [&](QWidget& w) { Click(Control(w, IDOK)); });
  driver_->Dialog(resources::IDD_INSTALL_TYPE, [&](QWidget& w) {
    Click(Control(w, resources::IDC_TYPE_MAX));
    Click(Control(w, IDOK));
  });
  driver_->Dialog(resources::IDD_TARGET_DIR, [&](QWidget& w) {
    // The drive C: from the drive list, then three folders down.
    auto* drives = Control<QComboBox>(w, resources::IDC_DRIVES);
    ASSERT_TRUE(drives);
    Click(drives);
    ASSERT_TRUE(drives->view()->isVisible());
    int c_row = -1;
    for (int i = 0; i < drives->count(); ++i) {
      if (drives->itemText(i).startsWith(QStringLiteral("c:"), Qt::CaseInsensitive)) c_row = i;
    }
    ASSERT_GE(c_row, 0);
    // A release soon after the press that opened the list is not a pick.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(drives->view()->viewport(), Qt::LeftButton, {},
                      drives->view()->visualRect(drives->model()->index(c_row, 0)).center());
    EXPECT_FALSE(drives->view()->isVisible());
    OpenDirRow(w, "users");
    OpenDirRow(w, "tester");
    // A click and Enter, which the list takes for itself.
    auto* list = Control<ui::qt::RowList>(w, resources::IDC_DIRECTORIES);
    const int row = DirRow(w, "AppData");
    ASSERT_GE(row, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->RowRect(row).center());
    QTest::keyClick(list, Qt::Key_Return);
    // Enter opens the folder as the double-clicks did, and the field follows.
    QTest::qWait(20);
    EXPECT_EQ(Control<QLineEdit>(w, resources::IDC_PATH)->text(),
              QStringLiteral("c:\\users\\tester\\AppData\\"));
    EXPECT_GE(DirRow(w, "Roaming"), 0);
    Click(drives);
    Shot(WithOpenList(w, *drives), "05-target-directory");
    QTest::keyClick(drives->view(), Qt::Key_Escape);
    TypeInto(Control(w, resources::IDC_PATH), QStringLiteral("C:\\Gry\\Demo"));
    Click(Control(w, IDOK));
  });
  driver_->Box([&](QWidget& box) { ClickBox(box, QMessageBox::Yes); });
  // The page is there while the held entry converts: the rest of the list
  // goes on beside it, and the page waits for it at the end.
  driver_->Dialog(
      135,
      [&](QWidget& w) {
        Shot(w, "09-copy-progress");
        held.released = true;
      },
      [](QWidget& w) {
        auto* bar = Control<QProgressBar>(w, resources::IDC_PROGRESS);
        return bar && bar->value() * 3 >= bar->maximum();
      });
  driver_->Box([&](QWidget& box) {
    Shot(box, "10-box-installation-complete");
    ClickBox(box, QMessageBox::Ok);
  });
  driver_->Box([&](QWidget& box) {
    Shot(box, "11-box-extra-program");
    ClickBox(box, QMessageBox::No);
  });
  driver_->Box([&](QWidget& box) { ClickBox(box, QMessageBox::No); });
  driver_->Box([&](QWidget& box) {
    Shot(box, "12-box-directx");
    ClickBox(box, QMessageBox::No);
  });
  driver_->Start();
  EXPECT_EQ(main.DoModal(), IDCANCEL);
  EXPECT_FALSE(driver_->stalled()) << "waiting for " << driver_->waiting_for();
  EXPECT_EQ(driver_->steps_left(), 0u);
  EXPECT_EQ(main.outcome(), Outcome::kInstalled) << main.reason();
  EXPECT_TRUE(testing::Exists(c_drive("Gry/Demo/czytaj.txt")));
  EXPECT_TRUE(testing::Exists(c_drive("Gry/Demo/Dodatki")));  // the full install's
  EXPECT_TRUE(testing::Exists(c_drive("Gry/Demo/Muzyka/temat.wav")));
  EXPECT_TRUE(testing::Exists(c_drive("Gry/Demo/install.ini")));
  auto key = platform_->RegOpenKeyA(platform::RegRoot::kCurrentUser, main.m_strRegKey);
  ASSERT_TRUE(key.ok());
  auto path = platform_->RegQueryValueA(*key, "ProgramPath");
  platform_->RegCloseKey(*key);
  ASSERT_TRUE(path.ok());
  EXPECT_EQ(*path, "C:\\Gry\\Demo");
  EXPECT_EQ(saved_.size(), 12u);
  EXPECT_TRUE(diagnostics_.empty()) << diagnostics_[0];
}

TEST_F(QtInstall, TheKeyboardAloneInstallsTheFullVersionIntoAFolderItBrowsedTo) {
  CInstallDlg main(windows_, *platform_, Polish());
  driver_->Dialog(resources::IDD_MAIN, [&](QWidget& w) { Press(w, Qt::Key_Return); });
  driver_->Dialog(resources::IDD_LICENCE, [&](QWidget& w) {
    ASSERT_TRUE(TabTo(w, IDOK));
    Press(w, Qt::Key_Return);
  });
  driver_->Dialog(resources::IDD_INSTALL_TYPE, [&](QWidget& w) {
    // Tab lands on the checked button; Down moves on to "Full" and checks it.
    ASSERT_TRUE(TabTo(w, resources::IDC_TYPE_STD));
    // Shift+Tab (Backtab, as X sends it) goes back the way Tab came; of the
    // page's three stops, forward again would be the third.
    Press(w, Qt::Key_Tab);
    ASSERT_NE(StateOf(w).focus->id, resources::IDC_TYPE_STD);
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : &w, Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(StateOf(w).focus->id, resources::IDC_TYPE_STD);
    Press(w, Qt::Key_Down);
    EXPECT_TRUE(Control<QRadioButton>(w, resources::IDC_TYPE_MAX)->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(w, resources::IDC_TYPE_MAX)->hasFocus());
    Press(w, Qt::Key_Return);
  });
  driver_->Dialog(resources::IDD_TARGET_DIR, [&](QWidget& w) {
    ASSERT_TRUE(TabTo(w, resources::IDC_DIRECTORIES));
    const framework::WindowState* list =
        framework::FindChild(StateOf(w), resources::IDC_DIRECTORIES);
    // Up to the root's row, then down to each folder and into it.
    for (int i = 0; i < 20 && list->cur_sel != 0; ++i) Press(w, Qt::Key_Up);
    for (const char* name : {"users", "tester"}) {
      const int row = DirRow(w, name);
      ASSERT_GE(row, 0) << name;
      for (int i = 0; i < 40 && list->cur_sel < row; ++i) Press(w, Qt::Key_Down);
      ASSERT_EQ(list->cur_sel, row) << name;
      Press(w, Qt::Key_Return);
      QTest::qWait(20);  // the list's change notice is posted
    }
    EXPECT_EQ(Control<QLineEdit>(w, resources::IDC_PATH)->text().toLower(),
              QStringLiteral("c:\\users\\tester\\"));
    ASSERT_TRUE(TabTo(w, IDOK));
    Press(w, Qt::Key_Return);
  });
  // Setup is complete; Enter answers No to the extra programs and DirectX.
  for (int box = 0; box < 4; ++box) {
    driver_->Box([&](QWidget& w) { Press(w, Qt::Key_Return); });
  }
  driver_->Start();
  EXPECT_EQ(main.DoModal(), IDCANCEL);
  EXPECT_FALSE(driver_->stalled()) << "waiting for " << driver_->waiting_for();
  EXPECT_EQ(main.outcome(), Outcome::kInstalled) << main.reason();
  EXPECT_TRUE(testing::Exists(c_drive("users/tester/Dodatki")));  // only the full version's
  EXPECT_TRUE(testing::Exists(c_drive("users/tester/czytaj.txt")));
}

}  // namespace
}  // namespace cdsetup::app
