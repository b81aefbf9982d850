#include "ChildWindows.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace {

QPointer<QMdiArea>& Host()
{
    static QPointer<QMdiArea> host;
    return host;
}

QMdiSubWindow* SubWindowOf(QWidget* form)
{
    return form ? qobject_cast<QMdiSubWindow*>(form->parentWidget()) : nullptr;
}

} // namespace

void SetChildHost(QMdiArea* area)
{
    Host() = area;
}

QMdiArea* ChildHost()
{
    return Host().data();
}

QWidget* ShowChildWindow(QWidget* form, QObject* owner)
{
    QWidget* frame = SubWindowOf(form);
    if (!frame && Host()) {
        auto* sub = Host()->addSubWindow(form);
        sub->setAttribute(Qt::WA_DeleteOnClose, form->testAttribute(Qt::WA_DeleteOnClose));
        // The form decides what closing means; when it goes, its frame goes with it.
        QObject::connect(form, &QObject::destroyed, sub, &QObject::deleteLater);
        frame = sub;
    }
    if (!frame)
        frame = form;
    if (owner && owner != frame)
        QObject::connect(owner, &QObject::destroyed, frame, &QObject::deleteLater);
    BringToFront(form);
    return frame;
}

QWidget* ChildFrame(QWidget* form)
{
    if (QMdiSubWindow* sub = SubWindowOf(form))
        return sub;
    return form;
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

void SetClientSize(QWidget* form, int width, int height)
{
    form->resize(width, height);
    if (QMdiSubWindow* sub = SubWindowOf(form)) {
        const QSize extra = sub->size() - sub->contentsRect().size();
        sub->resize(width + extra.width(), height + extra.height());
    }
}
