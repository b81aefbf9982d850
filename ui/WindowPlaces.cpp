#include "WindowPlaces.h"

#include "ChildWindows.h"

#include <QEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QSettings>
#include <QStyle>

#include <algorithm>

namespace {

const QString MainWindowName = QStringLiteral("MainWindow");
// Set on a child window whose place is being remembered.
const char* const PlaceKeptProperty = "npcPlaceKept";
// Set on a child window that took a place remembered from an earlier run.
const char* const PlaceTakenProperty = "npcPlaceTaken";

// "WindowPlaces/1600x1000/TTaskForm": the places made on a screen of that size.
QString PlaceKey(const QWidget* widget, const QString& name)
{
    const QScreen* screen = widget->screen();
    const QSize size = screen ? screen->availableGeometry().size() : QSize();
    return QStringLiteral("WindowPlaces/%1x%2/%3").arg(size.width()).arg(size.height()).arg(name);
}

QString NameOf(const QWidget* form)
{
    return QString::fromLatin1(form->metaObject()->className());
}

bool HasFixedSize(const QWidget* frame)
{
    return frame->minimumSize() == frame->maximumSize();
}

// The size the window's contents need: its minimum, or what its layout asks for at least.
QSize LeastSize(const QWidget* frame)
{
    return frame->minimumSize().expandedTo(frame->minimumSizeHint());
}

// The room the windows have: the whole workspace, as it is once no scroll bar is needed.
QSize Room(const QMdiArea* area)
{
    return area->contentsRect().size();
}

QList<QMdiSubWindow*> OpenWindows(const QMdiArea* area, QMdiArea::WindowOrder order)
{
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : area->subWindowList(order)) {
        if (window->isVisible() && !window->isMinimized())
            windows << window;
    }
    return windows;
}

// Puts frame at place, with the size wanted where it may be resized, within the room and never
// below the size its contents need.
void PlaceWithin(QMdiSubWindow* frame, QPoint place, QSize wanted, QSize room)
{
    if (frame->isMaximized())
        frame->showNormal();
    QSize size = HasFixedSize(frame) ? frame->size() : wanted;
    if (!HasFixedSize(frame))
        size = size.boundedTo(room - QSize(place.x(), place.y())).expandedTo(LeastSize(frame));
    place.setX(std::max(0, std::min(place.x(), room.width() - size.width())));
    place.setY(std::max(0, std::min(place.y(), room.height() - size.height())));
    frame->setGeometry(QRect(place, size));
}

// Writes the frame's place under key whenever it moves or changes size in the normal state.
class TPlaceKeeper final : public QObject {
public:
    TPlaceKeeper(QMdiSubWindow* frame, QString key) : QObject(frame), Frame_(frame), Key_(std::move(key))
    {
        frame->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == Frame_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
            Frame_->isVisible() && !Frame_->isMinimized() && !Frame_->isMaximized())
            QSettings().setValue(Key_, Frame_->geometry());
        return false;
    }

private:
    QMdiSubWindow* Frame_;
    QString Key_;
};

class TInsideKeeper final : public QObject {
public:
    explicit TInsideKeeper(QMdiArea* area) : QObject(area), Area_(area) { area->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == Area_ && event->type() == QEvent::Resize) {
            for (QMdiSubWindow* window : OpenWindows(Area_, QMdiArea::CreationOrder)) {
                if (!window->isMaximized())
                    PlaceWithin(window, window->pos(), window->size(), Room(Area_));
            }
        }
        return false;
    }

private:
    QMdiArea* Area_;
};

} // namespace

void RestoreMainPlace(QMainWindow* window)
{
    const QByteArray place = QSettings().value(PlaceKey(window, MainWindowName)).toByteArray();
    if (place.isEmpty() || !window->restoreGeometry(place))
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

void SaveMainPlace(const QMainWindow* window)
{
    QSettings().setValue(PlaceKey(window, MainWindowName), window->saveGeometry());
}

void RememberPlace(QWidget* form)
{
    auto* frame = qobject_cast<QMdiSubWindow*>(ChildFrame(form));
    if (!frame || !frame->mdiArea() || frame->property(PlaceKeptProperty).toBool())
        return;
    frame->setProperty(PlaceKeptProperty, true);
    const QString key = PlaceKey(frame, NameOf(form));
    const QRect place = QSettings().value(key).toRect();
    if (place.isValid()) {
        PlaceWithin(frame, place.topLeft(), place.size(), Room(frame->mdiArea()));
        frame->setProperty(PlaceTakenProperty, true);
    }
    new TPlaceKeeper(frame, key);
}

void PlaceBelow(QWidget* form, QWidget* above)
{
    auto* frame = qobject_cast<QMdiSubWindow*>(ChildFrame(form));
    const QWidget* top = ChildFrame(above);
    if (!frame || !frame->mdiArea() || top == above || frame->property(PlaceTakenProperty).toBool())
        return;
    // Only moved: the workspace may not have its size yet, and pulls its windows inside once it has.
    frame->move(0, top->geometry().bottom() + 1);
}

void CascadeChildren(QMdiArea* area)
{
    const QList<QMdiSubWindow*> windows = OpenWindows(area, QMdiArea::StackingOrder);
    const int step = area->style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
    const QSize room = Room(area);
    QPoint place(0, 0);
    for (QMdiSubWindow* window : windows) {
        // A window that would start too low goes on at the top, one too far right at the left.
        if (place.y() + LeastSize(window).height() > room.height())
            place.setY(0);
        if (place.x() + LeastSize(window).width() > room.width())
            place.setX(0);
        PlaceWithin(window, place, window->size(), room);
        window->raise();
        place += QPoint(step, step);
    }
    if (!windows.isEmpty())
        area->setActiveSubWindow(windows.back());
}

void TileChildren(QMdiArea* area, Qt::Orientation stacking)
{
    const QList<QMdiSubWindow*> windows = OpenWindows(area, QMdiArea::CreationOrder);
    const QSize room = Room(area);
    const int count = static_cast<int>(windows.size());
    for (int i = 0; i < count; ++i) {
        if (stacking == Qt::Vertical) {
            const int top = room.height() * i / count;
            const int bottom = room.height() * (i + 1) / count;
            PlaceWithin(windows[i], QPoint(0, top), QSize(room.width(), bottom - top), room);
        } else {
            const int left = room.width() * i / count;
            const int right = room.width() * (i + 1) / count;
            PlaceWithin(windows[i], QPoint(left, 0), QSize(right - left, room.height()), room);
        }
    }
}

void KeepChildrenInside(QMdiArea* area)
{
    new TInsideKeeper(area);
}
