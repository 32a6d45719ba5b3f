// A shown, focused hex view in a top-level window, set up as the main dialog
// sets it up: 4 address digits, the address column, 16 bytes per row.
#pragma once

#include "HexEditBase.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <memory>
#include <vector>

struct ViewHarness {
    std::unique_ptr<QWidget> top;
    CHexEditBase* view = nullptr;

    explicit ViewHarness(int width = 600, int height = 300) : top(std::make_unique<QWidget>()) {
        top->resize(width + 20, height + 20);
        view = new CHexEditBase(top.get());
        view->setFrameStyle(QFrame::NoFrame);
        view->setGeometry(10, 10, width, height);
        view->SetAddressDigits(4);
        view->SetShowAddress(true);
        view->SetBytesPerRow(16, false);
        top->show();
        top->activateWindow();
        (void)QTest::qWaitForWindowActive(top.get());
        view->setFocus(Qt::OtherFocusReason);
        Settle();
    }

    static std::vector<BYTE> Pattern(std::size_t size) {
        std::vector<BYTE> data(size);
        for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<BYTE>(i * 7 + 3);
        return data;
    }

    void SetData(const std::vector<BYTE>& data) {
        view->SetData(data.data(), static_cast<UINT>(data.size()));
        Settle();
    }

    // Runs posted work (scroll-bar updates, resizes).
    static void Settle() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    // Presses a key a number of times.
    void Keys(Qt::Key key, int times, Qt::KeyboardModifiers mods = Qt::NoModifier) const {
        for (int i = 0; i < times; ++i) QTest::keyClick(view, key, mods);
    }

    QImage Grab() const { return view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    hexview::Layout Layout() const { return view->GetLayout(); }
    // Screen x of character k of the hex text.
    int HexX(int k) const {
        const hexview::Layout L = Layout();
        return L.rcClient.left + static_cast<int>(L.hexX) - static_cast<int>(view->GetScrollX()) +
               k * static_cast<int>(L.charWidth);
    }
    int RowTop(int row) const {
        const hexview::Layout L = Layout();
        return L.rcClient.top + row * static_cast<int>(L.lineHeight);
    }
    // A client point in the middle of digit (0 high, 1 low) of a byte of a shown row.
    QPoint DigitPoint(int row, int column, int digit) const {
        const hexview::Layout L = Layout();
        return QPoint(HexX(3 * column + digit) + 1, RowTop(row) + static_cast<int>(L.lineHeight) / 2);
    }
};
