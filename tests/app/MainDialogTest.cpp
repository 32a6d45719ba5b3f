// The main dialog: remembered chip type, the chip-type switch, image
// information, memory-type radios, layout on resizing, ending the dialog.
#include "AboutDlg.h"
#include "AppTestEnv.h"
#include "DialogFixture.h"
#include "DialogText.h"
#include "Emulator.h"
#include "Globals.h"
#include "Hid.h"
#include "QtEngineHost.h"
#include "ResourceIds.h"
#include "TessadaneDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QContextMenuEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

class MainDialog : public DialogFixture<CQtEngineHost> {
protected:
    void Click(int id) { QTest::mouseClick(dlg->GetDlgItem(id), Qt::LeftButton, {}, QPoint(4, 6)); }
};

}  // namespace

TEST_F(MainDialog, ComboListsTheSevenChipTypesInRowOrder) {
    Open();
    const char* labels[] = {"VQ7140S/40", "VQ7150/40E/40SE", "VQ7160/70/70E", "VQ7170S",
                            "VQ5520/1/2/3/5", "VQ7340/41", "VQ5632"};
    ASSERT_EQ(dlg->ComboGetCount(IDC_CHIP_TYPE), 7);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(dlg->ComboGetText(IDC_CHIP_TYPE, i), QString::fromUtf8(labels[i]));
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Quillmar_V1.9.13.56"));
}

TEST_F(MainDialog, RememberedChipTypeOpensItsRow) {
    struct Case {
        std::optional<int> stored;
        int row;
    };
    const Case cases[] = {{std::nullopt, 0}, {3, 3}, {9, 0}, {255, 0}, {258, 2}, {6, 6}, {7, 0}};
    for (const Case& c : cases) {
        Open(c.stored);
        const std::string what = c.stored ? std::to_string(*c.stored) : "none";
        EXPECT_EQ(dlg->m_nChipType, c.row) << what;
        EXPECT_EQ(dlg->ComboGetCurSel(IDC_CHIP_TYPE), c.row) << what;
        EXPECT_EQ(g_pCurPage, g_chipTable[c.row].pPage) << what;
        EXPECT_EQ(dlg->m_pCurPage, g_pCurPage) << what;
        CChildDialogWnd* page = g_pCurPage->GetWnd();
        ASSERT_NE(page, nullptr) << what;
        EXPECT_EQ(page->Template()->id, g_chipTable[c.row].nIDTemplate) << what;
        EXPECT_EQ(page->parentWidget(), dlg->m_tab) << what;
        EXPECT_TRUE(page->isVisible()) << what;
    }
    Open(3);
    EXPECT_EQ(dlg->ComboGetText(IDC_CHIP_TYPE, dlg->ComboGetCurSel(IDC_CHIP_TYPE)), QStringLiteral("VQ7170S"));
    EXPECT_EQ(g_pCurPage->GetWnd()->Template()->id, 142);
}

TEST_F(MainDialog, SwitchingStoresTheRowAndEnablesTheRadiosByMask) {
    struct Case {
        int row;
        bool r24c01, r24c32, rFlash;
        int templateId;
    };
    const Case cases[] = {
        {0, true, false, false, 136}, {1, true, true, false, 137}, {2, true, true, false, 138},
        {3, true, true, false, 142},  {4, true, true, true, 141},  {5, false, false, true, 139},
        {6, false, false, true, 140},
    };
    Open(0);
    for (const Case& c : cases) {
        COptionPage* before = g_pCurPage;
        QPointer<CChildDialogWnd> oldWindow = before->GetWnd();
        Choose(c.row);
        EXPECT_EQ(StoredChipType().toInt(), c.row);
        EXPECT_EQ(dlg->IsDlgItemEnabled(IDC_RADIO_24C01), c.r24c01) << c.row;
        EXPECT_EQ(dlg->IsDlgItemEnabled(IDC_RADIO_24C32), c.r24c32) << c.row;
        EXPECT_EQ(dlg->IsDlgItemEnabled(IDC_RADIO_FLASH), c.rFlash) << c.row;
        EXPECT_EQ(g_pCurPage, g_chipTable[c.row].pPage);
        ASSERT_NE(g_pCurPage->GetWnd(), nullptr);
        EXPECT_EQ(g_pCurPage->GetWnd()->Template()->id, c.templateId);
        if (before != g_pCurPage) {
            EXPECT_TRUE(oldWindow.isNull()) << "old page window of row " << c.row;
        }
        // Exactly one page window lives in the host.
        EXPECT_EQ(dlg->m_tab->findChildren<CChildDialogWnd*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    }
}

TEST_F(MainDialog, VersionEditWritesTheImageVersion) {
    Open(2);
    struct Case {
        const char* text;
        BYTE want[4];
    };
    const Case cases[] = {{"22031512", {22, 3, 15, 12}}, {"1", {0, 0, 0, 1}}, {"", {0, 0, 0, 0}}};
    for (const Case& c : cases) {
        dlg->SetDlgItemText(IDC_VERSION, QString::fromUtf8(c.text));
        for (int i = 0; i < 4; ++i) EXPECT_EQ(g_image[12 + i], c.want[i]) << c.text << " byte " << i;
    }
    // Typed by the user: each digit rewrites the bytes; a ninth can't be typed.
    auto* edit = dlg->DlgItem<QLineEdit>(IDC_VERSION);
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("220315129"));
    EXPECT_EQ(edit->text(), QStringLiteral("22031512"));
    EXPECT_EQ(g_image[12], 22);
    EXPECT_EQ(g_image[15], 12);
    // A non-digit leaves the image alone.
    dlg->SetDlgItemText(IDC_VERSION, QStringLiteral("12a4"));
    EXPECT_EQ(g_image[12], 22);
}

