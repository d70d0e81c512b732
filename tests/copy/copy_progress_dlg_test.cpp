// The copy page: engine steps on its 10 ms timer, about 15 ms of work per
// message, its texts and bar, and how it ends.
#include "copy/copy_progress_dlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

#include "framework/controls.h"
#include "resources/resource_ids.h"
#include "sndpack/sound_archive_writer.h"
#include "support/memory_log.h"
#include "support/page_fixture.h"

namespace cdsetup::copy {
namespace {

using framework::CDialog;
using framework::IDCANCEL;
using framework::IDOK;
using testing::ScriptedUi;

// Keeps what it is given, from any thread; the WAV it writes is the kind.
class NoConverter : public SoundConverter {
 public:
  base::Status Convert(std::uint32_t kind, const std::string&, const std::string& output,
                       const std::atomic<bool>&) override {
    std::lock_guard lock(mutex_);
    outputs.push_back(std::to_string(kind) + " " + output);
    testing::WriteFile(output, std::to_string(kind));
    return base::Status::Ok();
  }
  std::vector<std::string> outputs;

 private:
  std::mutex mutex_;
};

class CopyPageTest : public testing::PageFixture {
 protected:
  void SetUp() override {
    PageFixture::SetUp();
    testing::WriteFile(medium("a.txt"), "a");
    testing::WriteFile(medium("b.txt"), "b");
    testing::WriteFile(medium("Dane/m.snd"),
                       sndpack::EntryBytes(0, "x.ogg", "1") + sndpack::EntryBytes(1, "y.spx", "2"));
    testing::MakeDirs(c_drive("Gra"));
  }
  void Script(const std::string& list) {
    WriteScript(
        "[Polski]\nIDS_KOPIOWANIE_PLIKOW=Kopiowanie\nIDS_PRZERWIJ=Przerwij\n"
        "IDS_KOPIUJE_TERAZ_PLIK=Kopiuj\xEA\nIDS_E_WRITEOFILE=B\xB3\xB9"
        "d\n[max]\n" +
        list);
  }
  // Each step takes `ms` of the page's work clock, and every entry converts
  // within its own step.
  void StepsTake(CCopyProgressDlg& page, std::uint64_t ms) {
    page.SetConversionWorkers(0);
    page.SetWorkClock([this, ms] { return work_ms_ += ms; });
  }
  static framework::CProgressCtrl& Bar(CDialog& d) {
    return *static_cast<framework::CProgressCtrl*>(d.GetDlgItem(resources::IDC_PROGRESS));
  }
  std::string target_ = "C:\\Gra";
  NoConverter converter_;
  std::uint64_t work_ms_ = 0;
};

TEST_F(CopyPageTest, StepsOnTheTimerAndEndsWithOneAfterTheList) {
  Script("files=3\n0=a.txt\n1=Dane\\m.snd\n2=b.txt\n");
  CCopyProgressDlg page(target_, windows(), Texts("Polski"));
  page.SetInstallType("max");
  page.SetConverter(&converter_);
  StepsTake(page, CCopyProgressDlg::kSliceMs);  // one step per message
  ui_.ForNextDialog({
      ScriptedUi::Do([](CDialog& d) {
        EXPECT_EQ(d.GetWindowText(), "Kopiowanie");
        EXPECT_EQ(d.GetDlgItem(IDCANCEL)->GetWindowText(), "Przerwij");
        int lo = -1, hi = -1;
        Bar(d).GetRange(lo, hi);
        EXPECT_EQ(lo, 0);
        EXPECT_EQ(hi, 3);
        EXPECT_EQ(d.GetDlgItem(resources::IDC_CURRENT_FILE)->GetWindowText(),
                  "");  // nothing before the first tick
      }),
      ui_.Wait(9),  // not yet a tick
      ScriptedUi::Do([](CDialog& d) {
        EXPECT_EQ(d.GetDlgItem(resources::IDC_CURRENT_FILE)->GetWindowText(), "");
      }),
      ui_.Wait(1),
      ScriptedUi::Do([](CDialog& d) {
        EXPECT_EQ(d.GetDlgItem(resources::IDC_CURRENT_FILE)->GetWindowText(), "Kopiuj\xEA a.txt");
        EXPECT_EQ(Bar(d).GetPos(), 1);
      }),
      ui_.Wait(10),  // opens the archive
      ui_.Wait(10),  // first entry
      ScriptedUi::Do([](CDialog& d) {
        EXPECT_EQ(d.GetDlgItem(resources::IDC_CURRENT_FILE)->GetWindowText(), "Kopiuj\xEA x.wav");
      }),
      ui_.Wait(1000),
  });
  testing::MemoryLog log;
  page.SetStepLog(&log);
  EXPECT_EQ(page.DoModal(), IDOK);
  EXPECT_TRUE(testing::Exists(c_drive("Gra/b.txt")));
  ASSERT_EQ(converter_.outputs.size(), 2u);
  // A line per file named, once: closing the archive adds none.
  EXPECT_EQ(log.lines(), (std::vector<std::string>{
                             "copy step: Kopiuj\xEA a.txt", "copy step: Kopiuj\xEA Dane\\m.snd",
                             "copy step: Kopiuj\xEA x.wav", "copy step: Kopiuj\xEA y.wav",
                             "copy step: Kopiuj\xEA b.txt"}));
  EXPECT_EQ(page.GetErrorText(),
            "B\xB3\xB9"
            "d b.txt");
}

TEST_F(CopyPageTest, AFailedCopyEndsWithTwoAndItsErrorText) {
  Script("files=3\n0=a.txt\n1=brak.txt\n2=b.txt\n");
  CCopyProgressDlg page(target_, windows(), Texts("Polski"));
  page.SetInstallType("max");
  ui_.ForNextDialog({ui_.Wait(1000)});
  EXPECT_EQ(page.DoModal(), IDCANCEL);
  EXPECT_EQ(page.GetErrorText(),
            "B\xB3\xB9"
            "d brak.txt");
  EXPECT_TRUE(page.GetFailure().IsNotFound());
  EXPECT_TRUE(testing::Exists(c_drive("Gra/a.txt")));
  EXPECT_FALSE(testing::Exists(c_drive("Gra/b.txt")));
}

TEST_F(CopyPageTest, AbortMidArchiveEndsWithTwoAndClosesTheArchive) {
  Script("files=2\n0=Dane\\m.snd\n1=a.txt\n");
  CCopyProgressDlg page(target_, windows(), Texts("Polski"));
  page.SetInstallType("max");
  page.SetConverter(&converter_);
  StepsTake(page, CCopyProgressDlg::kSliceMs);
  ui_.ForNextDialog({ui_.Wait(10), ui_.Wait(10), ScriptedUi::Click(IDCANCEL)});
  EXPECT_EQ(page.DoModal(), IDCANCEL);
  EXPECT_EQ(page.GetErrorText(),
            "B\xB3\xB9"
            "d Dane\\m.snd");
  EXPECT_EQ(converter_.outputs.size(), 1u);  // one entry, then the abort
  EXPECT_FALSE(testing::Exists(c_drive("Gra/a.txt")));
  // The page's window and timer are gone with it; nothing ticks any more.
  EXPECT_EQ(windows().NextTimerDue(), UINT64_MAX);

  // Closing the window in the first 10 ms: an empty error text.
  CCopyProgressDlg early(target_, windows(), Texts("Polski"));
  early.SetInstallType("max");
  ui_.ForNextDialog({ScriptedUi::Close()});
  EXPECT_EQ(early.DoModal(), IDCANCEL);
  EXPECT_EQ(early.GetErrorText(), "");
}

TEST_F(CopyPageTest, AMessageWorksForAboutFifteenMilliseconds) {
  for (int i = 0; i < 7; ++i) testing::WriteFile(medium("f" + std::to_string(i)), "f");
  Script("files=7\n0=f0\n1=f1\n2=f2\n3=f3\n4=f4\n5=f5\n6=f6\n");
  CCopyProgressDlg page(target_, windows(), Texts("Polski"));
  page.SetInstallType("max");
  StepsTake(page, 5);  // three steps fill a message
  auto at = [](int position, const char* file) {
    return ScriptedUi::Do([=](CDialog& d) {
      EXPECT_EQ(Bar(d).GetPos(), position);
      EXPECT_EQ(d.GetDlgItem(resources::IDC_CURRENT_FILE)->GetWindowText(),
                std::string("Kopiuj\xEA ") + file);
    });
  };
  ui_.ForNextDialog({ui_.Wait(10), at(3, "f2"), ui_.Wait(10), at(6, "f5"), ui_.Wait(1000)});
  EXPECT_EQ(page.DoModal(), IDOK);
  EXPECT_TRUE(testing::Exists(c_drive("Gra/f6")));
}

TEST_F(CopyPageTest, EntriesConvertBesideTheCopyWithTheSameResult) {
  Script("files=3\n0=a.txt\n1=Dane\\m.snd\n2=b.txt\n");
  CCopyProgressDlg page(target_, windows(), Texts("Polski"));
  page.SetInstallType("max");
  page.SetConverter(&converter_);
  page.SetConversionWorkers(2);
  ui_.ForNextDialog({ui_.Wait(1000)});
  EXPECT_EQ(page.DoModal(), IDOK);
  EXPECT_EQ(converter_.outputs.size(), 2u);
  EXPECT_EQ(testing::ReadFile(c_drive("Gra/Dane/x.wav")), "0");
  EXPECT_EQ(testing::ReadFile(c_drive("Gra/Dane/y.wav")), "1");
  // The compressed entries are gone once their conversions are.
  EXPECT_FALSE(testing::Exists(c_drive("Gra/Dane/x.ogg")));
  EXPECT_FALSE(testing::Exists(c_drive("Gra/Dane/y.spx")));
  EXPECT_TRUE(testing::Exists(c_drive("Gra/b.txt")));
}

}  // namespace
}  // namespace cdsetup::copy
