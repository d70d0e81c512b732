// Presentation facts of the real windows in pixels, and the close box on
// every page: it never crashes and never leaves a loop running.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QStyle>
#include <cstring>

#include "app/session.h"
#include "check/text_fit.h"
#include "framework/input.h"
#include "pages/language_dlg.h"
#include "pages/target_dir_dlg.h"
#include "qt_fixture.h"
#include "resources/resource_ids.h"
#include "support/page_client_sizes.h"
#include "ui/qt/row_widgets.h"

namespace cdsetup::app {
namespace {

using framework::IDCANCEL;
using framework::IDOK;
using testing::QtFixture;

using QtPresentation = QtFixture;

// The labels of `window` that do not fit their rectangles, as the person
// would see them cut: a word wider than its label, wrapped lines taller than
// it, a button's or a radio button's text wider than its room.
std::vector<std::string> Misfits(QWidget& window) {
  std::vector<std::string> out;
  for (QWidget* w : window.findChildren<QWidget*>()) {
    if (w->isHidden() || w->window() != &window) continue;
    const QFontMetrics metrics(w->font());
    // A line's height with its ascent and descent rounded, as the dialog
    // units have it: what a one-line label is given.
    const QFontMetricsF exact(w->font());
    const int line = static_cast<int>(std::lround(exact.ascent()) + std::lround(exact.descent()));
    QString text;
    QRect room = w->rect();
    bool wrap = false;
    if (auto* label = qobject_cast<QLabel*>(w)) {
      text = label->text();
      room = label->contentsRect();
      wrap = label->wordWrap();
    } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
      text = radio->text();
      room.setLeft(w->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w) +
                   w->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w));
    } else if (auto* push = qobject_cast<QPushButton*>(w)) {
      text = push->text();
      room.adjust(2, 2, -2, -2);  // the button's frame
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
      text = group->title();
      room.adjust(8, 0, -8, 0);  // the frame's ends beside the title
      room.setHeight(line);
    }
    if (text.isEmpty()) continue;
    QRect need =
        wrap ? metrics.boundingRect(QRect(0, 0, room.width(), 1 << 20), Qt::TextWordWrap, text)
             : QRect(0, 0, metrics.horizontalAdvance(text), line);
    need.setHeight(std::max(1, need.height() / std::max(1, metrics.lineSpacing())) * line);
    if (need.width() > room.width() || need.height() > room.height()) {
      out.push_back(w->objectName().toStdString() + " \"" + text.toStdString() + "\" needs " +
                    std::to_string(need.width()) + "x" + std::to_string(need.height()) + " in " +
                    std::to_string(room.width()) + "x" + std::to_string(room.height()));
    }
  }
  return out;
}

TEST_F(QtPresentation, MainDialogClientAreaAndPicture) {
  CInstallDlg main(windows_, *platform_, Polish());
  driver_->Dialog(resources::IDD_MAIN, [&](QWidget& w) {
    // The stand-in font's, measured as Windows measures a template's font.
    EXPECT_EQ(backend_->DialogBaseUnits(), (framework::CSize{6, 12}));
    // 232 x 150 dialog units at 6 x 12 base units are 348 x 225 pixels: the
    // client area grows to hold the whole 350 x 250 picture.
    EXPECT_EQ(w.size(), QSize(350, 250));
    const QImage image = w.grab().toImage();
    // The picture from the top-left corner: its sky at the top, its hills below.
    const QColor sky = image.pixelColor(10, 5);
    EXPECT_NEAR(sky.red(), 43, 2);
    EXPECT_NEAR(sky.blue(), 119, 2);
    const QColor hills = image.pixelColor(349, 249);
    EXPECT_LT(hills.red(), 40);
    Click(Control(w, IDCANCEL));
  });
  driver_->Start();
  EXPECT_EQ(main.DoModal(), IDCANCEL);
  EXPECT_FALSE(driver_->stalled()) << driver_->waiting_for();
}

TEST_F(QtPresentation, DriveRowsIconTextAndRowHeight) {
  pages::CTargetDirDlg page(windows_, "C:\\windows", Texts("Polski"));
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

// A run that cannot begin says why in a box of its own, as a sentence, on
// windows that take the message's UTF-8 as it is.
TEST_F(QtPresentation, AStartUpFailureIsShownInABox) {
  ui::qt::QtOptions utf8;
  utf8.to_utf8 = utf8.from_utf8 = [](std::string_view text) { return std::string(text); };
  ui::qt::QtBackend backend(utf8);
  testing::QtDriver driver(backend);
  driver.Box([](QWidget& box) {
    auto* message = qobject_cast<QMessageBox*>(&box);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->windowTitle(), QStringLiteral("cdsetup"));
    EXPECT_EQ(message->icon(), QMessageBox::Critical);
    EXPECT_EQ(message->text(),
              QStringLiteral(u"The medium /media/\u017B\u00F3\u0142w holds no install.ini."));
    ClickBox(box, QMessageBox::Ok);
  });
  driver.Start();
  app::ShowFailureBox(backend, "the medium /media/\xC5\xBB\xC3\xB3\xC5\x82w holds no install.ini");
  EXPECT_FALSE(driver.stalled()) << driver.waiting_for();
}

