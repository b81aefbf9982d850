#pragma once
// Options > Target Server: the server the open project's script is written for, one radio entry
// per server, the project's own checked. Choosing one changes the header as the header window's
// server list does: one undo step, the "Compatible With" following when the user wrote none.

class QMenu;
class QWidget;
class TProjectDocument;

// Adds the menu to options; it follows document from then on. Errors are shown over owner.
QMenu* AddTargetMenu(QMenu* options, TProjectDocument& document, QWidget* owner);
