// A line of text being edited at a terminal: the text, a cursor between two
// of its characters, and the part of it a line of the terminal shows. The
// keys come decoded; the terminal reads and prints.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cdsetup::ui::console {

class LineEditor {
 public:
  enum class Key { kCharacter, kLeft, kRight, kHome, kEnd, kBackspace, kDelete, kEnter, kOther };

  /// `text` in the terminal's encoding: UTF-8 when `utf8`, else one byte a
  /// character. The cursor starts at its end.
  LineEditor(std::string text, bool utf8);

  /// Applies `key`; `character` holds the bytes of a typed kCharacter.
  /// False once Enter ended the editing.
  bool Press(Key key, std::string_view character = {});
  const std::string& text() const { return text_; }

  /// The text as `columns` columns show it: scrolled so that the cursor is
  /// in view, with "<" in the first column when the start is out of view.
  /// `cursor` gets the bytes of the view before the cursor.
  std::string View(std::size_t columns, std::size_t* cursor) const;

 private:
  /// The byte offset of the character before (after) `at`.
  std::size_t Before(std::size_t at) const;
  std::size_t After(std::size_t at) const;

  std::string text_;
  bool utf8_;
  std::size_t cursor_;  // a byte offset at a character's start
};

}  // namespace cdsetup::ui::console
