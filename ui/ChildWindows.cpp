#include "ChildWindows.h"

#include <QApplication>
#include <QIcon>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QMdiSubWindow>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

// Outside any namespace, as the resource's initialiser is declared there; the library is static,
// so nothing would pull its resources in otherwise.
static void InitProgramIconResource()
{
    Q_INIT_RESOURCE(ProgramIcon);
}

namespace {

constexpr const char* OpenerName = "npcOpener";

// The owner a form was shown for, kept as the form's child: it may go first.
class TOpenerLink final : public QObject {
public:
    TOpenerLink(QObject* form, QObject* opener) : QObject(form), Opener(opener)
    {
        setObjectName(QLatin1String(OpenerName));
    }

    QPointer<QObject> Opener;
};

TOpenerLink* OpenerLinkOf(const QWidget* form)
{
    return form->findChild<TOpenerLink*>(QLatin1String(OpenerName), Qt::FindDirectChildrenOnly);
}

QMdiSubWindow* SubWindowOf(QWidget* form)
{
    return form ? qobject_cast<QMdiSubWindow*>(form->parentWidget()) : nullptr;
}

bool HasFixedSize(const QWidget* form)
{
    return form->minimumSize() == form->maximumSize();
}

// A form of fixed size gets a frame that cannot be resized either (by the mouse, by tiling or
// cascading): a close and a minimise box, no maximise box. The flags go first: changing them
// hides a window that is already shown.
void SetFixedFrameFlags(QWidget* frame, QWidget* form)
{
    const Qt::WindowFlags kind = frame == form ? Qt::Window : Qt::SubWindow;
    frame->setWindowFlags(kind | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
}

// Once shown, the frame knows its borders and takes the one size that fits the form.
void FixFrameSize(QWidget* frame, QWidget* form)
{
    if (frame == form)
        return;
    SetClientSize(form, form->width(), form->height());
    frame->setFixedSize(frame->size());
}

} // namespace

QIcon ProgramIcon()
{
    InitProgramIconResource();
    QIcon compiled;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        compiled.addFile(QStringLiteral(":/icons/npc-editor-%1.png").arg(size), QSize(size, size));
    return compiled;
}

QIcon ProgramIcon(const QString& themeName)
{
    return QIcon::fromTheme(themeName, ProgramIcon());
}

QMdiArea* ChildHostOf(const QObject* owner)
{
    const auto* widget = qobject_cast<const QWidget*>(owner);
    const auto* frame = widget ? qobject_cast<const QMainWindow*>(widget->window()) : nullptr;
    return frame ? qobject_cast<QMdiArea*>(frame->centralWidget()) : nullptr;
}

QWidget* ShowChildWindow(QWidget* form, QObject* owner)
{
    if (TOpenerLink* link = OpenerLinkOf(form))
        link->Opener = owner;
    else if (owner)
        new TOpenerLink(form, owner);
    QMdiArea* host = ChildHostOf(owner);
    QWidget* frame = SubWindowOf(form);
    const bool framedNow = !frame && (host || !form->isVisible());
    // The size a form gave itself before it had a frame: the frame would take the layout's
    // least size instead.
    const QSize wanted = framedNow && host && form->testAttribute(Qt::WA_Resized) ? form->size() : QSize();
    if (!frame && host) {
        auto* sub = host->addSubWindow(form);
        sub->setAttribute(Qt::WA_DeleteOnClose, form->testAttribute(Qt::WA_DeleteOnClose));
        // Without an icon of its own the frame would show the toolkit's logo, not the program's.
        sub->setWindowIcon(QApplication::windowIcon().isNull() ? ProgramIcon() : QApplication::windowIcon());
        // The form decides what closing means; when it goes, its frame goes with it.
        QObject::connect(form, &QObject::destroyed, sub, &QObject::deleteLater);
        frame = sub;
    }
    if (!frame)
        frame = form;
    const bool fixed = framedNow && HasFixedSize(form);
    if (fixed)
        SetFixedFrameFlags(frame, form);
    if (owner && owner != frame)
        QObject::connect(owner, &QObject::destroyed, frame, &QObject::deleteLater);
    BringToFront(form);
    if (fixed)
        FixFrameSize(frame, form);
    else if (wanted.isValid())
        SetClientSize(form, wanted.width(), wanted.height());
    KeepInView(form);
    return frame;
}

QWidget* OpenerWindow(const QWidget* form)
{
    const TOpenerLink* link = OpenerLinkOf(form);
    const auto* opener = link ? qobject_cast<const QWidget*>(link->Opener.data()) : nullptr;
    QWidget* window = opener ? opener->window() : nullptr;
    return window == form->window() ? nullptr : window;
}

QWidget* ChildFrame(QWidget* form)
{
    if (QMdiSubWindow* sub = SubWindowOf(form))
        return sub;
    return form;
}

void CloseChildLater(QWidget* form)
{
    ChildFrame(form)->close();
    form->deleteLater();
}

void BringToFront(QWidget* form)
{
    QWidget* frame = ChildFrame(form);
    if (frame->isMinimized())
        frame->showNormal();
    else
        frame->show();
    form->show();
    if (QMdiSubWindow* sub = SubWindowOf(form); sub && sub->mdiArea())
        sub->mdiArea()->setActiveSubWindow(sub);
    else
        frame->raise();
    frame->activateWindow();
}

void MinimizeChild(QWidget* form)
{
    ChildFrame(form)->showMinimized();
}

void ShowStatusMessage(QWidget* form, const QString& text)
{
    if (auto* main = qobject_cast<QMainWindow*>(form->window()))
        main->statusBar()->showMessage(text);
}

void SetClientSize(QWidget* form, int width, int height)
{
    form->resize(width, height);
    if (QMdiSubWindow* sub = SubWindowOf(form)) {
        const QSize extra = sub->size() - sub->contentsRect().size();
        sub->resize(width + extra.width(), height + extra.height());
        KeepInView(form);
    }
}

void KeepInView(QWidget* form)
{
    QMdiSubWindow* sub = SubWindowOf(form);
    QMdiArea* area = sub ? sub->mdiArea() : nullptr;
    // Before the frame is on screen its area has no meaningful size yet.
    if (!area || !area->isVisible() || sub->isMinimized() || sub->isMaximized())
        return;
    const QSize visible = area->viewport()->size();
    const auto inside = [](int position, int extent, int room) {
        return std::max(0, std::min(position, room - extent));
    };
    const QPoint place(inside(sub->x(), sub->width(), visible.width()),
                       inside(sub->y(), sub->height(), visible.height()));
    if (place != sub->pos())
        sub->move(place);
}

void DeleteChildrenFirst(QObject& owner, bool widgetsOnly)
{
    QList<QPointer<QObject>> inside;
    for (QObject* child : owner.children())
        if (!widgetsOnly || child->isWidgetType())
            inside << child;
    for (const QPointer<QObject>& child : inside)
        delete child.data();
}

void ListOpenWindows(QMenu* menu, QMdiArea* area)
{
    const char* const listed = "npcListedWindow";
    for (QAction* action : menu->actions())
        if (action->property(listed).toBool())
            delete action;
    if (!area)
        return;
    int number = 0;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder)) {
        QWidget* form = sub->widget();
        if (!form || !sub->isVisible())
            continue;
        if (number == 0)
            menu->addSeparator()->setProperty(listed, true);
        ++number;
        // Only the first nine get a key: a tenth would need two.
        const QString key = number <= 9 ? QStringLiteral("&%1 ").arg(number) : QString();
        QString title = form->windowTitle();
        QAction* action = menu->addAction(key + title.replace(u'&', QStringLiteral("&&")));
        action->setProperty(listed, true);
        action->setCheckable(true);
        action->setChecked(sub == area->activeSubWindow());
        QObject::connect(action, &QAction::triggered, form, [form] { BringToFront(form); });
    }
}

TFocusReturn::TFocusReturn(QWidget* window) : Window_(window), Focus_(QApplication::focusWidget()) {}

TFocusReturn::~TFocusReturn()
{
    const auto giveBack = [window = Window_, focus = Focus_] {
        if (!window || QApplication::activeModalWidget() || (QApplication::activeWindow() && QApplication::focusWidget()))
            return;
        window->activateWindow();
        if (focus && focus->isVisible())
            focus->setFocus(Qt::ActiveWindowFocusReason);
    };
    giveBack();
    // Some desktops take the activation away once the dialog's window is gone, after the command.
    if (Window_)
        QTimer::singleShot(0, Window_.data(), giveBack);
}
