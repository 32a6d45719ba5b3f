#include "MyStatusBar.h"

#include "DialogBuilder.h"
#include "FacePalette.h"
#include "IconsAndStrings.h"

#include <QApplication>
#include <QPainter>
#include <QPaintEvent>

#include <new>

namespace {

constexpr int kTopBand = 2;
constexpr int kPaneGap = 2;

}  // namespace

QFont StatusBarFont() {
    QFont f(QApplication::font());
    f.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                   QStringLiteral("WenQuanYi Micro Hei"), f.family()});
    f.setPointSize(9);
    return f;
}

QColor StatusTextFace(const QColor& barFace) {
    return TextColourOn(barFace) == QColor(Qt::white) ? QColor(Qt::white) : QColor();
}

QColor ColorFromColorref(COLORREF c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

std::vector<QRect> StatusPaneRects(const std::vector<StatusPaneSpec>& panes, int barWidth, int barHeight) {
    std::vector<QRect> rects;
    int fixed = 0;
    int stretching = 0;
    for (const StatusPaneSpec& p : panes) {
        if (p.style & SBPS_STRETCH)
            ++stretching;
        else
            fixed += p.width;
    }
    const int gaps = panes.empty() ? 0 : kPaneGap * static_cast<int>(panes.size() - 1);
    const int spare = std::max(0, barWidth - fixed - gaps);
    const int height = std::max(0, barHeight - kTopBand);
    int x = 0;
    int stretchLeft = stretching;
    int spareLeft = spare;
    for (const StatusPaneSpec& p : panes) {
        int w = p.width;
        if (p.style & SBPS_STRETCH) {
            w = spareLeft / stretchLeft;
            spareLeft -= w;
            --stretchLeft;
        }
        rects.emplace_back(x, kTopBand, w, height);
        x += w + kPaneGap;
    }
    return rects;
}

CStatusBarWnd::CStatusBarWnd(CMyStatusBar* owner, QWidget* parent) : QWidget(parent), m_owner(owner) {
    // The bar keeps the system's colours, whatever its parent uses.
    setPalette(SystemPalette());
    setFont(StatusBarFont());
    setAutoFillBackground(true);
}

void CStatusBarWnd::paintEvent(QPaintEvent*) {
    QPainter dc(this);
    for (int i = 0; i < m_owner->PaneCount(); ++i) {
        const QRect rc = m_owner->GetItemRect(i);
        if (m_owner->IsOwnerDrawn(i))
            m_owner->DrawItem(dc, i, rc);
        else
            m_owner->DrawPane(dc, i, rc);
    }
}

CMyStatusBar::CMyStatusBar()
    : m_pPaneColors(new (std::nothrow) COLORREF[kMaxPanes]),
      m_pPaneTexts(new (std::nothrow) QString[kMaxPanes]) {}

CMyStatusBar::~CMyStatusBar() = default;

bool CMyStatusBar::Create(QWidget* parent) {
    if (m_wnd) return true;
    m_wnd = new CStatusBarWnd(this, parent);
    m_wnd->show();
    return true;
}

bool CMyStatusBar::SetIndicators(const UINT* ids, int count) {
    m_panes.clear();
    for (int i = 0; i < count && i < kMaxPanes; ++i) {
        Pane p;
        p.id = ids[i];
        p.text = LoadResString(static_cast<int>(ids[i]));
        if (m_wnd) p.width = m_wnd->fontMetrics().horizontalAdvance(p.text);
        m_panes.push_back(p);
    }
    if (m_wnd) m_wnd->update();
    return true;
}

void CMyStatusBar::SetPaneInfo(int index, UINT id, UINT style, int width) {
    if (index < 0 || index >= PaneCount()) return;
    Pane& p = m_panes[static_cast<size_t>(index)];
    p.id = id;
    p.style = style;
    p.width = width;
    if (m_wnd) m_wnd->update();
}

std::vector<StatusPaneSpec> CMyStatusBar::Specs() const {
    std::vector<StatusPaneSpec> specs;
    for (const Pane& p : m_panes) specs.push_back({p.style, p.width});
    return specs;
}

QRect CMyStatusBar::GetItemRect(int index) const {
    if (!m_wnd || index < 0 || index >= PaneCount()) return {};
    return StatusPaneRects(Specs(), m_wnd->width(), m_wnd->height())[static_cast<size_t>(index)];
}

int CMyStatusBar::BarHeight() const {
    if (!m_wnd) return 0;
    return m_wnd->fontMetrics().height() + 8;
}

void CMyStatusBar::RepositionAtBottom(int parentWidth, int parentHeight) {
    if (!m_wnd) return;
    const int h = BarHeight();
    m_wnd->setGeometry(0, parentHeight - h, parentWidth, h);
}

void CMyStatusBar::SetStatusText(const QString& text, COLORREF colour) {
    m_log.Add({QDateTime::currentDateTime(), text, colour});
    if (m_pPaneTexts) m_pPaneTexts[0] = text;
    if (m_pPaneColors) m_pPaneColors[0] = colour;
    if (m_panes.empty()) return;
    m_panes[0].ownerDraw = true;
    m_panes[0].style |= SBPS_NOBORDERS;
    if (m_wnd) m_wnd->update(GetItemRect(0));  // painted on the next pass, not inside a worker's call
}

bool CMyStatusBar::IsOwnerDrawn(int index) const {
    return index >= 0 && index < PaneCount() && m_panes[static_cast<size_t>(index)].ownerDraw;
}

void CMyStatusBar::DrawItem(QPainter& dc, int nPane, const QRect& rcItem) {
    if (!m_pPaneTexts || !m_pPaneColors || nPane < 0 || nPane >= kMaxPanes) return;
    dc.save();
    if (m_wnd) {
        const QColor face = StatusTextFace(m_wnd->palette().color(QPalette::Window));
        if (face.isValid()) dc.fillRect(rcItem, face);
    }
    dc.setBackgroundMode(Qt::TransparentMode);
    dc.setPen(ColorFromColorref(m_pPaneColors[nPane]));
    dc.drawText(QRect(rcItem.left() + 1, rcItem.top(), 0x7FFF, 0x7FFF), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                m_pPaneTexts[nPane]);
    dc.restore();
}

void CMyStatusBar::DrawPane(QPainter& dc, int nPane, const QRect& rcItem) {
    const Pane& p = m_panes[static_cast<size_t>(nPane)];
    dc.save();
    if (!(p.style & SBPS_NOBORDERS)) {
        const QPalette& pal = m_wnd->palette();
        dc.setPen(pal.color(QPalette::Mid));
        dc.drawLine(rcItem.topLeft(), rcItem.topRight());
        dc.drawLine(rcItem.topLeft(), rcItem.bottomLeft());
        dc.setPen(pal.color(QPalette::Light));
        dc.drawLine(rcItem.bottomLeft(), rcItem.bottomRight());
        dc.drawLine(rcItem.topRight(), rcItem.bottomRight());
    }
    dc.setPen(m_wnd->palette().color(QPalette::WindowText));
    dc.drawText(rcItem.adjusted(3, 0, -1, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, p.text);
    dc.restore();
}
