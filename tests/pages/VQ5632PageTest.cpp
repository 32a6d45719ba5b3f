// The VQ5632 page in the main dialog: page defaults, the udisk bit, the
// address and data edits, and the register tool on an emulated chip with
// report id 0 or 1.
#include "PageControlsVQ5632.h"
#include "PageFixture.h"
#include "TessadaneApp.h"

#include <QLineEdit>
#include <QTest>

namespace pages_test {
namespace {

constexpr int NO_RADIO = 0;

const char* const kDefaultImage =
    "3C C3 00 00 FF FF FF FF 40 00 00 00 00 00 00 00 "
    "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF "
    "24 1C 00 00";

// The log line of a register request: report id, then bytes 1..8.
std::string Request(int reportId, const char* bytes) {
    return "set " + emu::Hex(Hex((std::string(reportId ? "01 " : "00 ") + bytes).c_str()));
}

class VQ5632Page : public PageTest {
protected:
    // The dialog on the VQ5632 row, connected by the choice to one chip of
    // this report id; the chip's log starts empty.
    void OpenWithChip(int reportId) {
        if (chip && chip->present()) bus->Unplug(chip);
        chip = bus->Plug({.type = emu::ChipType::VQ5632, .reportId = reportId});
        Open(ROW_VQ5632);
        EXPECT_EQ(g_patchVQ5632.m_bUseReportId1, reportId);
        chip->ClearLog();
    }
    // A click on the radio; NO_RADIO: none ticked.
    void Tick(int radio) const {
        if (radio != NO_RADIO) return Click(radio);
        for (int id : {IDC_RADIO_SFR, IDC_RADIO_IDATA, IDC_RADIO_XDATA}) Page().CheckDlgButton(id, BST_UNCHECKED);
    }
    std::vector<std::string> Log() const {
        std::vector<std::string> out;
        for (const emu::LoggedReport& r : chip->Log()) out.push_back(emu::ToString(r));
        return out;
    }
    void SetText(int id, const char* text) const { Page().SetDlgItemText(id, QString::fromUtf8(text)); }
    std::string Data() const { return Page().GetDlgItemText(IDC_REG_DATA).toStdString(); }
    std::vector<std::string> Refused(bool refused) const {
        return refused ? std::vector<std::string>{"Invalid parameters"} : std::vector<std::string>{};
    }

