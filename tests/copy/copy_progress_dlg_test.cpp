// The copy page: one engine step per 10 ms timer tick, its texts and bar,
// and how it ends.
#include "copy/copy_progress_dlg.h"

#include <gtest/gtest.h>

#include "framework/controls.h"
#include "resources/resource_ids.h"
#include "sndpack/sound_archive_writer.h"
#include "support/page_fixture.h"

namespace cdsetup::copy {
namespace {

using framework::CDialog;
using framework::IDCANCEL;
using framework::IDOK;
using testing::ScriptedUi;

// Keeps what it is given; writes nothing.
class NoConverter : public SoundConverter {
 public:
  base::Status Convert(std::uint32_t kind, const std::string&, const std::string& output) override {
    outputs.push_back(std::to_string(kind) + " " + output);
    return base::Status::Ok();
  }
  std::vector<std::string> outputs;
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
  static framework::CProgressCtrl& Bar(CDialog& d) {
    return *static_cast<framework::CProgressCtrl*>(d.GetDlgItem(resources::IDC_PROGRESS));
  }
  std::string target_ = "C:\\Gra";
  NoConverter converter_;
};

TEST_F(CopyPageTest, StepsOnTheTimerAndEndsWithOneAfterTheList) {
  Script("files=3\n0=a.txt\n1=Dane\\m.snd\n2=b.txt\n");
  CCopyProgressDlg page(target_, nullptr, Texts("Polski"));
  page.SetInstallType("max");
  page.SetConverter(&converter_);
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
  EXPECT_EQ(page.DoModal(), IDOK);
  EXPECT_TRUE(testing::Exists(c_drive("Gra/b.txt")));
  ASSERT_EQ(converter_.outputs.size(), 2u);
  EXPECT_EQ(page.GetErrorText(),
            "B\xB3\xB9"
            "d b.txt");
}

TEST_F(CopyPageTest, AFailedCopyEndsWithTwoAndItsErrorText) {
  Script("files=3\n0=a.txt\n1=brak.txt\n2=b.txt\n");
  CCopyProgressDlg page(target_, nullptr, Texts("Polski"));
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
  CCopyProgressDlg page(target_, nullptr, Texts("Polski"));
  page.SetInstallType("max");
  page.SetConverter(&converter_);
  ui_.ForNextDialog({ui_.Wait(10), ui_.Wait(10), ScriptedUi::Click(IDCANCEL)});
  EXPECT_EQ(page.DoModal(), IDCANCEL);
  EXPECT_EQ(page.GetErrorText(),
            "B\xB3\xB9"
            "d Dane\\m.snd");
  EXPECT_EQ(converter_.outputs.size(), 1u);  // one entry, then the abort
  EXPECT_FALSE(testing::Exists(c_drive("Gra/a.txt")));
  // The page's window and timer are gone with it; nothing ticks any more.
  EXPECT_EQ(framework::WindowManager::Get().NextTimerDue(), UINT64_MAX);

  // Closing the window in the first 10 ms: an empty error text.
  CCopyProgressDlg early(target_, nullptr, Texts("Polski"));
  early.SetInstallType("max");
  ui_.ForNextDialog({ScriptedUi::Close()});
  EXPECT_EQ(early.DoModal(), IDCANCEL);
  EXPECT_EQ(early.GetErrorText(), "");
}

}  // namespace
}  // namespace cdsetup::copy
