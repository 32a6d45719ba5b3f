// The VQ5632 page in the main dialog: page defaults, the udisk bit, the
// address and data edits, and the register tool on an emulated chip with
// report id 0 or 1.
#include "PageControlsVQ5632.h"
#include "PageFixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace pages_test {
namespace {

constexpr int ROW_VQ5632 = 6;

const char* const kDefaultImage =
    "3C C3 00 00 FF FF FF FF 40 00 00 00 00 00 00 00 "
    "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF "
    "24 1C 00 00";

// The report a register request sends: report id, then bytes 1..8.
std::string Request(int reportId, const char* bytes) {
    return "set " + emu::Hex(Hex((std::string(reportId ? "01 " : "00 ") + bytes).c_str()));
}

class VQ5632Page : public PageTest {
protected:
    // Opens the dialog on the VQ5632 row with a chip of this report id
    // plugged in (connected by the chip-type choice), log cleared.
    emu::Chip& OpenWithChip(int reportId) {
        if (chip && chip->present()) bus->Unplug(chip);
        chip = bus->Plug({.type = emu::ChipType::VQ5632, .reportId = reportId});
        Open(ROW_VQ5632);
        EXPECT_EQ(g_patchVQ5632.m_bConnected, 1);
        EXPECT_EQ(g_patchVQ5632.m_bUseReportId1, reportId);
        chip->ClearLog();
        return *chip;
    }
    // The chip's log as "set 00 B5 ..." / "get ..." lines.
    std::vector<std::string> Sent() const {
        std::vector<std::string> out;
        for (const emu::LoggedReport& r : chip->Log()) out.push_back(emu::ToString(r));
        return out;
    }
    std::string Data() const { return Page().GetDlgItemText(IDC_REG_DATA).toStdString(); }

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
        EXPECT_EQ(g_checksum, 0);
        ExpectHexViewShowsImage();
        EXPECT_EQ(dlg->IsDlgButtonChecked(IDC_RADIO_FLASH), BST_CHECKED);
        CChildDialogWnd& page = Page();
        EXPECT_EQ(page.Template()->id, 140);
        EXPECT_EQ(page.IsDlgButtonChecked(IDC_UDISK_ENABLE), BST_CHECKED);
        EXPECT_EQ(page.GetDlgItemText(IDC_REG_ADDR), QStringLiteral("FF00"));
        EXPECT_EQ(page.GetDlgItemText(IDC_REG_DATA), QStringLiteral("0"));
        EXPECT_EQ(page.IsDlgButtonChecked(IDC_RADIO_XDATA), BST_CHECKED);
        EXPECT_EQ(page.IsDlgButtonChecked(IDC_RADIO_SFR), BST_UNCHECKED);
        EXPECT_EQ(page.IsDlgButtonChecked(IDC_RADIO_IDATA), BST_UNCHECKED);
        EXPECT_EQ(g_pageVQ5632.m_nAddr, 0xFF00);
        EXPECT_TRUE(host.TakeMessages().empty());
    }
}

TEST_F(VQ5632Page, TemplateCaptionsTabOrderAndOneRadioGroup) {
    Open(ROW_VQ5632);
    CChildDialogWnd& page = Page();
    EXPECT_EQ(page.size(), page.TemplateSize());
    struct Caption {
        int id;
        const char* text;
    };
    const Caption captions[] = {
        {IDC_UDISK_ENABLE, "udisk enable"}, {IDC_UDISK_WRITE_ENABLE, "udisk write enable"},
        {IDC_RADIO_SFR, "SFR"},             {IDC_RADIO_IDATA, "IDATA"},
        {IDC_RADIO_XDATA, "XDATA"},         {IDC_REG_READ, "Read"},
        {IDC_REG_WRITE, "Write"},
    };
    for (const Caption& c : captions) {
        auto* b = page.DlgItem<QAbstractButton>(c.id);
        ASSERT_NE(b, nullptr) << c.id;
        EXPECT_EQ(b->text().toStdString(), c.text);
        EXPECT_LE(b->sizeHint().width(), b->width()) << c.text;
        EXPECT_LE(page.mapTo(dlg->m_tab, b->geometry().bottomRight()).x(), dlg->m_tab->width()) << c.text;
    }
    QStringList groups;
    for (QGroupBox* g : page.findChildren<QGroupBox*>()) groups << g->title();
    EXPECT_EQ(groups, (QStringList{QStringLiteral("Function 1"), QString()}));
    QStringList labels;
    for (const BuiltControl& c : page.Controls())
        if (c.kind == CtlKind::Static) labels << qobject_cast<QLabel*>(c.widget)->text();
    EXPECT_EQ(labels, (QStringList{QStringLiteral("Addr:"), QStringLiteral("Data:")}));

    // Tab order of the radios: SFR, XDATA, IDATA.
    std::vector<int> radios;
    for (const BuiltControl& c : page.Controls())
        if (c.kind == CtlKind::AutoRadio) radios.push_back(c.id);
    EXPECT_EQ(radios, (std::vector<int>{IDC_RADIO_SFR, IDC_RADIO_XDATA, IDC_RADIO_IDATA}));

    // One group: a click ticks one radio and unticks the other two.
    for (int id : {IDC_RADIO_SFR, IDC_RADIO_IDATA, IDC_RADIO_XDATA}) {
        Click(id);
        for (int other : {IDC_RADIO_SFR, IDC_RADIO_IDATA, IDC_RADIO_XDATA})
            EXPECT_EQ(page.IsDlgButtonChecked(other), other == id ? BST_CHECKED : BST_UNCHECKED) << id << " " << other;
    }
    // Neither edit stops the user at a length.
    for (int id : {IDC_REG_ADDR, IDC_REG_DATA}) {
        auto* edit = page.DlgItem<QLineEdit>(id);
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("0123456789ABCDEF0123"));
        EXPECT_EQ(edit->text(), QStringLiteral("0123456789ABCDEF0123")) << id;
    }
    EXPECT_TRUE(host.TakeMessages().empty());
}