    std::shared_ptr<emu::Chip> chip;
};

TEST_F(VQ5632Page, ChoosingTheRowLeavesTheDefaultImageAndControls) {
    for (bool atStart : {false, true}) {
        SCOPED_TRACE(atStart ? "at start-up" : "chosen");
        std::memset(g_image, 0x5A, 0x100);
        g_codeLen = 100;
        g_imageLen = 200;
        g_pageVQ5632.m_nAddr = 0x1234;
        if (atStart) {
            Open(ROW_VQ5632);
        } else {
            Open(0);
            Choose(ROW_VQ5632);
        }
        EXPECT_EQ(ImageHex(0, 52), emu::Hex(Hex(kDefaultImage)));
        EXPECT_EQ(g_imageLen, 52u);
        EXPECT_EQ(g_codeLen, 0);
        ExpectHexViewShowsImage();
        EXPECT_EQ(dlg->IsDlgButtonChecked(IDC_RADIO_FLASH), BST_CHECKED);
        CChildDialogWnd& page = Page();
        EXPECT_EQ(page.size(), page.TemplateSize());
        EXPECT_EQ(page.IsDlgButtonChecked(IDC_UDISK_ENABLE), BST_CHECKED);
        EXPECT_EQ(page.GetDlgItemText(IDC_REG_ADDR), QStringLiteral("FF00"));
        EXPECT_EQ(Data(), "0");
        EXPECT_EQ(g_pageVQ5632.m_nAddr, 0xFF00);
        // The radios in tab order: SFR, XDATA, IDATA; XDATA alone ticked.
        std::vector<std::pair<int, unsigned>> radios;
        for (const BuiltControl& c : page.Controls())
            if (c.kind == CtlKind::AutoRadio) radios.emplace_back(c.id, page.IsDlgButtonChecked(c.id));
        EXPECT_EQ(radios, (std::vector<std::pair<int, unsigned>>{
                              {IDC_RADIO_SFR, BST_UNCHECKED}, {IDC_RADIO_XDATA, BST_CHECKED}, {IDC_RADIO_IDATA, BST_UNCHECKED}}));
        EXPECT_TRUE(host.TakeMessages().empty());
    }
    // One group: a click on IDATA unticks XDATA.
    Click(IDC_RADIO_IDATA);
    EXPECT_EQ(Page().IsDlgButtonChecked(IDC_RADIO_XDATA), BST_UNCHECKED);
}

TEST_F(VQ5632Page, UdiskBoxWritesBitSixOnlyWithTheHeaderChecksum) {
    struct Step {
        BYTE loaded;       // header byte 8 as loaded
        bool shownTicked;  // the box after the load
        const char* after; // byte 8 after a click
    };
    const Step steps[] = {{0xBF, false, "FF"}, {0xFF, true, "BF"}, {0x40, true, "00"}, {0x3F, false, "7F"}};
    Open(ROW_VQ5632);
    // On the default image: 00 / 23 DC, then back to 40 / 24 1C.
    Click(IDC_UDISK_ENABLE);
    EXPECT_EQ(ImageHex(8, 1) + " " + ImageHex(48, 4), "00 23 DC 00 00");
    Click(IDC_UDISK_ENABLE);
    EXPECT_EQ(ImageHex(0, 52), emu::Hex(Hex(kDefaultImage)));
    ExpectHexViewShowsImage();
    for (WORD codeLen : {0, 6}) {
        for (const Step& s : steps) {
            SCOPED_TRACE(::testing::Message() << "code length " << codeLen << ", byte 8 " << int(s.loaded));
            for (int i = 0; i < codeLen; ++i) g_image[48 + i] = static_cast<BYTE>(0x20 + i);
            WriteBE16(g_image + 2, codeLen);
            g_image[8] = s.loaded;
            g_codeLen = codeLen;
            g_imageLen = 52u + codeLen;
            g_checksum = StoreChecksums(g_image, ChecksumLayout::VQ7340);
            const std::string codeSum = ImageHex(50 + codeLen, 2);
            g_pCurPage->LoadFromImage();
            EXPECT_EQ(Page().IsDlgButtonChecked(IDC_UDISK_ENABLE), s.shownTicked ? BST_CHECKED : BST_UNCHECKED);
            Click(IDC_UDISK_ENABLE);
            EXPECT_EQ(ImageHex(8, 1), s.after);
            EXPECT_EQ(ReadBE16(g_image + 48 + codeLen), HeaderChecksum(g_image, ChecksumLayout::VQ7340));
            EXPECT_EQ(ImageHex(50 + codeLen, 2), codeSum);
            ExpectHexViewShowsImage();
        }
    }
}

TEST_F(VQ5632Page, AddrEditTakesHexOfEitherCaseAndKeepsTheLowSixteenBits) {
    struct Case {
        const char* text;
        WORD addr;          // m_nAddr afterwards
        const char* shown;  // the edit afterwards
        bool refused;       // "Invalid parameters"
    };
    const Case cases[] = {
        {"ff00", 0xFF00, "ff00", false},
        {"12345", 0x2345, "12345", false},
        {"12G4", 0x0012, "12", true},
        {"", 0x0000, "", false},
        // Beyond 32 bits the value wraps: the last digits typed count.
        {"123456789ABCDEF0", 0xDEF0, "123456789ABCDEF0", false},
        {"FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF0042", 0x0042, "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF0042", false},
        {"-1", 0xFFFF, "FFFFFFFF", true},
        {"0x10", 0x0010, "10", true},
    };
    Open(ROW_VQ5632);
    const std::string image = ImageHex(0, 52);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        g_pageVQ5632.m_nAddr = 0xAAAA;
        SetText(IDC_REG_ADDR, c.text);
        EXPECT_EQ(g_pageVQ5632.m_nAddr, c.addr);
        EXPECT_EQ(Page().GetDlgItemText(IDC_REG_ADDR).toStdString(), c.shown);
        EXPECT_EQ(host.TakeMessages(), Refused(c.refused));
        EXPECT_EQ(ImageHex(0, 52), image);
    }
    // Typed lower case stays lower case, with no length limit.
    auto* addr = Page().DlgItem<QLineEdit>(IDC_REG_ADDR);
    addr->setFocus();
    addr->selectAll();
    QTest::keyClicks(addr, QStringLiteral("abcdef0123456789abcd"));
    EXPECT_EQ(Page().GetDlgItemText(IDC_REG_ADDR), QStringLiteral("abcdef0123456789abcd"));
    EXPECT_EQ(g_pageVQ5632.m_nAddr, 0xABCD);
    EXPECT_TRUE(host.TakeMessages().empty());
}

TEST_F(VQ5632Page, ReadSendsOneRequestOfTheTickedSpaceAndShowsTheReply) {
    struct Case {
        int radio;
        const char* addr;
        const char* request;  // bytes 1..8; nullptr: nothing sent
        const char* shown;
    };
    // The chip answers A7 13 0A at XDATA FF00 (its identification).
    const Case cases[] = {
        {IDC_RADIO_XDATA, "FF00", "B5 FF 00 00 00 00 00 00", "A7"},
        {IDC_RADIO_IDATA, "FF00", "B5 FF 00 00 00 00 00 00", "A7"},
        {IDC_RADIO_SFR, "FF00", "C5 00 00 00 00 00 00 00", "3E"},
        {IDC_RADIO_XDATA, "1234", "B5 12 34 00 00 00 00 00", "5"},
        {IDC_RADIO_SFR, "12A0", "C5 A0 00 00 00 00 00 00", "C8"},
        {NO_RADIO, "1234", nullptr, "0"},
    };
    for (int reportId : {0, 1}) {
        OpenWithChip(reportId);
        chip->SetSfr(0x00, 0x3E);
        chip->SetSfr(0xA0, 0xC8);
        chip->SetXdata(0x1234, 0x05);
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << "report id " << reportId << ", " << c.radio << " " << c.addr);
            Tick(c.radio);
            SetText(IDC_REG_ADDR, c.addr);
            chip->ClearLog();
            Click(IDC_REG_READ);
            const std::vector<std::string> log = Log();
            if (c.request) {
                ASSERT_EQ(log.size(), 2u);
                EXPECT_EQ(log[0], Request(reportId, c.request));
                EXPECT_EQ(log[1].substr(0, 4), "get ");
            } else {
                EXPECT_TRUE(log.empty());
            }
            EXPECT_EQ(Data(), c.shown);
        }
    }
}

