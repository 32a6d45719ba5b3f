#include "UserClick.h"

#include <QTest>
#include <QWidget>
#include <QWindow>

QRect VisibleRect(const QWidget* w) {
    QRect r(w->mapTo(w->window(), QPoint(0, 0)), w->size());
    for (const QWidget* p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget())
        r &= QRect(p->mapTo(p->window(), QPoint(0, 0)), p->size());
    return r;
}

ReachablePart ReachablePartOf(const QWidget* w, int step) {
    ReachablePart part;
    const QWidget* top = w->window();
    const QRect r = VisibleRect(w);
    if (!w->isVisible() || r.isEmpty()) return part;
    long long sumX = 0, sumY = 0;
    std::vector<QPoint> reached;
    for (int y = r.top(); y <= r.bottom(); y += step) {
        for (int x = r.left(); x <= r.right(); x += step) {
            ++part.total;
            const QWidget* hit = top->childAt(x, y);
            if (hit != w && !w->isAncestorOf(hit)) {
                if (!part.coveredBy) part.coveredBy = hit;
                continue;
            }
            reached.emplace_back(x, y);
            sumX += x;
            sumY += y;
        }
    }
    part.reached = static_cast<int>(reached.size());
    if (reached.empty()) return part;
    const QPoint mean(static_cast<int>(sumX / part.reached), static_cast<int>(sumY / part.reached));
    QPoint best = reached.front();
    for (const QPoint& p : reached)
        if ((p - mean).manhattanLength() < (best - mean).manhattanLength()) best = p;
    part.centre = best;
    return part;
}

bool ClickAsUser(QWidget* w) {
    const std::optional<QPoint> at = ReachablePartOf(w).centre;
    QWindow* window = w->window()->windowHandle();
    if (!at || !window) return false;
    QTest::mouseClick(window, Qt::LeftButton, {}, *at);
    return true;
}
