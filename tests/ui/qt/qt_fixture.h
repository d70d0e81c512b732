// A prefix with the demo medium, its platform, and the
// Qt backend on the offscreen platform: what a test of the real windows needs.
#pragma once

#include <QAbstractItemView>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/install_dlg.h"
#include "copy/audio_sound_converter.h"
#include "demo_medium/demo_medium.h"
#include "framework/app.h"
#include "framework/window_manager.h"
#include "platform/prefix/code_page.h"
#include "script/localized_texts.h"
#include "support/prefix_fixture.h"
#include "support/qt_driver.h"
#include "support/recording_runner.h"
#include "ui/qt/dialog_window.h"
#include "ui/qt/qt_backend.h"

namespace cdsetup::testing {

class QtFixture : public PrefixFixture {
 protected:
  void SetUp() override {
    TestApplication();
    runner_ = recorder_;
    PrefixFixture::SetUp();
    ASSERT_TRUE(demo::BuildDemoMedium(medium(), demo::DemoOptions{5, 0.3}).ok());
    framework::WindowManager& wm = windows_;
    wm.SetResourceTextDecoder([this](std::string_view utf8) { return cp_.FromUtf8(utf8); });
    wm.SetDiagnostics([this](const std::string& line) { diagnostics_.push_back(line); });
    ui::qt::QtOptions o;
    o.to_utf8 = [this](std::string_view ansi) { return cp_.ToUtf8(ansi); };
    o.from_utf8 = [this](std::string_view utf8) { return cp_.FromUtf8(utf8); };
    backend_ = std::make_unique<ui::qt::QtBackend>(o);
    wm.SetBackend(backend_.get());
    driver_ = std::make_unique<QtDriver>(*backend_);
  }
  void TearDown() override {
    windows_.SetBackend(nullptr);
    driver_.reset();
    backend_.reset();
  }

  /// The demo script's texts in `language`, as the pages are given them.
  script::LocalizedTexts Texts(std::string language) const {
    return script::LocalizedTexts(*platform_, "D:\\install.ini", std::move(language));
  }

  app::InstallSettings Polish() {
    app::InstallSettings s;
    s.language = "Polski";
    s.converter = &converter_;
    return s;
  }

  template <class T = QWidget>
  static T* Control(QWidget& window, int id) {
    return window.findChild<T*>(QStringLiteral("control-%1").arg(id));
  }
  static void Click(QWidget* widget) {
    ASSERT_TRUE(widget);
    QTest::mouseClick(widget, Qt::LeftButton);
  }
  static void ClickBox(QWidget& box, QMessageBox::StandardButton which) {
    auto* message = qobject_cast<QMessageBox*>(&box);
    ASSERT_TRUE(message);
    Click(message->button(which));
  }
  /// Replaces the field's text as typed: select all, then the keys.
  static void TypeInto(QWidget* field, const QString& text) {
    ASSERT_TRUE(field);
    Click(field);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text);
  }
  static framework::WindowState& StateOf(QWidget& window) {
    return static_cast<ui::qt::DialogWindow&>(window).state();
  }

  framework::WindowManager windows_;
  framework::CWinApp app_{"setup", windows_};
  platform::CodePage cp_{1250};
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> quiet_{std::fopen("/dev/null", "w"),
                                                         &std::fclose};
  copy::AudioSoundConverter converter_{audio::AudioDiagnostics{quiet_.get(), quiet_.get()}};
  std::shared_ptr<RecordingRunner> recorder_ = std::make_shared<RecordingRunner>();
  std::vector<std::string> diagnostics_;
  std::unique_ptr<ui::qt::QtBackend> backend_;
  std::unique_ptr<QtDriver> driver_;
};

}  // namespace cdsetup::testing