TEST_F(QtPresentation, CloseBoxOnEveryPage) {
  pages::CLanguageDlg language(windows_, Texts(""));
  driver_->Dialog(resources::IDD_LANGUAGE, [](QWidget& w) { w.close(); });
  driver_->Start();
  EXPECT_EQ(language.DoModal(), IDCANCEL);

  CInstallDlg main(windows_, *platform_, Polish());
  auto back_at_main = [&](Outcome expected) {
    return [&, expected](QWidget& w) {
      EXPECT_EQ(main.outcome(), expected) << main.reason();
      EXPECT_FALSE(w.isMinimized());
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
    // The main dialog's close box is its exit button.
    w.close();
  });
  driver_->Start();
  EXPECT_EQ(main.DoModal(), IDCANCEL);
  EXPECT_FALSE(driver_->stalled()) << driver_->waiting_for();
  EXPECT_EQ(driver_->steps_left(), 0u);
  EXPECT_EQ(main.outcome(), Outcome::kCancelled);
}

// Also: each page's client area is the Windows dialog's, within 2 pixels.
TEST_F(QtPresentation, EveryLabelFitsItsRectangleInBothLanguagesAtScalesOneAndTwo) {
  for (double scale : {1.0, 2.0}) {
    ui::qt::QtOptions o;
    o.to_utf8 = [this](std::string_view ansi) { return cp_.ToUtf8(ansi); };
    o.from_utf8 = [this](std::string_view utf8) { return cp_.FromUtf8(utf8); };
    o.scale = scale;
    driver_.reset();
    backend_ = std::make_unique<ui::qt::QtBackend>(o);
    windows_.SetBackend(backend_.get());
    for (const char* language : {"Polski", "English"}) {
      SCOPED_TRACE(std::string(language) + " at scale " + std::to_string(scale));
      driver_ = std::make_unique<testing::QtDriver>(*backend_);
      std::vector<std::string> misfits;
      auto check = [&misfits, scale](QWidget& w) {
        if (scale == 1.0) {
          const int id = w.objectName().mid(static_cast<int>(std::strlen("dialog-"))).toInt();
          testing::ExpectPageClientSize(id, w.width(), w.height());
        }
        for (std::string& m : Misfits(w))
          misfits.push_back(w.objectName().toStdString() + ": " + m);
        // A page of fixed size offers no maximise box.
        EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint)
            << w.objectName().toStdString();
        EXPECT_EQ(w.minimumSize(), w.maximumSize()) << w.objectName().toStdString();
      };
      pages::CLanguageDlg language_page(windows_, Texts(""));
      driver_->Dialog(resources::IDD_LANGUAGE, [&](QWidget& w) {
        check(w);
        w.close();
      });
      driver_->Start();
      language_page.DoModal();

      InstallSettings settings = Polish();
      settings.language = language;
      CInstallDlg main(windows_, *platform_, settings);
      driver_->Dialog(resources::IDD_MAIN, [&](QWidget& w) {
        check(w);
        QTest::keyClick(&w, Qt::Key_Return);
      });
      driver_->Dialog(resources::IDD_LICENCE, [&](QWidget& w) {
        check(w);
        Click(Control(w, IDOK));
      });
      driver_->Dialog(resources::IDD_INSTALL_TYPE, [&](QWidget& w) {
        check(w);
        QTest::keyClick(&w, Qt::Key_Escape);
      });
      driver_->Dialog(resources::IDD_TARGET_DIR, [&](QWidget& w) {
        check(w);
        TypeInto(Control(w, resources::IDC_PATH), QStringLiteral("C:\\windows"));
        Click(Control(w, IDOK));
      });
      driver_->Dialog(resources::IDD_COPY_PROGRESS, [&](QWidget& w) {
        check(w);
        w.close();
      });
      driver_->Box([](QWidget& box) { box.close(); });
      driver_->Dialog(resources::IDD_MAIN, [](QWidget& w) { w.close(); });
      driver_->Start();
      main.DoModal();
      EXPECT_EQ(driver_->steps_left(), 0u) << driver_->waiting_for();
      EXPECT_TRUE(misfits.empty()) << ::testing::PrintToString(misfits);
    }
  }
}

