// Two platform rules of the controls layer that templates rely on: radio
// groups run from one group-style control to the next, and edits without
// automatic horizontal scroll stop typing, and cut a paste, at their
// visible width.
#include "AppTestEnv.h"
#include "DialogBuilder.h"
#include "DlgWidgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace ctlstyle;

// A template from a row of letters: R radio, r radio starting a group,
// B group box, C check box, L label, l label starting a group, E edit.
std::vector<ControlTemplate> Controls(const std::string& row) {
    std::vector<ControlTemplate> out;
    int y = 0;
    for (char k : row) {
        ControlTemplate c;
        c.id = 2000 + static_cast<int>(out.size());
        c.rect = {0, y += 10, 40, 10};
        c.text = "x";
        switch (k) {
        case 'R': c.kind = CtlKind::AutoRadio; break;
        case 'r': c.kind = CtlKind::AutoRadio; c.style = Group; break;
        case 'B': c.kind = CtlKind::GroupBox; break;
        case 'C': c.kind = CtlKind::AutoCheckBox; break;
        case 'L': c.kind = CtlKind::Static; break;
        case 'l': c.kind = CtlKind::Static; c.style = Group; break;
        case 'E': c.kind = CtlKind::Edit; break;
        }
        out.push_back(c);
    }
    return out;
}

struct GroupCase {
    const char* row;
    std::vector<int> groups;  // the group each control stands in
};

const GroupCase kGroupCases[] = {
    {"RRR", {0, 0, 0}},
    {"rRR", {0, 0, 0}},
    {"rRrR", {0, 0, 1, 1}},
    // Whatever stands between two group-style controls stays in the group.
    {"rRBCRR", {0, 0, 0, 0, 0, 0}},
    {"rRBrRlEErR", {0, 0, 0, 1, 1, 2, 2, 2, 3, 3}},
    {"RCRrR", {0, 0, 0, 1, 1}},
    {"lRRlRR", {0, 0, 0, 1, 1, 1}},
    {"", {}},
};

class RadioGroups : public ::testing::TestWithParam<GroupCase>, protected WithTestApplication {};

TEST_P(RadioGroups, RunFromOneGroupStyleControlToTheNext) {
    const GroupCase& c = GetParam();
    const std::vector<ControlTemplate> controls = Controls(c.row);
    ASSERT_EQ(controls.size(), c.groups.size());

    // A click on a radio unticks the radios of its own group only.
    DialogTemplate t;
    t.rect = {0, 0, 100, 200};
    t.controls = controls;
    QWidget host;
    const std::vector<BuiltControl> built = BuildDialogControls(t, &host, {6, 13});
    for (std::size_t i = 0; i < built.size(); ++i) {
        if (built[i].kind != CtlKind::AutoRadio) continue;
        for (const BuiltControl& b : built)
            if (auto* radio = qobject_cast<QAbstractButton*>(b.widget); radio && b.kind == CtlKind::AutoRadio)
                radio->setChecked(true);
        qobject_cast<QAbstractButton*>(built[i].widget)->click();
        for (std::size_t j = 0; j < built.size(); ++j) {
            if (built[j].kind != CtlKind::AutoRadio) continue;
            const bool ticked = qobject_cast<QAbstractButton*>(built[j].widget)->isChecked();
            EXPECT_EQ(ticked, j == i || c.groups[j] != c.groups[i]) << "click " << i << ", radio " << j;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, RadioGroups, ::testing::ValuesIn(kGroupCases),
                         [](const auto& info) { return "Row" + std::to_string(info.index); });

struct TypingCase {
    const char* name;
    unsigned style;
    int limit;
    const char* typed;
    bool stopsAtWidth;  // fewer characters than typed and than the limit
    int length;         // else: the length the text ends with
    bool pasted = false;  // one paste instead of keys
};

const TypingCase kTypingCases[] = {
    {"NarrowLettersStopAtTheLimit", NoAutoHScroll, 15, "iiiiiiiiiiiiiiiiiiii", false, 15},
    {"WideLettersStopAtTheWidth", NoAutoHScroll, 15, "WWWWWWWWWWWWWWWWWWWW", true, 0},
    {"WideLettersWithoutLimit", NoAutoHScroll, 0, "WWWWWWWWWWWWWWWWWWWW", true, 0},
    {"ScrollingEditStopsAtTheLimitOnly", 0, 15, "WWWWWWWWWWWWWWWWWWWW", false, 15},
    {"ScrollingEditWithoutLimit", 0, 0, "WWWWWWWWWWWWWWWWWWWW", false, 20},
    {"WidePasteIsCutToTheWidth", NoAutoHScroll, 15, "WWWWWWWWWWWWWWWWWWWW", true, 0, true},
    {"WidePasteWithoutLimitIsCutToTheWidth", NoAutoHScroll, 0, "WWWWWWWWWWWWWWWWWWWW", true, 0, true},
    {"NarrowPasteIsCutToTheLimit", NoAutoHScroll, 15, "iiiiiiiiiiiiiiiiiiii", false, 15, true},
};

class EditTyping : public ::testing::TestWithParam<TypingCase>, protected WithTestApplication {};

TEST_P(EditTyping, StopsWhereItShould) {
    const TypingCase& c = GetParam();
    DialogTemplate t;
    t.rect = {0, 0, 100, 40};
    t.controls = {{3000, CtlKind::Edit, "", {4, 4, 67, 12}, Border | c.style}};
    QWidget host;
    const std::vector<BuiltControl> built = BuildDialogControls(t, &host, {6, 13});
    auto* edit = qobject_cast<CDlgEdit*>(built[0].widget);
    ASSERT_NE(edit, nullptr);
    edit->SetLimitText(c.limit);
    host.show();
    edit->setFocus();
    if (c.pasted) {
        QApplication::clipboard()->setText(QString::fromLatin1(c.typed));
        edit->paste();
    } else {
        QTest::keyClicks(edit, QString::fromLatin1(c.typed));
    }
    const QString text = edit->text();
    EXPECT_TRUE(QString::fromLatin1(c.typed).startsWith(text));
    if (c.stopsAtWidth) {
        EXPECT_LT(text.size(), c.limit ? c.limit : 20);
        EXPECT_GT(text.size(), 0);
        EXPECT_LE(edit->fontMetrics().horizontalAdvance(text), edit->VisibleTextWidth());
        EXPECT_GT(edit->fontMetrics().horizontalAdvance(text + QLatin1Char('W')), edit->VisibleTextWidth());
    } else {
        EXPECT_EQ(text.size(), c.length);
    }
    // A text set by the program is not held to the width, and can be
    // shortened from there.
    edit->SetTextFromProgram(QString(40, QLatin1Char('W')));
    edit->end(false);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text().size(), 39);
}

INSTANTIATE_TEST_SUITE_P(Edits, EditTyping, ::testing::ValuesIn(kTypingCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
