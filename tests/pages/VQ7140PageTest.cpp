// The VQ7140S and VQ7140XX pages in the main dialog: the reset of the
// 16-byte header, the VQ7140XX defaults, captions and lists, the option
// bytes, the BCSH edits and block, a HEX file opened through the dialog and
// a download of the page's image to an emulated chip.
#include "../image/ImageTestUtil.h"
#include "PageControls7140.h"
#include "PageFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace pages_test {
namespace {

const int kCommonFlags[8] = {1019, 1020, 1021, 1022, 1023, 1024, 1025, 1026};
const int kBcshEdits[4] = {IDC_BRIGHTNESS, IDC_CONTRAST, IDC_SATURATION, IDC_HUE};
using Texts = std::vector<std::string>;

class VQ7140Pages : public PageTest {
protected:
    // The user picks entry index of a drop-down list of the page.
    void ChooseEntry(int id, int index) const {
        auto* combo = Page().DlgItem<QComboBox>(id);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    static std::string Status() { return g_statusBar.m_pPaneTexts[0].toStdString(); }
    Texts TextsOf(std::initializer_list<int> ids) const {
        Texts out;
        for (int id : ids) out.push_back(Page().GetDlgItemText(id).toStdString());
        return out;
    }
    Texts BcshTexts() const { return TextsOf({IDC_BRIGHTNESS, IDC_CONTRAST, IDC_SATURATION, IDC_HUE}); }
    static std::vector<int> Members() {
        const CPageOptionVQ7140XX& p = g_pageVQ7140XX;
        return {p.m_nBrightness, p.m_nContrast, p.m_nSaturation, p.m_nHue};
    }
    // Ticked boxes of the list, as a bit mask (bit i: ids[i]).
    unsigned Ticked(std::initializer_list<int> ids) const {
        unsigned bits = 0, bit = 0;
        for (int id : ids) bits |= Page().IsDlgButtonChecked(id) << bit++;
        return bits;
    }
    // Both checksums of the code in force behind it, g_checksum, the hex view.
    void ExpectImageRefreshed() const {
        const std::size_t at = IMAGE_HEADER_SIZE + g_codeLen;
        EXPECT_EQ(ReadBE16(g_image + at), HeaderChecksum(g_image, ChecksumLayout::VQ7140XX)) << "at " << at;
        EXPECT_EQ(ReadBE16(g_image + at + 2), CodeChecksum(g_image, g_codeLen, ChecksumLayout::VQ7140XX));
        EXPECT_EQ(g_checksum, ReadBE16(g_image + at + 2));
        ExpectHexViewShowsImage();
    }
};

TEST_F(VQ7140Pages, VQ7140SResetsItsSixteenByteHeaderOnly) {
    struct Case {
        int from;           // row shown before; -1: the first page after start-up
        const char* image;  // bytes 0..15 afterwards: 10..11 as the row before left them
    };
    const Case cases[] = {{-1, "5A A5 00 00 FF FF FF FF FF FF 00 00 00 00 00 00"},
                          {ROW_VQ7170, "5A A5 00 00 FF FF FF FF FF FF FF FF 00 00 00 00"},
                          {ROW_VQ7140XX, "5A A5 00 00 FF FF FF FF FF FF 01 7F 00 00 00 00"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        std::memset(g_image, 0x00, 0x100);  // a fresh image buffer
        g_image[0] = 0x5A, g_image[1] = 0xA5, g_image[16] = 0x3C;
        g_codeLen = 300, g_checksum = 0x1234;
        if (c.from < 0) {
            Open(ROW_VQ7140S);
            EXPECT_EQ(g_image[16], 0x3C);
        } else {
            Open(c.from);
            Choose(ROW_VQ7140S);
        }
        EXPECT_EQ(ImageHex(0, 16), c.image);
        EXPECT_EQ(std::tuple(g_imageLen, g_codeLen, g_checksum), std::tuple(16u, WORD{0}, WORD{0}));
        ExpectHexViewShowsImage();
        EXPECT_EQ(dlg->IsDlgButtonChecked(IDC_RADIO_24C01), BST_CHECKED);
        // One empty, disabled, read-only edit in system colours, with the
        // read-only face, fills the white page.
        CChildDialogWnd& page = Page();
        ASSERT_EQ(page.Controls().size(), 1u);
        auto* edit = page.DlgItem<QLineEdit>(IDC_BLANK_EDIT);
        EXPECT_TRUE(!edit->isEnabled() && edit->isReadOnly() && edit->text().isEmpty());
        EXPECT_GE(edit->width() * edit->height() * 10, page.width() * page.height() * 9);
        EXPECT_EQ(page.palette().color(QPalette::Window), QColor(Qt::white));
        EXPECT_EQ(edit->palette().color(QPalette::Window), SystemPalette().color(QPalette::Window));
        EXPECT_EQ(edit->palette().color(QPalette::Disabled, QPalette::Base),
                  SystemPalette().color(QPalette::Disabled, QPalette::Button));
    }
    // The VQ7140S loader does not reach the page: the file stays as loaded.
    imagetest::TempDir dir;
    const std::vector<BYTE> file = Hex("5A A5 00 04 01 02 03 04 05 06 07 08 09 0A 0B 0C 11 22 33 44");
    host.openPath = dir.Write("patch.bin", file);
    ClickDialog(IDC_OPEN_FILE);
    EXPECT_EQ(ImageHex(0, g_imageLen), emu::Hex(file));
    EXPECT_TRUE(Page().GetDlgItemText(IDC_BLANK_EDIT).isEmpty());
    EXPECT_TRUE(host.TakeMessages().empty());
}

TEST_F(VQ7140Pages, VQ7140XXDefaultImageAndControls) {
    for (int from : {-1, ROW_VQ7170}) {
        SCOPED_TRACE(from);
        std::memset(g_image, 0x3C, 0x200);
        g_pageVQ7140XX.m_nBrightness = g_pageVQ7140XX.m_nContrast = 7;
        Open(from < 0 ? ROW_VQ7140XX : from);
        if (from >= 0) Choose(ROW_VQ7140XX);
        EXPECT_EQ(ImageHex(0, 53), "08 16 00 00 FF FF FF FF 00 FF 01 7F 00 00 00 00 " + emu::Hex(std::vector<BYTE>(32, 0xFF)) +
                                       " 24 DC 00 00 3C");
        EXPECT_EQ(std::tuple(g_imageLen, g_codeLen, g_checksum), std::tuple(52u, WORD{0}, WORD{0}));
        ExpectHexViewShowsImage();
        EXPECT_EQ(dlg->IsDlgButtonChecked(IDC_RADIO_24C01), BST_CHECKED);
        CChildDialogWnd& page = Page();
        for (int id : kCommonFlags) EXPECT_FALSE(page.IsDlgItemEnabled(id)) << id;
        EXPECT_EQ(Ticked({1019, 1020, 1021, 1022, 1023, 1024, 1025, 1026}), 0u);
        EXPECT_EQ(TextsOf({IDC_VID, IDC_PID, IDC_VIDEO_STRING, IDC_AUDIO_STRING}),
                  (Texts{"FFFF", "FFFF", "USB Video", "USB Audio"}));
        // Strings, AV, SV, audio, stereo, "Save BCSH".
        EXPECT_EQ(Ticked({IDC_VIDEO_STRING_CHECK, IDC_AUDIO_STRING_CHECK, IDC_AV_PORT, IDC_SV_PORT, IDC_AUDIO_ENABLE,
                          IDC_STEREO_ENABLE, IDC_SAVE_BCSH}),
                  0b0011100u);
        EXPECT_TRUE(page.IsDlgItemEnabled(IDC_STEREO_ENABLE));
        EXPECT_EQ(BcshTexts(), (Texts{"0", "128", "128", "0"}));
        for (int id : kBcshEdits) EXPECT_TRUE(page.IsDlgItemEnabled(id)) << id;
        EXPECT_EQ(Members(), (std::vector<int>{0, 128, 128, 0}));
        EXPECT_EQ(TextsOf({IDC_MUTE_PATTERN, IDC_DEFAULT_INPUT, IDC_DEFAULT_TV_MODE}),
                  (Texts{"Pure black", "AV", "NO_SIGNAL"}));
        EXPECT_TRUE(host.TakeMessages().empty());
    }
}

TEST_F(VQ7140Pages, VQ7140XXCaptionsListsAndColours) {
    Open(ROW_VQ7140XX);
    CChildDialogWnd& page = Page();
    EXPECT_EQ(page.size(), page.TemplateSize());
    // Every caption can be read in full inside the page.
    auto expectFits = [&](QWidget* w, const QString& what) {
        EXPECT_LE(w->sizeHint().width(), w->width()) << what.toStdString();
        EXPECT_TRUE(page.rect().contains(w->geometry())) << what.toStdString();
    };
    QStringList boxes, labels, groups;
    for (QCheckBox* b : page.findChildren<QCheckBox*>()) boxes << b->text(), expectFits(b, b->text());
    for (QGroupBox* g : page.findChildren<QGroupBox*>()) groups << g->title(), expectFits(g, g->title());
    for (QLabel* l : page.findChildren<QLabel*>()) {
        labels << l->text();
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->contentsRect().width()) << l->text().toStdString();
        expectFits(l, l->text());
    }
    EXPECT_EQ(boxes, (QStringList{"Patch_Common", "USB_cmd", "USB_int", "Timer_int", "VSync_int", "TVD_int",
                                  "Reserved", "Reserved", "Video String", "Audio String", "AV Port Enable",
                                  "SV Port Enable", "Audio Enalbe", "Stereo Enable", "Save BCSH"}));
    EXPECT_EQ(labels, (QStringList{"VID", "PID", "Default Input Port", QString::fromUtf16(u"Default TV mode\uFF1A"), "B",
                                   "C", "S", "H", QString::fromUtf16(u"Mute Pattern\uFF1A")}));
    EXPECT_EQ(groups, (QStringList{"Common Flag", "USB", "Function Flag 1", "Misc", "Function Flag 2"}));
    const std::pair<int, QStringList> lists[] = {
        {IDC_MUTE_PATTERN,
         {"Pure black", "Pure blue", "Pure green", "Pure red", "Pure white", "Cross hatch", "H ramp", "V ramp",
          "color bar", "H gray scale", "V gray scale", "2nd H gray scale", "primary color", "interlace black",
          "B&W random", "Color random"}},
        {IDC_DEFAULT_INPUT, {"AV", "SV"}},
        {IDC_DEFAULT_TV_MODE, {"NTSC_358", "NTSC_443", "PAL", "PAL_M", "PAL_NC", "SECAM", "PAL_60", "NO_SIGNAL"}}};
    for (const auto& [id, items] : lists) {
        auto* combo = page.DlgItem<QComboBox>(id);
        QStringList shown;
        for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
        EXPECT_EQ(shown, items) << id;
        for (const QString& item : items)
            EXPECT_LE(combo->fontMetrics().horizontalAdvance(item), combo->width() - combo->height()) << item.toStdString();
        expectFits(combo, QString::number(id));
    }
    for (int id : kBcshEdits) {  // the widest value shows in full
        auto* edit = page.DlgItem<QLineEdit>(id);
        EXPECT_EQ(edit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight) << id;
        EXPECT_LE(edit->fontMetrics().horizontalAdvance(QStringLiteral("-128")) + 8, edit->width()) << id;
    }
    // White behind the boxes of the page's list, system colours in edits and lists.
    for (int id : {1019, 1026, IDC_AV_PORT, IDC_SV_PORT, IDC_AUDIO_ENABLE, IDC_STEREO_ENABLE, IDC_SAVE_BCSH,
                   IDC_VIDEO_STRING_CHECK, IDC_AUDIO_STRING_CHECK})
        EXPECT_EQ(page.GetDlgItem(id)->palette().color(QPalette::Window), QColor(Qt::white)) << id;
    for (int id : {IDC_VID, IDC_VIDEO_STRING, IDC_BRIGHTNESS, IDC_HUE, IDC_MUTE_PATTERN, IDC_DEFAULT_TV_MODE})
        EXPECT_EQ(page.GetDlgItem(id)->palette(), SystemPalette()) << id;
}

// Each step acts on what the step before left, from the default image.
TEST_F(VQ7140Pages, OptionChangesRebuildBytes8To11AndTheBlock) {
    struct Step {
        const char* what;
        int id;
        int entry;           // -1: a click on box id, else the entry chosen in list id
        const char* bytes;   // header bytes 8..11, checksums 48..51, bytes 52..55 afterwards
        DWORD imageLen;
    };
    const Step steps[] = {
        {"Save BCSH", IDC_SAVE_BCSH, -1, "00 FF 05 7F / 24 E0 00 00 / 00 80 80 00", 56},
        {"untick Save BCSH", IDC_SAVE_BCSH, -1, "00 FF 01 7F / 24 DC 00 00 / 00 80 80 00", 52},
        {"untick SV", IDC_SV_PORT, -1, "00 FD 01 7F / 24 DA 00 00 / 00 80 80 00", 52},
        {"untick AV, SV unticked", IDC_AV_PORT, -1, "00 FD 01 7F / 24 DA 00 00 / 00 80 80 00", 52},
        {"tick SV", IDC_SV_PORT, -1, "00 FF 01 7F / 24 DC 00 00 / 00 80 80 00", 52},
        {"untick AV", IDC_AV_PORT, -1, "00 FE 01 7F / 24 DB 00 00 / 00 80 80 00", 52},
        {"stereo", IDC_STEREO_ENABLE, -1, "00 FE 03 7F / 24 DD 00 00 / 00 80 80 00", 52},
        {"untick audio", IDC_AUDIO_ENABLE, -1, "00 FE 00 7F / 24 DA 00 00 / 00 80 80 00", 52},
        {"tick audio", IDC_AUDIO_ENABLE, -1, "00 FE 01 7F / 24 DB 00 00 / 00 80 80 00", 52},
        {"SV, NO_SIGNAL", IDC_DEFAULT_INPUT, 1, "00 FE 01 FF / 24 DB 00 00 / 00 80 80 00", 52},
        {"SV, PAL", IDC_DEFAULT_TV_MODE, 2, "00 FE 01 82 / 24 DB 00 00 / 00 80 80 00", 52},
        {"AV, PAL", IDC_DEFAULT_INPUT, 0, "00 FE 01 02 / 24 DB 00 00 / 00 80 80 00", 52},
        {"AV, NTSC_358", IDC_DEFAULT_TV_MODE, 0, "00 FE 01 00 / 24 DB 00 00 / 00 80 80 00", 52},
        {"Color random", IDC_MUTE_PATTERN, 15, "00 FE F1 00 / 25 CB 00 00 / 00 80 80 00", 52},
        {"color bar, Save BCSH", IDC_MUTE_PATTERN, 8, "00 FE 81 00 / 25 5B 00 00 / 00 80 80 00", 52},
    };
    Open(ROW_VQ7140XX);
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.entry < 0)
            Click(s.id);
        else
            ChooseEntry(s.id, s.entry);
        EXPECT_EQ(ImageHex(8, 4) + " / " + ImageHex(48, 4) + " / " + ImageHex(52, 4), s.bytes);
        EXPECT_EQ(g_imageLen, s.imageLen);
        ExpectImageRefreshed();
        // The boxes show what the bytes hold; stereo only with audio.
        EXPECT_EQ(Ticked({IDC_AV_PORT, IDC_SV_PORT}), g_image[9] & 3u);
        EXPECT_EQ(Ticked({IDC_AUDIO_ENABLE, IDC_STEREO_ENABLE, IDC_SAVE_BCSH}), g_image[10] & 7u);
        EXPECT_EQ(Page().IsDlgItemEnabled(IDC_STEREO_ENABLE), (g_image[10] & 1) != 0);
        for (int id : kBcshEdits) EXPECT_EQ(Page().IsDlgItemEnabled(id), s.imageLen == 52) << id;
    }
    EXPECT_TRUE(host.TakeMessages().empty());
}

