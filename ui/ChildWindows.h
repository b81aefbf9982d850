#pragma once
// Every window of the editor is a child window of its main frame's MDI area, the frame's central
// widget, found from the window that opens it; without one (unit tests of a single window) forms
// are shown as top-level windows.

#include <QPointer>
#include <QWidget>

class QIcon;
class QMdiArea;
class QMenu;
class QObject;
class QString;

// The program's icon: the desktop's icon theme entry themeName where one is installed, else the
// copy compiled into the program, so that no window shows the toolkit's logo (as when the editor
// runs from its build tree). Without a name: the compiled copy.
QIcon ProgramIcon(const QString& themeName);
QIcon ProgramIcon();

// The MDI area of the main frame owner is shown in (owner itself when it is the frame); nullptr
// when owner is not a widget inside one.
QMdiArea* ChildHostOf(const QObject* owner);

// Puts form into a child window of owner's frame (once) and shows it where it can be seen. A form
// of fixed size gets a frame of fixed size, without a maximise box. The child window is destroyed
// together with owner. Without owner, or outside a frame, form is a top-level window. Returns the
// window that frames form.
QWidget* ShowChildWindow(QWidget* form, QObject* owner);
// The window of the owner form was last shown for by ShowChildWindow, while it lives; nullptr when
// there is none, or when it is form's own window.
QWidget* OpenerWindow(const QWidget* form);
// The child window that frames form, or form itself when it has none.
QWidget* ChildFrame(QWidget* form);
// Closes the form's window and deletes the form once control is back in the event loop.
void CloseChildLater(QWidget* form);
// Ends a form that reports once how it ended (a dialog-like editor): the first call tells done
// whether it was cancelled, then closes the form's window and deletes the form later; a call after
// that does nothing. finished is the form's own flag for it.
template <class Form, class Done>
void FinishOnce(Form* form, bool& finished, const Done& done, bool cancelled)
{
    if (finished)
        return;
    finished = true;
    if (done)
        done(form, cancelled);
    CloseChildLater(form);
}
// Shows the form's window (restoring it when minimised) and makes it the active one.
void BringToFront(QWidget* form);
// Minimises the form's window: what the close box does for windows that live on.
void MinimizeChild(QWidget* form);
// Shows text in the status bar of the main window that frames form (nothing without one).
void ShowStatusMessage(QWidget* form, const QString& text);
// Sets the client size of form and, when framed, resizes its child window to fit.
void SetClientSize(QWidget* form, int width, int height);
// Moves the form's child window back inside the frame's visible area when it reaches past an
// edge; one larger than the area is put at its top left and the area scrolls to the rest.
void KeepInView(QWidget* form);
// Deletes owner's children now, from a list taken first (each delete changes it), skipping one
// another child took along: for an owner whose members (a document) die before Qt would delete
// the children that still refer to them. With widgetsOnly, other objects stay for Qt.
void DeleteChildrenFirst(QObject& owner, bool widgetsOnly);

// Lists the windows open in area at the end of menu, below a separator, each checked when it is
// the active one and brought to the front when chosen: call it as the menu is about to show. The
// entries it added the time before are taken away first.
void ListOpenWindows(QMenu* menu, QMdiArea* area);

// Gives the keyboard focus back, once a command is over, to the widget that had it when the
// command began, when the command left none: a file dialog or a chooser that closes may leave no
// window of the program active, and its shortcuts then wait for a click. A command that moved the
// focus elsewhere (to a window it opened) keeps that.
class TFocusReturn {
public:
    explicit TFocusReturn(QWidget* window);
    ~TFocusReturn();
    TFocusReturn(const TFocusReturn&) = delete;
    TFocusReturn& operator=(const TFocusReturn&) = delete;

private:
    QPointer<QWidget> Window_;
    QPointer<QWidget> Focus_;
};
