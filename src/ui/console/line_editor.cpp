#include "ui/console/line_editor.h"

#include <vector>

namespace cdsetup::ui::console {

LineEditor::LineEditor(std::string text, bool utf8)
    : text_(std::move(text)), utf8_(utf8), cursor_(text_.size()) {}

std::size_t LineEditor::Before(std::size_t at) const {
  if (at == 0) return 0;
  --at;
  while (utf8_ && at > 0 && (static_cast<unsigned char>(text_[at]) & 0xC0) == 0x80) --at;
  return at;
}

std::size_t LineEditor::After(std::size_t at) const {
  if (at >= text_.size()) return text_.size();
  ++at;
  while (utf8_ && at < text_.size() && (static_cast<unsigned char>(text_[at]) & 0xC0) == 0x80) {
    ++at;
  }
  return at;
}

bool LineEditor::Press(Key key, std::string_view character) {
  switch (key) {
    case Key::kCharacter:
      text_.insert(cursor_, character);
      cursor_ += character.size();
      break;
    case Key::kLeft:
      cursor_ = Before(cursor_);
      break;
    case Key::kRight:
      cursor_ = After(cursor_);
      break;
    case Key::kHome:
      cursor_ = 0;
      break;
    case Key::kEnd:
      cursor_ = text_.size();
      break;
    case Key::kBackspace: {
      const std::size_t from = Before(cursor_);
      text_.erase(from, cursor_ - from);
      cursor_ = from;
      break;
    }
    case Key::kDelete:
      text_.erase(cursor_, After(cursor_) - cursor_);
      break;
    case Key::kEnter:
      return false;
    case Key::kOther:
      break;
  }
  return true;
}

std::string LineEditor::View(std::size_t columns, std::size_t* cursor) const {
  // Where each character starts, and the cursor's character.
  std::vector<std::size_t> starts;
  std::size_t at_cursor = 0;
  for (std::size_t at = 0; at < text_.size(); at = After(at)) {
    if (at == cursor_) at_cursor = starts.size();
    starts.push_back(at);
  }
  if (cursor_ >= text_.size()) at_cursor = starts.size();
  starts.push_back(text_.size());
  const std::size_t count = starts.size() - 1;
  columns = std::max<std::size_t>(columns, 2);
  // The cursor may stand after the last character: one column for it.
  std::size_t first = at_cursor + 1 > columns ? at_cursor + 1 - columns : 0;
  const std::size_t last = std::min(count, first + columns);
  std::string view;
  if (first > 0) {
    view = "<";
    ++first;  // the mark takes the first shown character's column
  }
  view += text_.substr(starts[first], starts[last] - starts[first]);
  *cursor = (first > 0 ? 1 : 0) + (starts[at_cursor] - starts[first]);
  return view;
}

}  // namespace cdsetup::ui::console
