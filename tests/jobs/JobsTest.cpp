// The download and read jobs, Save To BIN, the read length and ending the
// dialog during a job, through the real window with emulated chips.
#include "DialogText.h"
#include "JobsFixture.h"
#include "Jobs.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <utility>

namespace {

class Jobs : public JobsTest {};

}  // namespace

TEST_F(Jobs, DownloadTakesTheViewsBytesWithAnEditedByte) {
    auto chip = bus->Plug(Vq7170());
    Open(ROW_VQ7170);
    std::vector<BYTE> image = Pattern(100, 0x20);
    ShowImage(image);
    TypeIntoView(7, "AB");
    image[7] = 0xAB;
    ASSERT_EQ(ViewBytes(), image);
    EXPECT_NE(g_image[7], 0xAB);  // the edit stays in the view

    Click(IDC_DOWNLOAD);
    EXPECT_EQ(g_bBusy, 1);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(chip->Eeprom(0, 0, image.size()), image);
    EXPECT_EQ(Status(), QStringLiteral("Successful!"));
    EXPECT_EQ(StatusColour(), STATUS_GREEN);
    EXPECT_EQ(g_progress.GetPos(), 0);
    EXPECT_EQ(QApplication::focusWidget(), dlg->GetDlgItem(IDC_DOWNLOAD));
}

TEST_F(Jobs, DownloadPressedTwiceRunsOneJob) {
    auto chip = bus->Plug(Vq7170(500));
    Open(ROW_VQ7170);
    ShowImage(Pattern(64, 1));
    const int beeps = BeepCount();
    Click(IDC_DOWNLOAD);
    Click(IDC_DOWNLOAD);
    ASSERT_EQ(modal.boxes.size(), 1u);
    EXPECT_EQ(modal.boxes[0].text, QStringLiteral("Downloading, please wait!"));
    EXPECT_EQ(modal.boxes[0].caption, theApp.m_pszAppName);
    EXPECT_EQ(modal.boxes[0].buttons, 1);
    EXPECT_EQ(BeepCount(), beeps + 1);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(CommandCount(*chip, HID_CMD_EEPROM_WRITE), 64u);
    EXPECT_EQ(Status(), QStringLiteral("Successful!"));
}

TEST_F(Jobs, ReadPressedDuringADownloadShowsReadingText) {
    bus->Plug(Vq7170(500));
    Open(ROW_VQ7170);
    ShowImage(Pattern(48, 1));
    Click(IDC_DOWNLOAD);
    ASSERT_FALSE(Enabled(IDC_READ));
    dlg->OnBnClickedRead();  // as an automatic press would
    ASSERT_EQ(modal.boxes.size(), 1u);
    EXPECT_EQ(modal.boxes[0].text, QStringLiteral("Reading, please wait!"));
}

TEST_F(Jobs, ControlsDuringADownload) {
    bus->Plug(Vq7170(500));
    Open(ROW_VQ7170);
    ShowImage(Pattern(64, 1));
    Click(IDC_DOWNLOAD);
    for (int id : {1012, 1013, 1000, 1006, 1009, 1001, 1028, 1029, 1030, 1072, 1066, IDC_OPTION_TAB})
        EXPECT_FALSE(Enabled(id)) << id;
    for (int id : {IDC_DOWNLOAD, IDC_AUTO_DOWNLOAD, IDC_HEX_VIEW}) EXPECT_TRUE(Enabled(id)) << id;
    ASSERT_TRUE(WaitIdle());
    for (int id : {1011, 1012, 1013, 1000, 1006, 1009, 1001, 1072, 1066, 1028, 1029, IDC_OPTION_TAB})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_FALSE(Enabled(IDC_RADIO_FLASH));  // not a memory type of this chip
}

