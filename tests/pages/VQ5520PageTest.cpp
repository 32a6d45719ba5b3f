// The VQ5520 page in the main dialog: page defaults, the template, the
// SDRAM, udisk and video-mode handlers, the string fields, edits behind a
// loaded code, a read-back refreshing the page from the worker, and the
// GPIO multiplex radios on an emulated chip.
#include "PageControlsVQ5520.h"
#include "DlgWidgets.h"
#include "PageFixture.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTemporaryDir>

#include <algorithm>

namespace pages_test {
namespace {

const int kModeRadios[10] = {IDC_NTSC, IDC_PAL, 1080, 1081, 1082, 1083, 1084, 1085, 1086, 1087};

std::string Repeat(const char* byte, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += std::string(i ? " " : "") + byte;
    return s;
}

class VQ5520Page : public PageTest {
protected:
    // What a loader leaves: the header bytes changed, both checksums stored,
    // the page reloaded.
    void Load(std::initializer_list<std::pair<std::size_t, BYTE>> bytes) {
        for (auto [offset, value] : bytes) g_image[offset] = value;
        StoreChecksums(g_image, ChecksumLayout::VQ7170);
        g_pCurPage->LoadFromImage();
    }
    bool Ticked(int id) const { return Page().IsDlgButtonChecked(id) == BST_CHECKED; }
    // The one ticked radio of ids; 0 when none or more than one is ticked.
    int Marked(std::initializer_list<int> ids) const {
        int marked = 0;
        for (int id : ids) {
            if (!Ticked(id)) continue;
            if (marked) return 0;
            marked = id;
        }
        return marked;
    }
    int MarkedSdram() const {
        return Marked({IDC_SDRAM_2M, IDC_SDRAM_4M, IDC_SDRAM_8M, IDC_SDRAM_16M, IDC_SDRAM_NONE, IDC_SDRAM_DEFAULT});
    }
    int MarkedDvo() const { return Marked({1080, 1081, 1082, 1083, 1084, 1085, 1086, 1087}); }
    int MarkedStandard() const { return Marked({IDC_NTSC, IDC_PAL}); }
    // The ten mode radios all enabled (1) or all disabled (0); -1 when mixed.
    int ModeRadiosEnabled() const {
        const auto enabled = std::count_if(std::begin(kModeRadios), std::end(kModeRadios),
                                           [&](int id) { return Page().IsDlgItemEnabled(id); });
        return enabled == 10 ? 1 : enabled == 0 ? 0 : -1;
    }
};

TEST_F(VQ5520Page, ChoosingTheRowLeavesTheDefaultImageAndControls) {
    const std::string image = "C3 3C 00 00 00 00 FF FF FF FF FF FF 00 00 00 00 " + Repeat("FF", 32) + " 25 DA 00 00";
    for (bool atStart : {false, true}) {
        SCOPED_TRACE(atStart ? "at start-up" : "chosen");
        std::memset(g_image, 0x3C, 0x200);
        g_codeLen = 300;
        g_imageLen = 400;
        if (atStart) {
            Open(ROW_VQ5520);
        } else {
            Open(0);
            Choose(ROW_VQ5520);
        }
        EXPECT_EQ(ImageHex(0, 52), image);
        EXPECT_EQ(g_imageLen, 52u);
        EXPECT_EQ(g_codeLen, 0);
        EXPECT_EQ(g_checksum, 0);
        ExpectHexViewShowsImage();
        EXPECT_EQ(dlg->IsDlgButtonChecked(IDC_RADIO_FLASH), BST_CHECKED);

        CChildDialogWnd& page = Page();
        EXPECT_EQ(page.Template()->id, IDD_PAGE_VQ5520);
        for (int id = 1019; id <= 1024; ++id) {
            EXPECT_FALSE(Ticked(id)) << id;
            EXPECT_FALSE(page.IsDlgItemEnabled(id)) << id;
        }
        EXPECT_FALSE(Ticked(IDC_UDISK_ENABLE));
        EXPECT_EQ(MarkedSdram(), IDC_SDRAM_DEFAULT);
        EXPECT_EQ(page.GetDlgItemText(IDC_VID), QStringLiteral("FFFF"));
        EXPECT_EQ(page.GetDlgItemText(IDC_PID), QStringLiteral("FFFF"));
        EXPECT_FALSE(Ticked(IDC_MANUFACTURER_CHECK));
        EXPECT_FALSE(Ticked(IDC_PRODUCT_CHECK));
        EXPECT_EQ(page.GetDlgItemText(IDC_MANUFACTURER), QStringLiteral("corvanta"));
        EXPECT_EQ(page.GetDlgItemText(IDC_PRODUCT), QStringLiteral("vq5520"));
        EXPECT_TRUE(Ticked(IDC_VIDEO_MODE_BY_GPIO));
        EXPECT_EQ(MarkedStandard(), IDC_PAL);
        EXPECT_EQ(MarkedDvo(), IDC_DVO_LAST);
        EXPECT_EQ(ModeRadiosEnabled(), 0);
        // The GPIO multiplex group stays hidden, disabled and unticked.
        for (int id : {IDC_GPIO_EEPROM, IDC_GPIO_FLASH}) {
            QWidget* w = page.GetDlgItem(id);
            EXPECT_TRUE(w->isHidden()) << id;
            EXPECT_FALSE(w->isEnabled()) << id;
            EXPECT_FALSE(Ticked(id)) << id;
        }
        EXPECT_TRUE(host.TakeMessages().empty());
    }
}

TEST_F(VQ5520Page, CaptionsFitAndOnlyBoxesAndEditsTakeTabStops) {
    Open(ROW_VQ5520);
    CChildDialogWnd& page = Page();
    EXPECT_EQ(page.size(), page.TemplateSize());
    for (const BuiltControl& c : page.Controls()) {
        SCOPED_TRACE(::testing::Message() << c.id << " " << page.GetDlgItemText(c.id).toStdString());
        const bool tabStop = c.kind == CtlKind::AutoCheckBox || c.kind == CtlKind::Edit;
        if (c.kind == CtlKind::AutoCheckBox || c.kind == CtlKind::AutoRadio || c.kind == CtlKind::Edit) {
            EXPECT_EQ((c.widget->focusPolicy() & Qt::TabFocus) != 0, tabStop);
        }
        if (auto* edit = qobject_cast<CDlgEdit*>(c.widget)) {
            EXPECT_TRUE(edit->StopsAtVisibleWidth());
        }
        // Every caption can be read in full inside the page host.
        if (auto* b = qobject_cast<QAbstractButton*>(c.widget)) {
            QStyleOptionButton option;
            option.initFrom(b);
            option.text = b->text();
            const bool radio = c.kind == CtlKind::AutoRadio;
            const QRect text = b->style()->subElementRect(
                radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, b);
            EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()), text.width());
            EXPECT_LE(page.mapTo(dlg->m_tab, b->geometry().topRight()).x(), dlg->m_tab->width());
        } else if (auto* label = qobject_cast<QLabel*>(c.widget)) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
        }
    }
}

