// The window on the desktop: Enter and Escape end nothing (the close box
// does: MainDialogTest); Ctrl+O and Ctrl+S; files dropped onto the window.
#include "DialogFixture.h"
#include "DialogText.h"
#include "Globals.h"
#include "ImageFields.h"
#include "PageControls.h"
#include "PageControls7140.h"
#include "ResourceIds.h"
#include "TestShellHost.h"
#include "UserClick.h"

#include <QDir>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class DesktopWindow : public DialogFixture<TestShellHost> {
protected:
    // A key to whatever has the focus in the window.
    void Key(int key, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(dlg->focusWidget(), Qt::Key(key), mods); }
    std::vector<BYTE> ViewBytes() const {
        return {dlg->m_hexEdit.GetData(), dlg->m_hexEdit.GetData() + dlg->m_hexEdit.GetDataSize()};
    }
};

std::vector<QWidget*> EnabledEdits(const CDlgControls& controls) {
    std::vector<QWidget*> edits;
    for (const BuiltControl& c : controls.Controls())
        if (c.kind == CtlKind::Edit && c.widget->isEnabled()) edits.push_back(c.widget);
    return edits;
}

}  // namespace

TEST_F(DesktopWindow, EnterAndEscapeInEveryEditLeaveTheWindowOpen) {
    const std::size_t pageEdits[CHIP_TYPE_COUNT] = {0, 8, 4, 4, 4, 5, 2};
    for (int row = 0; row < CHIP_TYPE_COUNT; ++row) {
        Open(row);
        ASSERT_TRUE(ClickAsUser(dlg->GetDlgItem(IDC_MODIFY_LENGTH)));  // the read length takes keys too
        std::vector<QWidget*> edits = EnabledEdits(*dlg), onPage = EnabledEdits(*g_pCurPage->GetWnd());
        EXPECT_EQ(edits.size(), 3u);  // "Version:", the read length and the hex view
        EXPECT_EQ(onPage.size(), pageEdits[row]) << row;
        edits.insert(edits.end(), onPage.begin(), onPage.end());
        for (QWidget* edit : edits) {
            edit->setFocus();
            for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) Key(key);
            ASSERT_TRUE(dlg->isVisible()) << row << " " << edit->metaObject()->className();
        }
    }
}

TEST_F(DesktopWindow, EnterLeavesTheTypedValueInTheImage) {
    const struct {
        int row, id;
        const char* typed;
        const char* field;  // nullptr: the version bytes
        int tickBefore = 0, tickAfter = 0;
    } cases[] = {
        {ROW_VQ7170, IDC_VERSION, "22031512", nullptr},
        {ROW_VQ7170S, IDC_PID, "BEEF", "pid"},
        {ROW_VQ7340, IDC_VIDEO_STRING, "Scope", "video-string", IDC_VIDEO_STRING_CHECK},
        {ROW_VQ7140XX, IDC_HUE, "-12", "hue", 0, IDC_SAVE_BCSH},
    };
    for (const auto& c : cases) {
        Open(c.row);
        CDlgControls& owner = c.field ? *g_pCurPage->GetWnd() : static_cast<CDlgControls&>(*dlg);
        if (c.tickBefore) ClickAsUser(owner.GetDlgItem(c.tickBefore));
        auto* edit = owner.DlgItem<QLineEdit>(c.id);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(c.typed));
        Key(Qt::Key_Return);
        ASSERT_TRUE(dlg->isVisible()) << c.typed;
        if (c.tickAfter) ClickAsUser(owner.GetDlgItem(c.tickAfter));
        EXPECT_EQ(c.field ? ReadField(g_doc.View(), ChipField(c.row, c.field)).text : VersionText(&g_image[12]).toStdString(),
                  c.typed);
        EXPECT_EQ(ViewBytes(), std::vector<BYTE>(g_image, g_image + g_imageLen)) << c.typed;
    }
}

