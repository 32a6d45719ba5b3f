// What the dialogs take from the platform: arrow keys and Tab in radio
// groups, Shift+F10 in the hex view, the application name of the
// executable, pastes cut to an edit's limit, message boxes as wide as their
// caption. Each through the main dialog on the offscreen platform.
#include "DialogBuilder.h"
#include "DialogFixture.h"
#include "DlgMessageBox.h"
#include "DlgWidgets.h"
#include "Globals.h"
#include "PageControls.h"
#include "QtEngineHost.h"
#include "ResourceIds.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

class Platform : public DialogFixture<CQtEngineHost> {
protected:
    CTessadaneDlg& OpenActive(int row) {
        Open(row);
        dlg->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
        return *dlg;
    }
    QWidget* Item(int id) const { return dlg->GetDlgItem(id); }
    void Click(int id) { QTest::mouseClick(Item(id), Qt::LeftButton, {}, QPoint(4, 6)); }
};

}  // namespace

TEST_F(Platform, ArrowKeysTickTheRadioTheyReachAndTabEntersAtTheTickedOne) {
    struct Case {
        int row;
        int start;  // the radio clicked first
        Qt::Key key;
        int reached;  // the radio with the focus and the tick afterwards
        BYTE memType;
    };
    const Case cases[] = {
        {ROW_VQ5520, IDC_RADIO_24C01, Qt::Key_Right, IDC_RADIO_24C32, MEMTYPE_24C32_64},
        {ROW_VQ5520, IDC_RADIO_24C32, Qt::Key_Down, IDC_RADIO_FLASH, MEMTYPE_FLASH},
        {ROW_VQ5520, IDC_RADIO_FLASH, Qt::Key_Right, IDC_RADIO_24C01, MEMTYPE_24C01_16},  // round the end
        {ROW_VQ5520, IDC_RADIO_24C01, Qt::Key_Left, IDC_RADIO_FLASH, MEMTYPE_FLASH},
        {ROW_VQ5520, IDC_RADIO_FLASH, Qt::Key_Up, IDC_RADIO_24C32, MEMTYPE_24C32_64},
        {ROW_VQ7170, IDC_RADIO_24C32, Qt::Key_Right, IDC_RADIO_24C01, MEMTYPE_24C01_16},  // past disabled flash
        {ROW_VQ7340, IDC_RADIO_FLASH, Qt::Key_Right, IDC_RADIO_FLASH, MEMTYPE_FLASH},  // the only enabled one
    };
    for (const Case& c : cases) {
        const std::string what = std::to_string(c.row) + "/" + std::to_string(c.start) + "/" + std::to_string(c.key);
        OpenActive(c.row);
        Click(c.start);
        ASSERT_TRUE(Item(c.start)->hasFocus()) << what;
        QTest::keyClick(Item(c.start), c.key);
        EXPECT_TRUE(Item(c.reached)->hasFocus()) << what;
        for (int id : {IDC_RADIO_24C01, IDC_RADIO_24C32, IDC_RADIO_FLASH})
            EXPECT_EQ(dlg->IsDlgButtonChecked(id), id == c.reached ? BST_CHECKED : BST_UNCHECKED) << what << " " << id;
        // The click handler wrote the memory type's magic into the image and the view.
        EXPECT_EQ(dlg->m_nMemoryType, c.memType) << what;
        EXPECT_EQ(g_chipTable[c.row].pPatch->GetImageMemoryType(g_image), c.memType) << what;
        EXPECT_EQ(dlg->m_hexEdit.GetData()[0], g_image[0]) << what;
        EXPECT_EQ(dlg->m_hexEdit.GetData()[1], g_image[1]) << what;

        // Tab leaves the group; Shift+Tab comes back at the ticked radio,
        // and so does Tab from the control before the group.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), Item(IDC_DOWNLOAD)) << what;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        EXPECT_EQ(QApplication::focusWidget(), Item(c.reached)) << what;
        dlg->SetDlgItemFocus(IDC_VERSION);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), Item(c.reached)) << what;
    }
}

