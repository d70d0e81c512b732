// The directory list over real folders: its rows, their order, navigation,
// the keys it takes, and how its rows are drawn.
#include <gtest/gtest.h>

#include "framework/data_exchange.h"
#include "pages/dir_list_box.h"
#include "resources/resource_ids.h"
#include "support/forwarding_platform.h"
#include "support/page_fixture.h"

namespace cdsetup::pages {
namespace {

using testing::MakeDirs;
using testing::WriteFile;

// Adds a hidden directory to every listing (the prefix marks only dot names),
// or fails every search, when asked to.
class WithHiddenEntry : public testing::ForwardingPlatform {
 public:
  using ForwardingPlatform::ForwardingPlatform;
  base::Result<std::vector<platform::FindData>> FindFiles(std::string_view pattern,
                                                          std::size_t filter) override {
    if (fail) return base::Status::NotFound("no medium");
    auto found = ForwardingPlatform::FindFiles(pattern, filter);
    if (found.ok() && hidden) found->push_back({"Ukryty", true, true});
    return found;
  }
  bool hidden = false;
  bool fail = false;
};

class DirListTest : public testing::PageFixture {
 protected:
  void SetUp() override {
    PageFixture::SetUp();
    MakeDirs(temp_ / "e/Games/Foo/Inside");
    MakeDirs(temp_ / "e/Games/beta");
    MakeDirs(temp_ / "e/Games/Alpha");
    MakeDirs(temp_ / "e/Games/_data");
    MakeDirs(temp_ / "e/Games/.git");
    WriteFile(temp_ / "e/Games/file.txt", "not a directory");
    MakeDirs(temp_ / "e/Foo/Foo");
    AddDrive('e', "e");
    lists_ = std::make_unique<WithHiddenEntry>(*platform_);
    ASSERT_TRUE(host_.Make());
  }

  // A bare dialog to hold the list, without a template.
  struct Host : framework::CDialog {
    explicit Host(framework::WindowManager& windows) : CDialog(0, windows) {}
    bool Make() {
      return CreateState(framework::WindowClass::kDialog, "", 0, {0, 0, 400, 300}, nullptr, 0);
    }
    bool OnCommand(framework::UINT id, framework::UINT code, framework::CWnd*) override {
      commands.push_back({id, code});
      return true;
    }
    std::vector<std::pair<framework::UINT, framework::UINT>> commands;
  } host_{windows()};
  /// What the lists see: the prefix, with a hidden entry or failures when asked.
  std::unique_ptr<WithHiddenEntry> lists_;

  static std::vector<std::string> Names(const CDirListBox& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.GetCount(); ++i) {
      names.push_back(reinterpret_cast<const DirItem*>(list.GetItemData(i))->strName);
    }
    return names;
  }
};

TEST_F(DirListTest, ShowsTheLongestExistingPartWithItsSubdirectoriesInOrder) {
  CDirListBox list(*lists_);
  ASSERT_TRUE(list.Create(0, {0, 0, 200, 100}, &host_, resources::IDC_DIRECTORIES,
                          "E:\\Games\\Missing\\Deeper"));
  EXPECT_EQ(Names(list),
            (std::vector<std::string>{"E:\\", "Games\\", "_data", "Alpha", "beta", "Foo"}));
  EXPECT_EQ(list.current_path(), "E:\\Games\\Missing\\Deeper");
  EXPECT_EQ(list.GetPath(), "E:\\Games\\");
  EXPECT_EQ(list.GetCurSel(), -1);
  EXPECT_EQ(list.GetSelectedPath(), "");
  // The change is posted: the parent has not seen it yet.
  EXPECT_TRUE(host_.commands.empty());
  windows().PumpPending();
  ASSERT_EQ(host_.commands.size(), 1u);
  EXPECT_EQ(host_.commands[0],
            std::make_pair(framework::UINT{resources::IDC_DIRECTORIES}, kDirListChanged));

  // Without the trailing backslash the same rows; a hidden folder never shows.
  lists_->hidden = true;
  ASSERT_TRUE(list.Fill("E:\\Games"));
  EXPECT_EQ(Names(list),
            (std::vector<std::string>{"E:\\", "Games\\", "_data", "Alpha", "beta", "Foo"}));
  lists_->hidden = false;

  // A path on no drive gives no rows, and a single backslash as its path.
  EXPECT_FALSE(list.Fill("Q:\\x"));
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.GetPath(), "\\");
}