TEST_F(VQ5520Page, SdramTypeShownKeptAndWrittenByItsRadios) {
    struct Case {
        BYTE loaded;
        int shown;  // the radio marked after the load
        int click;
        BYTE written;
    };
    const Case cases[] = {
        {0x00, IDC_SDRAM_2M, IDC_SDRAM_16M, 0x03},    {0x01, IDC_SDRAM_4M, IDC_SDRAM_NONE, 0x04},
        {0x02, IDC_SDRAM_8M, IDC_SDRAM_2M, 0x00},     {0x03, IDC_SDRAM_16M, IDC_SDRAM_4M, 0x01},
        {0x04, IDC_SDRAM_NONE, IDC_SDRAM_8M, 0x02},   {0x07, IDC_SDRAM_DEFAULT, IDC_SDRAM_DEFAULT, 0xFF},
        {0xFE, IDC_SDRAM_DEFAULT, IDC_SDRAM_2M, 0x00}, {0x05, IDC_SDRAM_DEFAULT, IDC_SDRAM_DEFAULT, 0xFF},
        // A click on the marked radio writes its value again.
        {0x02, IDC_SDRAM_8M, IDC_SDRAM_8M, 0x02},
    };
    Open(ROW_VQ5520);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << int(c.loaded) << " click " << std::dec << c.click);
        Load({{0x0A, c.loaded}});
        EXPECT_EQ(MarkedSdram(), c.shown);
        EXPECT_EQ(g_image[0x0A], c.loaded);  // kept through the load's own handlers
        Click(c.click);
        EXPECT_EQ(g_image[0x0A], c.written);
        // One group across the group box and the udisk box between them.
        EXPECT_EQ(MarkedSdram(), c.click);
        EXPECT_EQ(MarkedStandard(), IDC_PAL);
        ExpectHeaderChecksumRefreshed();
        ExpectHexViewShowsImage();
    }
}

