// Keys, mouse, context menu and clipboard on a shown view.
#include "ViewHarness.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <random>

using namespace hexview;

namespace {

const QString MIME = QLatin1String(CHexEditBase::BINARY_DATA_MIME);

void SendMouse(CHexEditBase* view, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons,
               const QPoint& pos) {
    QWidget* vp = view->viewport();
    QMouseEvent ev(type, QPointF(pos), vp->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(vp, &ev);
}
void Press(CHexEditBase* v, const QPoint& p) { SendMouse(v, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, p); }
void Drag(CHexEditBase* v, const QPoint& p) { SendMouse(v, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, p); }
void Release(CHexEditBase* v, const QPoint& p) { SendMouse(v, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, p); }

void PutBlock(const std::vector<BYTE>& block) {
    auto* mime = new QMimeData;
    mime->setData(MIME, QByteArray(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(block.size())));
    QGuiApplication::clipboard()->setMimeData(mime);
}

QByteArray ClipboardBlock() {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    return mime != nullptr ? mime->data(MIME) : QByteArray();
}

// Records the menus the view would show.
struct MenuRecorder {
    int shown = 0;
    QPoint pos;
    QStringList texts;
    QList<bool> enabled;
    QString choose;  // text of the item to choose, empty for none

    CHexEditBase::MenuRunner Runner() {
        return [this](QMenu& menu, const QPoint& p) -> QAction* {
            ++shown;
            pos = p;
            texts.clear();
            enabled.clear();
            QAction* chosen = nullptr;
            for (QAction* a : menu.actions()) {
                texts << a->text();
                enabled << a->isEnabled();
                if (a->text() == choose) chosen = a;
            }
            return chosen;
        };
    }
};

void ContextMenuAt(CHexEditBase* view, const QPoint& pos) {
    QContextMenuEvent ev(QContextMenuEvent::Mouse, pos, view->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(view->viewport(), &ev);
}

}  // namespace

TEST(HexViewKeys, ShiftRightFromByteFiveSelectsIt) {
    ViewHarness h;
    h.SetData(ViewHarness::Pattern(64));
    h.view->SetEditCaretPos(5, true);
    QTest::keyClick(h.view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(h.view->GetSelAnchor(), 5u);
    EXPECT_EQ(h.view->GetCaretPos(), 5u);
    EXPECT_FALSE(h.view->IsCaretHighNibble());
    EXPECT_EQ(h.view->GetSelStart(), 5u);
    EXPECT_EQ(h.view->GetSelEnd(), 5u);
    // An unshifted move clears selection and anchor.
    QTest::keyClick(h.view, Qt::Key_Left);
    EXPECT_FALSE(h.view->IsSelection());
    EXPECT_EQ(h.view->GetSelAnchor(), NONE);
}

// A press of the Shift key alone sets the anchor.
TEST(HexViewKeys, ShiftKeyAloneSetsTheAnchor) {
    ViewHarness h;
    h.SetData(ViewHarness::Pattern(64));
    h.view->SetEditCaretPos(7, true);
    QTest::keyClick(h.view, Qt::Key_Shift);
    EXPECT_EQ(h.view->GetSelAnchor(), 7u);
    EXPECT_FALSE(h.view->IsSelection());
    // The caret moved without a key: a Shift move selects from that anchor.
    h.view->SetEditCaretPos(20, true);
    QTest::keyClick(h.view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(h.view->GetSelStart(), 7u);
    EXPECT_EQ(h.view->GetSelEnd(), 20u);
    // After the release an unshifted move clears it again.
    QTest::keyClick(h.view, Qt::Key_Right);
    EXPECT_FALSE(h.view->IsSelection());
    EXPECT_EQ(h.view->GetSelAnchor(), NONE);
}

// Ctrl or Alt with a digit key: the key event may carry the digit's text, but nothing is typed.
TEST(HexViewKeys, CtrlOrAltWithADigitTypesNothing) {
    ViewHarness h;
    h.SetData(std::vector<BYTE>(4, 0));
    QSignalSpy changed(h.view, &CHexEditBase::changed);
    for (Qt::KeyboardModifiers mods : {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::KeyboardModifiers(Qt::AltModifier)}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_1, mods, QStringLiteral("1"));
        QApplication::sendEvent(h.view, &press);
    }
    EXPECT_EQ(h.view->GetData()[0], 0x00);
    EXPECT_TRUE(h.view->IsCaretHighNibble());
    EXPECT_EQ(changed.count(), 0);
    QKeyEvent plain(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, QStringLiteral("1"));
    QApplication::sendEvent(h.view, &plain);
    EXPECT_EQ(h.view->GetData()[0], 0x10);
    EXPECT_EQ(changed.count(), 1);
}

TEST(HexViewKeys, EndsOfTheBuffer) {
    ViewHarness h;
    h.SetData(ViewHarness::Pattern(40));
    QTest::keyClick(h.view, Qt::Key_End);
    EXPECT_EQ(h.view->GetCaretPos(), 39u);
    EXPECT_FALSE(h.view->IsCaretHighNibble());
    QTest::keyClick(h.view, Qt::Key_Right);
    EXPECT_EQ(h.view->GetCaretPos(), 39u);
    EXPECT_FALSE(h.view->IsCaretHighNibble());
    QTest::keyClicks(h.view, QStringLiteral("F"));  // typing the last low digit stays there too
    EXPECT_EQ(h.view->GetCaretPos(), 39u);
    EXPECT_FALSE(h.view->IsCaretHighNibble());
    EXPECT_EQ(h.view->GetData()[39] & 0x0F, 0x0F);

    QTest::keyClick(h.view, Qt::Key_Home);
    EXPECT_EQ(h.view->GetCaretPos(), 0u);
    EXPECT_TRUE(h.view->IsCaretHighNibble());
    QTest::keyClick(h.view, Qt::Key_Left);
    QTest::keyClick(h.view, Qt::Key_Up);
    EXPECT_EQ(h.view->GetCaretPos(), 0u);
    EXPECT_TRUE(h.view->IsCaretHighNibble());
}

// A view of 10 whole rows and a partial one.
struct TenRows : ViewHarness {
    TenRows() {
        const int lh = static_cast<int>(Layout().lineHeight);
        view->resize(view->width(), 10 * lh + 2 * MULTILINE_INSET + lh / 2);
        SetData(Pattern(0x1000));
    }
};

TEST(HexViewKeys, DownIntoThePartialRowScrollsOneRow) {
    for (int column : {0, 5, 15}) {
        TenRows h;
        ASSERT_EQ(h.Layout().fullRows, 10u);
        ASSERT_EQ(h.Layout().visibleRows, 11u);
        h.view->SetEditCaretPos(9 * 16 + static_cast<UINT>(column), false);
        QTest::keyClick(h.view, Qt::Key_Down);
        EXPECT_EQ(h.view->GetCaretPos(), 10u * 16 + static_cast<UINT>(column));
        EXPECT_EQ(h.view->GetTopRow(), 1u) << column;
        EXPECT_FALSE(h.view->IsCaretHighNibble());
    }
}

TEST(HexViewKeys, PageDownMovesTheVisibleRowsLessOne) {
    TenRows h;
    h.view->SetEditCaretPos(3, true);
    QTest::keyClick(h.view, Qt::Key_PageDown);
    EXPECT_EQ(h.view->GetCaretPos(), 3u + 10 * 16);
    EXPECT_EQ(h.view->GetTopRow(), 1u);
    QTest::keyClick(h.view, Qt::Key_PageUp);
    EXPECT_EQ(h.view->GetCaretPos(), 3u);
    EXPECT_EQ(h.view->GetTopRow(), 0u);
}

TEST(HexViewKeys, TypingOverwritesNibbles) {
    ViewHarness h;
    h.SetData(std::vector<BYTE>(4, 0x00));
    QSignalSpy changed(h.view, &CHexEditBase::changed);
    QTest::keyClicks(h.view, QStringLiteral("a"));
    EXPECT_EQ(h.view->GetData()[0], 0xA0);
    EXPECT_FALSE(h.view->IsCaretHighNibble());
    QTest::keyClick(h.view, Qt::Key_B, Qt::ShiftModifier);  // upper case, typed with Shift
    EXPECT_EQ(h.view->GetData()[0], 0xAB);
    EXPECT_EQ(h.view->GetCaretPos(), 1u);
    EXPECT_TRUE(h.view->IsCaretHighNibble());
    EXPECT_EQ(changed.count(), 2);
    // Backspace and other characters are ignored; nothing is sent.
    QTest::keyClick(h.view, Qt::Key_Backspace);
    QTest::keyClicks(h.view, QStringLiteral("xyz!"));
    EXPECT_EQ(h.view->GetCaretPos(), 1u);
    EXPECT_EQ(changed.count(), 2);
    // Read-only refuses typing.
    h.view->SetReadOnly(true, true);
    QTest::keyClicks(h.view, QStringLiteral("77"));
    EXPECT_EQ(h.view->GetData()[1], 0x00);
    EXPECT_EQ(changed.count(), 2);
}

TEST(HexViewKeys, CtrlShortcutsComeBeforeTyping) {
    ViewHarness h;
    h.SetData(std::vector<BYTE>(8, 0x11));
    QTest::keyClick(h.view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(h.view->GetSelStart(), 0u);
    EXPECT_EQ(h.view->GetSelEnd(), 7u);
    EXPECT_EQ(h.view->GetData()[0], 0x11);  // no 'a' typed

    h.SetData({});
    QTest::keyClick(h.view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(h.view->IsSelection());
    EXPECT_EQ(h.view->GetCaretPos(), 0u);
}

TEST(HexViewKeys, TabMovesFocusAndOtherKeysAreSwallowed) {
    QDialog dialog;
    auto* before = new QPushButton(QStringLiteral("before"), &dialog);
    auto* view = new CHexEditBase(&dialog);
    auto* after = new QPushButton(QStringLiteral("after"), &dialog);
    after->setDefault(true);
    QWidget::setTabOrder(before, view);
    QWidget::setTabOrder(view, after);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    const std::vector<BYTE> data(64, 0);
    view->SetData(data.data(), 64);
    QSignalSpy clicked(after, &QPushButton::clicked);

    view->setFocus();
    QTest::keyClick(view, Qt::Key_Escape);
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClick(view, Qt::Key_F5);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_TRUE(view->hasFocus());

    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus());
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(before->hasFocus());
    EXPECT_EQ(view->GetSelAnchor(), 0u);  // Shift went down on the view
}

TEST(HexViewMouse, ClickInsideTheDragThresholdOnlyMovesTheCaret) {
    ViewHarness h;
    h.SetData(ViewHarness::Pattern(0x100));
    h.view->OnEditSelectAll();
    const QPoint p = h.DigitPoint(2, 3, 1);  // byte 35, low digit
    Press(h.view, p);
    Drag(h.view, p + QPoint(3, 2));
    Release(h.view, p + QPoint(3, 2));
    EXPECT_FALSE(h.view->IsSelection());
    EXPECT_EQ(h.view->GetCaretPos(), 35u);
    EXPECT_FALSE(h.view->IsCaretHighNibble());
    EXPECT_EQ(h.view->GetSelAnchor(), 35u);
}

TEST(HexViewMouse, DragSelectsAndDoubleClickSelectsOneByte) {
    ViewHarness h;
    h.SetData(ViewHarness::Pattern(0x100));
    Press(h.view, h.DigitPoint(1, 2, 0));
    Drag(h.view, h.DigitPoint(3, 4, 1));
    Release(h.view, h.DigitPoint(3, 4, 1));
    EXPECT_EQ(h.view->GetSelStart(), 18u);
    EXPECT_EQ(h.view->GetSelEnd(), 52u);
    // Dragging back above the anchor turns the range round.
    Press(h.view, h.DigitPoint(3, 4, 0));
    Drag(h.view, h.DigitPoint(0, 1, 0));
    EXPECT_EQ(h.view->GetSelStart(), 1u);
    EXPECT_EQ(h.view->GetSelEnd(), 52u);
    Release(h.view, h.DigitPoint(0, 1, 0));

    SendMouse(h.view, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, h.DigitPoint(2, 7, 1));
    EXPECT_EQ(h.view->GetSelStart(), 39u);
    EXPECT_EQ(h.view->GetSelEnd(), 39u);
    EXPECT_EQ(h.view->GetCaretPos(), 39u);
}

// Steps of the view per timer tick with the pointer dist pixels below the text area.
static int RowSteps(int dist, int ticks) {
    ViewHarness h;
    h.SetData(ViewHarness::Pattern(0x2000));
    const Layout L = h.Layout();
    Press(h.view, h.DigitPoint(2, 0, 0));
    Drag(h.view, QPoint(100, L.rcClient.bottom + dist));
    const UINT top = h.view->GetTopRow();
    for (int i = 0; i < ticks; ++i) h.view->OnTimer(CHexEditBase::IDT_AUTOSCROLL);
    const int steps = static_cast<int>(h.view->GetTopRow() - top);
    Release(h.view, QPoint(100, L.rcClient.bottom + dist));
    return steps;
}

TEST(HexViewMouse, AutoScrollPacing) {
    EXPECT_EQ(RowSteps(30, 16), 8);  // every second tick
    EXPECT_EQ(RowSteps(2, 16), 2);   // every eighth
    EXPECT_EQ(RowSteps(2, 7), 0);
}

TEST(HexViewMouse, AutoScrollSelectsAndStops) {
    ViewHarness h;
    h.SetData(ViewHarness::Pattern(0x2000));
    const Layout L = h.Layout();
    Press(h.view, h.DigitPoint(2, 0, 0));
    Drag(h.view, QPoint(100, L.rcClient.bottom + 40));
    h.view->OnTimer(CHexEditBase::IDT_AUTOSCROLL);
    h.view->OnTimer(CHexEditBase::IDT_AUTOSCROLL);
    EXPECT_EQ(h.view->GetTopRow(), 1u);
    EXPECT_EQ(h.view->GetSelStart(), 32u);
    EXPECT_GT(h.view->GetSelEnd(), (L.visibleRows + 1) * 16 - 1);  // into the row below the view
    // Beside the text area the running auto-scroll goes on.
    Drag(h.view, QPoint(L.rcClient.right + 20, L.rcClient.top + 20));
    h.view->OnTimer(CHexEditBase::IDT_AUTOSCROLL);
    h.view->OnTimer(CHexEditBase::IDT_AUTOSCROLL);
    EXPECT_EQ(h.view->GetTopRow(), 2u);
    // Back inside: it stops.
    Drag(h.view, QPoint(100, L.rcClient.top + 20));
    for (int i = 0; i < 10; ++i) h.view->OnTimer(CHexEditBase::IDT_AUTOSCROLL);
    EXPECT_EQ(h.view->GetTopRow(), 2u);
    // Up above: scrolls back; the release stops it.
    Drag(h.view, QPoint(100, L.rcClient.top - 40));
    h.view->OnTimer(CHexEditBase::IDT_AUTOSCROLL);
    h.view->OnTimer(CHexEditBase::IDT_AUTOSCROLL);
    EXPECT_EQ(h.view->GetTopRow(), 1u);
    Release(h.view, QPoint(100, L.rcClient.top - 40));
    for (int i = 0; i < 10; ++i) h.view->OnTimer(CHexEditBase::IDT_AUTOSCROLL);
    EXPECT_EQ(h.view->GetTopRow(), 1u);
}

TEST(HexViewMenu, RightClickInsideKeepsTheSelectionOutsideClearsIt) {
    ViewHarness h;
    h.SetData(ViewHarness::Pattern(0x100));
    MenuRecorder menu;
    h.view->SetMenuRunner(menu.Runner());
    h.view->SetEditCaretPos(20, true);
    QTest::keyClick(h.view, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(h.view, Qt::Key_Down, Qt::ShiftModifier);  // 20..36, caret 36 low
    ASSERT_EQ(h.view->GetSelEnd(), 36u);

    ContextMenuAt(h.view, h.DigitPoint(1, 10, 1));  // byte 26
    EXPECT_EQ(menu.shown, 1);
    EXPECT_EQ(h.view->GetSelStart(), 20u);
    EXPECT_EQ(h.view->GetSelEnd(), 36u);
    EXPECT_EQ(h.view->GetCaretPos(), 36u);
    EXPECT_EQ(menu.texts, (QStringList{QStringLiteral("Copy"), QStringLiteral("Paste")}));
    EXPECT_TRUE(menu.enabled[0]);

    ContextMenuAt(h.view, h.DigitPoint(4, 2, 1));  // byte 66, low digit
    EXPECT_FALSE(h.view->IsSelection());
    EXPECT_EQ(h.view->GetCaretPos(), 66u);
    EXPECT_TRUE(h.view->IsCaretHighNibble());
    EXPECT_FALSE(menu.enabled[0]);
    EXPECT_EQ(menu.pos, h.view->viewport()->mapToGlobal(h.DigitPoint(4, 2, 1)));
}

TEST(HexViewMenu, MenuKeyOpensAtTheTopLeftWithoutMovingTheCaret) {
    ViewHarness h;
    h.SetData(ViewHarness::Pattern(0x100));
    MenuRecorder menu;
    h.view->SetMenuRunner(menu.Runner());
    h.view->SetEditCaretPos(77, false);
    QTest::keyClick(h.view, Qt::Key_Menu);  // the key itself does nothing ...
    EXPECT_EQ(menu.shown, 0);
    QContextMenuEvent ev(QContextMenuEvent::Keyboard, QPoint(40, 40), h.view->mapToGlobal(QPoint(40, 40)));
    QApplication::sendEvent(h.view, &ev);  // ... the keyboard's menu request does
    EXPECT_EQ(menu.shown, 1);
    EXPECT_EQ(menu.pos, h.view->viewport()->mapToGlobal(QPoint(5, 5)));
    EXPECT_EQ(h.view->GetCaretPos(), 77u);
    EXPECT_FALSE(h.view->IsCaretHighNibble());
}

TEST(HexViewMenu, PasteItemFollowsTheClipboardAndReadOnly) {
    ViewHarness h;
    h.SetData(ViewHarness::Pattern(0x100));
    MenuRecorder menu;
    h.view->SetMenuRunner(menu.Runner());
    QGuiApplication::clipboard()->setText(QStringLiteral("00 11"));
    h.view->OnContextMenu(QPoint(-1, -1));
    EXPECT_FALSE(menu.enabled[1]);
    PutBlock({1, 0, 0, 0, 0xEE});
    h.view->OnContextMenu(QPoint(-1, -1));
    EXPECT_TRUE(menu.enabled[1]);
    h.view->SetReadOnly(true, false);
    h.view->OnContextMenu(QPoint(-1, -1));
    EXPECT_FALSE(menu.enabled[1]);
    h.view->SetReadOnly(false, false);

    // Choosing the items runs them.
    menu.choose = QStringLiteral("Paste");
    h.view->SetEditCaretPos(9, true);
    h.view->OnContextMenu(QPoint(-1, -1));
    EXPECT_EQ(h.view->GetData()[9], 0xEE);
    menu.choose = QStringLiteral("Copy");  // 9..9 is selected after the paste
    h.view->OnContextMenu(QPoint(-1, -1));
    EXPECT_EQ(ClipboardBlock(), QByteArray("\x01\x00\x00\x00\xEE", 5));
}

namespace {
class ExtendedView : public CHexEditBase {
protected:
    void OnExtendContextMenu(QMenu* menu) override { menu->addAction(QStringLiteral("Fill")); }
};
}  // namespace

TEST(HexViewMenu, DerivedClassesExtendTheMenu) {
    ExtendedView view;
    MenuRecorder menu;
    view.SetMenuRunner(menu.Runner());
    view.OnContextMenu(QPoint(-1, -1));
    EXPECT_EQ(menu.texts, (QStringList{QStringLiteral("Copy"), QStringLiteral("Paste"), QStringLiteral("Fill")}));
}

TEST(HexViewClipboard, CopyOfOneByte) {
    ViewHarness h;
    std::vector<BYTE> data(32, 0);
    data[7] = 0x0A;
    h.SetData(data);
    h.view->SetEditCaretPos(7, true);
    QTest::keyClick(h.view, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(h.view, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(mime->data(MIME), QByteArray("\x01\x00\x00\x00\x0A", 5));
    EXPECT_EQ(mime->text(), QStringLiteral("0A\n"));
    EXPECT_EQ(h.view->GetData()[7], 0x0A);
}

TEST(HexViewClipboard, CopyBreaksTextWhereTheRowsBreak) {
    ViewHarness h;
    h.SetData(ViewHarness::Pattern(0x40));
    h.view->SetEditCaretPos(0x0E, true);
    h.Keys(Qt::Key_Right, 20 * 2 - 1, Qt::ShiftModifier);
    ASSERT_EQ(h.view->GetSelEnd(), 0x21u);
    h.view->OnEditCopy();
    const std::string text = QGuiApplication::clipboard()->text().toStdString();
    EXPECT_EQ(text, HexDumpText(h.view->GetData(), 0x0E, 0x21, 16));
    EXPECT_EQ(text.substr(0, 44), std::string(42, ' ') + "65");  // byte 0x0E holds 0x65
    // Nothing selected: the clipboard stays as it was.
    QGuiApplication::clipboard()->setText(QStringLiteral("keep"));
    QTest::keyClick(h.view, Qt::Key_Left);
    h.view->OnEditCopy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("keep"));
}

TEST(HexViewClipboard, PasteNearTheEndIsCut) {
    ViewHarness h;
    h.SetData(std::vector<BYTE>(200, 0));
    std::vector<BYTE> bytes(100);
    for (int i = 0; i < 100; ++i) bytes[i] = static_cast<BYTE>(i + 1);
    PutBlock(MakeBinaryBlock(bytes.data(), 100));
    QSignalSpy changed(h.view, &CHexEditBase::changed);
    h.view->SetEditCaretPos(190, true);
    QTest::keyClick(h.view, Qt::Key_V, Qt::ControlModifier);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(h.view->GetData()[190 + i], i + 1);
    EXPECT_EQ(h.view->GetData()[189], 0);
    EXPECT_EQ(h.view->GetDataSize(), 200u);
    EXPECT_EQ(h.view->GetSelStart(), 190u);
    EXPECT_EQ(h.view->GetSelEnd(), 199u);
    EXPECT_EQ(h.view->GetCaretPos(), 199u);
    EXPECT_FALSE(h.view->IsCaretHighNibble());
    EXPECT_EQ(changed.count(), 1);
}

TEST(HexViewClipboard, PasteOverASelectionWritesTheWholeBlock) {
    ViewHarness h;
    h.SetData(std::vector<BYTE>(100, 0));
    h.view->SetEditCaretPos(12, true);
    h.Keys(Qt::Key_Left, 4, Qt::ShiftModifier);
    ASSERT_EQ(h.view->GetSelStart(), 10u);
    ASSERT_EQ(h.view->GetSelEnd(), 12u);
    const std::vector<BYTE> bytes(8, 0xCC);
    PutBlock(MakeBinaryBlock(bytes.data(), 8));
    h.view->OnEditPaste();
    for (int i = 0; i < 100; ++i) EXPECT_EQ(h.view->GetData()[i], (i >= 10 && i < 18) ? 0xCC : 0) << i;
    EXPECT_EQ(h.view->GetSelStart(), 10u);
    EXPECT_EQ(h.view->GetSelEnd(), 17u);
    EXPECT_EQ(h.view->GetCaretPos(), 17u);
}

TEST(HexViewClipboard, OddBlocksStayWithinTheBuffer) {
    ViewHarness h;
    h.SetData(std::vector<BYTE>(50, 0));
    QSignalSpy changed(h.view, &CHexEditBase::changed);
    // Count 0 (and a count the block does not hold): nothing written, caret and selection stay.
    for (const std::vector<BYTE>& block : {std::vector<BYTE>{0, 0, 0, 0}, std::vector<BYTE>{9, 0, 0, 0}}) {
        PutBlock(block);
        h.view->SetEditCaretPos(0, true);
        h.view->OnEditPaste();
        EXPECT_EQ(h.view->GetCaretPos(), 0u);
        EXPECT_TRUE(h.view->IsCaretHighNibble());
        EXPECT_FALSE(h.view->IsSelection());
    }
    // A count larger than the block: only what the block holds.
    PutBlock({200, 0, 0, 0, 0x11, 0x22});
    h.view->SetEditCaretPos(4, true);
    h.view->OnEditPaste();
    EXPECT_EQ(h.view->GetData()[4], 0x11);
    EXPECT_EQ(h.view->GetData()[5], 0x22);
    EXPECT_EQ(h.view->GetData()[6], 0x00);
    EXPECT_EQ(h.view->GetSelEnd(), 5u);
    // Too short for a count: nothing.
    PutBlock({1, 0});
    h.view->OnEditPaste();
    EXPECT_EQ(changed.count(), 1);
    // Text only: nothing.
    QGuiApplication::clipboard()->setText(QStringLiteral("FF FF"));
    QTest::keyClick(h.view, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(changed.count(), 1);
}

// Random keys, typing, clicks and pastes against a plain byte array.
TEST(HexViewRandom, EditsMatchAReferenceModel) {
    ViewHarness h(600, 200);
    std::mt19937 rng(20240611);
    const UINT size = 300;
    std::vector<BYTE> ref(size);
    for (BYTE& b : ref) b = static_cast<BYTE>(rng());
    h.SetData(ref);
    const Qt::Key keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,   Qt::Key_Down,
                            Qt::Key_Home, Qt::Key_End,   Qt::Key_PageUp, Qt::Key_PageDown};
    const QString typed = QStringLiteral("0123456789abcdefABCDEFgxZ ");

    for (int step = 0; step < 3000; ++step) {
        const int op = static_cast<int>(rng() % 10);
        if (op < 4) {
            const Qt::KeyboardModifiers mods = (rng() % 3 == 0) ? Qt::ShiftModifier : Qt::NoModifier;
            QTest::keyClick(h.view, keys[rng() % 8], mods);
        } else if (op < 8) {
            const QChar ch = typed[static_cast<int>(rng() % typed.size())];
            const UINT pos = h.view->GetCaretPos();
            const bool high = h.view->IsCaretHighNibble();
            BYTE v = 0;
            if (HexDigitValue(ch.unicode(), v)) {
                ref[pos] = high ? static_cast<BYTE>((ref[pos] & 0x0F) | v << 4) : static_cast<BYTE>((ref[pos] & 0xF0) | v);
            }
            QTest::keyClicks(h.view, QString(ch));
            if (HexDigitValue(ch.unicode(), v)) {
                const UINT expected = high || pos == size - 1 ? pos : pos + 1;
                ASSERT_EQ(h.view->GetCaretPos(), expected) << step;
                ASSERT_EQ(h.view->IsCaretHighNibble(), !high && pos != size - 1) << step;
            }
        } else if (op == 8) {
            const int row = static_cast<int>(rng() % h.Layout().fullRows);
            Press(h.view, h.DigitPoint(row, static_cast<int>(rng() % 16), static_cast<int>(rng() % 2)));
            Release(h.view, h.DigitPoint(row, 0, 0));
        } else {
            std::vector<BYTE> bytes(rng() % 40);
            for (BYTE& b : bytes) b = static_cast<BYTE>(rng());
            std::vector<BYTE> block = MakeBinaryBlock(bytes.data(), static_cast<UINT>(bytes.size()));
            if (rng() % 4 == 0 && block.size() > 4) block.resize(4 + (rng() % (block.size() - 4)));  // short block
            PutBlock(block);
            const UINT start = h.view->IsSelection() ? h.view->GetSelStart() : h.view->GetCaretPos();
            const UINT n = std::min<UINT>(static_cast<UINT>(block.size() - 4), size - start);
            std::copy(block.begin() + 4, block.begin() + 4 + n, ref.begin() + start);
            QTest::keyClick(h.view, Qt::Key_V, Qt::ControlModifier);
        }
        ASSERT_TRUE(std::equal(ref.begin(), ref.end(), h.view->GetData())) << "step " << step;
        ASSERT_LT(h.view->GetCaretPos(), size) << step;
        if (h.view->IsSelection()) {
            ASSERT_LE(h.view->GetSelStart(), h.view->GetSelEnd()) << step;
            ASSERT_LT(h.view->GetSelEnd(), size) << step;
        }
        ASSERT_LE(h.view->GetTopRow(), h.Layout().maxTopRow) << step;
    }
}