TEST_F(VQ5632Page, FailedReadShowsFFNeverBytesOfTheRequest) {
    enum Fault { Unplugged, RequestFails, ReplyFails };
    for (int reportId : {0, 1}) {
        for (Fault fault : {Unplugged, RequestFails, ReplyFails}) {
            for (int radio : {IDC_RADIO_SFR, IDC_RADIO_IDATA, IDC_RADIO_XDATA}) {
                SCOPED_TRACE(::testing::Message() << "report id " << reportId << ", fault " << fault << ", " << radio);
                OpenWithChip(reportId);
                Tick(radio);
                // The low byte a report-id-1 request would show in place of data.
                SetText(IDC_REG_ADDR, "12A0");
                if (fault == Unplugged) bus->Unplug(chip);
                if (fault == RequestFails) chip->FailSetFeatureFrom(1);
                if (fault == ReplyFails) chip->FailGetFeatureFrom(1);
                Click(IDC_REG_READ);
                EXPECT_EQ(Data(), "FF");
            }
        }
    }
}

TEST_F(VQ5632Page, WriteSendsTheLowByteOfAnUpperCaseHexValue) {
    struct Step {
        int radio;
        const char* addr;
        const char* data;     // nullptr: the text left by the step before
        const char* request;  // bytes 1..8; nullptr: nothing sent
        const char* shown;    // the Data edit afterwards
    };
    const Step steps[] = {
        {IDC_RADIO_XDATA, "2000", "5A", "B6 20 00 5A 00 00 00 00", "5A"},
        {IDC_RADIO_IDATA, "2001", "1FF", "B6 20 01 FF 00 00 00 00", "1FF"},
        // Lower case is refused here, unlike in the Addr edit.
        {IDC_RADIO_XDATA, "2002", "ff", nullptr, "FF"},
        {IDC_RADIO_XDATA, "2002", nullptr, "B6 20 02 FF 00 00 00 00", "FF"},
        {IDC_RADIO_SFR, "12B0", "C3", "C6 B0 C3 00 00 00 00 00", "C3"},
        {IDC_RADIO_SFR, "B1", "12G", nullptr, "12"},
        {IDC_RADIO_XDATA, "abcd", "123456789A", "B6 AB CD 9A 00 00 00 00", "123456789A"},
        {NO_RADIO, "2003", "11", nullptr, "11"},
    };
    for (int reportId : {0, 1}) {
        OpenWithChip(reportId);
        for (const Step& s : steps) {
            SCOPED_TRACE(::testing::Message() << "report id " << reportId << ", " << s.addr << " "
                                              << (s.data ? s.data : "(as left)"));
            Tick(s.radio);
            SetText(IDC_REG_ADDR, s.addr);
            if (s.data) SetText(IDC_REG_DATA, s.data);
            chip->ClearLog();
            Click(IDC_REG_WRITE);
            EXPECT_EQ(Data(), s.shown);
            EXPECT_EQ(host.TakeMessages(), Refused(!s.request && s.radio != NO_RADIO));
            if (!s.request) {
                EXPECT_TRUE(Log().empty());
                continue;
            }
            EXPECT_EQ(Log(), std::vector<std::string>{Request(reportId, s.request)});  // no read-back
            // A Read brings back what was written.
            const std::vector<BYTE> req = Hex(s.request);
            Click(IDC_REG_READ);
            EXPECT_EQ(Data(), HexText(req[0] == HID_CMD_SFR_WRITE ? req[2] : req[3]).toStdString());
        }
    }
}