TEST_F(VQ5520Page, VideoModeShownAsLoadedAndWrittenByTheBoxAndTheRadios) {
    struct Case {
        BYTE loaded;
        bool byGpio;  // shown after the load
        int standard;
        int dvo;
        std::vector<int> clicks;
        BYTE written;
    };
    constexpr int BOX = IDC_VIDEO_MODE_BY_GPIO;
    const Case cases[] = {
        {0xFF, true, IDC_PAL, 1087, {BOX}, 0xEF},
        {0x10, true, IDC_NTSC, 1080, {BOX}, 0x00},
        {0x05, false, IDC_PAL, 1082, {IDC_NTSC}, 0x04},
        {0x00, false, IDC_NTSC, 1080, {BOX}, 0xFF},
        // Ticked and unticked: bits 5..7 stay set, bits 0..3 come from the marks.
        {0x00, false, IDC_NTSC, 1080, {BOX, BOX}, 0xE0},
        {0x05, false, IDC_PAL, 1082, {1087, BOX, BOX}, 0xEF},
        {0xEE, false, IDC_NTSC, 1087, {IDC_PAL}, 0xEF},
        {0x60, false, IDC_NTSC, 1080, {1086, IDC_PAL}, 0x6D},
        {0x1B, true, IDC_PAL, 1085, {1083, IDC_NTSC}, 0x1B},  // disabled radios take no click
    };
    Open(ROW_VQ5520);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << int(c.loaded) << " -> " << int(c.written));
        Load({{0x0B, c.loaded}});
        EXPECT_EQ(Ticked(BOX), c.byGpio);
        EXPECT_EQ(MarkedStandard(), c.standard);
        EXPECT_EQ(MarkedDvo(), c.dvo);
        EXPECT_EQ(ModeRadiosEnabled(), c.byGpio ? 0 : 1);
        EXPECT_EQ(g_image[0x0B], c.loaded);
        for (int id : c.clicks) Click(id);
        EXPECT_EQ(int(g_image[0x0B]), int(c.written));
        EXPECT_EQ(ModeRadiosEnabled(), Ticked(BOX) ? 0 : 1);
        ExpectHeaderChecksumRefreshed();
        ExpectHexViewShowsImage();
    }
}

TEST_F(VQ5520Page, FlagsShownOnlyAndUdiskWrittenToBitZero) {
    struct Case {
        BYTE flags, options;
        BYTE written;  // byte 5 after a click on "udisk enable"
    };
    const Case cases[] = {{0x00, 0x80, 0x81}, {0xA8, 0x81, 0x80}, {0xFF, 0xFE, 0xFF}, {0x03, 0x01, 0x00}};
    Open(ROW_VQ5520);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << int(c.flags) << " " << int(c.options));
        Load({{4, c.flags}, {5, c.options}});
        for (int bit = 2; bit < 8; ++bit) EXPECT_EQ(Ticked(1017 + bit), ((c.flags >> bit) & 1) != 0) << bit;
        EXPECT_EQ(Ticked(IDC_UDISK_ENABLE), (c.options & 1) != 0);
        Click(IDC_FLAG_BEFORE_CHIP_INIT);  // disabled: nothing changes
        Click(IDC_UDISK_ENABLE);
        EXPECT_EQ(int(g_image[4]), int(c.flags));
        EXPECT_EQ(int(g_image[5]), int(c.written));
        ExpectHeaderChecksumRefreshed();
    }
}