TEST_F(Platform, ShiftF10OpensTheHexViewsMenuAsTheMenuKeyDoes) {
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        bool opens;
    };
    const Case cases[] = {
        {Qt::Key_F10, Qt::ShiftModifier, true},
        {Qt::Key_F10, Qt::NoModifier, false},
        {Qt::Key_F10, Qt::ShiftModifier | Qt::ControlModifier, false},
        {Qt::Key_F9, Qt::ShiftModifier, false},
    };
    OpenActive(ROW_VQ7170);
    CHexEditBase& view = dlg->m_hexEdit;
    int shown = 0;
    QPoint at;
    QStringList items;
    view.SetMenuRunner([&](QMenu& menu, const QPoint& p) -> QAction* {
        ++shown;
        at = p;
        items.clear();
        for (QAction* a : menu.actions()) items << a->text();
        return nullptr;
    });
    view.setFocus();
    for (const Case& c : cases) {
        view.SetEditCaretPos(20, false);
        shown = 0;
        QTest::keyClick(&view, c.key, c.mods);
        EXPECT_EQ(shown, c.opens ? 1 : 0) << c.key << " " << c.mods;
        if (c.opens) {
            EXPECT_EQ(at, view.viewport()->mapToGlobal(QPoint(5, 5)));
            EXPECT_EQ(items, (QStringList{QStringLiteral("Copy"), QStringLiteral("Paste")}));
        }
        EXPECT_EQ(view.GetCaretPos(), 20u);  // the caret stays
        EXPECT_FALSE(view.IsCaretHighNibble());
    }
}

TEST_F(Platform, PasteIsCutToTheEditsLimit) {
    struct Case {
        int row;
        bool onPage;  // an edit of the option page, else of the main dialog
        int id;
        const char* before;  // set by the program
        bool selectAll;      // else the cursor at the end
        const char* pasted;
        const char* after;
    };
    const Case cases[] = {
        {ROW_VQ7170, false, IDC_VERSION, "", false, "2203151299", "22031512"},
        {ROW_VQ7170, false, IDC_VERSION, "2203", false, "15129", "22031512"},
        {ROW_VQ7170, false, IDC_VERSION, "2203", false, "15ab", "2203"},  // digits only: refused whole
        {ROW_VQ7170, false, IDC_READ_LENGTH, "30", true, "07fffffff", "07FFFFFF"},
        {ROW_VQ7170, true, IDC_VID, "FFFF", true, "12345", "1234"},
        {ROW_VQ7170, true, IDC_PID, "FF", false, "abc", "FFAB"},
        {ROW_VQ7170, true, IDC_VIDEO_STRING, "USB Video", false, "ABCDEFGHIJ", "USB VideoABCDEF"},
    };
    for (const Case& c : cases) {
        const std::string what = std::to_string(c.id) + " " + c.pasted;
        OpenActive(c.row);
        CDlgControls& owner = c.onPage ? static_cast<CDlgControls&>(*g_pCurPage->GetWnd()) : *dlg;
        if (c.id == IDC_READ_LENGTH) Click(IDC_MODIFY_LENGTH);
        if (c.id == IDC_VIDEO_STRING)
            QTest::mouseClick(owner.GetDlgItem(IDC_VIDEO_STRING_CHECK), Qt::LeftButton, {}, QPoint(4, 6));
        owner.SetDlgItemText(c.id, QString::fromUtf8(c.before));
        auto* edit = owner.DlgItem<CDlgEdit>(c.id);
        ASSERT_NE(edit, nullptr) << what;
        edit->setFocus();
        if (c.selectAll) edit->selectAll();
        else edit->end(false);
        QGuiApplication::clipboard()->setText(QString::fromUtf8(c.pasted));
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(edit->text(), QString::fromUtf8(c.after)) << what;
        // The change reached the handler: the image or the read length
        // holds what the edit shows.
        const QString shown = edit->text();
        switch (c.id) {
        case IDC_VERSION:
            EXPECT_EQ(QString::asprintf("%02d%02d%02d%02d", g_image[12], g_image[13], g_image[14], g_image[15]),
                      shown.rightJustified(8, QLatin1Char('0')))
                << what;
            break;
        case IDC_READ_LENGTH: EXPECT_EQ(g_readLen, shown.toUInt(nullptr, 16)) << what; break;
        case IDC_VID: EXPECT_EQ(g_image[6] << 8 | g_image[7], shown.toInt(nullptr, 16)) << what; break;
        case IDC_PID: EXPECT_EQ(g_image[8] << 8 | g_image[9], shown.toInt(nullptr, 16)) << what; break;
        case IDC_VIDEO_STRING:
            EXPECT_EQ(g_image[16], shown.size() + 1) << what;
            EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(g_image + 17), shown.size()), shown.toLatin1()) << what;
            break;
        }
        EXPECT_EQ(edit->cursorPosition(), edit->text().size()) << what;  // after what was pasted
    }
}