TEST_F(QtPresentation, TheCheckMeasuresTextsAsTheseWindowsDrawThem) {
  // The check's widths are this font's, so what it calls clipped is.
  for (const char* utf8 : {"Akceptuj\xC4\x99 warunki umowy licencyjnej", "Wersja pe\xC5\x82na",
                           "Nap\xC4\x99"
                           "d",
                           "\xC5\xBB\xC3\xB3\xC5\x82w \xC5\x9Awiat\xC5\x82"
                           "a",
                           "Install the level editor? (Yes/No)", "WWW.iiii.MMM"}) {
    SCOPED_TRACE(utf8);
    for (const char* font : {"Arial", "MS Sans Serif"}) {
      const int drawn = backend_->MeasureText({font, 8}, cp_.FromUtf8(utf8)).cx;
      EXPECT_NEAR(check::TextWidth(utf8), drawn, 1) << font;  // kerning aside
    }
  }
}

TEST_F(QtPresentation, AFieldShowsALongerTextItWasGivenWholeAndItsPageRefusesIt) {
  // 259 characters proposed, where the page takes 256: the field shows what
  // the page holds, and the page's one limit refuses it.
  const std::string deep = "C:\\" + std::string(256, 'x');
  pages::CTargetDirDlg page(windows_, deep, Texts("Polski"));
  std::string message;
  driver_->Dialog(resources::IDD_TARGET_DIR, [&](QWidget& w) {
    auto* field = Control<QLineEdit>(w, resources::IDC_PATH);
    ASSERT_TRUE(field);
    EXPECT_EQ(field->text().size(), 259);
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClicks(field, QStringLiteral("yz"));  // no room to type more
    EXPECT_EQ(field->text().size(), 259);
    Click(Control(w, IDOK));
  });
  driver_->Box([&](QWidget& box) {
    message = qobject_cast<QMessageBox*>(&box)->text().toStdString();
    ClickBox(box, QMessageBox::Ok);
  });
  driver_->Dialog(resources::IDD_TARGET_DIR, [&](QWidget& w) {
    TypeInto(Control(w, resources::IDC_PATH), QStringLiteral("C:\\Gry"));
    Click(Control(w, IDOK));
  });
  driver_->Start();
  EXPECT_EQ(page.DoModal(), IDOK);
  EXPECT_EQ(message, "Please enter no more than 256 characters.");
  EXPECT_EQ(page.m_strPath, "C:\\Gry");
}

TEST_F(QtPresentation, MessageBoxButtonsSpeakThePagesLanguage) {
  auto buttons = [](QWidget& box) {
    QStringList texts;
    for (QAbstractButton* b : qobject_cast<QMessageBox*>(&box)->buttons()) {
      texts << b->text().remove(QLatin1Char('&'));
    }
    texts.sort();
    return texts.join(QLatin1Char('/')).toStdString();
  };
  std::string polish, english;
  backend_->SetLanguage(0x0415);
  driver_->Box([&](QWidget& box) {
    polish = buttons(box);
    ClickBox(box, QMessageBox::No);
  });
  driver_->Start();
  EXPECT_EQ(framework::AfxMessageBox(windows_, "Zainstalowa\xE6?", framework::MB_YESNO, 0),
            framework::IDNO);
  backend_->SetLanguage(0x0409);
  driver_->Box([&](QWidget& box) {
    english = buttons(box);
    ClickBox(box, QMessageBox::Yes);
  });
  driver_->Start();
  EXPECT_EQ(framework::AfxMessageBox(windows_, "Install?", framework::MB_YESNO, 0),
            framework::IDYES);
  EXPECT_EQ(polish, "Nie/Tak");
  EXPECT_EQ(english, "No/Yes");

  // A short text under a long caption: the box grows to show the caption
  // whole, with room for the window's icon and buttons.
  const std::string caption =
      "Demo \xAF\xF3\xB3w \x8Cwiat\xB3"
      "a - instalacja";
  int box_width = 0, caption_width = 0;
  driver_->Box([&](QWidget& box) {
    QFont bold = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    bold.setBold(true);
    caption_width = QFontMetrics(bold).horizontalAdvance(box.windowTitle());
    box_width = box.width();
    ClickBox(box, QMessageBox::Ok);
  });
  driver_->Start();
  EXPECT_EQ(framework::DesktopMessageBox(windows_, "OK?", caption, framework::MB_OK, 0),
            framework::IDOK);
  EXPECT_GT(caption_width, 150);
  EXPECT_GE(box_width, caption_width + 60);
}

TEST_F(QtPresentation, AbandonedDisplayEndsEveryLoop) {
  CInstallDlg main(windows_, *platform_, Polish());
  driver_->Dialog(resources::IDD_MAIN, [](QWidget& w) { Click(Control(w, IDOK)); });
  driver_->Dialog(resources::IDD_LICENCE, [&](QWidget&) { backend_->Abandon(); });
  driver_->Start();
  EXPECT_EQ(main.DoModal(), IDCANCEL);
  EXPECT_EQ(main.outcome(), Outcome::kCancelled);
}

}  // namespace
}  // namespace cdsetup::app
