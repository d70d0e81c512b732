// A person's input, as the core receives it from a backend (or a test): each
// call does what the system does for that click, key or choice, sending the
// controls' notifications to their dialog.
#pragma once

#include <string_view>
#include <vector>

#include "framework/dialog.h"
#include "framework/wnd.h"

namespace cdsetup::framework {

/// Clicks a button (push, radio, check). False when it is disabled or hidden.
bool UserClick(WindowState& button);
/// Replaces the whole text of an edit field (or a combo box's field) as if
/// typed: stops at the field's limit; read-only fields refuse.
bool UserType(WindowState& field, std::string_view text);
/// Picks row `row` of a list box (a click on it).
bool UserPickRow(WindowState& list, int row);
/// Double-clicks row `row` of a list box.
bool UserDoubleClickRow(WindowState& list, int row);
/// Opens a combo box's list, picks row `row` and closes the list with OK.
bool UserPickComboRow(WindowState& combo, int row);
/// A key pressed while `dialog` is active.
void UserKey(CDialog& dialog, UINT key, bool shift = false);
/// The caption's close box.
void UserClose(CDialog& dialog);
/// Minimises or restores a top-level window from the task bar.
void UserMinimise(WindowState& window, bool minimise);
/// The keyboard focus moved to `control` where the interface moves it itself
/// (a click on a field, Tab or an arrow key). False when it cannot have it.
bool UserFocus(WindowState& control);

/// The child of `dialog` with `id`, or null.
WindowState* FindChild(const WindowState& dialog, int id);
/// The controls of the group `control` belongs to, in window order: from the
/// nearest one at or before it that starts a group up to the next that does.
std::vector<WindowState*> GroupOf(WindowState& control);

}  // namespace cdsetup::framework