TEST_F(VQ5520Page, AbsentStringsShownByDefaultTextsAndStoredWhenTicked) {
    struct Case {
        int box;
        int edit;
        std::size_t field;
        const char* shown;
        const char* ticked;  // the field after ticking the box
    };
    const Case cases[] = {
        {IDC_MANUFACTURER_CHECK, IDC_MANUFACTURER, 0x10, "corvanta",
         "09 63 6F 72 76 61 6E 74 61 FF FF FF FF FF FF FF"},
        {IDC_PRODUCT_CHECK, IDC_PRODUCT, 0x20, "vq5520", "07 76 71 35 35 32 30 FF FF FF FF FF FF FF FF FF"},
    };
    Open(ROW_VQ5520);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        // An absent field with stray bytes behind its length byte.
        Load({{c.field, 0xFF}, {c.field + 1, 0x41}, {c.field + 15, 0x00}});
        EXPECT_FALSE(Ticked(c.box));
        EXPECT_EQ(Page().GetDlgItemText(c.edit).toStdString(), c.shown);
        EXPECT_EQ(ImageHex(c.field, 16), Repeat("FF", 16));
        Click(c.box);
        EXPECT_EQ(ImageHex(c.field, 16), c.ticked);
        Page().SetDlgItemText(c.edit, QStringLiteral("Cam"));
        EXPECT_EQ(ImageHex(c.field, 4), "04 43 61 6D");
        Click(c.box);
        EXPECT_EQ(ImageHex(c.field, 16), Repeat("FF", 16));
        ExpectHeaderChecksumRefreshed();
        ExpectHexViewShowsImage();
    }
}

TEST_F(VQ5520Page, TypedStringStopsAtTheEditsWidth) {
    Open(ROW_VQ5520);
    Click(IDC_PRODUCT_CHECK);
    auto* edit = Page().DlgItem<CDlgEdit>(IDC_PRODUCT);
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("WWWWWWWWWWWWWWW"));
    const qsizetype n = edit->text().size();
    EXPECT_GT(n, 0);
    EXPECT_LT(n, 15);  // wide letters fill the edit before its limit
    EXPECT_EQ(g_image[0x20], n + 1);
    EXPECT_EQ(ImageHex(0x21, static_cast<std::size_t>(n)), Repeat("57", static_cast<int>(n)));
    ExpectHeaderChecksumRefreshed();
}

// A VQ5520 image with code: udisk on, VID 1234, PID 5520, SDRAM 8M, video
// mode 05, the manufacturer string "Cam", both checksums in place.
std::vector<BYTE> StoredImage(WORD codeLen) {
    std::vector<BYTE> image(52u + codeLen, 0xFF);
    const std::vector<BYTE> front = Hex("C3 3C 00 00 A8 81 12 34 55 20 02 05 26 07 01 05 04 43 61 6D");
    std::copy(front.begin(), front.end(), image.begin());
    WriteBE16(image.data() + 2, codeLen);
    for (WORD i = 0; i < codeLen; ++i) image[48 + i] = static_cast<BYTE>(i * 7);
    StoreChecksums(image.data(), ChecksumLayout::VQ7170);
    return image;
}

