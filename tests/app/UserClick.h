// Mouse clicks as a user makes them: a press and a release at a point of the
// top-level window, handed to the window system, which finds the widget
// under the point as it does for a real mouse. What stands above a control
// (a later sibling, a frame) gets the click instead.
#pragma once

#include <QPoint>
#include <QRect>

#include <optional>

class QWidget;

// The part of w's rectangle, clipped by its parents, in window coordinates.
QRect VisibleRect(const QWidget* w);
// How many points of that rectangle, on a grid of step pixels, a press at
// the window reaches w (or a child of w) at.
struct ReachablePart {
    int reached = 0;
    int total = 0;
    std::optional<QPoint> centre;  // the reached point nearest to the centre of the reached points
    const QWidget* coveredBy = nullptr;  // what a press takes at the first point not reached
};
ReachablePart ReachablePartOf(const QWidget* w, int step = 2);

// A left click at the centre of the part of w a click can reach, sent to
// w's window. False (and nothing sent) when no part of w can be reached.
bool ClickAsUser(QWidget* w);
