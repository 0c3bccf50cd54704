// DesignLayout: a window placed control by control in twips keeps that placement as its design and
// grows from it.
#pragma once

#include <QList>
#include <QObject>
#include <QRect>

class QWidget;

// The window's size when it is made is its design size, and where its controls stand then is their
// design. When the window is larger (maximised, or made larger by hand) the controls marked to
// stretch (grids, lists, the main input boxes) take the room it gains, and every other control keeps
// its distance to the nearest edge of the window: to the left or right edge, to the top or bottom
// edge; a control beside or below a stretching one moves on with it. The window may also be made
// smaller than its design, as far as the stretching controls can give room without any two controls
// meeting: that is its minimum size (the design size when nothing stretches).
class DesignLayout : public QObject {
public:
    // Takes the window's present size and the present geometry of its direct children (those not
    // hidden) as the design; installed on the window, it places them at every change of its size.
    explicit DesignLayout(QWidget *window);

    // A control that grows and shrinks with the window in the given directions.
    DesignLayout &stretch(QWidget *child, Qt::Orientations directions = Qt::Horizontal | Qt::Vertical);
    // The controls on page (a tab page inside holder, a stretching control of the window) are placed
    // by the same rules within the room holder gains.
    DesignLayout &addPage(QWidget *page, QWidget *holder);
    // Works out where each control keeps to and how small the window may become, and makes that
    // its minimum size. Call once everything is marked.
    void finish();

    QSize designSize() const { return m_design; }
    // Places every control for the window's present size (the window does it on each resize).
    void apply();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Item {
        QWidget *widget = nullptr;
        int container = 0;   // index into m_containers
        QRect design;
        Qt::Orientations stretch;
        bool toRight = false;   // keeps its distance to the right edge
        bool toBottom = false;  // keeps its distance to the bottom edge
    };
    struct Container {
        QWidget *widget = nullptr;
        QWidget *holder = nullptr;  // null for the window itself
        QSize design;
    };
    void capture(int container);
    int shrinkRoom(int container, Qt::Orientation o) const;
    QSize growth(int container) const;

    QWidget *m_window;
    QSize m_design;
    QList<Container> m_containers;
    QList<Item> m_items;
};