TEST_F(Jobs, ReadShowsVersionBytesAndImage) {
    auto chip = bus->Plug({.type = emu::ChipType::VQ7140XX});
    std::vector<BYTE> stored = Pattern(0x30, 0x41);
    const std::vector<BYTE> version = {22, 3, 15, 12};
    std::copy(version.begin(), version.end(), stored.begin() + 12);
    chip->WriteEeprom(0, 0, stored);
    Open(ROW_VQ7140XX);
    ShowImage(Pattern(80, 0));

    Click(IDC_READ);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Text(IDC_VERSION), QStringLiteral("22031512"));
    EXPECT_EQ(ViewBytes(), stored);
    EXPECT_EQ(std::vector<BYTE>(g_image + 12, g_image + 16), version);
    EXPECT_EQ(Status(), QStringLiteral("Reading completed!"));
    EXPECT_EQ(g_progress.GetPos(), 0);
}

TEST_F(Jobs, ControlsDuringAReadAndTheReadLengthEditAfterIt) {
    for (bool ticked : {false, true}) {
        auto chip = bus->Plug({.type = emu::ChipType::VQ7140XX, .latencyMicros = 2000});
        Open(ROW_VQ7140XX);
        if (ticked) Click(IDC_MODIFY_LENGTH);
        ASSERT_EQ(dlg->IsDlgButtonChecked(IDC_MODIFY_LENGTH), ticked ? 1u : 0u);
        Click(IDC_READ);
        ASSERT_EQ(g_bBusy, 1);
        for (int id : {1011, 1013, 1000, 1006, 1009, 1001, 1028, 1029, 1030, 1072, 1066, 1056, IDC_OPTION_TAB})
            EXPECT_FALSE(Enabled(id)) << id;
        for (int id : {IDC_READ, IDC_AUTO_DOWNLOAD, IDC_HEX_VIEW}) EXPECT_TRUE(Enabled(id)) << id;
        ASSERT_TRUE(WaitIdle());
        EXPECT_EQ(Enabled(IDC_READ_LENGTH), ticked);
        for (int id : {1011, 1012, 1013, 1000, 1006, 1009, 1001, 1072, 1066, 1028, 1029})
            EXPECT_TRUE(Enabled(id)) << id;
        bus->Unplug(chip);
        dlg.reset();
    }
}

TEST_F(Jobs, ReadLengthTexts) {
    Open(ROW_VQ7170);
    Click(IDC_MODIFY_LENGTH);
    ASSERT_TRUE(Enabled(IDC_READ_LENGTH));
    struct Case {
        const char* typed;
        const char* shown;
        DWORD readLen;
        bool invalid;
    };
    const Case cases[] = {
        {"9000000", "8000000", 0x8000000, false},
        {"FFFFFFFF", "0", 0, false},
        {"1G", "1", 1, true},
        {"G", "0", 0, true},
        {"100", "100", 0x100, false},
    };
    for (const Case& c : cases) {
        modal.boxes.clear();
        TypeInto(IDC_READ_LENGTH, QString::fromLatin1(c.typed));
        EXPECT_EQ(Text(IDC_READ_LENGTH), QString::fromLatin1(c.shown)) << c.typed;
        EXPECT_EQ(g_readLen, c.readLen) << c.typed;
        ASSERT_EQ(modal.boxes.size(), c.invalid ? 1u : 0u) << c.typed;
        if (c.invalid) {
            EXPECT_EQ(modal.boxes[0].text, QStringLiteral("Invalid parameters"));
            EXPECT_EQ(modal.boxes[0].caption, theApp.m_pszAppName);
        }
    }
    // Unticking keeps the length; ticking again takes the edit's text.
    TypeInto(IDC_READ_LENGTH, QStringLiteral("40"));
    Click(IDC_MODIFY_LENGTH);
    EXPECT_FALSE(Enabled(IDC_READ_LENGTH));
    g_readLen = 7;
    Click(IDC_MODIFY_LENGTH);
    EXPECT_EQ(g_readLen, 0x40u);
}

