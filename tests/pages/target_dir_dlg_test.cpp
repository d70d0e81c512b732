// The target directory page: its field and its two lists over real drives.
#include "pages/target_dir_dlg.h"

#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "support/page_fixture.h"

namespace cdsetup::pages {
namespace {

using framework::CDialog;
using framework::IDCANCEL;
using framework::IDOK;
using testing::MakeDirs;
using testing::ScriptedUi;

class TargetDirTest : public testing::PageFixture {
 protected:
  void SetUp() override {
    PageFixture::SetUp();
    WriteScript(
        "[Polski]\nIDS_NAZWA_GRY=Gra\nIDS_DYSK=Dysk:\nIDS_KATALOG_NAME=Katalog\n"
        "IDS_DALEJ=Dalej\n");
    MakeDirs(temp_ / "e/Program Files/Common");
    MakeDirs(temp_ / "e/Games/Foo");
    AddDrive('e', "e");
  }
  static std::string Field(CDialog& d) {
    return d.GetDlgItem(resources::IDC_PATH)->GetWindowText();
  }
  static CTargetDirDlg& Page(CDialog& d) { return static_cast<CTargetDirDlg&>(d); }
};

TEST_F(TargetDirTest, StartsWithTheProposalAndItsLongestExistingPart) {
  CTargetDirDlg page(windows(), "E:\\Program Files\\X\\Y", Texts("Polski"));
  ui_.ForNextDialog(
      {ScriptedUi::Do([](CDialog& d) {
         EXPECT_EQ(d.GetWindowText(), "Gra");
         EXPECT_EQ(d.GetDlgItem(resources::IDC_DRIVE_LABEL)->GetWindowText(), "Dysk:");
         EXPECT_EQ(d.GetDlgItem(2)->GetWindowText(), "");  // no IDS_POWROT
         EXPECT_EQ(Field(d), "E:\\Program Files\\X\\Y");
         EXPECT_EQ(Page(d).m_dirList.GetPath(), "E:\\Program Files\\");
         EXPECT_EQ(Page(d).m_driveList.GetDrive(), "e:\\");
         // The list follows the directory label in the tab order.
         auto& order = d.state()->children;
         auto label = std::find_if(order.begin(), order.end(),
                                   [](auto* c) { return c->id == resources::IDC_DIRECTORY_LABEL; });
         ASSERT_NE(label + 1, order.end());
         EXPECT_EQ((*(label + 1))->wnd, &Page(d).m_dirList);
         // One control per id: the placeholders are gone.
         EXPECT_EQ(std::count_if(order.begin(), order.end(),
                                 [](auto* c) { return c->id == resources::IDC_DRIVES; }),
                   1);
       }),
       ScriptedUi::Click(1)});
  EXPECT_EQ(page.DoModal(), IDOK);
  EXPECT_EQ(page.m_strPath, "E:\\Program Files\\X\\Y");
}

TEST_F(TargetDirTest, AnEmptyProposalShowsTheCurrentDirectory) {
  ASSERT_TRUE(platform_->SetCurrentDirectoryA("C:\\windows").ok());
  CTargetDirDlg page(windows(), "", Texts("Polski"));
  ui_.ForNextDialog({ScriptedUi::Do([](CDialog& d) {
                       EXPECT_EQ(Field(d), "");
                       EXPECT_EQ(Page(d).m_dirList.GetPath(), "C:\\windows\\");
                       EXPECT_EQ(Page(d).m_driveList.GetDrive(), "c:\\");
                     }),
                     ScriptedUi::Key(framework::VK_ESCAPE)});
  EXPECT_EQ(page.DoModal(), IDCANCEL);
}

TEST_F(TargetDirTest, ADriveNotOfferedKeepsTheCurrentDrive) {
  // The medium (a CD-ROM) is never offered; the current directory is on it.
  ASSERT_TRUE(platform_->SetCurrentDirectoryA("C:\\").ok());
  CTargetDirDlg page(windows(), "D:\\", Texts("Polski"));
  ui_.ForNextDialog({ScriptedUi::Do([](CDialog& d) {
                       EXPECT_EQ(Page(d).m_driveList.GetDrive(), "c:\\");
                       EXPECT_EQ(Field(d), "D:\\");
                     }),
                     ScriptedUi::Click(1)});
  EXPECT_EQ(page.DoModal(), IDOK);
  EXPECT_EQ(page.m_strPath, "D:\\");
}

TEST_F(TargetDirTest, PickingADriveReplacesTheFieldWithItsRoot) {
  CTargetDirDlg page(windows(), "E:\\Games\\Foo", Texts("Polski"));
  ui_.ForNextDialog({ScriptedUi::Do([](CDialog& d) {
                       auto& drives = Page(d).m_driveList;
                       int c_row = -1;
                       for (int i = 0; i < drives.GetCount(); ++i) {
                         if (drives.GetLBText(i).rfind("c:\\", 0) == 0) c_row = i;
                       }
                       ASSERT_GE(c_row, 0);
                       framework::UserPickComboRow(*drives.state(), c_row);
                       EXPECT_EQ(Field(d), "c:\\");
                       EXPECT_EQ(Page(d).m_dirList.GetPath(), "c:\\");
                     }),
                     ScriptedUi::Click(1)});
  EXPECT_EQ(page.DoModal(), IDOK);
  EXPECT_EQ(page.m_strPath, "c:\\");
}

TEST_F(TargetDirTest, DoubleClicksAndEnterWriteTheListsDirectoryIntoTheField) {
  CTargetDirDlg page(windows(), "E:\\Games", Texts("Polski"));
  ui_.ForNextDialog({ScriptedUi::Do([](CDialog& d) {
                       auto& list = Page(d).m_dirList;
                       ASSERT_EQ(list.GetCount(), 3);  // E:\, Games\, Foo
                       framework::UserDoubleClickRow(*list.state(), 2);
                       EXPECT_EQ(Field(d), "E:\\Games\\Foo\\");
                       framework::UserDoubleClickRow(*list.state(), 0);
                       EXPECT_EQ(Field(d), "E:\\");
                       // A single click changes nothing in the field.
                       framework::UserPickRow(*list.state(), 1);
                       EXPECT_EQ(Field(d), "E:\\");
                       // Enter on the row opens it, as the double-click does.
                       list.SetFocus();
                     }),
                     ScriptedUi::Key(framework::VK_RETURN),
                     ScriptedUi::Do([](CDialog& d) { EXPECT_EQ(Field(d), "E:\\Games\\"); }),
                     // Escape in the list ends the page with 2, through a posted message.
                     ScriptedUi::Do([](CDialog& d) { Page(d).m_dirList.SetFocus(); }),
                     ScriptedUi::Key(framework::VK_ESCAPE)});
  EXPECT_EQ(page.DoModal(), IDCANCEL);
}

TEST_F(TargetDirTest, APathLongerThan256IsRefusedWithTheFrameworksMessage) {
  const std::string deep = "E:\\" + std::string(300, 'x');
  CTargetDirDlg page(windows(), deep, Texts("Polski"));
  ui_.ForNextDialog({ScriptedUi::Click(1), ScriptedUi::Do([this](CDialog& d) {
                       ASSERT_EQ(ui_.boxes.size(), 1u);
                       EXPECT_EQ(ui_.boxes[0].text, "Please enter no more than 256 characters.");
                       EXPECT_EQ(ui_.boxes[0].caption, "setup");
                       EXPECT_EQ(d.state()->focus->id, resources::IDC_PATH);
                     }),
                     ScriptedUi::Type(resources::IDC_PATH, deep),  // typing stops at 256
                     ScriptedUi::Click(1)});
  EXPECT_EQ(page.DoModal(), IDOK);
  EXPECT_EQ(page.m_strPath, deep.substr(0, 256));
}

}  // namespace
}  // namespace cdsetup::pages