TEST_F(VQ5520Page, EditsAfterAFileWithCodeWriteTheHeaderChecksumBehindIt) {
    constexpr WORD kCodeLen = 60;
    struct Case {
        const char* what;
        int id;
        const char* text;  // typed into edit id; nullptr: a click on id
        std::size_t offset;
        const char* bytes;  // at offset afterwards
    };
    const Case cases[] = {
        {"SDRAM", IDC_SDRAM_NONE, nullptr, 0x0A, "04"},
        {"udisk", IDC_UDISK_ENABLE, nullptr, 5, "80"},
        {"VID", IDC_VID, "ABCD", 6, "AB CD"},
        {"PID", IDC_PID, "12", 8, "00 12"},
        {"manufacturer", IDC_MANUFACTURER, "Lens", 0x10, "05 4C 65 6E 73"},
        {"product", IDC_PRODUCT_CHECK, nullptr, 0x20, "07 76 71 35 35 32 30"},
        {"NTSC", IDC_NTSC, nullptr, 0x0B, "04"},
        {"dvo", 1086, nullptr, 0x0B, "0D"},
        {"gpio", IDC_VIDEO_MODE_BY_GPIO, nullptr, 0x0B, "FF"},
    };
    QTemporaryDir dir;
    const std::vector<BYTE> file = StoredImage(kCodeLen);
    host.openPath = (dir.path() + QStringLiteral("/patch.bin")).toStdString();
    QFile out(QString::fromStdString(host.openPath));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<qint64>(file.size()));
    out.close();

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Open(ROW_VQ5520);
        dlg->OnBnClickedOpenFile();
        ASSERT_EQ(g_statusBar.m_pPaneTexts[0], QStringLiteral("Opened file successfully!"));
        EXPECT_TRUE(host.TakeMessages().empty());
        ASSERT_EQ(g_codeLen, kCodeLen);
        EXPECT_EQ(ImageHex(0, file.size()), emu::Hex(file));
        EXPECT_TRUE(Ticked(IDC_MANUFACTURER_CHECK));
        EXPECT_FALSE(Ticked(IDC_PRODUCT_CHECK));
        EXPECT_EQ(MarkedSdram(), IDC_SDRAM_8M);

        if (c.text)
            Page().SetDlgItemText(c.id, QString::fromUtf8(c.text));
        else
            Click(c.id);
        EXPECT_EQ(ImageHex(c.offset, Hex(c.bytes).size()), c.bytes);
        ExpectHeaderChecksumRefreshed();
        EXPECT_NE(ReadBE16(g_image + 48), HeaderChecksum(g_image, ChecksumLayout::VQ7170));  // not at 48
        // The code and its checksum stay as loaded.
        EXPECT_EQ(ImageHex(48, kCodeLen), emu::Hex(std::span<const BYTE>(file.data() + 48, kCodeLen)));
        EXPECT_EQ(ImageHex(50 + kCodeLen, 2), emu::Hex(std::span<const BYTE>(file.data() + 50 + kCodeLen, 2)));
        EXPECT_EQ(g_imageLen, file.size());
        ExpectHexViewShowsImage();
    }
}

TEST_F(VQ5520Page, ReadPressRefreshesThePageFromTheWorker) {
    auto chip = bus->Plug({.type = emu::ChipType::VQ5520, .gateBus = true});
    std::vector<BYTE> stored = StoredImage(24);
    stored[0x0B] = 0x10;  // video mode by GPIO, NTSC, rgb888
    StoreChecksums(stored.data(), ChecksumLayout::VQ7170);
    chip->WriteFlash(0, stored);
    Open(ROW_VQ5520);
    QCoreApplication::processEvents();
    dlg->SendNotify(IDC_CONNECT, BN_CLICKED);
    ASSERT_TRUE(g_patchVQ5520.m_bConnected);
    ASSERT_EQ(dlg->IsDlgButtonChecked(IDC_RADIO_FLASH), BST_CHECKED);

    dlg->SendNotify(IDC_READ, BN_CLICKED);
    ASSERT_TRUE(QTest::qWaitFor([] { return g_bBusy == 0; }, 20000));
    QCoreApplication::processEvents();

    EXPECT_EQ(g_codeLen, 24);
    EXPECT_EQ(ImageHex(0, stored.size()), emu::Hex(stored));
    EXPECT_EQ(Page().GetDlgItemText(IDC_VID), QStringLiteral("1234"));
    EXPECT_EQ(Page().GetDlgItemText(IDC_PID), QStringLiteral("5520"));
    EXPECT_EQ(Page().GetDlgItemText(IDC_MANUFACTURER), QStringLiteral("Cam"));
    EXPECT_TRUE(Ticked(IDC_UDISK_ENABLE));
    EXPECT_EQ(MarkedSdram(), IDC_SDRAM_8M);
    for (int id = 1019; id <= 1024; ++id) EXPECT_EQ(Ticked(id), id == 1020 || id == 1022 || id == 1024) << id;
    EXPECT_TRUE(Ticked(IDC_VIDEO_MODE_BY_GPIO));
    EXPECT_EQ(MarkedStandard(), IDC_NTSC);
    EXPECT_EQ(MarkedDvo(), IDC_DVO_FIRST);
    EXPECT_EQ(ModeRadiosEnabled(), 0);
    // The hex view shows what was read.
    ASSERT_EQ(dlg->m_hexEdit.GetDataSize(), stored.size());
    EXPECT_EQ(std::memcmp(dlg->m_hexEdit.GetData(), stored.data(), stored.size()), 0);
    EXPECT_EQ(g_statusBar.m_pPaneTexts[0], QStringLiteral("Reading completed!"));
}