TEST_F(DesktopWindow, CtrlOAndCtrlSPressOpenFileAndSaveToBin) {
    Open(ROW_VQ7170);
    ClickAsUser(dlg->GetDlgItem(IDC_OPEN_FILE));
    ClickAsUser(dlg->GetDlgItem(IDC_SAVE_TO_BIN));
    for (QWidget* focus : {static_cast<QWidget*>(&dlg->m_hexEdit), g_pCurPage->GetWnd()->GetDlgItem(IDC_VID)}) {
        focus->setFocus();
        Key(Qt::Key_O, Qt::ControlModifier);
        Key(Qt::Key_S, Qt::ControlModifier);
    }
    ASSERT_EQ(host.asked.size(), 6u);
    for (std::size_t i = 2; i < host.asked.size(); ++i) {
        EXPECT_EQ(host.asked[i].save, host.asked[i % 2].save) << i;
        EXPECT_EQ(host.asked[i].spec.title + host.asked[i].spec.filter, host.asked[i % 2].spec.title + host.asked[i % 2].spec.filter);
    }
    // Not while the buttons can't be pressed (during a job).
    dlg->EnableDlgItem(IDC_OPEN_FILE, false);
    dlg->EnableDlgItem(IDC_SAVE_TO_BIN, false);
    Key(Qt::Key_O, Qt::ControlModifier);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(host.asked.size(), 6u);
}

TEST_F(DesktopWindow, OneHexOrBinFileDroppedOpensAnythingElseIsRefused) {
    QTemporaryDir dir;
    for (const char* name : {"patch.bin", "PATCH.BIN", "notes.txt"}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(QByteArray(300, '\x11')) == 300);
    }
    QDir(dir.path()).mkdir(QStringLiteral("folder.hex"));
    const auto at = [&](const char* name) { return QUrl::fromLocalFile(dir.filePath(QString::fromLatin1(name))); };
    enum Outcome { Opens, Refused, NotTaken };
    const Qt::DropActions copyOrMove = Qt::CopyAction | Qt::MoveAction;
    const struct {
        QList<QUrl> urls;
        int target;  // 0: the dialog's face
        Outcome outcome;
        Qt::DropActions offered;
    } cases[] = {
        {{at("patch.bin")}, 0, Opens, copyOrMove},
        {{at("PATCH.BIN")}, IDC_VERSION, Opens, Qt::CopyAction},
        {{at("patch.bin")}, IDC_HEX_VIEW, Opens, copyOrMove},
        {{at("patch.bin"), at("PATCH.BIN")}, 0, Refused, copyOrMove},
        {{at("folder.hex")}, 0, Refused, copyOrMove},
        {{at("notes.txt")}, IDC_VERSION, Refused, copyOrMove},
        {{at("gone.hex")}, 0, Refused, copyOrMove},
        {{QUrl(QStringLiteral("https://example.org/patch.bin"))}, 0, Refused, copyOrMove},
        {{at("patch.bin")}, 0, NotTaken, Qt::MoveAction},  // a move would take the source's file
    };
    for (const auto& c : cases) {
        const std::string what = c.urls.front().toString().toStdString();
        Open(ROW_VQ7170);
        const std::vector<BYTE> before = ViewBytes();
        QWidget* target = c.target ? dlg->GetDlgItem(c.target) : dlg.get();
        QMimeData data;  // as file managers give it: the names as text too
        data.setUrls(c.urls);
        data.setText(c.urls.front().toString());
        QDragEnterEvent enter(QPoint(5, 5), c.offered, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        EXPECT_EQ(enter.isAccepted() && enter.dropAction() == Qt::CopyAction, c.outcome != NotTaken) << what;
        QDropEvent drop(QPointF(5, 5), c.offered, &data, Qt::LeftButton, Qt::NoModifier);
        if (c.outcome != NotTaken) QApplication::sendEvent(target, &drop);
        QCoreApplication::processEvents();
        const bool opens = c.outcome == Opens;
        EXPECT_EQ(host.TakeMessages(), c.outcome == Refused ? std::vector<std::string>{"Open file failed!\n"}
                                                            : std::vector<std::string>{}) << what;
        const char* status[] = {"Opened file successfully!", "Open file failed!", "Disconnected!"};
        EXPECT_EQ(g_statusBar.m_pPaneTexts[0], QString::fromLatin1(status[c.outcome])) << what;
        EXPECT_EQ(ViewBytes(), opens ? std::vector<BYTE>(g_image, g_image + 300) : before) << what;
    }
}
