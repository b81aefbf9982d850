#pragma once
// Small pieces shared by the task editor windows: the dialog keys of a plain child window, and
// selections that stay visible without the focus.

class QAbstractButton;
class QKeyEvent;
class QWidget;

// Enter presses the default button, Escape the cancel button, as in a dialog box; either may be
// nullptr. Only keys that the focused control left unused reach the window, so a multi-line
// field keeps its Enter. Returns true when the key was used.
bool HandleDialogKey(QKeyEvent* event, QAbstractButton* defaultButton, QAbstractButton* cancelButton);

// Draws the selection of an item view or text field in its active colours also while the window
// is in the background.
void KeepSelectionVisible(QWidget* control);