// --- GPIO multiplex -----------------------------------------------------------

// Which of the chip's answers fail from the first report on.
enum class MuxFault { None, Requests, Replies };

struct MuxCase {
    const char* name;
    int radio;
    int reportId;
    bool ticked;
    MuxFault fault;
    bool busy;               // a download or read job runs
    BYTE p3, p2, pinMux;     // SFR B0, SFR A0, XDATA F016 before
    std::vector<const char*> requests;  // the sends, without the report id
};

const MuxCase kMuxCases[] = {
    {"EepromUnticked", IDC_GPIO_EEPROM, 0, false, MuxFault::None, false, 0x01, 0x18, 0x00, {}},
    {"FlashUnticked", IDC_GPIO_FLASH, 1, false, MuxFault::None, false, 0x01, 0x18, 0x00, {}},
    {"Eeprom", IDC_GPIO_EEPROM, 0, true, MuxFault::None, false, 0x01, 0x1F, 0xF0,
     {"C5 B0", "C6 B0 DD", "C5 A0", "C6 A0 07", "B5 F0 16", "B6 F0 16 F4"}},
    {"EepromId1", IDC_GPIO_EEPROM, 1, true, MuxFault::None, false, 0x20, 0xFF, 0x00,
     {"C5 B0", "C6 B0 FC", "C5 A0", "C6 A0 E7", "B5 F0 16", "B6 F0 16 04"}},
    {"Flash", IDC_GPIO_FLASH, 0, true, MuxFault::None, false, 0x01, 0x18, 0xFF,
     {"C5 B0", "C6 B0 DD", "C5 A0", "C6 A0 00", "C5 A0", "C6 A0 04", "B5 F0 16", "B6 F0 16 FB"}},
    {"FlashId1", IDC_GPIO_FLASH, 1, true, MuxFault::None, false, 0x00, 0xE3, 0x04,
     {"C5 B0", "C6 B0 DC", "C5 A0", "C6 A0 E3", "C5 A0", "C6 A0 E7", "B5 F0 16", "B6 F0 16 00"}},
    // Reads that cannot be sent count as 0; the writes still go out.
    {"EepromFailing", IDC_GPIO_EEPROM, 0, true, MuxFault::Requests, false, 0xFF, 0xFF, 0xFF,
     {"C5 B0", "C6 B0 DC", "C5 A0", "C6 A0 00", "B5 F0 16", "B6 F0 16 04"}},
    {"FlashFailing", IDC_GPIO_FLASH, 1, true, MuxFault::Requests, false, 0xFF, 0xFF, 0xFF,
     {"C5 B0", "C6 B0 DC", "C5 A0", "C6 A0 00", "C5 A0", "C6 A0 04", "B5 F0 16", "B6 F0 16 00"}},
    // Reads whose replies cannot be fetched count as 0 too, never as a byte
    // of the request left in the buffer.
    {"EepromRepliesFailingId1", IDC_GPIO_EEPROM, 1, true, MuxFault::Replies, false, 0x01, 0x1F, 0xF0,
     {"C5 B0", "C6 B0 DC", "C5 A0", "C6 A0 00", "B5 F0 16", "B6 F0 16 04"}},
    {"FlashRepliesFailingId1", IDC_GPIO_FLASH, 1, true, MuxFault::Replies, false, 0x01, 0x1F, 0xF0,
     {"C5 B0", "C6 B0 DC", "C5 A0", "C6 A0 00", "C5 A0", "C6 A0 04", "B5 F0 16", "B6 F0 16 00"}},
    {"FlashRepliesFailing", IDC_GPIO_FLASH, 0, true, MuxFault::Replies, false, 0x01, 0x1F, 0xF0,
     {"C5 B0", "C6 B0 DC", "C5 A0", "C6 A0 00", "C5 A0", "C6 A0 04", "B5 F0 16", "B6 F0 16 00"}},
    // A job switches the bus for its own transfer: nothing goes out meanwhile.
    {"EepromWhileAJobRuns", IDC_GPIO_EEPROM, 0, true, MuxFault::None, true, 0x01, 0x18, 0x00, {}},
    {"FlashWhileAJobRuns", IDC_GPIO_FLASH, 1, true, MuxFault::None, true, 0x01, 0x18, 0x00, {}},
};