TEST_F(VQ7140Pages, BcshEditsCorrectSilentlyAndLeaveTheImage) {
    struct Case {
        int id;
        const char* text;   // set by the program, which runs the handler
        const char* shown;  // afterwards
        int stored;         // in the member
    };
    const Case cases[] = {
        {IDC_BRIGHTNESS, "200", "127", 127},  {IDC_BRIGHTNESS, "-200", "-128", -128}, {IDC_CONTRAST, "-5", "0", 0},
        {IDC_BRIGHTNESS, "12a", "12", 12},    {IDC_BRIGHTNESS, "-", "-", 0},          {IDC_HUE, "", "", 0},
        {IDC_HUE, "-128", "-128", -128},      {IDC_SATURATION, "256", "255", 255},    {IDC_CONTRAST, "2-5", "2", 2},
        {IDC_CONTRAST, "--5", "0", 0},        {IDC_CONTRAST, " 77", "77", 77},        {IDC_CONTRAST, "300x", "255", 255},
        // Numbers beyond the int range count as above or below the range.
        {IDC_BRIGHTNESS, "99999999999", "127", 127},   {IDC_BRIGHTNESS, "-99999999999", "-128", -128},
        {IDC_SATURATION, "-2147483649", "0", 0},       {IDC_HUE, "2147483648", "127", 127},
        {IDC_SATURATION, "99999999999999999999999999", "255", 255},
    };
    Open(ROW_VQ7140XX);
    const std::string before = ImageHex(0, 56);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.id << " '" << c.text << "'");
        dlg->m_hexEdit.SetData(g_image, 8);  // an image-info refresh would show
        Page().SetDlgItemText(c.id, QString::fromUtf8(c.text));
        EXPECT_EQ(Page().GetDlgItemText(c.id).toStdString(), c.shown);
        EXPECT_EQ(Members()[static_cast<std::size_t>(c.id - IDC_BRIGHTNESS)], c.stored);
        EXPECT_EQ(ImageHex(0, 56), before);
        EXPECT_EQ(dlg->m_hexEdit.GetDataSize(), 8u);
        EXPECT_TRUE(host.TakeMessages().empty());
    }
    // Typed: four characters at most, corrected as they come.
    auto* edit = Page().DlgItem<QLineEdit>(IDC_BRIGHTNESS);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("-2000"));
    EXPECT_EQ(edit->text(), QStringLiteral("-128"));
    // The members reach the image when "Save BCSH" is ticked.
    Page().SetDlgItemText(IDC_CONTRAST, QStringLiteral("15"));
    Page().SetDlgItemText(IDC_HUE, QStringLiteral("-1"));
    Click(IDC_SAVE_BCSH);
    EXPECT_EQ(ImageHex(52, 4), "80 0F FF FF");
    ExpectImageRefreshed();
}

