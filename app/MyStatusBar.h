// The status bar at the bottom of the main dialog: pane 0 shows the status
// text in its colour once a text has been set, pane 1 carries the progress
// bar.
#pragma once

#include "StatusLog.h"
#include "WinTypes.h"

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class QPainter;

// Pane styles.
inline constexpr UINT SBPS_NORMAL = 0x0000;
inline constexpr UINT SBPS_NOBORDERS = 0x0100;
inline constexpr UINT SBPS_STRETCH = 0x8000;

// COLORREF is 0x00BBGGRR.
constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
QColor ColorFromColorref(COLORREF c);

struct StatusPaneSpec {
    UINT style = SBPS_NORMAL;
    int width = 0;  // pixels; ignored for a stretching pane
};

// Pane rectangles of a status bar of the given client size: panes side by
// side from the left, a 2-pixel gap between them and a 2-pixel band above;
// a stretching pane takes what the others leave.
std::vector<QRect> StatusPaneRects(const std::vector<StatusPaneSpec>& panes, int barWidth, int barHeight);

// The face pane 0 shows its status text on. The status colours (green for
// progress and success, red for errors) are made for a light face, as the
// bar's own face is in a light palette; on a dark face the pane gets a white
// face of its own. An invalid colour when the bar's face serves as it is.
QColor StatusTextFace(const QColor& barFace);

// The status bar's font: a narrow 9-point sans serif, as status bars use, so
// that the longest status texts fit the 150 pixels of pane 0 whatever the
// desktop's own font.
QFont StatusBarFont();

class CMyStatusBar;

// The status bar's window.
class CStatusBarWnd : public QWidget {
    Q_OBJECT

public:
    CStatusBarWnd(CMyStatusBar* owner, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    CMyStatusBar* m_owner;
};

class CMyStatusBar {
public:
    static constexpr int kMaxPanes = 8;

    CMyStatusBar();
    virtual ~CMyStatusBar();
    CMyStatusBar(const CMyStatusBar&) = delete;
    CMyStatusBar& operator=(const CMyStatusBar&) = delete;

    // Creates the window as a child of parent, at its bottom.
    bool Create(QWidget* parent);
    CStatusBarWnd* GetWnd() const { return m_wnd.data(); }
    // One pane per id; the pane's text is the string of that id.
    bool SetIndicators(const UINT* ids, int count);
    void SetPaneInfo(int index, UINT id, UINT style, int width);
    QRect GetItemRect(int index) const;
    int PaneCount() const { return static_cast<int>(m_panes.size()); }
    // Height the bar takes at the bottom of its parent.
    int BarHeight() const;
    // Places the bar along the bottom of its parent, over the full width.
    void RepositionAtBottom(int parentWidth, int parentHeight);

    // The status protocol, on the user-interface thread: stores the text and
    // colour of pane 0, makes the pane owner-drawn without borders, and
    // repaints it before returning. The status log keeps every text.
    void SetStatusText(const QString& text, COLORREF colour);
    // Every status text set, with its time and colour.
    CStatusLog& Log() { return m_log; }
    // Whether pane 0 has been given a text (owner drawing is on).
    bool IsOwnerDrawn(int index) const;

    // Draws an owner-drawn pane.
    virtual void DrawItem(QPainter& dc, int nPane, const QRect& rcItem);
    // The normal drawing of a pane: its indicator text inside a border.
    void DrawPane(QPainter& dc, int nPane, const QRect& rcItem);

    std::unique_ptr<COLORREF[]> m_pPaneColors;
    std::unique_ptr<QString[]> m_pPaneTexts;

private:
    struct Pane {
        UINT id = 0;
        UINT style = SBPS_NORMAL;
        int width = 0;
        QString text;
        bool ownerDraw = false;
    };
    std::vector<StatusPaneSpec> Specs() const;

    std::vector<Pane> m_panes;
    QPointer<CStatusBarWnd> m_wnd;
    CStatusLog m_log;
};
