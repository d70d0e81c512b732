// Editing a line: the keys' effect on the text and what a narrow line shows.
#include "ui/console/line_editor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cdsetup::ui::console {
namespace {

using Key = LineEditor::Key;

struct Press {
  Key key;
  const char* character = "";
};

TEST(LineEditor, KeysEditByCharactersAndTheViewKeepsTheCursorInSight) {
  struct Case {
    const char* text;
    bool utf8;
    std::vector<Press> keys;
    const char* edited;
    std::size_t columns;
    const char* view;
    std::size_t cursor;  // bytes of the view before the cursor
  };
  const Case cases[] = {
      {"C:\\Gry\\Demo12", true, {{Key::kBackspace}}, "C:\\Gry\\Demo1", 40, "C:\\Gry\\Demo1", 12},
      {"C:\\Gry",
       true,
       {{Key::kHome}, {Key::kDelete}, {Key::kCharacter, "D"}},
       "D:\\Gry",
       40,
       "D:\\Gry",
       1},
      // A letter of two bytes goes whole, left or right of the cursor.
      {"\xC5\xBB\xC3\xB3\xC5\x82w",
       true,
       {{Key::kLeft}, {Key::kBackspace}},
       "\xC5\xBB\xC3\xB3w",
       40,
       "\xC5\xBB\xC3\xB3w",
       4},
      {"\xC5\xBB\xC3\xB3\xC5\x82w",
       true,
       {{Key::kHome}, {Key::kRight}, {Key::kDelete}},
       "\xC5\xBB\xC5\x82w",
       40,
       "\xC5\xBB\xC5\x82w",
       2},
      // In a single-byte code page every byte is a letter.
      {"\xAF\xF3\xB3w", false, {{Key::kLeft}, {Key::kBackspace}}, "\xAF\xF3w", 40, "\xAF\xF3w", 2},
      // Narrower than the text: the end shows with the cursor, "<" marks the cut.
      {"abcdefghij", true, {}, "abcdefghij", 5, "<hij", 4},
      {"abcdefghij", true, {{Key::kHome}}, "abcdefghij", 5, "abcde", 0},
      {"\xC5\xBB\xC3\xB3\xC5\x82ta \xC5\x81\xC3\xB3"
       "d\xC5\xBA",
       true,
       {{Key::kLeft}},
       "\xC5\xBB\xC3\xB3\xC5\x82ta \xC5\x81\xC3\xB3"
       "d\xC5\xBA",
       4,
       "<\xC3\xB3"
       "d\xC5\xBA",
       4},
      // Keys at the ends do nothing; other keys neither.
      {"ab",
       true,
       {{Key::kRight}, {Key::kDelete}, {Key::kOther}, {Key::kHome}, {Key::kBackspace}},
       "ab",
       40,
       "ab",
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edited);
    LineEditor editor(c.text, c.utf8);
    for (const Press& p : c.keys) EXPECT_TRUE(editor.Press(p.key, p.character));
    EXPECT_EQ(editor.text(), c.edited);
    std::size_t cursor = 99;
    EXPECT_EQ(editor.View(c.columns, &cursor), c.view);
    EXPECT_EQ(cursor, c.cursor);
    EXPECT_FALSE(editor.Press(Key::kEnter));
  }
}

}  // namespace
}  // namespace cdsetup::ui::console
