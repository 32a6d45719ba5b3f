// The view's bytes handed over instead of copied: a shared block never sees
// the view's later changes, an exchanged block is shown as it is, and held
// data sets copy only the last one.
#include "HexEditBase.h"
#include "HexEditLogic.h"
#include "ViewHarness.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <utility>
#include <vector>

namespace {

std::vector<BYTE> Bytes(const CHexEditBase& view) {
    const BYTE* data = view.GetData();
    return data ? std::vector<BYTE>(data, data + view.GetDataSize()) : std::vector<BYTE>();
}

std::vector<BYTE> Bytes(const ByteBlock& block, std::size_t n) { return {block.Data(), block.Data() + n}; }

struct Change {
    const char* what;
    std::function<void(ViewHarness&)> apply;
    std::size_t offset;  // a byte the change sets
    BYTE value;
};

}  // namespace

TEST(DataBlock, ASharedBlockKeepsTheBytesOfTheMomentItWasShared) {
    const std::vector<BYTE> data = ViewHarness::Pattern(64);
    const Change changes[] = {
        {"typing", [](ViewHarness& h) { QTest::keyClicks(h.view, "AB"); }, 0, 0xAB},
        {"paste",
         [](ViewHarness& h) {
             const BYTE bytes[] = {0x11, 0x22};
             const std::vector<BYTE> block = hexview::MakeBinaryBlock(bytes, 2);
             auto* mime = new QMimeData;
             mime->setData(QLatin1String(CHexEditBase::BINARY_DATA_MIME),
                           QByteArray(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(block.size())));
             QGuiApplication::clipboard()->setMimeData(mime);
             h.view->OnEditPaste();
         },
         1, 0x22},
        {"same-size data", [](ViewHarness& h) {
             std::vector<BYTE> other(64, 0x5A);
             h.view->SetData(other.data(), 64);
         }, 63, 0x5A},
        {"writable bytes", [](ViewHarness& h) { h.view->GetData()[10] = 0xEE; }, 10, 0xEE},
    };
    for (const Change& c : changes) {
        ViewHarness h;
        h.SetData(data);
        const ByteBlock shared = h.view->ShareData();
        const CHexEditBase& view = *h.view;
        ASSERT_EQ(shared.Data(), view.GetData()) << c.what;  // shared, not copied
        c.apply(h);
        EXPECT_EQ(Bytes(shared, data.size()), data) << c.what;
        ASSERT_EQ(h.view->GetDataSize(), data.size()) << c.what;
        EXPECT_EQ(Bytes(*h.view)[c.offset], c.value) << c.what;
        EXPECT_NE(view.GetData(), shared.Data()) << c.what;
    }
}

TEST(DataBlock, ExchangedBlocksChangeHands) {
    struct Case {
        const char* what;
        std::size_t capacity;
        UINT size;
        UINT shown;
    };
    const Case cases[] = {
        {"part of the block", 256, 100, 100},
        {"more than the block holds", 256, 300, 256},
    };
    for (const Case& c : cases) {
        ViewHarness h;
        h.SetData(ViewHarness::Pattern(40));
        h.view->OnEditSelectAll();
        ASSERT_TRUE(h.view->IsSelection()) << c.what;
        const BYTE* old = std::as_const(*h.view).GetData();
        ByteBlock block = NewByteBlock(c.capacity);
        std::memset(block.Data(), 0x77, c.capacity);
        const BYTE* given = block.Data();
        const ByteBlock back = h.view->ExchangeData(std::move(block), c.size);
        EXPECT_EQ(back.Data(), old) << c.what;
        EXPECT_EQ(back.capacity, 40u) << c.what;
        EXPECT_EQ(std::as_const(*h.view).GetData(), given) << c.what;
        EXPECT_EQ(h.view->GetDataSize(), c.shown) << c.what;
        EXPECT_FALSE(h.view->IsSelection()) << c.what;
        EXPECT_EQ(h.view->GetCaretPos(), 0u) << c.what;
    }
}

TEST(DataBlock, HeldSetsCopyOnlyTheLastOneWhenReleased) {
    const std::vector<BYTE> before = ViewHarness::Pattern(32);
    const std::vector<BYTE> first(48, 0x01), last(16, 0x02);
    ViewHarness h;
    h.SetData(before);

    h.view->HoldDataSets();
    h.view->SetData(first.data(), 48);
    h.view->SetData(last.data(), 16);
    EXPECT_EQ(Bytes(*h.view), before);  // nothing copied while held
    h.view->ReleaseDataSets();
    EXPECT_EQ(Bytes(*h.view), last);

    // An exchange while held replaces what was noted.
    h.view->HoldDataSets();
    h.view->SetData(first.data(), 48);
    ByteBlock block = NewZeroBlock(8);
    h.view->ExchangeData(std::move(block), 8);
    h.view->ReleaseDataSets();
    EXPECT_EQ(Bytes(*h.view), std::vector<BYTE>(8, 0));

    h.view->SetData(first.data(), 48);  // no hold: copied at once
    EXPECT_EQ(Bytes(*h.view), first);
}
