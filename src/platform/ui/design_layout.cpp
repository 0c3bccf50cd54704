// DesignLayout: the design placement of a window's controls, grown and shrunk with the window.
#include "platform/ui/design_layout.h"

#include <QEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>
#include <climits>

namespace {

constexpr int kGap = 4;      // pixels kept between two controls when the window shrinks
constexpr int kRowGap = 40;  // controls side by side at most this far apart keep together

// Positions along one direction and overlap across it, so each rule is written once.
int start(const QRect &r, Qt::Orientation o) { return o == Qt::Horizontal ? r.left() : r.top(); }
int end(const QRect &r, Qt::Orientation o) { return o == Qt::Horizontal ? r.x() + r.width() : r.y() + r.height(); }
int length(const QSize &s, Qt::Orientation o) { return o == Qt::Horizontal ? s.width() : s.height(); }
bool overlapAcross(const QRect &a, const QRect &b, Qt::Orientation o)
{
    const Qt::Orientation across = o == Qt::Horizontal ? Qt::Vertical : Qt::Horizontal;
    return start(a, across) < end(b, across) && start(b, across) < end(a, across);
}

} // namespace

DesignLayout::DesignLayout(QWidget *window) : QObject(window), m_window(window), m_design(window->size())
{
    m_containers.append({window, nullptr, m_design});
    capture(0);
    window->installEventFilter(this);
}

void DesignLayout::capture(int container)
{
    QWidget *w = m_containers.at(container).widget;
    for (QObject *o : w->children()) {
        auto *child = qobject_cast<QWidget *>(o);
        if (child && !child->isWindow() && !child->isHidden())
            m_items.append({child, container, child->geometry(), {}});
    }
}

DesignLayout &DesignLayout::stretch(QWidget *child, Qt::Orientations directions)
{
    for (Item &it : m_items)
        if (it.widget == child)
            it.stretch = directions;
    return *this;
}

DesignLayout &DesignLayout::addPage(QWidget *page, QWidget *holder)
{
    QSize design = holder->size();
    for (const Item &it : std::as_const(m_items))
        if (it.widget == holder)
            design = it.design.size();
    // A tab page is the tab control less its tab bar and frame.
    if (auto *tabs = qobject_cast<QTabWidget *>(holder))
        design -= QSize(4, tabs->tabBar()->sizeHint().height() + 4);
    m_containers.append({page, holder, design});
    capture(int(m_containers.size()) - 1);
    return *this;
}

void DesignLayout::finish()
{
    // A control keeps to the edge it is nearer to, unless a stretching control before it pushes it
    // on, or one after it holds it back. Controls side by side with small gaps (a row of buttons, a
    // caption and its box) keep together, to the edge their row is nearer to.
    const int n = int(m_items.size());
    for (Qt::Orientation o : {Qt::Horizontal, Qt::Vertical}) {
        QList<int> group(n);
        for (int i = 0; i < n; ++i)
            group[i] = i;
        const auto root = [&group](int i) {
            while (group[i] != i)
                i = group[i] = group[group[i]];
            return i;
        };
        QList<int> pushed(n, 0), held(n, 0);
        for (int i = 0; i < n; ++i) {
            const Item &a = m_items.at(i);
            for (int j = 0; j < n; ++j) {
                const Item &b = m_items.at(j);
                if (i == j || a.container != b.container)
                    continue;
                // A caption beside a box that grows downwards stays level with its top.
                if (!overlapAcross(a.design, b.design, o)) {
                    held[i] |= o == Qt::Vertical && (b.stretch & o) && start(a.design, o) < end(b.design, o) &&
                               start(b.design, o) < end(a.design, o);
                    continue;
                }
                if (b.stretch & o) {
                    pushed[i] |= end(b.design, o) <= start(a.design, o) + kGap;
                    held[i] |= start(b.design, o) >= end(a.design, o) - kGap;
                }
            }
            // Rows: controls level with each other and close side by side.
            for (int j = 0; j < n; ++j) {
                const Item &b = m_items.at(j);
                if (i != j && a.container == b.container && !(a.stretch & o) && !(b.stretch & o) &&
                    overlapAcross(a.design, b.design, Qt::Horizontal) &&
                    qMax(a.design.left(), b.design.left()) - qMin(end(a.design, Qt::Horizontal), end(b.design, Qt::Horizontal)) <= kRowGap)
                    group[root(i)] = root(j);
            }
        }
        // Per group: its extent, and whether any member is pushed or held.
        QList<int> first(n, INT_MAX), last(n, INT_MIN), anyPushed(n, 0), anyHeld(n, 0);
        for (int i = 0; i < n; ++i) {
            const int g = root(i);
            first[g] = qMin(first[g], start(m_items.at(i).design, o));
            last[g] = qMax(last[g], end(m_items.at(i).design, o));
            anyPushed[g] |= pushed[i];
            anyHeld[g] |= held[i];
        }
        for (int i = 0; i < n; ++i) {
            Item &it = m_items[i];
            if (it.stretch & o)
                continue;
            const int g = root(i);
            const int room = length(m_containers.at(it.container).design, o);
            const bool far = anyPushed[g] || (!anyHeld[g] && room - last[g] < first[g]);
            (o == Qt::Horizontal ? it.toRight : it.toBottom) = far;
        }
    }
    QSize least = m_design;
    for (Qt::Orientation o : {Qt::Horizontal, Qt::Vertical}) {
        // Without a control that stretches this way the window keeps its design size.
        int room = 0;
        for (const Item &it : std::as_const(m_items))
            room = (it.stretch & o) ? INT_MAX : room;
        for (int c = 0; c < m_containers.size() && room > 0; ++c)
            room = qMin(room, shrinkRoom(c, o));
        if (o == Qt::Horizontal)
            least.rwidth() -= room;
        else
            least.rheight() -= room;
    }
    m_window->setMinimumSize(least);
    apply();
}

