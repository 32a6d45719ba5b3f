// The notification rules of the controls layer: which calls run handlers.
#include "AppTestEnv.h"
#include "DialogWnd.h"
#include "DlgWidgets.h"
#include "HexEditBase.h"
#include "ResourceIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

namespace {

class Controls : public ::testing::Test, protected WithTestApplication {
protected:
    void SetUp() override {
        TestApplication();
        ASSERT_TRUE(wnd.CreateFromTemplate(IDD_TESSADANE_DIALOG));
        wnd.show();
        for (int id : {IDC_VERSION, IDC_READ_LENGTH})
            wnd.OnEnChange(id, [this, id] { ++count[id]; });
        for (int id : {IDC_AUTO_DOWNLOAD, IDC_RADIO_24C01, IDC_RADIO_24C32, IDC_RADIO_FLASH})
            wnd.OnBnClicked(id, [this, id] { ++count[id]; });
        wnd.OnCbnSelchange(IDC_CHIP_TYPE, [this] { ++count[IDC_CHIP_TYPE]; });
        wnd.EnableDlgItem(IDC_READ_LENGTH, true);
    }
    CChildDialogWnd wnd{nullptr};
    std::map<int, int> count;
};

}  // namespace

TEST_F(Controls, EveryProgramTextSetRunsTheChangeHandler) {
    wnd.SetDlgItemText(IDC_VERSION, QStringLiteral("1"));
    wnd.SetDlgItemText(IDC_VERSION, QStringLiteral("1"));  // unchanged text
    EXPECT_EQ(count[IDC_VERSION], 2);
    EXPECT_EQ(wnd.GetDlgItemText(IDC_VERSION), QStringLiteral("1"));
    // The program's text is not held to the typing rules.
    wnd.LimitDlgItemText(IDC_VERSION, 8);
    wnd.SetDlgItemText(IDC_VERSION, QStringLiteral("255255255255"));
    EXPECT_EQ(wnd.GetDlgItemText(IDC_VERSION), QStringLiteral("255255255255"));
    EXPECT_EQ(count[IDC_VERSION], 3);
}

TEST_F(Controls, TypingRunsTheChangeHandlerPerChange) {
    auto* edit = wnd.DlgItem<CDlgEdit>(IDC_VERSION);
    wnd.LimitDlgItemText(IDC_VERSION, 8);
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("22031512"));
    EXPECT_EQ(count[IDC_VERSION], 8);
    EXPECT_EQ(edit->text(), QStringLiteral("22031512"));
    QTest::keyClicks(edit, QStringLiteral("9"));  // a ninth character can't be typed
    QTest::keyClicks(edit, QStringLiteral("x"));  // nor a letter
    EXPECT_EQ(edit->text(), QStringLiteral("22031512"));
    EXPECT_EQ(count[IDC_VERSION], 8);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QStringLiteral("2203151"));
    EXPECT_EQ(count[IDC_VERSION], 9);
}

TEST_F(Controls, UpperCaseEditTurnsTypedLettersIntoCapitals) {
    auto* edit = wnd.DlgItem<CDlgEdit>(IDC_READ_LENGTH);
    wnd.SetDlgItemText(IDC_READ_LENGTH, QString());
    QTest::keyClicks(edit, QStringLiteral("1fa"));
    EXPECT_EQ(edit->text(), QStringLiteral("1FA"));
    // A program's text keeps its letters as they are.
    wnd.SetDlgItemText(IDC_READ_LENGTH, QStringLiteral("ab"));
    EXPECT_EQ(edit->text(), QStringLiteral("ab"));
}

TEST_F(Controls, CheckBoxRunsItsHandlerOnClicksOnly) {
    wnd.CheckDlgButton(IDC_AUTO_DOWNLOAD, BST_CHECKED);
    EXPECT_EQ(wnd.IsDlgButtonChecked(IDC_AUTO_DOWNLOAD), BST_CHECKED);
    EXPECT_EQ(count[IDC_AUTO_DOWNLOAD], 0);
    QTest::mouseClick(wnd.GetDlgItem(IDC_AUTO_DOWNLOAD), Qt::LeftButton, {}, QPoint(4, 6));
    EXPECT_EQ(count[IDC_AUTO_DOWNLOAD], 1);
    EXPECT_EQ(wnd.IsDlgButtonChecked(IDC_AUTO_DOWNLOAD), BST_UNCHECKED);
}

