// The hex view's paste of an arbitrary clipboard block into a view of any
// size, at the caret or over a whole selection. Input: two bytes of view
// size, four of caret position, one of mode, then the block.
#include "HexEditBase.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
QApplication* g_app = nullptr;
CHexEditBase* g_view = nullptr;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    g_app = new QApplication(*argc, *argv);
    g_view = new CHexEditBase;
    g_view->resize(400, 200);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 7) return 0;
    const UINT viewSize = static_cast<UINT>(data[0] | data[1] << 8) % 2048;
    UINT caret = 0;
    std::memcpy(&caret, data + 2, 4);
    const BYTE mode = data[6];
    std::vector<BYTE> bytes(viewSize, 0x5A);
    g_view->SetData(viewSize ? bytes.data() : nullptr, viewSize);
    g_view->SetBytesPerRow(1 + mode % 32, (mode & 0x40) != 0);
    // The caret may also sit past the end, where a paste writes nothing.
    caret = viewSize ? caret % (viewSize + 2) : 0;
    if (mode & 0x80) g_view->OnEditSelectAll();
    else if (viewSize) g_view->SetEditCaretPos(caret, true);

    auto* mime = new QMimeData;
    mime->setData(QLatin1String(CHexEditBase::BINARY_DATA_MIME),
                  QByteArray(reinterpret_cast<const char*>(data + 7), static_cast<qsizetype>(size - 7)));
    QGuiApplication::clipboard()->setMimeData(mime);
    g_view->OnEditPaste();

    if (g_view->GetDataSize() != viewSize) std::abort();
    // A paste leaves the caret on its last byte, inside the view.
    if (caret < viewSize && g_view->GetCaretPos() >= viewSize) std::abort();
    if (g_view->IsSelection() && g_view->GetSelEnd() >= viewSize) std::abort();
    g_view->OnEditCopy();
    return 0;
}