TEST_F(MainDialog, VersionBytesAbove99ShowThreeDigitsAndStayAsTheyAre) {
    Open(2);
    // The tool shows the image's version bytes as the read job does.
    const BYTE ff[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    for (int i = 12; i < 16; ++i) g_image[i] = 0xFF;
    dlg->SetDlgItemText(IDC_VERSION, VersionText(ff));
    EXPECT_EQ(dlg->GetDlgItemText(IDC_VERSION), QStringLiteral("255255255255"));
    for (int i = 12; i < 16; ++i) EXPECT_EQ(g_image[i], 0xFF);
    const BYTE hundred[4] = {100, 0, 0, 0};
    std::memcpy(&g_image[12], hundred, 4);
    dlg->SetDlgItemText(IDC_VERSION, VersionText(hundred));
    EXPECT_EQ(dlg->GetDlgItemText(IDC_VERSION), QStringLiteral("100000000"));
    EXPECT_EQ(g_image[12], 100);
}

TEST_F(MainDialog, ImageInformationFormats) {
    Open(2);
    g_codeLen = 1234;
    g_checksum = 0xAB;
    g_imageLen = 52;
    g_image[0] = 0x96;
    g_image[1] = 0x69;
    for (DWORD i = 2; i < 52; ++i) g_image[i] = static_cast<BYTE>(i);
    dlg->UpdateImageInfo();
    EXPECT_EQ(dlg->GetDlgItemText(IDC_CODE_LENGTH), QStringLiteral("1234"));
    EXPECT_EQ(dlg->GetDlgItemText(IDC_CHECKSUM), QStringLiteral("00AB"));
    ASSERT_EQ(dlg->m_hexEdit.GetDataSize(), 52u);
    EXPECT_EQ(std::memcmp(dlg->m_hexEdit.GetData(), g_image, 52), 0);
    EXPECT_EQ(dlg->m_nMemoryType, MEMTYPE_24C32_64);
    EXPECT_EQ(dlg->IsDlgButtonChecked(IDC_RADIO_24C32), BST_CHECKED);
    EXPECT_EQ(dlg->IsDlgButtonChecked(IDC_RADIO_24C01), BST_UNCHECKED);
    // The hex view's own copy is replaced by the next refresh.
    dlg->m_hexEdit.GetData()[5] = 0xEE;
    dlg->UpdateImageInfo();
    EXPECT_EQ(dlg->m_hexEdit.GetData()[5], 5);
    g_codeLen = 0;
    g_checksum = 0;
    dlg->UpdateImageInfo();
    EXPECT_EQ(dlg->GetDlgItemText(IDC_CODE_LENGTH), QStringLiteral("0"));
    EXPECT_EQ(dlg->GetDlgItemText(IDC_CHECKSUM), QStringLiteral("0000"));
}

TEST_F(MainDialog, MemoryTypeRadiosWriteTheChipsMagic) {
    Open(4);  // VQ5520: all three types
    Click(IDC_RADIO_FLASH);
    EXPECT_EQ(g_image[0], 0xC3);
    EXPECT_EQ(g_image[1], 0x3C);
    EXPECT_EQ(dlg->m_nMemoryType, MEMTYPE_FLASH);
    EXPECT_EQ(dlg->IsDlgButtonChecked(IDC_RADIO_FLASH), BST_CHECKED);
    EXPECT_EQ(dlg->IsDlgButtonChecked(IDC_RADIO_24C01), BST_UNCHECKED);
    Click(IDC_RADIO_24C32);
    EXPECT_EQ(g_image[0], 0x96);
    EXPECT_EQ(g_image[1], 0x69);
    EXPECT_EQ(dlg->IsDlgButtonChecked(IDC_RADIO_24C32), BST_CHECKED);
    EXPECT_EQ(dlg->IsDlgButtonChecked(IDC_RADIO_FLASH), BST_UNCHECKED);
    Click(IDC_RADIO_24C01);
    EXPECT_EQ(g_image[0], 0xA5);
    EXPECT_EQ(g_image[1], 0x5A);
    EXPECT_EQ(dlg->m_nMemoryType, MEMTYPE_24C01_16);
    Choose(5);  // the VQ7340 page's defaults carry its flash magic
    EXPECT_EQ(dlg->IsDlgButtonChecked(IDC_RADIO_FLASH), BST_CHECKED);
    g_image[0] = 0xA5;  // VQ7340 reads A5 5A as type 1
    g_image[1] = 0x5A;
    dlg->UpdateImageInfo();
    EXPECT_EQ(dlg->IsDlgButtonChecked(IDC_RADIO_24C01), BST_CHECKED);
    EXPECT_FALSE(dlg->IsDlgItemEnabled(IDC_RADIO_24C01));
}

TEST_F(MainDialog, ResizingKeepsStatusAndProgressBarsPlaced) {
    Open();
    const QSize opened = dlg->size();
    EXPECT_EQ(dlg->minimumSize(), opened);
    for (QSize size : {opened + QSize(200, 120), opened + QSize(13, 1), opened}) {
        dlg->resize(size);
        QCoreApplication::processEvents();
        QWidget* bar = g_statusBar.GetWnd();
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->geometry(), QRect(0, size.height() - g_statusBar.BarHeight(), size.width(),
                                         g_statusBar.BarHeight()));
        QProgressBar* progress = g_progress.GetWnd();
        ASSERT_NE(progress, nullptr);
        EXPECT_EQ(progress->parentWidget(), bar);
        EXPECT_EQ(progress->geometry(), g_statusBar.GetItemRect(1));
        EXPECT_EQ(progress->geometry().right(), size.width() - 1);
        EXPECT_TRUE(progress->isVisible());
        EXPECT_EQ(g_statusBar.GetItemRect(0).width(), 150);
    }
}