TEST_F(Jobs, SaveToBinWritesTheEditedBytes) {
    Open(ROW_VQ7170);
    std::vector<BYTE> image = Pattern(50, 0x60);
    ShowImage(image);
    TypeIntoView(49, "0F");
    image[49] = 0x0F;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("saved.bin"));
    modal.QueuePath(path);
    Click(IDC_SAVE_TO_BIN);
    ASSERT_EQ(modal.fileDialogs.size(), 1u);
    EXPECT_TRUE(modal.fileDialogs[0].save);
    EXPECT_TRUE(modal.fileDialogs[0].filters.contains(QStringLiteral("Bin File(*.bin)")));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(std::vector<BYTE>(bytes.begin(), bytes.end()), image);
    EXPECT_EQ(Status(), QStringLiteral("Successful!"));
}

TEST_F(Jobs, ClosingDuringAJobIsRefused) {
    bus->Plug(Vq7170(500));
    Open(ROW_VQ7170);
    ShowImage(Pattern(64, 1));
    Click(IDC_DOWNLOAD);
    const int beeps = BeepCount();
    dlg->close();  // the close box
    ASSERT_EQ(modal.boxes.size(), 1u);
    EXPECT_EQ(modal.boxes[0].text, QStringLiteral("Downloading, please wait!"));
    EXPECT_EQ(BeepCount(), beeps + 1);
    EXPECT_TRUE(dlg->isVisible());
    QTest::keyClick(dlg.get(), Qt::Key_Escape);  // ends nothing at any time
    EXPECT_EQ(modal.boxes.size(), 1u);
    EXPECT_TRUE(dlg->isVisible());
    ASSERT_TRUE(WaitIdle());
    dlg->close();
    EXPECT_FALSE(dlg->isVisible());
}

TEST_F(Jobs, ReadRemovalDuringTheJobRescansAfterIt) {
    // Ten pieces of two 10 ms reports: the read outlasts the 50 ms wait below
    // on a loaded machine too.
    auto chip = bus->Plug({.type = emu::ChipType::VQ7140XX, .latencyMicros = 10000});
    auto other = bus->Plug({.type = emu::ChipType::VQ7140XX});
    Open(ROW_VQ7140XX);
    ASSERT_EQ(dlg->ComboGetCurSel(IDC_DEVICE), 1);
    dlg->ComboSetCurSel(IDC_DEVICE, 0);
    dlg->SendNotify(IDC_DEVICE, CBN_SELCHANGE);
    chip->WriteEeprom(0, 0, Pattern(0x30, 3));
    Click(IDC_READ);
    bus->Unplug(other);
    QTest::qWait(50);
    ASSERT_EQ(g_bBusy, 1);
    EXPECT_EQ(dlg->ComboGetCount(IDC_DEVICE), 2);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(ViewBytes(), Pattern(0x30, 3));
    EXPECT_EQ(dlg->ComboGetCount(IDC_DEVICE), 1);
}