// How much the controls of a container let it shrink in direction o: a stretching control gives up
// to half of itself, a control that moves with the far edge must not meet one that stays.
int DesignLayout::shrinkRoom(int container, Qt::Orientation o) const
{
    const Container &c = m_containers.at(container);
    // A page whose holder does not stretch this way keeps its size.
    if (c.holder) {
        for (const Item &h : m_items)
            if (h.widget == c.holder && !(h.stretch & o))
                return INT_MAX;
    }
    int room = INT_MAX;
    for (const Item &it : m_items) {
        if (it.container != container)
            continue;
        const bool far = o == Qt::Horizontal ? it.toRight : it.toBottom;
        if (it.stretch & o) {
            room = qMin(room, length(it.design.size(), o) / 2);
            continue;
        }
        if (!far) {
            // It stays: the container's far edge must not pass it.
            room = qMin(room, length(c.design, o) - end(it.design, o));
            continue;
        }
        room = qMin(room, start(it.design, o));
        for (const Item &other : m_items) {
            const bool otherFar = o == Qt::Horizontal ? other.toRight : other.toBottom;
            if (other.container != container || &other == &it || otherFar || (other.stretch & o) ||
                !overlapAcross(other.design, it.design, o) || end(other.design, o) > start(it.design, o))
                continue;
            room = qMin(room, start(it.design, o) - end(other.design, o) - kGap);
        }
    }
    return qMax(0, room);
}

QSize DesignLayout::growth(int container) const
{
    const Container &c = m_containers.at(container);
    if (!c.holder)
        return m_window->size() - m_design;
    for (const Item &h : m_items)
        if (h.widget == c.holder)
            return c.holder->size() - h.design.size();
    return {};
}

void DesignLayout::apply()
{
    // The window's own controls first: the pages follow the size their holder has then.
    for (int c = 0; c < m_containers.size(); ++c) {
        const QSize d = growth(c);
        for (const Item &it : std::as_const(m_items)) {
            if (it.container != c)
                continue;
            QRect r = it.design;
            if (it.stretch & Qt::Horizontal)
                r.setWidth(qMax(1, r.width() + d.width()));
            else if (it.toRight)
                r.translate(d.width(), 0);
            if (it.stretch & Qt::Vertical)
                r.setHeight(qMax(1, r.height() + d.height()));
            else if (it.toBottom)
                r.translate(0, d.height());
            it.widget->setGeometry(r);
        }
    }
}

bool DesignLayout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Resize)
        apply();
    return QObject::eventFilter(watched, event);
}
