// Dialog templates as data: what the resource compiler would have produced,
// one entry per control in tab order, positions and sizes in dialog units.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace cdsetup::resources {

enum class ControlKind {
  kPushButton,
  kRadioButton,  // an auto radio button
  kGroupBox,
  kStatic,   // static text
  kPicture,  // a static control showing an icon or a bitmap
  kEdit,
  kComboBox,
  kListBox,
  kProgress,
};

/// Style notes of a control or a dialog, as bits.
enum Style : std::uint32_t {
  kNone = 0,
  kDefault = 1u << 0,  // the default push button
  kGroup = 1u << 1,    // starts a group (radio buttons, tab order)
  kTabStop = 1u << 2,
  kDisabled = 1u << 3,
  kHidden = 1u << 4,
  kBorder = 1u << 5,
  kVScroll = 1u << 6,
  kHScroll = 1u << 7,
  // Edit fields
  kMultiLine = 1u << 8,
  kReadOnly = 1u << 9,
  kAutoHScroll = 1u << 10,
  kAutoVScroll = 1u << 11,
  kWantReturn = 1u << 12,
  // Combo boxes: a drop-down with an edit field unless kDropDownList
  kDropDown = 1u << 13,
  kDropDownList = 1u << 14,
  kSort = 1u << 15,
  kOwnerDrawFixed = 1u << 16,
  kHasStrings = 1u << 17,
  kNoIntegralHeight = 1u << 18,
  kNotify = 1u << 19,
  // Static texts
  kCenter = 1u << 20,
  kRight = 1u << 21,
  kSunken = 1u << 22,
  kBlackRect = 1u << 23,  // a filled black rectangle; a 1-unit one draws a rule
  // Dialogs
  kCaption = 1u << 24,
  kSysMenu = 1u << 25,
  kModalFrame = 1u << 26,
  kMinimizeBox = 1u << 27,
  kPopup = 1u << 28,
  kVisible = 1u << 29,
  kMaximizeBox = 1u << 30,
  kAppWindow = 1u << 31,  // gets a task bar button although it has no owner
};

inline constexpr int kNoId = -1;  // a static control without an id (IDC_STATIC)

struct ControlTemplate {
  int id;
  ControlKind kind;
  std::string_view text;  // UTF-8; for a picture the resource id as "#155"
  int x, y, cx, cy;       // dialog units
  std::uint32_t style;
};

struct DialogTemplate {
  int id;
  std::string_view caption;  // UTF-8
  int x, y, cx, cy;          // dialog units
  std::string_view font;     // "MS Sans Serif"
  int font_size;             // points
  std::uint32_t style;
  std::span<const ControlTemplate> controls;

  /// The control with `id`, or nullptr (also for kNoId).
  const ControlTemplate* Find(int control_id) const {
    if (control_id == kNoId) return nullptr;
    for (const ControlTemplate& c : controls) {
      if (c.id == control_id) return &c;
    }
    return nullptr;
  }
};

/// The template with resource id `id`, or nullptr when the program has none.
const DialogTemplate* FindDialogTemplate(int id);

}  // namespace cdsetup::resources
