#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "resources/dialog_template.h"

namespace cdsetup::resources {
namespace {

const std::vector<int> kAllDialogs = {102, 134, 135, 165, 179, 182};

TEST(DialogTemplates, UnknownIdsHaveNoTemplate) {
  for (int id : {0, -1, 1, 101, 103, 133, 136, 141, 155, 180, 181, 183, 65535}) {
    EXPECT_EQ(FindDialogTemplate(id), nullptr) << id;
  }
}

TEST(DialogTemplates, EveryTemplateIsThereUnderItsOwnId) {
  for (int id : kAllDialogs) {
    const DialogTemplate* dialog = FindDialogTemplate(id);
    ASSERT_NE(dialog, nullptr) << id;
    EXPECT_EQ(dialog->id, id);
    EXPECT_FALSE(dialog->controls.empty()) << id;
  }
}

struct DialogCase {
  int id;
  std::string caption;
  int cx, cy;
  std::string font;
  std::uint32_t style;
  std::vector<int> tab_order;  // control ids in template order
};

TEST(DialogTemplates, DialogsHaveTheirCaptionSizeFontStyleAndTabOrder) {
  const std::uint32_t page = kPopup | kCaption | kSysMenu | kModalFrame;
  const std::vector<DialogCase> cases = {
      {102, "Instalacja", 232, 150, "MS Sans Serif", kPopup | kCaption | kAppWindow, {1, 2}},
      {134,
       "",
       223,
       197,
       "MS Sans Serif",
       page | kMinimizeBox | kMaximizeBox,
       {1, 2, 1007, kNoId, 1009, 1010, 1026, 1011, kNoId}},
      {135, "Kopiowanie plików.", 237, 83, "Arial", page | kMinimizeBox, {1001, 1012, 2}},
      {165, "Umowa licencyjna.", 391, 231, "Arial", page, {2, 1, 1013}},
      {179, "LANGUAGE", 155, 71, "MS Sans Serif", page, {1, 2, 1017, kNoId}},
      {182, "Rodzaj instalacji:", 185, 143, "MS Sans Serif", page, {1, 2, 1025, 1022, 1023, 1024}},
  };
  for (const DialogCase& c : cases) {
    SCOPED_TRACE(c.id);
    const DialogTemplate* dialog = FindDialogTemplate(c.id);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->caption, c.caption);
    EXPECT_EQ(dialog->x, 0);
    EXPECT_EQ(dialog->y, 0);
    EXPECT_EQ(dialog->cx, c.cx);
    EXPECT_EQ(dialog->cy, c.cy);
    EXPECT_EQ(dialog->font, c.font);
    EXPECT_EQ(dialog->font_size, 8);
    EXPECT_EQ(dialog->style, c.style);
    std::vector<int> ids;
    for (const ControlTemplate& control : dialog->controls) ids.push_back(control.id);
    EXPECT_EQ(ids, c.tab_order);
  }
}

TEST(DialogTemplates, ControlIdsAreUniqueWithinADialogAndFound) {
  for (int id : kAllDialogs) {
    SCOPED_TRACE(id);
    const DialogTemplate* dialog = FindDialogTemplate(id);
    ASSERT_NE(dialog, nullptr);
    std::set<int> seen;
    for (const ControlTemplate& control : dialog->controls) {
      if (control.id == kNoId) continue;
      EXPECT_TRUE(seen.insert(control.id).second) << "twice: " << control.id;
      EXPECT_EQ(dialog->Find(control.id), &control);
    }
    EXPECT_EQ(dialog->Find(kNoId), nullptr);
    EXPECT_EQ(dialog->Find(9999), nullptr);
  }
}

TEST(DialogTemplates, ControlsLieInsideTheirDialog) {
  for (int id : kAllDialogs) {
    const DialogTemplate* dialog = FindDialogTemplate(id);
    ASSERT_NE(dialog, nullptr);
    for (const ControlTemplate& control : dialog->controls) {
      SCOPED_TRACE(std::to_string(id) + "/" + std::to_string(control.id));
      EXPECT_GE(control.x, 0);
      EXPECT_GE(control.y, 0);
      EXPECT_GT(control.cx, 0);
      EXPECT_GT(control.cy, 0);
      EXPECT_LE(control.x + control.cx, dialog->cx);
      // A combo box's height includes its dropped-down list, which may hang out.
      if (control.kind != ControlKind::kComboBox) {
        EXPECT_LE(control.y + control.cy, dialog->cy);
      }
    }
  }
}

struct ControlCase {
  int dialog;
  int id;
  ControlKind kind;
  std::string text;
  int x, y, cx, cy;
  std::uint32_t style;
};

TEST(DialogTemplates, ControlsHaveTheirKindTextPlaceAndStyle) {
  using K = ControlKind;
  const std::vector<ControlCase> cases = {
      {102, 1, K::kPushButton, "Instaluj", 54, 125, 50, 14, kDefault | kTabStop},
      {102, 2, K::kPushButton, "Wyjście", 127, 125, 50, 14, kTabStop},
      {134, 1, K::kPushButton, "Dalej >>", 105, 176, 50, 14, kDefault | kTabStop},
      {134, 2, K::kPushButton, "<< Powrót", 166, 176, 50, 14, kTabStop},
      {134, 1007, K::kComboBox, "", 50, 151, 166, 62, kDropDownList | kSort | kVScroll | kTabStop},
      {134, 1009, K::kEdit, "", 7, 12, 209, 14, kBorder | kTabStop | kAutoHScroll},
      {134, 1010, K::kListBox, "", 7, 46, 209, 92,
       kNotify | kSort | kNoIntegralHeight | kVScroll | kTabStop},
      {134, 1026, K::kStatic, "Dysk", 14, 153, 17, 8, kGroup},
      {134, 1011, K::kStatic, "Katalog", 7, 34, 209, 12, kCenter | kGroup},
      {135, 1001, K::kProgress, "Progress1", 35, 26, 168, 14, kBorder},
      {135, 1012, K::kStatic, "", 15, 13, 196, 8, kNone},
      {135, 2, K::kPushButton, "Przerwij", 93, 50, 50, 14, kTabStop},
      {165, 2, K::kPushButton, "Powrót", 326, 210, 50, 14, kDefault | kTabStop},
      {165, 1, K::kPushButton, "Akceptuję umowę", 242, 210, 74, 14, kDefault | kTabStop},
      {165, 1013, K::kEdit, "", 7, 7, 377, 192,
       kMultiLine | kReadOnly | kBorder | kVScroll | kAutoVScroll | kAutoHScroll | kTabStop},
      {179, 1, K::kPushButton, "Next", 22, 47, 50, 14, kDefault | kTabStop},
      {179, 2, K::kPushButton, "Cancel", 87, 47, 50, 14, kTabStop},
      {179, 1017, K::kComboBox, "", 41, 23, 70, 47, kDropDown | kVScroll | kTabStop},
      {182, 1, K::kPushButton, "OK", 29, 116, 50, 14, kDefault | kTabStop},
      {182, 2, K::kPushButton, "Cancel", 102, 116, 50, 14, kTabStop},
      {182, 1025, K::kGroupBox, "Wybierz rodzaj instalacji :", 21, 15, 140, 91, kNone},
      {182, 1022, K::kRadioButton, "Wersja minimalna", 31, 36, 90, 10, kGroup | kTabStop},
      {182, 1023, K::kRadioButton, "Wersja standardowa", 31, 59, 91, 10, kNone},
      {182, 1024, K::kRadioButton, "Wersja pełna", 32, 82, 90, 10, kNone},
  };
  for (const ControlCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.dialog) + "/" + std::to_string(c.id));
    const DialogTemplate* dialog = FindDialogTemplate(c.dialog);
    ASSERT_NE(dialog, nullptr);
    const ControlTemplate* control = dialog->Find(c.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->kind, c.kind);
    EXPECT_EQ(control->text, c.text);
    EXPECT_EQ(control->x, c.x);
    EXPECT_EQ(control->y, c.y);
    EXPECT_EQ(control->cx, c.cx);
    EXPECT_EQ(control->cy, c.cy);
    EXPECT_EQ(control->style, c.style);
  }
}