TEST_F(VQ7140Pages, LoadedBcshBlockShowsInDisabledEdits) {
    struct Case {
        WORD stored;        // code length in header bytes 2..3
        WORD codeLen;       // g_codeLen as the loader set it
        const char* block;  // at 52 + stored
        Texts shown;
    };
    const Case cases[] = {
        {0, 0, "80 FF 00 7F", {"-128", "255", "0", "127"}},
        {5, 5, "FF 00 80 81", {"-1", "0", "128", "-127"}},
        // Found by the stored length; the next option change writes the
        // length and the block by g_codeLen.
        {9, 5, "11 22 33 44", {"17", "34", "51", "68"}},
    };
    Open(ROW_VQ7140XX);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        std::memset(g_image + 48, 0x5A, 64);
        g_image[10] = 0x05;
        WriteBE16(g_image + 2, c.stored);
        const std::vector<BYTE> block = Hex(c.block);
        std::memcpy(g_image + 52 + c.stored, block.data(), 4);
        g_codeLen = c.codeLen;
        g_imageLen = 56u + c.codeLen;
        g_pCurPage->LoadFromImage();  // as a loader does
        EXPECT_EQ(BcshTexts(), c.shown);
        std::vector<int> values;
        for (const std::string& s : c.shown) values.push_back(std::stoi(s));
        EXPECT_EQ(Members(), values);
        for (int id : kBcshEdits) EXPECT_FALSE(Page().IsDlgItemEnabled(id)) << id;

        ChooseEntry(IDC_MUTE_PATTERN, 1);
        EXPECT_EQ(ReadBE16(g_image + 2), c.codeLen);
        EXPECT_EQ(ImageHex(52 + c.codeLen, 4), emu::Hex(block));
        EXPECT_EQ(std::tuple(g_image[10], g_imageLen), std::tuple(BYTE{0x15}, 56u + c.codeLen));
        ExpectImageRefreshed();
    }
}

