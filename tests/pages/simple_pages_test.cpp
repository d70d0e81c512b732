// The language, licence and install type pages, run through the scripted
// backend over a real medium.
#include <gtest/gtest.h>
#include <unistd.h>

#include "pages/install_type_dlg.h"
#include "pages/language_dlg.h"
#include "pages/licence_dlg.h"
#include "resources/resource_ids.h"
#include "support/page_fixture.h"

namespace cdsetup::pages {
namespace {

using framework::IDCANCEL;
using framework::IDOK;
using testing::ScriptedUi;

class SimplePagesTest : public testing::PageFixture {};

TEST_F(SimplePagesTest, LanguagePageListsTheScriptsLanguagesAndTakesATypedName) {
  WriteScript("[Language]\nNr=2\n0=Polski\n1=English\n0415=Polski\n");
  CLanguageDlg page(windows(), Texts(""));
  ui_.ForNextDialog({ScriptedUi::Do([](framework::CDialog& d) {
                       auto* combo = static_cast<framework::CComboBox*>(
                           d.GetDlgItem(resources::IDC_LANGUAGE));
                       ASSERT_EQ(combo->GetCount(), 2);
                       EXPECT_EQ(combo->GetLBText(0), "Polski");
                       EXPECT_EQ(combo->GetLBText(1), "English");
                       EXPECT_EQ(combo->GetCurSel(), 0);
                       EXPECT_EQ(combo->GetWindowText(), "Polski");
                     }),
                     ScriptedUi::Key(framework::VK_RETURN)});
  EXPECT_EQ(page.DoModal(), IDOK);
  EXPECT_EQ(page.GetLanguage(), "Polski");

  CLanguageDlg typed(windows(), Texts(""));
  ui_.ForNextDialog({ScriptedUi::Type(resources::IDC_LANGUAGE, "Klingon"), ScriptedUi::Click(1)});
  EXPECT_EQ(typed.DoModal(), IDOK);
  EXPECT_EQ(typed.GetLanguage(), "Klingon");

  WriteScript("[Language]\n");
  CLanguageDlg empty(windows(), Texts(""));
  ui_.ForNextDialog(
      {ScriptedUi::Do([](framework::CDialog& d) {
         EXPECT_EQ(
             static_cast<framework::CComboBox*>(d.GetDlgItem(resources::IDC_LANGUAGE))->GetCurSel(),
             -1);
       }),
       ScriptedUi::Click(1)});
  EXPECT_EQ(empty.DoModal(), IDOK);
  EXPECT_EQ(empty.GetLanguage(), "");

  CLanguageDlg cancelled(windows(), Texts(""));
  ui_.ForNextDialog({ScriptedUi::Close()});
  EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
}

TEST_F(SimplePagesTest, LicenceBoxShowsTheFileAsItIs) {
  WriteScript(
      "[Polski]\nIDS_LICENCJA=Umowa\nIDS_AKCEPT_UMOWE=Akceptuj\xEA\nIDS_NIE=Nie\n"
      "IDS_LICENCE_FILE_NAME=licencja.txt\n");
  // Polish letters in code page 1250, CR LF lines, one long line, and a zero
  // byte that ends what is shown.
  const std::string text =
      "Umowa licencyjna \xB3\xF3\xBF\r\n" + std::string(300, 'x') + "\r\nkoniec";
  testing::WriteFile(medium("licencja.txt"), text + std::string("\0ukryte", 7));
  CLicenceDlg page(windows(), Texts("Polski"));
  ui_.ForNextDialog({ScriptedUi::Do([&](framework::CDialog& d) {
                       EXPECT_EQ(d.GetWindowText(), "Umowa");
                       EXPECT_EQ(d.GetDlgItem(1)->GetWindowText(), "Akceptuj\xEA");
                       EXPECT_EQ(d.GetDlgItem(2)->GetWindowText(), "Nie");
                       EXPECT_EQ(d.GetDlgItem(resources::IDC_AGREEMENT)->GetWindowText(), text);
                       // The first control in tab order, "back", has the focus.
                       EXPECT_EQ(d.state()->focus->id, 2);
                     }),
                     ScriptedUi::Key(framework::VK_RETURN)});
  EXPECT_EQ(page.DoModal(), IDCANCEL);  // Enter pressed the focused "back"

  for (const char* content : {"", "huge", "missing"}) {
    SCOPED_TRACE(content);
    if (std::string(content) == "missing") {
      ::unlink(medium("licencja.txt").c_str());
    } else {
      testing::WriteFile(medium("licencja.txt"), "");
      // Larger than a page should hold: the box stays empty.
      if (*content) {
        ASSERT_EQ(::truncate(medium("licencja.txt").c_str(), 17 << 20), 0);
      }
    }
    CLicenceDlg again(windows(), Texts("Polski"));
    ui_.ForNextDialog({ScriptedUi::Do([](framework::CDialog& d) {
                         EXPECT_EQ(d.GetDlgItem(resources::IDC_AGREEMENT)->GetWindowText(), "");
                       }),
                       ScriptedUi::Click(1)});
    EXPECT_EQ(again.DoModal(), IDOK);
  }
}

TEST_F(SimplePagesTest, InstallTypeFollowsTheRadios) {
  WriteScript("[Polski]\nIDS_RODZAJ_INST=Rodzaj\nIDS_WERSJA_MIN=Minimalna\nIDS_DALEJ=Dalej\n");
  struct Case {
    std::vector<ScriptedUi::Step> steps;
    int result;
    const char* type;
  };
  std::vector<Case> cases;
  cases.push_back({{ScriptedUi::Click(1)}, IDOK, "std"});
  cases.push_back(
      {{ScriptedUi::Click(resources::IDC_TYPE_MAX), ScriptedUi::Click(1)}, IDOK, "max"});
  cases.push_back(
      {{ScriptedUi::Click(resources::IDC_TYPE_MIN), ScriptedUi::Click(2)}, IDCANCEL, "min"});
  for (Case& c : cases) {
    CInstallTypeDlg page(windows(), Texts("Polski"));
    c.steps.insert(c.steps.begin(), ScriptedUi::Do([](framework::CDialog& d) {
                     EXPECT_EQ(d.GetWindowText(), "Rodzaj");
                     EXPECT_EQ(d.GetDlgItem(resources::IDC_TYPE_MIN)->GetWindowText(), "Minimalna");
                     EXPECT_EQ(d.GetDlgItem(resources::IDC_TYPE_MAX)->GetWindowText(),
                               "");  // missing key: empty, still usable
                     EXPECT_EQ(
                         d.GetCheckedRadioButton(resources::IDC_TYPE_MIN, resources::IDC_TYPE_MAX),
                         resources::IDC_TYPE_STD);
                   }));
    ui_.ForNextDialog(std::move(c.steps));
    EXPECT_EQ(page.DoModal(), c.result);
    EXPECT_EQ(page.GetInstallType(), c.type);
  }
}

}  // namespace
}  // namespace cdsetup::pages
