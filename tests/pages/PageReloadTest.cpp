// The engine makes the page reload after a file load and after a VQ7170
// read-back; the read-back does it from its worker thread. The reload's own
// handlers write the shown fields back and leave the image with the header
// checksum of what it holds then.
#include "PageFixture.h"

#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtGlobal>

#include <atomic>
#include <thread>

namespace pages_test {
namespace {

// A VQ7170 image with 16 code bytes: VID 1234, PID 7170, flag bytes 03 and
// 81, the video string "Cam", an audio field with length byte 00, version
// 1A 03 06 0E, both checksums as the chip stores them.
std::vector<BYTE> StoredImage(BYTE magic0, BYTE magic1) {
    std::vector<BYTE> image(52 + 16, 0xFF);
    const std::vector<BYTE> front = Hex("00 00 00 10 03 81 12 34 71 70 FF FF 1A 03 06 0E");
    std::copy(front.begin(), front.end(), image.begin());
    image[0] = magic0;
    image[1] = magic1;
    const std::vector<BYTE> video = Hex("04 43 61 6D");
    std::copy(video.begin(), video.end(), image.begin() + 16);
    image[32] = 0x00;
    for (int i = 0; i < 16; ++i) image[48 + i] = static_cast<BYTE>(0xC0 + i);
    StoreChecksums(image.data(), ChecksumLayout::VQ7170);
    return image;
}

// What the page leaves of it: the audio field's length byte 01 and the
// header checksum of that header.
std::vector<BYTE> AfterReload(std::vector<BYTE> image) {
    image[32] = 0x01;
    WriteBE16(image.data() + 64, HeaderChecksum(image.data(), ChecksumLayout::VQ7170));
    return image;
}

void ExpectPageShowsStoredImage(CChildDialogWnd& page) {
    EXPECT_EQ(page.GetDlgItemText(IDC_VID), QStringLiteral("1234"));
    EXPECT_EQ(page.GetDlgItemText(IDC_PID), QStringLiteral("7170"));
    EXPECT_EQ(page.IsDlgButtonChecked(IDC_VIDEO_STRING_CHECK), BST_CHECKED);
    EXPECT_EQ(page.GetDlgItemText(IDC_VIDEO_STRING), QStringLiteral("Cam"));
    EXPECT_EQ(page.IsDlgButtonChecked(IDC_AUDIO_STRING_CHECK), BST_CHECKED);
    EXPECT_EQ(page.GetDlgItemText(IDC_AUDIO_STRING), QString());
    const int ticked[] = {1019, 1020, 1027, 1036};  // byte 4 bits 0, 1; byte 5 bits 0, 7
    for (int id : {1019, 1020, 1021, 1022, 1023, 1024, 1025, 1026, 1027, 1028, 1029, 1032, 1033, 1034, 1035, 1036}) {
        const bool want = std::find(std::begin(ticked), std::end(ticked), id) != std::end(ticked);
        EXPECT_EQ(page.IsDlgButtonChecked(id), want ? BST_CHECKED : BST_UNCHECKED) << id;
    }
}

// Qt's complaints (a widget touched from a worker thread, a blocked
// connection) collected while a job runs.
std::vector<std::string>* g_qtWarnings = nullptr;
void CollectWarnings(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg && g_qtWarnings) g_qtWarnings->push_back(text.toStdString());
}

using PageReload = PageTest;

TEST_F(PageReload, ReadBackOnAWorkerRefreshesThePageOnTheUserInterfaceThread) {
    Open(ROW_VQ7170);
    auto chip = bus->Plug({.type = emu::ChipType::VQ7170});
    const std::vector<BYTE> stored = StoredImage(0xA5, 0x5A);
    chip->WriteEeprom(0, 0, stored);
    // The arrival: the dialog scans and connects.
    ASSERT_TRUE(QTest::qWaitFor([] { return g_patchVQ7170.m_bConnected != 0; }, 5000));
    const WORD codeSum = CodeChecksum(stored.data(), 16, ChecksumLayout::VQ7170);

    std::vector<std::string> warnings;
    g_qtWarnings = &warnings;
    const QtMessageHandler previous = qInstallMessageHandler(CollectWarnings);
    // The read job's worker: a thread of its own calling the engine, while
    // this thread keeps handling events as the dialog's loop does.
    ReadAsUser();
    QCoreApplication::processEvents();
    qInstallMessageHandler(previous);
    g_qtWarnings = nullptr;
    std::string said;
    for (const std::string& w : warnings) said += w + "\n";
    EXPECT_TRUE(warnings.empty()) << said;

    EXPECT_EQ(g_codeLen, 16);
    EXPECT_EQ(g_checksum, codeSum);
    EXPECT_EQ(ImageHex(0, stored.size()), emu::Hex(AfterReload(stored)));
    ExpectPageShowsStoredImage(Page());
    // The view shows the bytes read.
    ASSERT_EQ(dlg->m_hexEdit.GetDataSize(), stored.size());
    EXPECT_EQ(emu::Hex(std::span<const BYTE>(dlg->m_hexEdit.GetData(), stored.size())), emu::Hex(stored));
    EXPECT_EQ(g_statusBar.m_pPaneTexts[0], QStringLiteral("Reading completed!"));
    EXPECT_TRUE(host.TakeMessages().empty());
    // The chip keeps what it had.
    EXPECT_EQ(chip->Eeprom(0, 0, stored.size()), stored);
}

TEST_F(PageReload, LoadedFileEndsWithTheHeaderChecksumOfWhatThePageLeft) {
    QTemporaryDir dir;
    struct Case {
        int row;
        CVQPatch* patch;
        BYTE magic0, magic1;
        bool wrongSums;  // the file's stored checksums are wrong
    };
    // The VQ7170 loader takes a file with wrong sums (and recomputes them);
    // the VQ7170S loader wants them right.
    const Case cases[] = {{ROW_VQ7170, &g_patchVQ7170, 0xA5, 0x5A, true},
                          {ROW_VQ7170S, &g_patchVQ7170S, 0x5A, 0xA5, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        Open(c.row);
        std::vector<BYTE> file = StoredImage(c.magic0, c.magic1);
        if (c.wrongSums) {
            file[64] ^= 0x5A;
            file[65] ^= 0x01;
        }
        host.openPath = (dir.path() + QStringLiteral("/patch%1.bin").arg(c.row)).toStdString();
        QFile out(QString::fromStdString(host.openPath));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<qint64>(file.size()));
        out.close();

        dlg->OnBnClickedOpenFile();
        ASSERT_EQ(g_statusBar.m_pPaneTexts[0], QStringLiteral("Opened file successfully!")) << host.TakeMessages().size();
        EXPECT_EQ(g_codeLen, 16);
        EXPECT_EQ(g_imageLen, file.size());
        EXPECT_EQ(ImageHex(0, file.size()), emu::Hex(AfterReload(StoredImage(c.magic0, c.magic1))));
        ExpectHeaderChecksumRefreshed();
        ExpectPageShowsStoredImage(Page());
        ExpectHexViewShowsImage();
        EXPECT_TRUE(host.TakeMessages().empty());
    }
}

}  // namespace
}  // namespace pages_test