TEST_F(VQ7140Pages, HexFileOpenedThroughTheDialogRefreshesThePage) {
    imagetest::TempDir dir;
    // Options 21 FE, audio and stereo, "Cross hatch", "SV", "PAL"; the BCSH
    // bit makes the last four bytes copied room for the checksums, and the
    // block behind them keeps what the image held.
    const std::pair<BYTE, Texts> cases[] = {{0x53, {"0", "128", "128", "0"}}, {0x57, {"16", "32", "48", "64"}}};
    for (const auto& [function, bcsh] : cases) {
        SCOPED_TRACE(int(function));
        Open(ROW_VQ7140XX);
        std::vector<BYTE> file = Hex("32 64 00 00 12 34 56 78 21 FE 00 82 00 00 00 00 04 43 61 6D");
        file[10] = function;
        file.resize(48 + 24, 0xFF);
        for (std::size_t i = 48; i < file.size(); ++i) file[i] = static_cast<BYTE>(i);
        host.openPath = dir.Write("patch.hex", imagetest::HexOf(0xC7D0, file));
        const bool saved = function & 4;
        const WORD len = saved ? 20 : 24;
        std::memcpy(g_image + 52 + len, Hex("10 20 30 40").data(), 4);

        ClickDialog(IDC_OPEN_FILE);
        EXPECT_EQ(Status(), "Opened file successfully!");
        EXPECT_EQ(std::tuple(g_codeLen, g_imageLen), std::tuple(len, 52u + len + (saved ? 4 : 0)));
        EXPECT_EQ(dlg->IsDlgButtonChecked(IDC_RADIO_24C32), BST_CHECKED);
        ExpectImageRefreshed();
        EXPECT_EQ(TextsOf({IDC_VID, IDC_PID, IDC_VIDEO_STRING, IDC_MUTE_PATTERN, IDC_DEFAULT_INPUT, IDC_DEFAULT_TV_MODE}),
                  (Texts{"1234", "5678", "Cam", "Cross hatch", "SV", "PAL"}));
        EXPECT_EQ(Ticked({1019, 1020, 1021, 1022, 1023, 1024, 1025, 1026}), 0x21u);
        EXPECT_EQ(Ticked({IDC_VIDEO_STRING_CHECK, IDC_AUDIO_STRING_CHECK, IDC_AV_PORT, IDC_SV_PORT, IDC_AUDIO_ENABLE,
                          IDC_STEREO_ENABLE}),
                  0b111001u);
        EXPECT_EQ(BcshTexts(), bcsh);
        for (int id : kBcshEdits) EXPECT_EQ(Page().IsDlgItemEnabled(id), !saved) << id;
        EXPECT_TRUE(host.TakeMessages().empty());
    }
}

TEST_F(VQ7140Pages, PageImageDownloadsToAnEmulatedChip) {
    auto chip = bus->Plug({.type = emu::ChipType::VQ7140XX});
    Open(ROW_VQ7140XX);
    ASSERT_TRUE(g_patchVQ7140XX.m_bConnected);
    Page().SetDlgItemText(IDC_BRIGHTNESS, QStringLiteral("-3"));
    Click(IDC_SAVE_BCSH);
    std::vector<BYTE> image(g_image, g_image + g_imageLen);
    ASSERT_EQ(emu::Hex(std::span(image).subspan(48)), "24 E0 00 00 FD 80 80 00");
    ClickDialog(IDC_DOWNLOAD);
    QElapsedTimer timer;
    timer.start();
    while ((g_bBusy || Status() != "Successful!") && timer.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(Status(), "Successful!");
    image.push_back(0xFF);  // nothing behind the image
    EXPECT_EQ(chip->Eeprom(0, 0, image.size()), image);
}

}  // namespace
}  // namespace pages_test
