// Clipboard and context menu of the hex view.
#include "HexEditBase.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>

#include <algorithm>
#include <cstring>

using namespace hexview;

const char* const CHexEditBase::BINARY_DATA_MIME = "application/x-quillmar-BinaryData";

// ---------------------------------------------------------------------------
// Context menu and clipboard

void CHexEditBase::contextMenuEvent(QContextMenuEvent* e) {
    e->accept();
    if (e->reason() == QContextMenuEvent::Keyboard) OnContextMenu(QPoint(-1, -1));
    else OnContextMenu(e->globalPos());
}

void CHexEditBase::OnContextMenu(const QPoint& screenPos) {
    QPoint menuPos = screenPos;
    if (screenPos != QPoint(-1, -1)) {
        if (m_pData != nullptr && m_nDataSize > 0) {
            UINT offset = 0;
            bool high = true;
            GetOffsetFromPoint(viewport()->mapFromGlobal(screenPos), offset, high);
            if (!(IsSelection() && offset >= m_nSelStart && offset <= m_nSelEnd)) {
                if (IsSelection()) {
                    m_nSelStart = m_nSelEnd = NONE;
                    viewport()->update();
                }
                SetEditCaretPos(offset, true);
            }
        }
    } else {
        menuPos = viewport()->mapToGlobal(QPoint(5, 5));
    }

    QMenu menu(this);
    QAction* copy = menu.addAction(m_strCopy);
    copy->setEnabled(IsSelection());
    QAction* paste = menu.addAction(m_strPaste);
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    paste->setEnabled(mime != nullptr && mime->hasFormat(QLatin1String(BINARY_DATA_MIME)) && !m_bReadOnly);
    OnExtendContextMenu(&menu);

    QAction* chosen = m_menuRunner ? m_menuRunner(menu, menuPos) : menu.exec(menuPos);
    if (chosen == copy && copy->isEnabled()) OnEditCopy();
    else if (chosen == paste && paste->isEnabled()) OnEditPaste();
}

void CHexEditBase::OnExtendContextMenu(QMenu*) {}

void CHexEditBase::OnEditCopy() {
    if (!IsSelection()) return;
    const UINT s = m_nSelStart;
    const UINT e = m_nSelEnd;
    const std::vector<BYTE> block = MakeBinaryBlock(m_pData + s, e - s + 1);
    const std::string text = HexDumpText(m_pData, s, e, m_nRowBytes);
    auto* mime = new QMimeData;
    mime->setData(QLatin1String(BINARY_DATA_MIME),
                  QByteArray(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(block.size())));
    mime->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    QGuiApplication::clipboard()->setMimeData(mime);
}

void CHexEditBase::OnEditPaste() {
    if (m_bReadOnly || m_pData == nullptr || m_nDataSize == 0) return;
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (mime == nullptr || !mime->hasFormat(QLatin1String(BINARY_DATA_MIME))) return;
    const QByteArray block = mime->data(QLatin1String(BINARY_DATA_MIME));
    UINT count = 0;
    const BYTE* src = ReadBinaryBlock(reinterpret_cast<const BYTE*>(block.constData()),
                                      static_cast<std::size_t>(block.size()), count);
    if (src == nullptr) return;

    const UINT start = IsSelection() ? m_nSelStart : m_nCaretPos;
    const UINT n = PasteLength(start, count, m_nDataSize);
    // Nothing to write: caret and selection stay where they are.
    if (n == 0) return;
    MakeDataOwn();
    std::memcpy(m_pData + start, src, n);
    const UINT last = start + n - 1;
    if (m_nSelStart != start || m_nSelEnd != last) {
        m_nSelStart = start;
        m_nSelEnd = std::min(last, m_nDataSize - 1);
        MakeVisible(start, last, false);
    }
    SetEditCaretPos(last, false);
    viewport()->update();
    NotifyParentChanged();
}

void CHexEditBase::OnEditSelectAll() {
    if (m_pData == nullptr || m_nDataSize == 0) return;
    if (m_nSelStart == 0 && m_nSelEnd == m_nDataSize - 1) return;
    m_nSelStart = 0;
    m_nSelEnd = m_nDataSize - 1;
    viewport()->update();
}

