#pragma once
// The order in which the editor comes up: the frame (hidden), the splash that loads the
// catalogues and then shows the frame, the task tree window (a new project), the NPC window.

#include "Dialogs.h"

#include <filesystem>
#include <memory>

class QObject;
class QWidget;
class TMainForm;

// Creates the windows in their order: the main window, which owns the others, is the caller's.
// The catalogues are read from dataDir (empty: the working directory). Catalogues that could not
// be read are reported in one error box once every window exists; the editor then works with what
// was read. The main window answers with dialogs when given (a report, a test), else the real ones.
std::unique_ptr<TMainForm> StartEditor(const std::filesystem::path& dataDir = {},
                                       std::unique_ptr<TDialogs> dialogs = nullptr);

// Frames a form of fixed size in a child window with a minimise and a close box, but no maximise
// box, and shows it.
void ShowFixedChildWindow(QWidget* form, QObject* owner);