class VQ5520Mux : public VQ5520Page, public ::testing::WithParamInterface<MuxCase> {};

TEST_P(VQ5520Mux, RegisterSequenceOfTheRadio) {
    const MuxCase& c = GetParam();
    Open(ROW_VQ5520);
    auto chip = bus->Plug({.type = emu::ChipType::VQ5520, .reportId = c.reportId});
    ASSERT_EQ(g_patchVQ5520.ScanDevices(), 1);
    chip->SetSfr(0xB0, c.p3);
    chip->SetSfr(0xA0, c.p2);
    chip->SetXdata(0xF016, c.pinMux);
    chip->ClearLog();
    if (c.fault == MuxFault::Requests) chip->FailSetFeatureFrom(1);
    if (c.fault == MuxFault::Replies) chip->FailGetFeatureFrom(1);
    const std::vector<BYTE> imageBefore(g_image, g_image + g_imageLen);

    // The radio is hidden and disabled: tick it and raise its notification.
    Page().CheckDlgButton(c.radio, c.ticked ? BST_CHECKED : BST_UNCHECKED);
    g_bBusy = c.busy;
    Page().SendNotify(c.radio, BN_CLICKED);
    g_bBusy = 0;

    std::vector<std::string> sent;
    for (const emu::LoggedReport& r : chip->Log()) {
        if (r.kind != emu::LoggedReport::Set) continue;
        ASSERT_EQ(r.bytes.size(), 9u);
        EXPECT_EQ(r.bytes[0], c.reportId);
        EXPECT_EQ(r.ok, c.fault != MuxFault::Requests);
        sent.push_back(emu::Hex(std::span<const BYTE>(r.bytes.data() + 1, 8)));
    }
    std::vector<std::string> expected;
    for (const char* r : c.requests) {
        std::vector<BYTE> body = Hex(r);
        body.resize(8, 0);
        expected.push_back(emu::Hex(body));
    }
    EXPECT_EQ(sent, expected);
    // Every read that went out asked for its answer.
    const std::vector<emu::LoggedReport> log = chip->Log();
    const auto gets = std::count_if(log.begin(), log.end(),
                                    [](const emu::LoggedReport& r) { return r.kind == emu::LoggedReport::Get; });
    EXPECT_EQ(gets, c.fault == MuxFault::Requests ? 0 : static_cast<long>(c.requests.size() / 2));
    EXPECT_EQ(std::vector<BYTE>(g_image, g_image + g_imageLen), imageBefore);
    EXPECT_TRUE(host.TakeMessages().empty());
}

INSTANTIATE_TEST_SUITE_P(Radios, VQ5520Mux, ::testing::ValuesIn(kMuxCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pages_test
