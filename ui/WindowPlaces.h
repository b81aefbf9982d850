#pragma once
// Where the windows were, and how they are laid out. The main window's place and each child
// window's place inside the workspace are remembered (QSettings) for the size of the screen they
// were on: the next run opens them where the user left them, and a layout made for one screen is
// not forced on a screen of another size. Cascade and Tile leave every window usable: no window
// below the size its contents need, none reaching past the workspace's edge.

#include <Qt>

class QMainWindow;
class QMdiArea;
class QWidget;

// The main window as it was last closed on a screen of this size; maximised when no place is
// remembered.
void RestoreMainPlace(QMainWindow* window);
void SaveMainPlace(const QMainWindow* window);

// From now on the place of form's child window is remembered whenever it moves or changes size,
// and a place remembered earlier is taken now (a window of fixed size only moves). Called after
// the window's first placing, which it overrides.
void RememberPlace(QWidget* form);

// Puts form's child window right below the child window of above, at the left edge, unless a
// place remembered for it was taken: the first layout of a run leaves every field in sight.
void PlaceBelow(QWidget* form, QWidget* above);

// Each open window one title bar lower and to the right of the one before, keeping its size as
// far as the workspace allows; the active window stays on top.
void CascadeChildren(QMdiArea* area);
// The open windows in one column (Qt::Vertical) or one row (Qt::Horizontal), sharing the whole
// workspace evenly; a window that needs more than its share (or has a fixed size) takes that and
// the others share the rest. When they do not all fit, they go into as few more columns (rows)
// as they need, side by side, so that no window covers another; when even that does not fit,
// windows of like size share a line, and those of the lines that still do not fit are cascaded in
// the room after the others, every title bar in sight.
void TileChildren(QMdiArea* area, Qt::Orientation stacking);
// From now on a workspace that shrinks (the main window un-maximised) pulls its windows back
// inside, shrinking those that may be resized, rather than leaving them past a scroll bar.
void KeepChildrenInside(QMdiArea* area);