TEST_F(DirListTest, ActivatingRowsMovesUpAndDown) {
  CDirListBox list(*lists_);
  ASSERT_TRUE(list.Create(0, {0, 0, 200, 100}, &host_, resources::IDC_DIRECTORIES, "E:\\Games\\"));
  framework::WindowState& w = *list.state();
  // Into the subdirectory Foo: its part is selected.
  ASSERT_TRUE(framework::UserDoubleClickRow(w, 5));
  EXPECT_EQ(Names(list), (std::vector<std::string>{"E:\\", "Games\\", "Foo\\", "Inside"}));
  EXPECT_EQ(list.GetCurSel(), 2);
  EXPECT_EQ(list.GetPath(), "E:\\Games\\Foo\\");
  // Up to the part Games\.
  ASSERT_TRUE(framework::UserDoubleClickRow(w, 1));
  EXPECT_EQ(list.GetPath(), "E:\\Games\\");
  EXPECT_EQ(list.GetCurSel(), 1);
  // Enter on the root part.
  list.SetCurSel(0);
  list.OnKeyDown(framework::VK_RETURN, 1, 0);
  EXPECT_EQ(list.GetPath(), "E:\\");
  EXPECT_EQ(list.GetCurSel(), 0);
  // E:\Foo\ with its subdirectory Foo: the first match from the top is the
  // part at level 1.
  list.SetPath("E:\\Foo\\", true);
  ASSERT_EQ(Names(list), (std::vector<std::string>{"E:\\", "Foo\\", "Foo"}));
  framework::UserDoubleClickRow(w, 2);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"E:\\", "Foo\\", "Foo\\"}));
  EXPECT_EQ(list.GetCurSel(), 1);
  // Each navigation was posted, and every double-click reached the parent too.
  windows().PumpPending();
  int changes = 0, double_clicks = 0;
  for (const auto& [id, code] : host_.commands) {
    changes += code == kDirListChanged;
    double_clicks += code == framework::LBN_DBLCLK;
  }
  EXPECT_EQ(double_clicks, 4);  // Enter is one too
  EXPECT_EQ(changes, 5);        // creation, three double-clicks, one Enter
}

TEST_F(DirListTest, TakesTabEnterAndEscapeItself) {
  CDirListBox list(*lists_);
  ASSERT_TRUE(list.Create(0, {0, 0, 200, 100}, &host_, resources::IDC_DIRECTORIES, "E:\\Games\\"));
  EXPECT_TRUE(list.OnGetDlgCode() & framework::DLGC_WANTALLKEYS);
  windows().PumpPending();
  host_.commands.clear();
  list.OnKeyDown(framework::VK_RETURN, 1, 0);  // nothing selected: nothing happens
  EXPECT_EQ(list.GetPath(), "E:\\Games\\");
  list.OnKeyDown(framework::VK_ESCAPE, 1, 0);
  EXPECT_TRUE(host_.commands.empty());  // posted, not sent
  windows().PumpPending();
  ASSERT_EQ(host_.commands.size(), 1u);
  EXPECT_EQ(host_.commands[0],
            std::make_pair(framework::UINT{framework::IDCANCEL}, framework::UINT{0}));
  list.OnKeyDown(framework::VK_DOWN, 1, 0);
  EXPECT_EQ(list.GetCurSel(), 0);
}

TEST_F(DirListTest, RetryCancelFallsBackToTheDirectoryShownBefore) {
  CDirListBox list(*lists_);
  ASSERT_TRUE(list.Create(0, {0, 0, 200, 100}, &host_, resources::IDC_DIRECTORIES, "E:\\Games\\"));
  ui_.AnswerNextBox(framework::IDRETRY);
  ui_.AnswerNextBox(framework::IDCANCEL);
  list.SetPath("q:\\", true);
  ASSERT_EQ(ui_.boxes.size(), 2u);
  EXPECT_EQ(ui_.boxes[0].buttons(), framework::MB_RETRYCANCEL);
  EXPECT_EQ(ui_.boxes[0].icon(), framework::MB_ICONSTOP);
  EXPECT_EQ(ui_.boxes[0].caption, "setup");
  EXPECT_NE(ui_.boxes[0].text.find("q:\\"), std::string::npos);
  EXPECT_EQ(list.GetPath(), "E:\\Games\\");

  // When the earlier directory cannot be read either, its own Cancel leaves
  // the list empty.
  lists_->fail = true;
  ui_.boxes.clear();
  ui_.AnswerNextBox(framework::IDCANCEL);
  ui_.AnswerNextBox(framework::IDCANCEL);
  list.SetPath("q:\\", true);
  EXPECT_EQ(ui_.boxes.size(), 2u);
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.GetPath(), "\\");
}

TEST_F(DirListTest, RowsAreIndentedByLevel) {
  CDirListBox list(*lists_);
  ASSERT_TRUE(
      list.Create(0, {0, 0, 200, 100}, &host_, resources::IDC_DIRECTORIES, "E:\\Games\\Foo\\"));
  ASSERT_EQ(list.item_height(), 16);
  struct Expect {
    int row;
    int icon_x;
  };
  for (Expect e : {Expect{0, 3}, Expect{1, 13}, Expect{2, 23}, Expect{3, 33}}) {
    SCOPED_TRACE(e.row);
    framework::CDC dc;
    list.PaintRow(dc, e.row, 0, {0, 16 * e.row, 200, 16 * e.row + 16});
    ASSERT_EQ(dc.ops().size(), 3u);
    EXPECT_EQ(dc.ops()[1].rect.left, e.icon_x);
    EXPECT_EQ(dc.ops()[1].rect.top, 16 * e.row);
    EXPECT_EQ(dc.ops()[2].rect.left, e.icon_x + 20);
    EXPECT_EQ(dc.ops()[2].rect.top, 16 * e.row + 1);
    EXPECT_EQ(dc.ops()[2].color, framework::GetSysColor(framework::COLOR_WINDOWTEXT));
  }
  framework::CDC none;
  list.PaintRow(none, -1, framework::ODS_FOCUS, {0, 0, 200, 16});
  EXPECT_TRUE(none.ops().empty());
}

}  // namespace
}  // namespace cdsetup::pages