TEST_F(VQ5632Page, UdiskBoxWritesBitSixOnlyWithTheHeaderChecksum) {
    struct Step {
        BYTE loaded;          // header byte 8 as loaded into the page (0: the default image)
        bool shownTicked;     // the box after the load
        const char* after;    // byte 8 and the header checksum after a click
    };
    // On the default image: untick gives 00 / 23 DC, tick again 40 / 24 1C.
    Open(ROW_VQ5632);
    Click(IDC_UDISK_ENABLE);
    EXPECT_EQ(Page().IsDlgButtonChecked(IDC_UDISK_ENABLE), BST_UNCHECKED);
    EXPECT_EQ(ImageHex(8, 1) + " " + ImageHex(48, 4), "00 23 DC 00 00");
    ExpectHexViewShowsImage();
    Click(IDC_UDISK_ENABLE);
    EXPECT_EQ(ImageHex(0, 52), emu::Hex(Hex(kDefaultImage)));
    ExpectHexViewShowsImage();

    // Loaded images: the box shows bit 6, a click flips only that bit and
    // refreshes the header checksum behind the code.
    const Step steps[] = {
        {0xBF, false, "FF"}, {0xFF, true, "BF"}, {0x40, true, "00"}, {0x00, false, "40"}, {0x3F, false, "7F"},
    };
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
            Host().RefreshOptionPage();
            EXPECT_EQ(Page().IsDlgButtonChecked(IDC_UDISK_ENABLE), s.shownTicked ? BST_CHECKED : BST_UNCHECKED);
            EXPECT_EQ(g_image[8], s.loaded);  // loading writes nothing back
            Click(IDC_UDISK_ENABLE);
            EXPECT_EQ(ImageHex(8, 1), s.after);
            EXPECT_EQ(ReadBE16(g_image + 48 + codeLen), HeaderChecksum(g_image, ChecksumLayout::VQ7340));
            EXPECT_EQ(ImageHex(50 + codeLen, 2), codeSum);
            EXPECT_EQ(g_imageLen, 52u + codeLen);
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
        {"FF00", 0xFF00, "FF00", false},
        {"12345", 0x2345, "12345", false},
        {"12G4", 0x0012, "12", true},
        {"", 0x0000, "", false},
        {"7f0A", 0x7F0A, "7f0A", false},
        // Beyond 32 bits the value wraps: the last digits typed count.
        {"123456789ABCDEF0", 0xDEF0, "123456789ABCDEF0", false},
        {"FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF0042", 0x0042, "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF0042", false},
        {"-1", 0xFFFF, "FFFFFFFF", true},
        {"0x10", 0x0010, "10", true},
        {" 5", 0x0005, "5", true},
    };
    Open(ROW_VQ5632);
    const std::string image = ImageHex(0, 52);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        g_pageVQ5632.m_nAddr = 0xAAAA;
        Page().SetDlgItemText(IDC_REG_ADDR, QString::fromUtf8(c.text));
        EXPECT_EQ(g_pageVQ5632.m_nAddr, c.addr);
        EXPECT_EQ(Page().GetDlgItemText(IDC_REG_ADDR).toStdString(), c.shown);
        EXPECT_EQ(host.TakeMessages(),
                  c.refused ? std::vector<std::string>{"Invalid parameters"} : std::vector<std::string>{});
        EXPECT_EQ(ImageHex(0, 52), image);  // the image plays no part
    }
    // Typed by the user: lower case stays lower case and passes.
    auto* edit = Page().DlgItem<QLineEdit>(IDC_REG_ADDR);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("abcd"));
    EXPECT_EQ(edit->text(), QStringLiteral("abcd"));
    EXPECT_EQ(g_pageVQ5632.m_nAddr, 0xABCD);
    EXPECT_TRUE(host.TakeMessages().empty());
}

