// The VQ7340 page in the main dialog: page defaults, the string layout
// chosen from the image on every load and edit, both checksums after
// string edits, the HDCP key loader.
#include "DlgWidgets.h"
#include "PageFixture.h"
#include "PageOptionVQ7340.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

namespace pages_test {
namespace {

constexpr std::size_t MARKER = 0x1000, VIDEO_LONG = 0x1010, AUDIO_LONG = 0x1050;
const char kLong[] = "Long string of sixty-four characters behind the header at 0x1010";
const std::vector<BYTE> kFf64(64, 0xFF);

// A flash firmware file (byte 8 bit 7) with len code bytes and both length
// bytes at `length`; header bytes 17..47 hold 0x60 + offset ('q' at 17);
// where the code covers them, the marker (16 x FF at 0x1000) and kLong in
// both long areas.
std::vector<BYTE> Firmware(WORD len, BYTE length = 0x0A) {
    std::vector<BYTE> f(52u + len);
    for (std::size_t i = 0; i < f.size(); ++i) f[i] = static_cast<BYTE>(i < 48 ? 0x60 + i : i * 7 + 1);
    const std::vector<BYTE> front = Hex("3C C3 00 00 34 43 73 40 80 00 00 00");
    std::copy(front.begin(), front.end(), f.begin());
    WriteBE16(&f[2], len);
    for (std::size_t i = MARKER; i < AUDIO_LONG + 64 && i < 48u + len; ++i)
        f[i] = i < VIDEO_LONG ? 0xFF : static_cast<BYTE>(kLong[(i - VIDEO_LONG) % 64]);
    f[16] = f[32] = length;
    StoreChecksums(f.data(), ChecksumLayout::VQ7340);
    return f;
}

class VQ7340Page : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        std::memset(g_image + MARKER, 0x00, 0x100);  // no marker left by another test
        Open(ROW_VQ7340);
    }
    std::string WriteFile(const QString& name, const std::vector<BYTE>& bytes) {
        QFile out(dir.filePath(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return out.fileName().toStdString();
    }
    // "Open File" of the main dialog.
    void OpenFile(const std::vector<BYTE>& bytes) {
        host.openPath = WriteFile(QStringLiteral("firmware.bin"), bytes);
        dlg->SendNotify(IDC_OPEN_FILE, BN_CLICKED);
        ASSERT_EQ(g_imageLen, bytes.size());
    }
    static void ExpectChecksumsStored() {
        EXPECT_EQ(ReadBE16(g_image + 48 + g_codeLen), HeaderChecksum(g_image, ChecksumLayout::VQ7340));
        EXPECT_EQ(ReadBE16(g_image + 50 + g_codeLen), CodeChecksum(g_image, g_codeLen, ChecksumLayout::VQ7340));
    }
    int EditLimit(int id) const { return Page().DlgItem<CDlgEdit>(id)->Rules().limit; }
    QString ShownChecksum() const { return dlg->GetDlgItemText(IDC_CHECKSUM); }

    QTemporaryDir dir;
};

TEST_F(VQ7340Page, DefaultsWhenShown) {
    const std::vector<BYTE> file = Firmware(0x1100);
    OpenFile(file);
    Choose(0);
    Choose(ROW_VQ7340);
    EXPECT_EQ(ImageHex(0, 52), "3C C3 00 00 FF FF FF FF 00 00 00 00 00 00 00 00 " + emu::Hex(std::vector<BYTE>(32, 0xFF)) +
                                   " 23 DC 00 00");
    EXPECT_EQ(std::make_tuple(g_imageLen, g_codeLen, g_checksum), std::make_tuple(DWORD(52), WORD(0), WORD(0)));
    EXPECT_TRUE(std::equal(file.begin() + 0x100, file.end(), g_image + 0x100));  // bytes behind stay
    ExpectHexViewShowsImage();
    EXPECT_EQ(dlg->IsDlgButtonChecked(IDC_RADIO_FLASH), BST_CHECKED);
    ExpectUsbControlsAtDefaults();
    EXPECT_EQ(EditLimit(IDC_VIDEO_STRING), 15);
    EXPECT_EQ(Page().GetDlgItemText(IDC_KEY_OFFSET), QStringLiteral("310"));
    EXPECT_TRUE(Page().DlgItem<QLineEdit>(IDC_KEY_OFFSET)->isReadOnly());
    EXPECT_FALSE(Page().GetDlgItem(IDC_ENTER_UPG)->isVisible() || Page().IsDlgItemEnabled(IDC_ENTER_UPG));
    // The captions that differ from the VQ7170 page's; all eight boxes shown only.
    EXPECT_EQ(Page().DlgItem<QAbstractButton>(1024)->text() + Page().DlgItem<QAbstractButton>(1026)->text(),
              QStringLiteral("ReservedFlash code"));
    for (int id = 1019; id <= 1026; ++id)
        EXPECT_FALSE(Page().IsDlgButtonChecked(id) || Page().IsDlgItemEnabled(id)) << id;
    Page().SetDlgItemText(IDC_VID, QStringLiteral("12"));
    Page().SetDlgItemText(IDC_PID, QStringLiteral("7340"));
    EXPECT_EQ(ImageHex(4, 4), "00 12 73 40");
    ExpectChecksumsStored();
    EXPECT_TRUE(host.TakeMessages().empty());
}

TEST_F(VQ7340Page, LayoutAndLengthBytesOnLoad) {
    struct Case {
        const char* what;
        WORD len;
        std::size_t spoilt;  // marker byte made 7F; 0: none
        BYTE length;         // both length bytes in the file
        int limit;           // 64: long layout, 15: short
        const char* video;   // text shown; nullptr: unticked, "USB Video"
        BYTE lengthAfter;    // after the load's own write-back
    };
    const Case cases[] = {
        {"long, 9 characters", 0x1100, 0, 0x0A, 64, "Long stri", 0x0A},
        {"long, 64 characters", 0x1100, 0, 0x41, 64, kLong, 0x41},
        {"long, 0x42 absent", 0x1100, 0, 0x42, 64, nullptr, 0xFF},
        {"long, FF absent", 0x1100, 0, 0xFF, 64, nullptr, 0xFF},
        {"first marker byte off", 0x1100, MARKER, 0x0A, 15, "qrstuvwxy", 0x0A},
        {"last marker byte off", 0x1100, MARKER + 15, 0x0A, 15, "qrstuvwxy", 0x0A},
        {"short, 0x11 absent", 0x1100, MARKER, 0x11, 15, nullptr, 0xFF},
        {"code length 0", 0, 0, 0x0A, 15, "qrstuvwxy", 0x0A},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::memset(g_image + MARKER, 0xFF, 16);  // what a short file leaves behind it
        std::vector<BYTE> file = Firmware(c.len, c.length);
        if (c.spoilt) file[c.spoilt] = 0x7F;
        StoreChecksums(file.data(), ChecksumLayout::VQ7340);
        OpenFile(file);
        EXPECT_EQ(EditLimit(IDC_VIDEO_STRING), c.limit);
        EXPECT_EQ(EditLimit(IDC_AUDIO_STRING), c.limit);
        // Byte 8 holds the Common Flag bits: bit 7 "Flash code".
        EXPECT_EQ(std::make_pair(Page().IsDlgButtonChecked(1026), Page().IsDlgButtonChecked(1021)),
                  std::make_pair(BST_CHECKED, BST_UNCHECKED));
        EXPECT_EQ(Page().IsDlgButtonChecked(IDC_VIDEO_STRING_CHECK), c.video ? BST_CHECKED : BST_UNCHECKED);
        EXPECT_EQ(Page().GetDlgItemText(IDC_VIDEO_STRING), QString::fromLatin1(c.video ? c.video : "USB Video"));
        EXPECT_EQ(std::make_pair(g_image[16], g_image[32]), std::make_pair(c.lengthAfter, c.lengthAfter));
        if (c.limit == 64) {
            // The header behind the length bytes stays; an absent string fills its long area.
            EXPECT_TRUE(std::equal(file.begin() + 17, file.begin() + 32, g_image + 17));
            const std::vector<BYTE> area(file.begin() + VIDEO_LONG, file.begin() + VIDEO_LONG + 64);
            EXPECT_EQ(ImageHex(VIDEO_LONG, 64), emu::Hex(c.video ? area : kFf64));
        }
        // Both checksums follow the write-back; the one shown is the loaded code's.
        ExpectChecksumsStored();
        EXPECT_EQ(g_checksum, CodeChecksum(file.data(), c.len, ChecksumLayout::VQ7340));
        EXPECT_EQ(ShownChecksum(), QString::asprintf("%04X", g_checksum));
        ExpectHexViewShowsImage();
    }
}

TEST_F(VQ7340Page, LongLayoutEditsKeepHeaderAndShownChecksum) {
    const std::vector<BYTE> file = Firmware(0x1100);
    OpenFile(file);
    const QString shown = ShownChecksum();
    auto* edit = Page().DlgItem<QLineEdit>(IDC_VIDEO_STRING);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QString(70, QLatin1Char('q')));  // 64 get in
    const std::vector<BYTE> typed(64, 'q');
    for (BYTE length : {0x41, 0xFF, 0x41}) {  // typed, unticked, ticked again
        EXPECT_EQ(edit->text(), QString(64, QLatin1Char('q')));  // also while unticked
        EXPECT_EQ(g_image[16], length);
        EXPECT_EQ(ImageHex(VIDEO_LONG, 64), emu::Hex(length == 0xFF ? kFf64 : typed));
        EXPECT_TRUE(std::equal(file.begin() + 17, file.begin() + VIDEO_LONG, g_image + 17)) << "header or code";
        EXPECT_TRUE(std::equal(file.begin() + AUDIO_LONG, file.begin() + AUDIO_LONG + 64, g_image + AUDIO_LONG));
        ExpectChecksumsStored();
        EXPECT_EQ(ShownChecksum(), shown);
        Click(IDC_VIDEO_STRING_CHECK);
    }
    EXPECT_NE(ReadBE16(g_image + 50 + 0x1100), g_checksum);
}

// A read-back changes the code length without a reload: a string typed in
// the long layout then meets the short one and is cut to 15 characters.
TEST_F(VQ7340Page, TextLongerThanTheLayoutIsCut) {
    auto chip = bus->Plug({.type = emu::ChipType::VQ7340});
    ASSERT_EQ(g_patchVQ7340.ScanDevices(), 1);
    OpenFile(Firmware(0x1100));
    Page().SetDlgItemText(IDC_VIDEO_STRING, QString::fromLatin1(kLong, 40));
    Page().SetDlgItemText(IDC_AUDIO_STRING, QString::fromLatin1(kLong, 40));
    // Blank flash: no valid header, code length 0.
    ReadAsUser();
    ASSERT_EQ(g_codeLen, 0);
    const std::vector<BYTE> cut = Hex("10 4C 6F 6E 67 20 73 74 72 69 6E 67 20 6F 66 20");  // "Long string of "
    Click(IDC_VIDEO_STRING_CHECK);
    Click(IDC_VIDEO_STRING_CHECK);
    EXPECT_EQ(ImageHex(16, 17), emu::Hex(cut) + " 29");  // the audio length byte stays 41
    Page().SetDlgItemText(IDC_AUDIO_STRING, QString::fromLatin1(kLong, 40));
    EXPECT_EQ(ImageHex(32, 16), emu::Hex(cut));
    ExpectChecksumsStored();
}

// What the page wrote is what Download puts into the chip's flash.
TEST_F(VQ7340Page, EditedImageDownloadedToTheChip) {
    auto chip = bus->Plug({.type = emu::ChipType::VQ7340});
    dlg->SendNotify(IDC_CONNECT, BN_CLICKED);
    OpenFile(Firmware(0x1100));
    Page().SetDlgItemText(IDC_VIDEO_STRING, QStringLiteral("Quill Cam"));
    host.openPath = WriteFile(QStringLiteral("key.bin"), std::vector<BYTE>(285, 0x6B));
    Click(IDC_LOAD_KEY);
    ExpectChecksumsStored();
    dlg->SendNotify(IDC_DOWNLOAD, BN_CLICKED);
    ASSERT_TRUE(QTest::qWaitFor([] { return g_bBusy == 0; }, 20000));
    EXPECT_EQ(g_statusBar.m_pPaneTexts[0], QStringLiteral("Upgrade Successful"));
    EXPECT_EQ(emu::Hex(chip->Flash(0, g_imageLen)), ImageHex(0, g_imageLen));
    EXPECT_EQ(emu::Hex(chip->Flash(VIDEO_LONG, 9)), emu::Hex(Hex("51 75 69 6C 6C 20 43 61 6D")));
}

TEST_F(VQ7340Page, HdcpKeyLoading) {
    enum class File { Written, Missing, Folder, Cancelled };
    struct Case {
        const char* name;
        File file;
        std::size_t size;
        const char* message;  // nullptr: the key is loaded (or the dialog cancelled)
    };
    const Case cases[] = {
        {"key.bin", File::Written, 285, nullptr},
        {"KEY.BIN", File::Written, 285, nullptr},
        {"key.txt", File::Written, 285, "File type error!\n"},
        {"short.bin", File::Written, 284, "Invalid key because the length is 284 not equal to 285!\n"},
        {"gone.bin", File::Missing, 0, "fail to open file!\n"},
        {"folder.bin", File::Folder, 0, "fail to open file!\n"},
        {"", File::Cancelled, 0, nullptr},
    };
    std::vector<BYTE> key(285);
    for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<BYTE>(0xA0 ^ (i * 13));
    // After the defaults the key lies outside the image; with 0x500 code bytes inside the code.
    for (WORD len : {WORD(0), WORD(0x500)}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << "code length " << len << ", " << c.name);
            Choose(ROW_VQ7340);
            if (len) OpenFile(Firmware(len));
            std::memset(g_image + 0x300, 0x5A, 0x200);
            g_image[9] ^= 0x11;  // a header change the key loader does not sum
            const std::vector<BYTE> before(g_image, g_image + 0x800);
            const WORD checksum = g_checksum;
            const std::vector<BYTE> bytes(key.begin(), key.begin() + static_cast<std::ptrdiff_t>(c.size));
            host.openPath = c.file == File::Written ? WriteFile(QString::fromLatin1(c.name), bytes)
                            : c.file == File::Cancelled ? std::string() : dir.filePath(c.name).toStdString();
            ASSERT_TRUE(c.file != File::Folder || QDir(dir.path()).mkpath(c.name));
            Click(IDC_LOAD_KEY);

            EXPECT_EQ(host.openSpec.title + host.openSpec.filter, "Open hdcp key file!HDCP_KEY (*.bin)|*.bin|");
            EXPECT_EQ(host.TakeMessages(), c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
            EXPECT_EQ(std::make_pair(g_imageLen, g_codeLen), std::make_pair(DWORD(52u + len), len));
            EXPECT_EQ(ImageHex(48 + len, 2), emu::Hex(std::vector<BYTE>(&before[48 + len], &before[50 + len])));
            if (c.message || c.file == File::Cancelled) {
                EXPECT_TRUE(std::equal(before.begin(), before.end(), g_image)) << "the image changed";
                EXPECT_EQ(g_checksum, checksum);
                continue;
            }
            EXPECT_EQ(ImageHex(0x30F, 287), "5A " + emu::Hex(key) + " 5A");
            EXPECT_EQ(g_checksum, len ? CodeChecksum(g_image, len, ChecksumLayout::VQ7340) : 0);
            EXPECT_EQ(ReadBE16(g_image + 50 + len), g_checksum);
            EXPECT_EQ(ShownChecksum(), QString::asprintf("%04X", g_checksum));
            ExpectHexViewShowsImage();
        }
    }
}

}  // namespace
}  // namespace pages_test