TEST_F(VQ5632Page, UdiskWriteEnableSendsFiveWritesWhateverRadioIsTicked) {
    const char* const kWrites[] = {"B6 00 4A 01 00 00 00 00", "B6 7F 03 01 00 00 00 00", "B6 7F 00 01 00 00 00 00",
                                   "B6 7F 01 01 00 00 00 00", "B6 7F 02 01 00 00 00 00"};
    for (int reportId : {0, 1}) {
        for (int radio : {IDC_RADIO_SFR, IDC_RADIO_IDATA, IDC_RADIO_XDATA, NO_RADIO}) {
            SCOPED_TRACE(::testing::Message() << "report id " << reportId << ", radio " << radio);
            OpenWithChip(reportId);
            Tick(radio);
            SetText(IDC_REG_DATA, "ZZ");
            Click(IDC_UDISK_WRITE_ENABLE);
            std::vector<std::string> want;
            for (const char* w : kWrites) want.push_back(Request(reportId, w));
            EXPECT_EQ(Log(), want);
            for (WORD a : {0x004A, 0x7F03, 0x7F00, 0x7F01, 0x7F02}) EXPECT_EQ(chip->Xdata(a), 0x01) << a;
            EXPECT_EQ(Data(), "ZZ");  // nothing read back, nothing shown
            EXPECT_TRUE(host.TakeMessages().empty());
        }
    }
}

TEST_F(VQ5632Page, RoundTripOnTheChipsTheEnvironmentNames) {
    // As the tool starts with QUILLMAR_EMULATE set; the scan stays with the
    // last chip it accepts.
    for (const char* list : {"vq5632:id1", "vq7170,vq5632", "vq5632:id1,vq5632:b7"}) {
        SCOPED_TRACE(list);
        qputenv("QUILLMAR_EMULATE", list);
        ASSERT_TRUE(InstallEmulatorFromEnvironment());
        qunsetenv("QUILLMAR_EMULATE");
        Open(ROW_VQ5632);
        ASSERT_EQ(g_patchVQ5632.m_bConnected, 1);
        SetText(IDC_REG_ADDR, "3000");
        for (const char* value : {"5A", "C3", "0"}) {
            SetText(IDC_REG_DATA, value);
            Click(IDC_REG_WRITE);
            SetText(IDC_REG_DATA, "77");
            Click(IDC_REG_READ);
            EXPECT_EQ(Data(), value);
        }
    }
}

TEST_F(VQ5632Page, RegisterToolIsOutOfReachWhileAJobRuns) {
    OpenWithChip(1);
    ClickDialog(IDC_READ);
    ASSERT_EQ(g_bBusy, 1);
    for (int id : {IDC_UDISK_ENABLE, IDC_UDISK_WRITE_ENABLE, IDC_RADIO_SFR, IDC_REG_ADDR, IDC_REG_READ, IDC_REG_WRITE})
        EXPECT_FALSE(Page().GetDlgItem(id)->isEnabled()) << id;
    ASSERT_TRUE(QTest::qWaitFor([] { return g_bBusy == 0; }, 20000));
    for (int id : {IDC_UDISK_WRITE_ENABLE, IDC_REG_READ, IDC_REG_WRITE})
        EXPECT_TRUE(Page().GetDlgItem(id)->isEnabled()) << id;
}

}  // namespace
}  // namespace pages_test