TEST_F(VQ5632Page, AddressBelongsToThePageObject) {
    Open(ROW_VQ5632);
    Page().SetDlgItemText(IDC_REG_ADDR, QStringLiteral("1234"));
    ASSERT_EQ(g_pageVQ5632.m_nAddr, 0x1234);
    // Leaving the row hides the window on its way out, and that runs the
    // page defaults once more; the object keeps the address without a window.
    Choose(ROW_VQ7170);
    EXPECT_EQ(g_pageVQ5632.GetWnd(), nullptr);
    EXPECT_EQ(g_pageVQ5632.m_nAddr, 0xFF00);
    Page().SetDlgItemText(IDC_VID, QStringLiteral("1234"));
    EXPECT_EQ(g_pageVQ5632.m_nAddr, 0xFF00);
    Choose(ROW_VQ5632);
    EXPECT_EQ(Page().GetDlgItemText(IDC_REG_ADDR), QStringLiteral("FF00"));
}

TEST_F(VQ5632Page, ReadSendsOneRequestOfTheTickedSpaceAndShowsTheReply) {
    struct Case {
        int radio;
        const char* addr;
        const char* request;  // bytes 1..8
        const char* shown;
    };
    // The chip answers A7 13 0A at XDATA FF00 (its identification).
    const Case cases[] = {
        {IDC_RADIO_XDATA, "FF00", "B5 FF 00 00 00 00 00 00", "A7"},
        {IDC_RADIO_IDATA, "FF00", "B5 FF 00 00 00 00 00 00", "A7"},
        {IDC_RADIO_SFR, "FF00", "C5 00 00 00 00 00 00 00", "3E"},
        {IDC_RADIO_XDATA, "ff01", "B5 FF 01 00 00 00 00 00", "13"},
        {IDC_RADIO_XDATA, "1234", "B5 12 34 00 00 00 00 00", "5"},
        {IDC_RADIO_IDATA, "12345", "B5 23 45 00 00 00 00 00", "0"},
        {IDC_RADIO_SFR, "12A0", "C5 A0 00 00 00 00 00 00", "C8"},
    };
    for (int reportId : {0, 1}) {
        OpenWithChip(reportId);
        chip->SetSfr(0x00, 0x3E);
        chip->SetSfr(0xA0, 0xC8);
        chip->SetXdata(0x1234, 0x05);
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << "report id " << reportId << ", " << c.addr << " " << c.request);
            Click(c.radio);
            Page().SetDlgItemText(IDC_REG_ADDR, QString::fromUtf8(c.addr));
            chip->ClearLog();
            Click(IDC_REG_READ);
            const std::vector<emu::LoggedReport> log = chip->Log();
            ASSERT_EQ(log.size(), 2u);
            EXPECT_EQ(emu::ToString(log[0]), Request(reportId, c.request));
            EXPECT_EQ(log[1].kind, emu::LoggedReport::Get);
            EXPECT_EQ(Data(), c.shown);
        }
    }
    EXPECT_TRUE(host.TakeMessages().empty());
}

TEST_F(VQ5632Page, FailedReadShowsFFNeverBytesOfTheRequest) {
    enum Fault { Unplugged, RequestFails, ReplyFails };
    struct Case {
        Fault fault;
        int radio;
    };
    const Case cases[] = {
        {Unplugged, IDC_RADIO_XDATA},    {Unplugged, IDC_RADIO_IDATA},    {Unplugged, IDC_RADIO_SFR},
        {RequestFails, IDC_RADIO_XDATA}, {RequestFails, IDC_RADIO_SFR},   {ReplyFails, IDC_RADIO_XDATA},
        {ReplyFails, IDC_RADIO_IDATA},   {ReplyFails, IDC_RADIO_SFR},
    };
    for (int reportId : {0, 1}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << "report id " << reportId << ", fault " << c.fault << ", " << c.radio);
            OpenWithChip(reportId);
            Click(c.radio);
            // An address whose low byte a report-id-1 reply would show in
            // place of the data.
            Page().SetDlgItemText(IDC_REG_ADDR, QStringLiteral("12A0"));
            Page().SetDlgItemText(IDC_REG_DATA, QStringLiteral("77"));
            switch (c.fault) {
            case Unplugged: bus->Unplug(chip); break;
            case RequestFails: chip->FailSetFeatureFrom(1); break;
            case ReplyFails: chip->FailGetFeatureFrom(1); break;
            }
            Click(IDC_REG_READ);
            EXPECT_EQ(Data(), "FF");
            EXPECT_TRUE(host.TakeMessages().empty());
        }
    }
}