TEST_F(Controls, RadiosOfAGroup) {
    QTest::mouseClick(wnd.GetDlgItem(IDC_RADIO_24C32), Qt::LeftButton, {}, QPoint(4, 6));
    EXPECT_EQ(count[IDC_RADIO_24C32], 1);
    EXPECT_EQ(wnd.IsDlgButtonChecked(IDC_RADIO_24C32), BST_CHECKED);
    QTest::mouseClick(wnd.GetDlgItem(IDC_RADIO_FLASH), Qt::LeftButton, {}, QPoint(4, 6));
    EXPECT_EQ(wnd.IsDlgButtonChecked(IDC_RADIO_24C32), BST_UNCHECKED);
    EXPECT_EQ(wnd.IsDlgButtonChecked(IDC_RADIO_FLASH), BST_CHECKED);
    // Clicking the checked radio keeps it checked and still notifies.
    QTest::mouseClick(wnd.GetDlgItem(IDC_RADIO_FLASH), Qt::LeftButton, {}, QPoint(4, 6));
    EXPECT_EQ(wnd.IsDlgButtonChecked(IDC_RADIO_FLASH), BST_CHECKED);
    EXPECT_EQ(count[IDC_RADIO_FLASH], 2);
    // The program checks and unchecks single buttons, without handlers.
    wnd.CheckDlgButton(IDC_RADIO_24C01, BST_CHECKED);
    EXPECT_EQ(wnd.IsDlgButtonChecked(IDC_RADIO_FLASH), BST_CHECKED);
    wnd.CheckDlgButton(IDC_RADIO_24C01, BST_UNCHECKED);
    wnd.CheckDlgButton(IDC_RADIO_FLASH, BST_UNCHECKED);
    for (int id : {IDC_RADIO_24C01, IDC_RADIO_24C32, IDC_RADIO_FLASH})
        EXPECT_EQ(wnd.IsDlgButtonChecked(id), BST_UNCHECKED);
    EXPECT_EQ(count[IDC_RADIO_24C01], 0);
}

TEST_F(Controls, ComboRunsItsHandlerOnTheUsersChoiceOnly) {
    EXPECT_EQ(wnd.ComboAddString(IDC_CHIP_TYPE, QStringLiteral("a")), 0);
    EXPECT_EQ(wnd.ComboAddString(IDC_CHIP_TYPE, QStringLiteral("b")), 1);
    EXPECT_EQ(wnd.ComboGetCurSel(IDC_CHIP_TYPE), CB_ERR);  // adding selects nothing
    wnd.ComboSetCurSel(IDC_CHIP_TYPE, 0);
    EXPECT_EQ(wnd.ComboGetCurSel(IDC_CHIP_TYPE), 0);
    EXPECT_EQ(count[IDC_CHIP_TYPE], 0);
    auto* combo = wnd.DlgItem<QComboBox>(IDC_CHIP_TYPE);
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(wnd.ComboGetCurSel(IDC_CHIP_TYPE), 1);
    EXPECT_EQ(count[IDC_CHIP_TYPE], 1);
    wnd.ComboSetCurSel(IDC_CHIP_TYPE, 7);  // out of range: no selection
    EXPECT_EQ(wnd.ComboGetCurSel(IDC_CHIP_TYPE), CB_ERR);
    wnd.ComboResetContent(IDC_CHIP_TYPE);
    EXPECT_EQ(wnd.ComboGetCount(IDC_CHIP_TYPE), 0);
}

TEST_F(Controls, CallsFromAWorkerRunOnTheUserInterfaceThread) {
    QThread* handlerThread = nullptr;
    wnd.OnEnChange(IDC_VERSION, [&] { handlerThread = QThread::currentThread(); });
    QString read;
    RunOnWorkerThread([&] {
        wnd.SetDlgItemText(IDC_VERSION, QStringLiteral("42"));
        wnd.EnableDlgItem(IDC_DOWNLOAD, false);
        read = wnd.GetDlgItemText(IDC_VERSION);
    });
    EXPECT_EQ(handlerThread, QCoreApplication::instance()->thread());
    EXPECT_EQ(read, QStringLiteral("42"));
    EXPECT_FALSE(wnd.IsDlgItemEnabled(IDC_DOWNLOAD));
}

TEST_F(Controls, SubclassingTakesTheControlsPlace) {
    QWidget* old = wnd.GetDlgItem(IDC_HEX_VIEW);
    const QRect place = old->geometry();
    auto nextStop = [](QWidget* w) {
        do w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    QWidget* next = nextStop(old);
    auto* view = new QWidget;
    view->setFocusPolicy(Qt::StrongFocus);
    EXPECT_EQ(wnd.SubclassDlgItem(IDC_HEX_VIEW, view), view);
    EXPECT_EQ(wnd.GetDlgItem(IDC_HEX_VIEW), view);
    EXPECT_EQ(view->parentWidget(), &wnd);
    EXPECT_EQ(view->geometry(), place);
    EXPECT_EQ(nextStop(view), next);
    EXPECT_EQ(wnd.Controls().front().widget, view);
    EXPECT_EQ(wnd.SubclassDlgItem(4242, new QWidget(&wnd)), nullptr);
}

TEST_F(Controls, AHexViewTakesThePlaceholdersPlace) {
    // The next tab stop outside w.
    auto nextStop = [](QWidget* w) {
        QWidget* n = w->nextInFocusChain();
        while (w->isAncestorOf(n) || !(n->focusPolicy() & Qt::TabFocus)) n = n->nextInFocusChain();
        return n;
    };
    QWidget* placeholder = wnd.GetDlgItem(IDC_HEX_VIEW);
    ASSERT_NE(qobject_cast<QPlainTextEdit*>(placeholder), nullptr);
    const QRect place = placeholder->geometry();
    QWidget* next = nextStop(placeholder);

    auto* view = new CHexEditBase;
    EXPECT_EQ(wnd.SubclassDlgItem(IDC_HEX_VIEW, view), view);
    EXPECT_EQ(view->parentWidget(), &wnd);
    EXPECT_EQ(ControlIdOf(view), IDC_HEX_VIEW);
    EXPECT_EQ(view->geometry(), place);
    EXPECT_TRUE(view->IsMultiLine());
    EXPECT_EQ(wnd.findChildren<QPlainTextEdit*>().size(), 0);
    EXPECT_EQ(nextStop(view), next);
}