TEST_F(Jobs, OpenFileThenDownloadEditedBytes) {
    auto chip = bus->Plug(Vq7170());
    Open(ROW_VQ7170);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("patch.bin"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const std::vector<BYTE> bytes = Pattern(300, 0x11);
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
    modal.QueuePath(path);
    Click(IDC_OPEN_FILE);
    ASSERT_EQ(modal.fileDialogs.size(), 1u);
    EXPECT_FALSE(modal.fileDialogs[0].save);
    EXPECT_EQ(Status(), QStringLiteral("Opened file successfully!"));
    EXPECT_EQ(StatusColour(), STATUS_GREEN);
    ASSERT_EQ(g_imageLen, 300u);
    EXPECT_EQ(ViewBytes(), std::vector<BYTE>(g_image, g_image + 300));
    EXPECT_EQ(Text(IDC_VERSION), VersionText(&g_image[12]));

    TypeIntoView(100, "5C");
    std::vector<BYTE> expected(g_image, g_image + 300);
    expected[100] = 0x5C;
    Click(IDC_DOWNLOAD);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(chip->Eeprom(0, 0, 300), expected);
    EXPECT_EQ(Status(), QStringLiteral("Successful!"));

    // A cancelled file dialog leaves everything as it was.
    Click(IDC_OPEN_FILE);
    EXPECT_EQ(Status(), QStringLiteral("Open file failed!"));
    EXPECT_EQ(StatusColour(), STATUS_RED);
    EXPECT_EQ(ViewBytes(), expected);
}

TEST_F(Jobs, ReadAsksForAtMostTheWorkBuffer) {
    auto chip = bus->Plug({.type = emu::ChipType::VQ7340, .reportId = 1});
    chip->SetLogging(false);
    const std::vector<BYTE> head = Pattern(4096, 0x33);
    chip->WriteFlash(0, head);
    Open(ROW_VQ7340);
    Click(IDC_RADIO_FLASH);
    ASSERT_EQ(dlg->m_nMemoryType, MEMTYPE_FLASH);
    Click(IDC_MODIFY_LENGTH);
    TypeInto(IDC_READ_LENGTH, QStringLiteral("8000000"));
    ASSERT_EQ(g_readLen, READ_LENGTH_MAX);
    Click(IDC_READ);
    EXPECT_EQ(g_readLen, 0x1000000u);
    ASSERT_TRUE(WaitIdle(120000));
    ASSERT_EQ(dlg->m_hexEdit.GetDataSize(), 0x1000000u);
    const std::vector<BYTE> view = ViewBytes();
    EXPECT_TRUE(std::equal(head.begin(), head.end(), view.begin()));
    EXPECT_EQ(view.back(), 0xFF);  // erased flash
}

TEST_F(Jobs, EditsDuringADownloadStayInTheView) {
    const std::vector<BYTE> image = Pattern(64, 0x10);
    auto chip = StartSlowDownload(image);
    TypeIntoView(5, "AB");  // the view stays usable during the job
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Status(), QStringLiteral("Successful!"));
    EXPECT_EQ(chip->Eeprom(0, 0, image.size()), image);
    std::vector<BYTE> edited = image;
    edited[5] = 0xAB;
    EXPECT_EQ(ViewBytes(), edited);

    // The next download takes the edit.
    Click(IDC_DOWNLOAD);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(chip->Eeprom(0, 0, edited.size()), edited);
}

TEST_F(Jobs, EachReadShowsItsOwnBytes) {
    // Reads of growing and shrinking lengths one after another: the view
    // shows the bytes of the last read, and keeps showing them while the
    // next read fills the work buffer.
    auto chip = bus->Plug({.type = emu::ChipType::VQ7340, .reportId = 1});
    chip->SetLogging(false);
    Open(ROW_VQ7340);
    ShowImage(Pattern(48, 0));
    Click(IDC_RADIO_FLASH);
    ASSERT_EQ(dlg->m_nMemoryType, MEMTYPE_FLASH);
    Click(IDC_MODIFY_LENGTH);
    std::vector<BYTE> shown = ViewBytes();
    for (const DWORD length : {0x2000u, 0x100u, 0x2000u, 0x2000u}) {
        const std::vector<BYTE> stored = Pattern(length, static_cast<BYTE>(length + shown[0]));
        chip->WriteFlash(0, stored);
        chip->SetLatency(std::chrono::microseconds(length == 0x100 ? 0 : 2000));
        TypeInto(IDC_READ_LENGTH, QString::asprintf("%X", static_cast<unsigned>(length)));
        Click(IDC_READ);
        ASSERT_TRUE(WaitFor([] { return g_progress.GetPos() > 0 || !g_bBusy; }));
        EXPECT_EQ(ViewBytes(), shown) << length;
        ASSERT_TRUE(WaitIdle());
        ASSERT_EQ(Status(), QStringLiteral("Reading completed!")) << length;
        EXPECT_EQ(ViewBytes(), stored) << length;
        shown = stored;
    }
}