TEST_F(VQ5632Page, WithoutATickedSpaceNothingIsSent) {
    OpenWithChip(0);
    Page().CheckDlgButton(IDC_RADIO_XDATA, BST_UNCHECKED);
    Page().SetDlgItemText(IDC_REG_DATA, QStringLiteral("5A"));
    Click(IDC_REG_WRITE);
    EXPECT_TRUE(chip->Log().empty());
    Click(IDC_REG_READ);
    EXPECT_TRUE(chip->Log().empty());
    EXPECT_EQ(Data(), "0");
}

TEST_F(VQ5632Page, WriteSendsTheLowByteOfAnUpperCaseHexValue) {
    struct Step {
        int radio;
        const char* addr;
        const char* data;
        const char* request;  // bytes 1..8; nullptr: nothing sent
        const char* shown;    // the Data edit afterwards
    };
    const Step steps[] = {
        {IDC_RADIO_XDATA, "2000", "5A", "B6 20 00 5A 00 00 00 00", "5A"},
        {IDC_RADIO_IDATA, "2001", "1FF", "B6 20 01 FF 00 00 00 00", "1FF"},
        // Lower case is refused here, unlike in the Addr edit; the next
        // Write sends the reset text.
        {IDC_RADIO_XDATA, "2002", "ff", nullptr, "FF"},
        {IDC_RADIO_XDATA, "2002", nullptr, "B6 20 02 FF 00 00 00 00", "FF"},
        {IDC_RADIO_SFR, "12B0", "C3", "C6 B0 C3 00 00 00 00 00", "C3"},
        {IDC_RADIO_SFR, "B1", "12G", nullptr, "12"},
        {IDC_RADIO_SFR, "B1", "", "C6 B1 00 00 00 00 00 00", ""},
        {IDC_RADIO_XDATA, "abcd", "123456789A", "B6 AB CD 9A 00 00 00 00", "123456789A"},
    };
    for (int reportId : {0, 1}) {
        OpenWithChip(reportId);
        chip->SetSfr(0xB1, 0x99);
        for (const Step& s : steps) {
            SCOPED_TRACE(::testing::Message() << "report id " << reportId << ", " << s.addr << " " << (s.data ? s.data : "(as shown)"));
            Click(s.radio);
            Page().SetDlgItemText(IDC_REG_ADDR, QString::fromUtf8(s.addr));
            if (s.data) Page().SetDlgItemText(IDC_REG_DATA, QString::fromUtf8(s.data));
            chip->ClearLog();
            Click(IDC_REG_WRITE);
            EXPECT_EQ(Data(), s.shown);
            EXPECT_EQ(host.TakeMessages(), s.request ? std::vector<std::string>{} : std::vector<std::string>{"Invalid parameters"});
            if (!s.request) {
                EXPECT_TRUE(chip->Log().empty());
                continue;
            }
            ASSERT_EQ(chip->Log().size(), 1u);  // no read-back
            EXPECT_EQ(emu::ToString(chip->Log()[0]), Request(reportId, s.request));
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
        for (int radio : {IDC_RADIO_SFR, IDC_RADIO_IDATA, IDC_RADIO_XDATA, 0}) {
            SCOPED_TRACE(::testing::Message() << "report id " << reportId << ", radio " << radio);
            OpenWithChip(reportId);
            if (radio)
                Click(radio);
            else
                Page().CheckDlgButton(IDC_RADIO_XDATA, BST_UNCHECKED);
            Page().SetDlgItemText(IDC_REG_ADDR, QStringLiteral("1234"));
            Page().SetDlgItemText(IDC_REG_DATA, QStringLiteral("ZZ"));
            host.TakeMessages();
            chip->ClearLog();
            Click(IDC_UDISK_WRITE_ENABLE);
            std::vector<std::string> want;
            for (const char* w : kWrites) want.push_back(Request(reportId, w));
            EXPECT_EQ(Sent(), want);
            for (WORD a : {0x004A, 0x7F03, 0x7F00, 0x7F01, 0x7F02}) EXPECT_EQ(chip->Xdata(a), 0x01) << a;
            EXPECT_EQ(Data(), "ZZ");  // nothing read back, nothing shown
            EXPECT_TRUE(host.TakeMessages().empty());
        }
    }
}

}  // namespace
}  // namespace pages_test
