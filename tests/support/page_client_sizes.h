// The pages' client areas at 96 dpi as the Windows dialogs show them (their
// templates at the dialog manager's 6 by 12 base units of the templates'
// font, the main dialog grown to hold its picture). The Qt windows and the
// Windows dialogs are each held to them, so the two agree.
#pragma once

#include <gtest/gtest.h>

#include "resources/resource_ids.h"

namespace cdsetup::testing {

struct PageClientSize {
  int dialog, width, height;
};

inline constexpr PageClientSize kPageClientSizes[] = {
    {resources::IDD_LANGUAGE, 233, 107},   {resources::IDD_MAIN, 350, 250},
    {resources::IDD_LICENCE, 587, 347},    {resources::IDD_INSTALL_TYPE, 278, 215},
    {resources::IDD_TARGET_DIR, 335, 296}, {resources::IDD_COPY_PROGRESS, 356, 125},
};

/// Expects the client area of page `dialog` to be its size within 2 pixels.
inline void ExpectPageClientSize(int dialog, int width, int height) {
  for (const PageClientSize& page : kPageClientSizes) {
    if (page.dialog != dialog) continue;
    EXPECT_NEAR(width, page.width, 2) << "dialog " << dialog;
    EXPECT_NEAR(height, page.height, 2) << "dialog " << dialog;
    return;
  }
  ADD_FAILURE() << "no client size for dialog " << dialog;
}

}  // namespace cdsetup::testing