TEST_F(MainDialog, EscapeAndEnterKeepTheDialogCloseEndsIt) {
    Open();
    QTest::keyClick(dlg->GetDlgItem(IDC_VERSION), Qt::Key_Escape);
    EXPECT_TRUE(dlg->isVisible());

    dlg->GetDlgItem(IDC_VERSION)->setFocus();
    QTest::keyClick(dlg->GetDlgItem(IDC_VERSION), Qt::Key_Return);
    EXPECT_TRUE(dlg->isVisible());

    dlg->close();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), IDCANCEL);

    // Enter on a focused push button presses it instead.
    Open();
    int presses = 0;
    dlg->OnBnClicked(IDC_SAVE_TO_BIN, [&] { ++presses; });
    dlg->GetDlgItem(IDC_SAVE_TO_BIN)->setFocus();
    QTest::keyClick(dlg->GetDlgItem(IDC_SAVE_TO_BIN), Qt::Key_Return);
    EXPECT_EQ(presses, 1);
    EXPECT_TRUE(dlg->isVisible());
}

TEST_F(MainDialog, AboutCommandOpensTheAboutBox) {
    Open();
    QString title, version;
    bool okDefault = false;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        title = about->windowTitle();
        version = about->GetDlgItemText(IDC_ABOUT_VERSION);
        auto* ok = about->DlgItem<QPushButton>(IDOK);
        okDefault = ok && ok->isDefault();
        QTest::keyClick(about, Qt::Key_Return);  // the default button ends it
    });
    dlg->OnSysCommand(IDM_ABOUTBOX | 0x3, 0);  // the low four bits don't count
    EXPECT_EQ(title, QStringLiteral("About Quillmar"));
    EXPECT_EQ(version, QStringLiteral("Quillmar Version_1.9.13.56"));
    EXPECT_TRUE(okDefault);
    EXPECT_TRUE(dlg->isVisible());
}

