// Every control of every dialog answers a user's click: the main dialog with
// each chip type's option page, and the about box. The walk goes through the
// controls in tab order, as a user might click them one after the other,
// and clicks each one that is visible and enabled at its turn at the centre
// of the part a click can reach, through the window. A click reached its
// control when a check box changes state, a radio is marked, a button runs
// its handler, a drop-down list opens (an empty one takes the focus) or an edit (the hex view too) takes
// the focus.
#include "AboutDlg.h"
#include "AppTestEnv.h"
#include "DialogFixture.h"
#include "AppShell.h"
#include "ForwardingHost.h"
#include "Globals.h"
#include "OptionPage.h"
#include "QtEngineHost.h"
#include "ResourceIds.h"
#include "UserClick.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The application's host, but file dialogs are cancelled and message boxes
// noted, so that a click on "Open File" or "LOAD" does not wait for a user.
class WalkHost : public ForwardingHost, public IAppShell {
public:
    WalkHost() : ForwardingHost(qt) {}
    std::string OpenFileDialog(const FileDialogSpec&) override { return {}; }
    std::string SaveFileDialog(const FileDialogSpec&) override { return {}; }
    void MessageBox(const std::string&) override {}
    void Sleep(DWORD) override {}

private:
    CQtEngineHost qt;
};

// A control whose rectangle another control covers in part, as its
// template places them.
struct DesignedOverlap {
    int id;
    const char* reason;
};

struct WalkCase {
    const char* dialog;
    int row;      // chip-type row chosen; -1: the about box
    int clicked;  // controls visible and enabled at their turn
    std::vector<DesignedOverlap> overlaps;
};

bool IsClickable(const BuiltControl& c) {
    switch (c.kind) {
    case CtlKind::PushButton:
    case CtlKind::DefPushButton:
    case CtlKind::AutoCheckBox:
    case CtlKind::AutoRadio:
    case CtlKind::Edit:
    case CtlKind::DropDownList:
    case CtlKind::Custom: return true;
    default: return false;
    }
}

std::string Describe(const QWidget* w) {
    if (!w) return "nothing";
    std::ostringstream s;
    s << w->metaObject()->className() << " " << ControlIdOf(w);
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) s << " \"" << b->text().toStdString() << "\"";
    return s.str();
}

// Clicks w as a user; empty when the click reached it, else what went wrong.
std::string ClickAndCheck(QWidget* w) {
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        const bool wasChecked = button->isChecked();
        if (!ClickAsUser(w)) return "no part can be clicked";
        if (clicked.count() != 1) return "its handler did not run";
        if (qobject_cast<QCheckBox*>(w) && button->isChecked() == wasChecked) return "its tick did not change";
        if (button->isCheckable() && !qobject_cast<QCheckBox*>(w) && !button->isChecked()) return "it is not marked";
        return {};
    }
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (!ClickAsUser(w)) return "no part can be clicked";
        const bool opened = combo->view()->isVisible();
        combo->hidePopup();
        // An empty list has nothing to drop down; the box takes the focus.
        if (combo->count() == 0) return w->hasFocus() ? "" : "it did not take the focus";
        return opened ? "" : "its list did not open";
    }
    if (!ClickAsUser(w)) return "no part can be clicked";
    return w->hasFocus() ? "" : "it did not take the focus";
}

class ClickWalk : public DialogFixture<WalkHost> {
protected:
    // Each clickable control of controls that is covered in part must be
    // named in overlaps, and each one named must be.
    void CheckOverlaps(const CDlgControls& controls, const WalkCase& c, std::vector<int>* named) {
        for (const BuiltControl& ctl : controls.Controls()) {
            if (!IsClickable(ctl) || !ctl.widget->isVisible()) continue;
            const ReachablePart part = ReachablePartOf(ctl.widget);
            const auto overlap = std::find_if(c.overlaps.begin(), c.overlaps.end(),
                                              [&](const DesignedOverlap& o) { return o.id == ctl.id; });
            if (overlap != c.overlaps.end()) {
                named->push_back(ctl.id);
                EXPECT_GT(part.reached, 0) << c.dialog << ": " << Describe(ctl.widget) << " can't be clicked at all";
                EXPECT_LT(part.reached, part.total) << c.dialog << ": " << Describe(ctl.widget)
                                                    << " is named as covered (" << overlap->reason << ") but is not";
            } else {
                EXPECT_EQ(part.reached, part.total) << c.dialog << ": " << Describe(ctl.widget) << " is covered by "
                                                    << Describe(part.coveredBy);
            }
        }
    }

    // Clicks the clickable controls that are visible and enabled at their
    // turn; returns how many.
    int Walk(const CDlgControls& controls, const char* dialog) {
        int clicked = 0;
        for (const BuiltControl& ctl : controls.Controls()) {
            QWidget* w = ctl.widget;
            if (!IsClickable(ctl) || !w->isVisible() || !w->isEnabled()) continue;
            ++clicked;
            const std::string failure = ClickAndCheck(w);
            EXPECT_EQ(failure, "") << dialog << ": a click on " << Describe(w);
        }
        return clicked;
    }
};

// Controls disabled at their turn are passed: the memory-type radios the
// chip type lacks, the read-length edit (enabled by "Modify  Length(H):",
// which comes after it), the pages' display-only flags. On the VQ5520 page
// "Detemined by gpio" comes before the ten mode radios and unticks to
// enable them.
constexpr const char* kRowsShareAPixel =
    "each of y and height rounds to pixels on its own, so the radio below starts on this one's last row";
const WalkCase kCases[] = {
    {"VQ7140S/40", ROW_VQ7140S, 12, {}},  // the page is one disabled edit
    {"VQ7150/40E/40SE", ROW_VQ7140XX, 26, {}},
    {"VQ7160/70/70E", ROW_VQ7170, 19, {}},
    {"VQ7170S", ROW_VQ7170S, 19, {}},
    {"VQ5520/1/2/3/5", ROW_VQ5520, 38, {{1080, kRowsShareAPixel}, {1084, kRowsShareAPixel}}},
    {"VQ7340/41", ROW_VQ7340, 20, {}},
    {"VQ5632", ROW_VQ5632, 21, {}},
    {"about box", -1, 1, {}},
};

}  // namespace

TEST_F(ClickWalk, EveryControlOfEveryDialogAnswersAClick) {
    for (const WalkCase& c : kCases) {
        Open(ROW_VQ7140S);
        std::unique_ptr<CAboutDlg> about;
        QWidget* window = dlg.get();
        std::vector<const CDlgControls*> parts;
        if (c.row < 0) {
            about = std::make_unique<CAboutDlg>(dlg.get());
            ASSERT_TRUE(about->CreateFromTemplate());
            about->show();
            window = about.get();
            parts = {about.get()};
        } else {
            Choose(c.row);
            parts = {dlg.get(), g_pCurPage->GetWnd()};
        }
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window)) << c.dialog;

        std::vector<int> named;
        for (const CDlgControls* part : parts) CheckOverlaps(*part, c, &named);
        EXPECT_EQ(named.size(), c.overlaps.size()) << c.dialog << ": an overlap named for a control it lacks";

        int clicked = 0;
        for (const CDlgControls* part : parts) clicked += Walk(*part, c.dialog);
        EXPECT_EQ(clicked, c.clicked) << c.dialog;
    }
}