TEST(DialogTemplates, ControlsWithoutIdAreTheRulesAndTheLanguageLabel) {
  const DialogTemplate* target = FindDialogTemplate(134);
  ASSERT_NE(target, nullptr);
  std::vector<const ControlTemplate*> rules;
  for (const ControlTemplate& c : target->controls) {
    if (c.id == kNoId) rules.push_back(&c);
  }
  ASSERT_EQ(rules.size(), 2u);
  for (const ControlTemplate* rule : rules) {
    EXPECT_EQ(rule->kind, ControlKind::kStatic);
    EXPECT_EQ(rule->style, static_cast<std::uint32_t>(kBlackRect));
    EXPECT_EQ(rule->x, 7);
    EXPECT_EQ(rule->cx, 209);
    EXPECT_EQ(rule->cy, 1);
  }
  EXPECT_EQ(rules[0]->y, 30);
  EXPECT_EQ(rules[1]->y, 146);

  const DialogTemplate* language = FindDialogTemplate(179);
  ASSERT_NE(language, nullptr);
  const ControlTemplate& label = language->controls.back();
  EXPECT_EQ(label.id, kNoId);
  EXPECT_EQ(label.kind, ControlKind::kStatic);
  EXPECT_EQ(label.text, "Choose language:");
  EXPECT_EQ(label.x, 7);
  EXPECT_EQ(label.y, 7);
  EXPECT_EQ(label.cx, 79);
  EXPECT_EQ(label.cy, 8);
}

TEST(DialogTemplates, PolishTextsAreUtf8) {
  const ControlTemplate* exit = FindDialogTemplate(102)->Find(2);
  ASSERT_NE(exit, nullptr);
  EXPECT_EQ(exit->text,
            "Wyj\xc5\x9b"
            "cie");  // ś is two bytes
  const ControlTemplate* full = FindDialogTemplate(182)->Find(1024);
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(full->text, "Wersja pe\xc5\x82na");                                        // ł
  EXPECT_EQ(FindDialogTemplate(165)->Find(1)->text, "Akceptuj\xc4\x99 umow\xc4\x99");  // ę
}

TEST(DialogTemplates, DefaultButtonsAreMarkedOncePerPage) {
  for (int id : kAllDialogs) {
    const DialogTemplate* dialog = FindDialogTemplate(id);
    int defaults = 0;
    for (const ControlTemplate& c : dialog->controls) {
      if (c.style & kDefault) {
        EXPECT_EQ(c.kind, ControlKind::kPushButton) << id;
        ++defaults;
      }
    }
    // The licence page marks both of its buttons (its focus decides); the
    // copy page has only its abort button, which Enter must not press.
    EXPECT_EQ(defaults, id == 165 ? 2 : id == 135 ? 0 : 1) << id;
  }
}

}  // namespace
}  // namespace cdsetup::resources
