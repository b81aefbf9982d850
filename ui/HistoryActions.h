#pragma once
// Undo and Redo as actions: their text names the step they would run ("Undo Delete group Shop"),
// they are disabled when there is none, and they run through the project document, so that a step
// that fails is reported like any other command's failure. The Edit menu and the task tree's
// context menu each make their own pair.

class QAction;
class QWidget;
class TProjectDocument;

// The actions run document's history. owner reports failures and parents the action. With keys the action answers the standard
// shortcuts; without, it only names the first of them in its text (for a context menu, where a
// second action on the same keys would make both deaf).
enum class THistoryKeys { Answer, Name };
QAction* MakeUndoAction(TProjectDocument& document, QWidget* owner, THistoryKeys keys = THistoryKeys::Answer);
QAction* MakeRedoAction(TProjectDocument& document, QWidget* owner, THistoryKeys keys = THistoryKeys::Answer);
