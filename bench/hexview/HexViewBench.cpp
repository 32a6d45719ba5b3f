// Speed of the hex view with a 16 MB buffer: SetData, and a full repaint of a
// 1920x1080 view at several scroll positions (it must not depend on the
// buffer's size). Runs on the offscreen platform unless told otherwise.
#include "HexEditBase.h"

#include <QApplication>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    double median;
    double worst;
};

Figures Measure(int runs, const std::function<void()>& work) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

void Print(const char* what, const Figures& f, double target) {
    std::printf("%-58s median %8.3f ms  worst %8.3f ms  (target < %.0f ms)\n", what, f.median, f.worst, target);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setCursorFlashTime(0);

    constexpr UINT SIZE = 16u * 1024 * 1024;
    std::vector<BYTE> a(SIZE), b(SIZE);
    for (UINT i = 0; i < SIZE; ++i) {
        a[i] = static_cast<BYTE>(i * 7 + 3);
        b[i] = static_cast<BYTE>(i * 13 + 1);
    }

    CHexEditBase view;
    view.SetAddressDigits(4);
    view.SetShowAddress(true);
    view.SetBytesPerRow(16, false);
    view.resize(1920, 1080);
    view.show();
    view.activateWindow();
    view.setFocus();
    QApplication::processEvents();

    // A fresh buffer each time (allocation included), then same-size replacements.
    int flip = 0;
    Print("SetData 16 MB, new buffer", Measure(10, [&] {
              view.SetData(nullptr, 0);
              view.SetData(a.data(), SIZE);
          }), 20);
    Print("SetData 16 MB, replacing one of the same size", Measure(20, [&] {
              view.SetData((++flip & 1) ? b.data() : a.data(), SIZE);
          }), 20);
    QApplication::processEvents();

    auto repaintAt = [&](UINT row, const char* what) {
        view.SetTopRow(row, true);
        QApplication::processEvents();
        Print(what, Measure(200, [&] { view.viewport()->repaint(); }), 4);
    };
    const UINT maxTop = view.GetLayout().maxTopRow;
    repaintAt(0, "repaint 1920x1080, 16 MB, top");
    repaintAt(maxTop / 2, "repaint 1920x1080, 16 MB, middle");
    repaintAt(maxTop, "repaint 1920x1080, 16 MB, end");
    view.OnEditSelectAll();
    repaintAt(maxTop / 2, "repaint 1920x1080, 16 MB, middle, all selected");

    // The same two cases with as many bytes per row as fit 1920 pixels; a
    // new buffer clears the selection.
    view.SetData(a.data(), SIZE);
    view.SetBytesPerRow(16, true);
    QApplication::processEvents();
    std::printf("(auto: %u bytes per row)\n", view.GetLayout().rowBytes);
    repaintAt(view.GetLayout().maxTopRow / 2, "repaint 1920x1080, 16 MB, auto bytes per row, middle");
    view.OnEditSelectAll();
    repaintAt(view.GetLayout().maxTopRow / 2, "repaint 1920x1080, 16 MB, auto bytes per row, all selected");
    view.SetBytesPerRow(16, false);

    const std::vector<BYTE> small(4096, 0x5A);
    view.SetData(small.data(), static_cast<UINT>(small.size()));
    QApplication::processEvents();
    repaintAt(view.GetLayout().maxTopRow / 2, "repaint 1920x1080, 4 KB (for comparison)");

    view.SetData(a.data(), SIZE);
    QApplication::processEvents();
    Print("scroll one row and repaint, 16 MB", Measure(200, [&] {
              view.ScrollRows(1, true);
              view.viewport()->repaint();
          }), 4);
    return 0;
}
