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
#include <climits>
#include <numeric>
#include <optional>
#include <utility>
#include <vector>

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

// The room a window cannot do with less of: its size when fixed, else what its contents need.
QSize Needs(const QMdiSubWindow* frame)
{
    return HasFixedSize(frame) ? frame->size() : LeastSize(frame);
}

// A line's length shared evenly, except that a window needing more than its even share takes what
// it needs and the others share the rest.
std::vector<int> Shares(const std::vector<int>& least, int total)
{
    std::vector<bool> takesItsOwn(least.size(), false);
    int rest = total;
    int sharing = static_cast<int>(least.size());
    for (bool changed = true; changed && sharing > 0;) {
        changed = false;
        const int even = rest / sharing;
        for (std::size_t i = 0; i < least.size(); ++i)
            if (!takesItsOwn[i] && least[i] > even) {
                takesItsOwn[i] = changed = true;
                rest -= least[i];
                --sharing;
            }
    }
    std::vector<int> lengths(least.size());
    int given = 0;
    for (std::size_t i = 0; i < least.size(); ++i) {
        if (takesItsOwn[i]) {
            lengths[i] = least[i];
        } else {
            ++given;
            lengths[i] = rest * given / sharing - rest * (given - 1) / sharing;
        }
    }
    return lengths;
}

// The windows cut into lines in order: the first and the end of each line.
std::vector<std::pair<int, int>> Lines(int count, int lines)
{
    std::vector<std::pair<int, int>> cut;
    for (int line = 0; line < lines; ++line)
        cut.emplace_back(count * line / lines, count * (line + 1) / lines);
    return cut;
}

// The windows in order, each line filled until the next window would not fit its length.
template <class Along>
std::vector<std::pair<int, int>> FilledLines(const QList<QMdiSubWindow*>& windows, int length, Along along)
{
    std::vector<std::pair<int, int>> cut;
    int used = 0;
    for (int i = 0; i < static_cast<int>(windows.size()); ++i) {
        const int need = along(Needs(windows[i]));
        if (cut.empty() || used + need > length) {
            cut.emplace_back(i, i);
            used = 0;
        }
        ++cut.back().second;
        used += need;
    }
    return cut;
}

// For each line: the breadth its broadest window needs, or nothing when its windows' lengths
// together need more than length.
template <class Along, class Across>
std::optional<std::vector<int>> LineBreadths(const QList<QMdiSubWindow*>& windows,
                                             const std::vector<std::pair<int, int>>& cut, int length, Along along,
                                             Across across)
{
    std::vector<int> breadths;
    for (const auto& [first, end] : cut) {
        int used = 0;
        int breadth = 0;
        for (int i = first; i < end; ++i) {
            used += along(Needs(windows[i]));
            breadth = std::max(breadth, across(Needs(windows[i])));
        }
        if (used > length)
            return std::nullopt;
        breadths.push_back(breadth);
    }
    return breadths;
}

int Sum(const std::vector<int>& values)
{
    return std::accumulate(values.begin(), values.end(), 0);
}

// Windows in lines: which lines, and how broad each is.
struct TGrid {
    QList<QMdiSubWindow*> Windows;
    std::vector<std::pair<int, int>> Lines;
    std::vector<int> Breadths;
};

// The grid with the fewest lines in creation order in which every window has the room it needs;
// else the windows broadest first, so that windows of like size share a line, filled line by
// line. Nothing when not even that fits: its lines are then the best there is.
template <class Along, class Across>
std::pair<TGrid, bool> ChooseGrid(const QList<QMdiSubWindow*>& windows, QSize room, Along along, Across across)
{
    const int count = static_cast<int>(windows.size());
    for (int lines = 1; lines <= count; ++lines) {
        const auto cut = Lines(count, lines);
        const auto breadths = LineBreadths(windows, cut, along(room), along, across);
        if (breadths && Sum(*breadths) <= across(room))
            return {TGrid{windows, cut, *breadths}, true};
    }
    QList<QMdiSubWindow*> broadestFirst = windows;
    std::stable_sort(broadestFirst.begin(), broadestFirst.end(), [&across](const QMdiSubWindow* a, const QMdiSubWindow* b) {
        return across(Needs(a)) > across(Needs(b));
    });
    const auto cut = FilledLines(broadestFirst, along(room), along);
    const auto breadths = LineBreadths(broadestFirst, cut, INT_MAX, along, across);
    return {TGrid{broadestFirst, cut, *breadths}, Sum(*breadths) <= across(room)};
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
    if (windows.isEmpty())
        return;
    const bool stacked = stacking == Qt::Vertical;
    const auto along = [stacked](QSize size) { return stacked ? size.height() : size.width(); };
    const auto across = [stacked](QSize size) { return stacked ? size.width() : size.height(); };
    const auto point = [stacked](int alongAt, int acrossAt) { return stacked ? QPoint(acrossAt, alongAt) : QPoint(alongAt, acrossAt); };
    const QSize room = Room(area);
    auto [grid, fits] = ChooseGrid(windows, room, along, across);
    // Lines that do not fit leave their windows to a cascade after the last line that does, in
    // the room left there, so that every title bar stays in sight.
    const int step = area->style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
    QList<QMdiSubWindow*> cascaded;
    const auto cascadeFits = [&](int start) {
        for (int k = 0; k < static_cast<int>(cascaded.size()); ++k)
            if (start + k * step + across(Needs(cascaded[k])) > across(room))
                return false;
        return true;
    };
    if (!fits) {
        while (!grid.Lines.empty() && (Sum(grid.Breadths) > across(room) || !cascadeFits(Sum(grid.Breadths)))) {
            for (int i = grid.Lines.back().second - 1; i >= grid.Lines.back().first; --i)
                cascaded.prepend(grid.Windows[i]);
            grid.Lines.pop_back();
            grid.Breadths.pop_back();
        }
    }
    const std::vector<int> lineBreadths = fits ? Shares(grid.Breadths, across(room)) : grid.Breadths;
    int start = 0;
    for (std::size_t line = 0; line < grid.Lines.size(); ++line) {
        const auto [first, end] = grid.Lines[line];
        std::vector<int> least;
        for (int i = first; i < end; ++i)
            least.push_back(along(Needs(grid.Windows[i])));
        const std::vector<int> lengths = Shares(least, along(room));
        int offset = 0;
        for (int i = first; i < end; ++i) {
            const int length = lengths[static_cast<std::size_t>(i - first)];
            const QSize size = stacked ? QSize(lineBreadths[line], length) : QSize(length, lineBreadths[line]);
            PlaceWithin(grid.Windows[i], point(offset, start), size, room);
            offset += length;
        }
        start += lineBreadths[line];
    }
    for (int k = 0; k < static_cast<int>(cascaded.size()); ++k) {
        PlaceWithin(cascaded[k], point(k * step, start + k * step), cascaded[k]->size(), room);
        cascaded[k]->raise();
    }
}

void KeepChildrenInside(QMdiArea* area)
{
    new TInsideKeeper(area);
}