TEST_F(Platform, MessageBoxIsAtLeastAsWideAsItsCaption) {
    struct Case {
        const char* caption;  // the application's name
        const char* vid;      // a text the VID edit refuses
    };
    const Case cases[] = {
        {nullptr, "12G4"},  // this executable's own name
        {"Quillmar", "G"},
        {"Quillmar-with-a-name-much-longer-than-its-message", "-1"},
    };
    const QString ownName = theApp.m_pszAppName;
    for (const Case& c : cases) {
        theApp.m_pszAppName = c.caption ? QString::fromUtf8(c.caption) : ownName;
        OpenActive(ROW_VQ7170);
        QString title;
        int width = 0, textWidth = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            QCoreApplication::processEvents();  // the box's own layout requests
            title = box->windowTitle();
            width = box->width();
            const QLabel* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            textWidth = label ? label->sizeHint().width() : 0;
            box->button(QMessageBox::Ok)->click();
        });
        g_pCurPage->GetWnd()->SetDlgItemText(IDC_VID, QString::fromUtf8(c.vid));
        EXPECT_EQ(title, theApp.m_pszAppName);
        // The caption in a bold title font, beside an icon and three
        // buttons of at least one line's height each.
        QFont font = QApplication::font("QMdiSubWindowTitleBar");
        font.setBold(true);
        const QFontMetrics fm(font);
        EXPECT_GE(width, fm.horizontalAdvance(title) + 4 * fm.height()) << c.vid;
        EXPECT_GE(width, textWidth) << c.vid;
    }
    theApp.m_pszAppName = ownName;
}

TEST(AppName, IsTheExecutablesFileName) {
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"/opt/q/Quillmar.v2", "Quillmar.v2"},
        {"/home/u/build/Quillmar (deleted)", "Quillmar"},  // replaced while running
        {"工具", "工具"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AppNameFromModulePath(QString::fromUtf8(c.path)), QString::fromUtf8(c.name)) << c.path;
    EXPECT_EQ(theApp.m_pszAppName, QStringLiteral("app_tests"));
}

// A copy of the tool under another name keeps its settings under that
// name: it reads its own remembered chip type (low byte of 258: row 2) and
// writes it back there, and the settings of "Quillmar" stay as they were.
TEST(AppName, RenamedCopyOfTheToolUsesItsOwnSettings) {
    for (const char* name : {"Quillmar-bench", "quillmar copy", "Quillmar.v2"}) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString exe = dir.filePath(QString::fromUtf8(name));
        ASSERT_TRUE(QFile::copy(QStringLiteral(QUILLMAR_EXECUTABLE), exe)) << name;
        const QString settingsDir = dir.filePath(QStringLiteral("config/应用程序向导生成的本地应用程序"));
        const QString own = settingsDir + QLatin1Char('/') + QString::fromUtf8(name) + QStringLiteral(".conf");
        const QString delivered = settingsDir + QStringLiteral("/Quillmar.conf");
        for (const QString& file : {own, delivered}) {
            QSettings s(file, QSettings::IniFormat);
            s.setValue(QStringLiteral("Settings/ChipType"), 258);
        }
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QUILLMAR_EMULATE"), QStringLiteral("vq7170"));
        tool.setProcessEnvironment(env);
        tool.start(exe, {});
        ASSERT_TRUE(tool.waitForStarted()) << name;
        auto stored = [&] { return QSettings(own, QSettings::IniFormat).value(QStringLiteral("Settings/ChipType")).toInt(); };
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (stored() != 2 && tool.state() == QProcess::Running && std::chrono::steady_clock::now() < giveUp)
            QThread::msleep(20);
        EXPECT_EQ(stored(), 2) << name;
        EXPECT_EQ(QSettings(delivered, QSettings::IniFormat).value(QStringLiteral("Settings/ChipType")).toInt(), 258)
            << name;
        tool.kill();
        tool.waitForFinished();
    }
}

// A group runs from a control with the Group style to the next one, over
// whatever stands between; only its radios count.
TEST(RadioGroup, RunsFromOneGroupControlToTheNext) {
    using namespace ctlstyle;
    DialogTemplate t;
    t.controls = {
        {10, CtlKind::AutoRadio, "a", {}, Group},    {11, CtlKind::Static, "label", {}, 0},
        {12, CtlKind::AutoRadio, "b", {}, 0},        {13, CtlKind::AutoCheckBox, "box", {}, Group},
        {14, CtlKind::AutoRadio, "c", {}, 0},        {15, CtlKind::AutoRadio, "d", {}, Group},
    };
    const struct {
        std::size_t index;
        std::vector<std::size_t> group;
    } cases[] = {{0, {0, 2}}, {2, {0, 2}}, {1, {0, 2}}, {4, {4}}, {5, {5}}, {6, {}}};
    for (const auto& c : cases) EXPECT_EQ(RadioGroupOf(t, c.index), c.group) << c.index;
}