TEST_F(MainDialog, ContextMenuCarriesTheStatusLogAndAboutCommands) {
    Open();
    QStringList entries;
    QString aboutTitle;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* a : menu->actions())
            if (!a->isSeparator()) entries << a->text();
        QTimer::singleShot(0, [&] {
            auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(about, nullptr);
            aboutTitle = about->windowTitle();
            about->reject();
        });
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    // A right click on the dialog's background (a label passes it on).
    QWidget* label = dlg->childAt(dlg->GetDlgItem(IDC_CHIP_TYPE)->geometry().topLeft() - QPoint(20, -4));
    ASSERT_NE(label, nullptr);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), label->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(label, &event);
    EXPECT_EQ(entries, (QStringList{QStringLiteral("Status log\u2026"), QStringLiteral("About")}));
    EXPECT_EQ(aboutTitle, QStringLiteral("About Quillmar"));
}

namespace {

// A HID backend whose only feature is a pipe that signals device changes.
class ChangeSignallingBackend : public hid::Backend {
public:
    ChangeSignallingBackend() { EXPECT_EQ(pipe(fds), 0); }
    ~ChangeSignallingBackend() override {
        close(fds[0]);
        close(fds[1]);
    }
    std::vector<hid::DeviceEntry> Enumerate() override { return {}; }
    std::unique_ptr<hid::Device> Open(const std::string&, hid::Access) override { return nullptr; }
    int ChangeFd() override { return fds[0]; }
    std::vector<hid::Change> TakeChanges() override {
        char buf[16];
        const ssize_t n = read(fds[0], buf, sizeof buf);
        ++takes;
        return std::vector<hid::Change>(n > 0 ? static_cast<size_t>(n) : 0, hid::Change::Arrival);
    }
    void Signal() { EXPECT_EQ(write(fds[1], "a", 1), 1); }

    int fds[2] = {-1, -1};
    int takes = 0;
};

}  // namespace

TEST_F(MainDialog, DeviceChangesAreTakenWhenSignalled) {
    auto backend = std::make_shared<ChangeSignallingBackend>();
    hid::SetBackend(backend);
    Open();
    backend->Signal();
    for (int i = 0; i < 50 && backend->takes == 0; ++i) QTest::qWait(10);
    EXPECT_EQ(backend->takes, 1);
    dlg.reset();
    hid::SetBackend(hid::MakeLinuxBackend());
}

TEST(Emulation, EnvironmentNamesTheEmulatedChips) {
    qputenv("QUILLMAR_EMULATE", "vq7170,vq5632:id1");
    EXPECT_TRUE(InstallEmulatorFromEnvironment());
    EXPECT_EQ(hid::EnumeratePresent().size(), 2u);
    qputenv("QUILLMAR_EMULATE", "vq9999");
    EXPECT_FALSE(InstallEmulatorFromEnvironment());
    qunsetenv("QUILLMAR_EMULATE");
    EXPECT_TRUE(InstallEmulatorFromEnvironment());
    hid::SetBackend(hid::MakeLinuxBackend());
}

// A session's memory must not grow with every report sent to its chips.
TEST(Emulation, ChipsOfTheEnvironmentKeepNoReportLog) {
    qputenv("QUILLMAR_EMULATE", "vq7170*2,vq7340:id1");
    ASSERT_TRUE(InstallEmulatorFromEnvironment());
    qunsetenv("QUILLMAR_EMULATE");
    const auto bus = std::dynamic_pointer_cast<emu::EmulatorBackend>(hid::CurrentBackend());
    ASSERT_NE(bus, nullptr);
    ASSERT_EQ(bus->Chips().size(), 3u);
    for (const auto& chip : bus->Chips()) {
        const HANDLE h = hid::Open(chip->path(), hid::Access::ReadWrite);
        BYTE report[9] = {static_cast<BYTE>(chip->reportId()), HID_CMD_XDATA_READ, 0xF0, 0x00};
        EXPECT_TRUE(hid::SetFeature(h, report, sizeof report)) << chip->path();
        EXPECT_TRUE(hid::GetFeature(h, report, sizeof report)) << chip->path();
        hid::Close(h);
        EXPECT_EQ(chip->SetFeatureCount(), 1u) << chip->path();
        EXPECT_TRUE(chip->Log().empty()) << chip->path();
    }
    hid::SetBackend(hid::MakeLinuxBackend());
}
