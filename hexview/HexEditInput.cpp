// Keyboard, focus and mouse input of the hex view, with auto-scroll while
// the mouse drags a selection outside the text area.
#include "HexEditBase.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimerEvent>

#include <algorithm>

using namespace hexview;

namespace {

bool PtInRect(const Rect& rc, const QPoint& pt) {
    return pt.x() >= rc.left && pt.x() < rc.right && pt.y() >= rc.top && pt.y() < rc.bottom;
}

UINT VirtualKey(int key) {
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    default: return 0;
    }
}
}  // namespace

// ---------------------------------------------------------------------------
// Keyboard

bool CHexEditBase::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            // Tab goes through the view's own key handling (focus moves there).
            keyPressEvent(k);
            return true;
        }
    } else if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        if ((k->modifiers() & Qt::ControlModifier) &&
            (k->key() == Qt::Key_A || k->key() == Qt::Key_C || k->key() == Qt::Key_V)) {
            e->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

void CHexEditBase::keyPressEvent(QKeyEvent* e) {
    m_keyMods = e->modifiers();
    e->accept();
    // Shift+F10 opens the context menu as the menu key does.
    if (e->key() == Qt::Key_F10 && (m_keyMods & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
        OnContextMenu(QPoint(-1, -1));
        return;
    }
    if (m_keyMods & Qt::ControlModifier) {
        switch (e->key()) {
        case Qt::Key_A: OnEditSelectAll(); return;
        case Qt::Key_C: OnEditCopy(); return;
        case Qt::Key_V: OnEditPaste(); return;
        default: break;
        }
    }
    OnKeyDown(VirtualKey(e->key()));
    // Ctrl or Alt (alone, not together as AltGr) with a key types no character.
    if (((m_keyMods & Qt::ControlModifier) != 0) != ((m_keyMods & Qt::AltModifier) != 0)) return;
    const QString text = e->text();
    for (QChar ch : text) OnChar(ch.unicode());
}

void CHexEditBase::keyReleaseEvent(QKeyEvent* e) {
    m_keyMods = e->modifiers();
    e->accept();
}

void CHexEditBase::OnKeyDown(UINT nChar) {
    if (IsShiftDown() && m_nSelAnchor == NONE) m_nSelAnchor = m_nCaretPos;
    if (nChar == VK_TAB) {
        focusNextPrevChild(!IsShiftDown());
        return;
    }
    KeyMove move;
    if (CaretMoveForKey(nChar, m_bCaretHighNibble != 0, m_nRowBytes, m_nVisibleRows, move))
        MoveCaret(move.delta, move.highNibble);
}

bool CHexEditBase::OnChar(UINT ch) {
    if (m_pData == nullptr || m_nDataSize == 0 || m_bReadOnly) return false;
    BYTE v = 0;
    if (!HexDigitValue(ch, v)) return false;
    MakeDataOwn();
    BYTE& b = m_pData[m_nCaretPos];
    if (m_bCaretHighNibble) {
        b = static_cast<BYTE>((b & 0x0F) | (v << 4));
        MoveCaret(0, false);
    } else {
        b = static_cast<BYTE>((b & 0xF0) | v);
        MoveCaret(1, true);
    }
    viewport()->update();
    NotifyParentChanged();
    return true;
}

// ---------------------------------------------------------------------------
// Focus

void CHexEditBase::focusInEvent(QFocusEvent*) {
    OnSetFocus();
}

void CHexEditBase::focusOutEvent(QFocusEvent*) {
    OnKillFocus();
}

void CHexEditBase::OnSetFocus() {
    if (m_pData != nullptr) SetEditCaretPos(m_nCaretPos, m_bCaretHighNibble);
    viewport()->update();
}

void CHexEditBase::OnKillFocus() {
    DestroyCaret();
    viewport()->update();
}

void CHexEditBase::timerEvent(QTimerEvent* e) {
    if (e->timerId() == m_caretTimer.timerId()) {
        m_bCaretBlinkOn = !m_bCaretBlinkOn;
        viewport()->update(m_rcCaret);
    } else if (e->timerId() == m_autoScrollTimer.timerId()) {
        OnTimer(IDT_AUTOSCROLL);
    } else {
        QAbstractScrollArea::timerEvent(e);
    }
}

// ---------------------------------------------------------------------------
// Mouse

void CHexEditBase::mousePressEvent(QMouseEvent* e) {
    m_keyMods = e->modifiers();
    if (e->button() == Qt::LeftButton) OnLButtonDown(e->position().toPoint());
    e->accept();
}

void CHexEditBase::mouseMoveEvent(QMouseEvent* e) {
    m_keyMods = e->modifiers();
    if (e->buttons() & Qt::LeftButton) OnMouseMove(e->position().toPoint());
    e->accept();
}

void CHexEditBase::mouseReleaseEvent(QMouseEvent* e) {
    m_keyMods = e->modifiers();
    if (e->button() == Qt::LeftButton) OnLButtonUp();
    e->accept();
}

void CHexEditBase::mouseDoubleClickEvent(QMouseEvent* e) {
    m_keyMods = e->modifiers();
    if (e->button() == Qt::LeftButton) OnLButtonDblClk(e->position().toPoint());
    e->accept();
}

// Focus to the view, and the caret to the point when there are bytes.
bool CHexEditBase::ClickCaret(const QPoint& pt) {
    setFocus(Qt::MouseFocusReason);
    if (m_pData == nullptr || m_nDataSize == 0) return false;
    SetCaretFromPoint(pt);
    return true;
}

void CHexEditBase::SetCaretFromPoint(const QPoint& pt) {
    UINT offset = 0;
    bool high = true;
    GetOffsetFromPoint(pt, offset, high);
    SetEditCaretPos(offset, high);
}

void CHexEditBase::OnLButtonDown(const QPoint& pt) {
    if (!ClickCaret(pt)) return;
    const int cx = QApplication::startDragDistance();
    const int cy = cx;
    m_rcDrag = {pt.x() - cx / 2, pt.y() - cy / 2, pt.x() + cx / 2 + (cx & 1), pt.y() + cy / 2 + (cy & 1)};
    m_nSelStart = NONE;
    m_nSelAnchor = m_nCaretPos;
}

void CHexEditBase::OnMouseMove(const QPoint& pt) {
    if (m_pData == nullptr || m_nSelAnchor == NONE) return;
    if (PtInRect(m_rcDrag, pt)) return;
    m_rcDrag = {-1, -1, -1, -1};

    if (!PtInRect(m_rcClient, pt) && m_bMultiLine) {
        int dist = 0;
        int dir = 0;
        if (pt.y() < m_rcClient.top) {
            dist = m_rcClient.top - pt.y();
            dir = -1;
        } else if (pt.y() > m_rcClient.bottom) {
            dist = pt.y() - m_rcClient.bottom;
            dir = 1;
        }
        if (dir != 0) {
            const WORD ticks = static_cast<WORD>(AutoScrollTicks(dist));
            if (m_nDataSize > 0) {
                m_nAutoScrollTicks = ticks;
                m_nAutoScrollDir = dir;
                if (!m_bAutoScrollTimer) {
                    m_bAutoScrollTimer = 1;
                    m_nAutoScrollCountdown = ticks;
                    m_autoScrollTimer.start(5, Qt::PreciseTimer, this);
                }
            }
        }
        m_ptLastMouse = pt;
    } else {
        StopAutoScroll();
    }
    UpdateSelectionFromPoint(pt);
}

void CHexEditBase::UpdateSelectionFromPoint(const QPoint& pt) {
    SetCaretFromPoint(pt);
    m_nSelStart = std::min(m_nSelAnchor, m_nCaretPos);
    m_nSelEnd = std::max(m_nSelAnchor, m_nCaretPos);
    viewport()->update();
}

void CHexEditBase::OnTimer(UINT nIDEvent) {
    if (nIDEvent != IDT_AUTOSCROLL || m_pData == nullptr || m_nDataSize == 0 || !m_bAutoScrollTimer) return;
    if (m_nAutoScrollCountdown > 0) {
        --m_nAutoScrollCountdown;
        return;
    }
    m_nAutoScrollCountdown = m_nAutoScrollTicks;
    ScrollRows(m_nAutoScrollDir, false);
    UpdateSelectionFromPoint(m_ptLastMouse);
}

void CHexEditBase::OnLButtonUp() {
    StopAutoScroll();
    viewport()->update();
}

void CHexEditBase::StopAutoScroll() {
    if (!m_bAutoScrollTimer) return;
    m_bAutoScrollTimer = 0;
    m_autoScrollTimer.stop();
}

void CHexEditBase::OnLButtonDblClk(const QPoint& pt) {
    if (!ClickCaret(pt)) return;
    m_nSelStart = m_nSelEnd = m_nCaretPos;
    viewport()->update();
}

