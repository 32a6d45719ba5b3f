// The VQ7170 and VQ7170S pages in the main dialog: page defaults, captions,
// the hex-edit rule on VID and PID, the string-field rule, loading fields,
// the reset on hiding, the white background.
#include "PageFixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>

namespace pages_test {
namespace {

const int kCommonFlags[8] = {1019, 1020, 1021, 1022, 1023, 1024, 1025, 1026};
const int kHdFlags[8] = {1027, 1028, 1029, 1032, 1033, 1034, 1035, 1036};

struct RowCase {
    int row;
    const char* image;  // the 52 bytes after choosing the row
};

const RowCase kRows[] = {
    {ROW_VQ7170,
     "5A A5 00 00 00 00 FF FF FF FF FF FF 00 00 00 00 "
     "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF "
     "25 DA 00 00"},
    {ROW_VQ7170S,
     "A5 5A 00 00 00 00 FF FF FF FF FF FF 00 00 00 00 "
     "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF "
     "25 DA 00 00"},
};

using VQ7170Pages = PageTest;

TEST_F(VQ7170Pages, ChoosingTheRowLeavesTheDefaultImageAndControls) {
    for (const RowCase& c : kRows) {
        for (bool atStart : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "row " << c.row << (atStart ? " at start-up" : " chosen"));
            // Whatever the image held before.
            std::memset(g_image, 0x3C, 0x200);
            g_codeLen = 300;
            g_checksum = 0x1234;
            g_imageLen = 400;
            if (atStart) {
                Open(c.row);
            } else {
                Open(0);
                Choose(c.row);
            }
            EXPECT_EQ(ImageHex(0, 52), emu::Hex(Hex(c.image)));
            EXPECT_EQ(g_imageLen, 52u);
            EXPECT_EQ(g_codeLen, 0);
            EXPECT_EQ(g_checksum, 0);
            EXPECT_EQ(g_image[52], 0x3C);  // code bytes behind the header stay, outside the image
            ExpectHexViewShowsImage();
            EXPECT_EQ(dlg->GetDlgItemText(IDC_CODE_LENGTH), QStringLiteral("0"));
            EXPECT_EQ(dlg->GetDlgItemText(IDC_CHECKSUM), QStringLiteral("0000"));
            EXPECT_EQ(dlg->IsDlgButtonChecked(IDC_RADIO_24C01), BST_CHECKED);

            CChildDialogWnd& page = Page();
            EXPECT_EQ(page.Template()->id, g_chipTable[c.row].nIDTemplate);
            for (int i = 0; i < 8; ++i) {
                EXPECT_EQ(page.IsDlgButtonChecked(kCommonFlags[i]), BST_UNCHECKED) << kCommonFlags[i];
                EXPECT_FALSE(page.IsDlgItemEnabled(kCommonFlags[i])) << kCommonFlags[i];
                EXPECT_EQ(page.IsDlgButtonChecked(kHdFlags[i]), BST_UNCHECKED) << kHdFlags[i];
                EXPECT_FALSE(page.IsDlgItemEnabled(kHdFlags[i])) << kHdFlags[i];
            }
            ExpectUsbControlsAtDefaults();
            EXPECT_TRUE(host.TakeMessages().empty());
        }
    }
}

TEST_F(VQ7170Pages, CaptionsOfTheTwoTemplates) {
    struct Caption {
        int id;
        const char* vq7170;
        const char* vq7170s;
    };
    const Caption captions[] = {
        {1019, "Patch_Common", "Patch_Common"},
        {1020, "USB_cmd", "USB_cmd"},
        {1021, "USB_int", "USB_int"},
        {1022, "Timer_int", "Timer_int"},
        {1023, "VSync_int", "VSync_int"},
        {1024, "UART_int", "UART_int"},
        {1025, "Reserved", "UVC_int"},
        {1026, "Reserved", "Reserved"},
        {1045, "Video String", "Video String"},
        {1046, "Audio String", "Audio String"},
        {1027, "hd rx hotplug svc replace", "hd hotplug svc replace"},
        {1028, "hd rx pl svc replace", "hd pl svc replace"},
        {1029, "hd rx mdt svc replace", "hd mdt svc replace"},
        {1032, "hd rx packet svc replace", "hd packet svc replace"},
        {1033, "hd rx edid svc replace", "hd edid svc replace"},
        {1034, "hd rx **** svc replace", "hd **** svc replace"},
        {1035, "Reserved", "video sel replace"},
        {1036, "Reserved", "Reserved"},
    };
    for (int row : {ROW_VQ7170, ROW_VQ7170S}) {
        Open(row);
        CChildDialogWnd& page = Page();
        EXPECT_EQ(page.size(), page.TemplateSize());
        for (const Caption& c : captions) {
            auto* box = page.DlgItem<QCheckBox>(c.id);
            ASSERT_NE(box, nullptr) << c.id;
            EXPECT_EQ(box->text().toStdString(), row == ROW_VQ7170 ? c.vq7170 : c.vq7170s);
            // Every caption can be read in full inside the page host.
            EXPECT_LE(box->sizeHint().width(), box->width()) << c.id;
            EXPECT_LE(page.mapTo(dlg->m_tab, box->geometry().topRight()).x(), dlg->m_tab->width()) << c.id;
        }
        QStringList groups;
        for (QGroupBox* g : page.findChildren<QGroupBox*>()) groups << g->title();
        EXPECT_EQ(groups, (QStringList{QStringLiteral("Common Flag"), QStringLiteral("USB"),
                                       QStringLiteral("HD Function Flag")}));
    }
}

TEST_F(VQ7170Pages, HexEditRuleOnVidAndPid) {
    struct Case {
        int id;
        const char* text;
        const char* stored;  // the pair of header bytes afterwards
        const char* shown;   // the edit's text afterwards
        bool refused;        // "Invalid parameters"
    };
    const Case cases[] = {
        {IDC_VID, "12", "00 12", "12", false},
        {IDC_VID, "", "00 00", "", false},
        {IDC_VID, "12G4", "00 12", "12", true},
        {IDC_VID, "-1", "FF FF", "FFFFFFFF", true},
        {IDC_VID, "ABCD", "AB CD", "ABCD", false},
        {IDC_VID, "abcd", "AB CD", "ABCD", true},  // lower case only from the program
        {IDC_PID, "7170", "71 70", "7170", false},
        {IDC_PID, "x", "00 00", "0", true},
    };
    for (int codeLen : {0, 5}) {
        Open(ROW_VQ7170);
        if (codeLen) {
            // An image with five code bytes, as a load leaves it.
            for (int i = 0; i < codeLen; ++i) g_image[48 + i] = static_cast<BYTE>(0x10 + i);
            WriteBE16(g_image + 2, static_cast<WORD>(codeLen));
            g_codeLen = static_cast<WORD>(codeLen);
            g_imageLen = 52u + codeLen;
            g_checksum = StoreChecksums(g_image, ChecksumLayout::VQ7170);
            g_pCurPage->LoadFromImage();
        }
        const BYTE codeSum[2] = {g_image[50 + codeLen], g_image[51 + codeLen]};
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << "code length " << codeLen << ", " << c.id << " " << c.text);
            const std::size_t offset = c.id == IDC_VID ? 6 : 8;
            // The image's previous bytes stay until the reset text is stored.
            WriteBE16(g_image + offset, 0x5555);
            Page().SetDlgItemText(c.id, QString::fromUtf8(c.text));
            EXPECT_EQ(ImageHex(offset, 2), emu::Hex(Hex(c.stored)));
            EXPECT_EQ(Page().GetDlgItemText(c.id).toStdString(), c.shown);
            const std::vector<std::string> messages = host.TakeMessages();
            EXPECT_EQ(messages, c.refused ? std::vector<std::string>{"Invalid parameters"} : std::vector<std::string>{});
            ExpectHeaderChecksumRefreshed();
            EXPECT_EQ(g_image[50 + codeLen], codeSum[0]);
            EXPECT_EQ(g_image[51 + codeLen], codeSum[1]);
            EXPECT_EQ(g_imageLen, 52u + codeLen);
            EXPECT_EQ(g_codeLen, codeLen);
            ExpectHexViewShowsImage();
        }
    }
}

TEST_F(VQ7170Pages, InvalidHexShowsTheMessageBoxWithTheAppsHost) {
    CQtEngineHost qt;
    SetEngineHost(&qt);
    SetAppShell(nullptr);
    Open(ROW_VQ7170S);
    QString text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        text = box->text();
        // While the box is up the image keeps its bytes.
        EXPECT_EQ(ImageHex(8, 2), "FF FF");
        box->button(QMessageBox::Ok)->click();
    });
    Page().SetDlgItemText(IDC_PID, QStringLiteral("12G4"));
    EXPECT_EQ(text, QStringLiteral("Invalid parameters"));
    EXPECT_EQ(ImageHex(8, 2), "00 12");
    EXPECT_EQ(Page().GetDlgItemText(IDC_PID), QStringLiteral("12"));
}

TEST_F(VQ7170Pages, TypedIdsAreUpperCaseAndFourCharactersLong) {
    Open(ROW_VQ7170);
    auto* vid = Page().DlgItem<QLineEdit>(IDC_VID);
    vid->setFocus();
    vid->selectAll();
    QTest::keyClick(vid, Qt::Key_Delete);
    EXPECT_EQ(ImageHex(6, 2), "00 00");
    QTest::keyClicks(vid, QStringLiteral("ab12c"));
    EXPECT_EQ(vid->text(), QStringLiteral("AB12"));
    EXPECT_EQ(ImageHex(6, 2), "AB 12");
    ExpectHeaderChecksumRefreshed();
    ExpectHexViewShowsImage();
    EXPECT_TRUE(host.TakeMessages().empty());
}

TEST_F(VQ7170Pages, VideoStringTickedEditedClearedUntickedTicked) {
    Open(ROW_VQ7170);
    struct Step {
        const char* what;
        const char* field;  // bytes 16..31 afterwards
        const char* text;   // edit 1047 afterwards
    };
    const Step steps[] = {
        {"tick", "0A 55 53 42 20 56 69 64 65 6F FF FF FF FF FF FF", "USB Video"},
        {"USB", "04 55 53 42 20 56 69 64 65 6F FF FF FF FF FF FF", "USB"},
        {"clear", "01 55 53 42 20 56 69 64 65 6F FF FF FF FF FF FF", ""},
        {"untick", "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF", ""},
        {"tick", "01 FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF", ""},
        {"Cam", "04 43 61 6D FF FF FF FF FF FF FF FF FF FF FF FF", "Cam"},
        {"untick", "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF", "Cam"},
        {"tick", "04 43 61 6D FF FF FF FF FF FF FF FF FF FF FF FF", "Cam"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        const std::string what = s.what;
        if (what == "tick" || what == "untick")
            Click(IDC_VIDEO_STRING_CHECK);
        else
            Page().SetDlgItemText(IDC_VIDEO_STRING, what == "clear" ? QString() : QString::fromUtf8(s.what));
        EXPECT_EQ(Page().IsDlgButtonChecked(IDC_VIDEO_STRING_CHECK), what == "untick" ? BST_UNCHECKED : BST_CHECKED);
        EXPECT_EQ(ImageHex(16, 16), s.field);
        EXPECT_EQ(Page().GetDlgItemText(IDC_VIDEO_STRING).toStdString(), s.text);
        EXPECT_EQ(ImageHex(32, 16), emu::Hex(std::vector<BYTE>(16, 0xFF)));  // the audio field stays
        ExpectHeaderChecksumRefreshed();
        ExpectHexViewShowsImage();
        EXPECT_EQ(g_imageLen, 52u);
    }
}

TEST_F(VQ7170Pages, TypedStringStopsAtFifteenCharacters) {
    Open(ROW_VQ7170S);
    Click(IDC_AUDIO_STRING_CHECK);
    auto* edit = Page().DlgItem<QLineEdit>(IDC_AUDIO_STRING);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("Microphone Array 2"));
    EXPECT_EQ(edit->text(), QStringLiteral("Microphone Arra"));
    EXPECT_EQ(g_image[32], 16);
    EXPECT_EQ(ImageHex(33, 15), emu::Hex(std::span<const BYTE>(reinterpret_cast<const BYTE*>("Microphone Arra"), 15)));
    EXPECT_EQ(ImageHex(48, 2), emu::Hex(std::vector<BYTE>{static_cast<BYTE>(HeaderChecksum(g_image, ChecksumLayout::VQ7170) >> 8),
                                                          static_cast<BYTE>(HeaderChecksum(g_image, ChecksumLayout::VQ7170))}));
}

TEST_F(VQ7170Pages, LoadingStringFieldsByLengthByte) {
    struct Case {
        const char* field;  // bytes 16..31 as loaded
        bool ticked;
        const char* text;
        const char* after;  // bytes 16..31 after the load's own handler run
    };
    const Case cases[] = {
        {"00 41 42 43 FF FF FF FF FF FF FF FF FF FF FF FF", true, "", "01 41 42 43 FF FF FF FF FF FF FF FF FF FF FF FF"},
        {"01 41 42 43 FF FF FF FF FF FF FF FF FF FF FF FF", true, "", "01 41 42 43 FF FF FF FF FF FF FF FF FF FF FF FF"},
        {"FF 41 42 43 00 00 00 00 00 00 00 00 00 00 00 00", false, "USB Video",
         "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"},
        {"11 41 42 43 00 00 00 00 00 00 00 00 00 00 00 00", false, "USB Video",
         "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"},
        {"04 41 42 43 00 00 00 00 00 00 00 00 00 00 00 00", true, "ABC",
         "04 41 42 43 00 00 00 00 00 00 00 00 00 00 00 00"},
        {"10 30 31 32 33 34 35 36 37 38 39 41 42 43 44 45", true, "0123456789ABCDE",
         "10 30 31 32 33 34 35 36 37 38 39 41 42 43 44 45"},
    };
    Open(ROW_VQ7170);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        // What a loader leaves: the image, its counters, a refresh of the page.
        const std::vector<BYTE> field = Hex(c.field);
        std::memcpy(g_image + 16, field.data(), 16);
        std::memcpy(g_image + 32, field.data(), 16);  // the audio field alike
        StoreChecksums(g_image, ChecksumLayout::VQ7170);
        g_pCurPage->LoadFromImage();
        EXPECT_EQ(Page().IsDlgButtonChecked(IDC_VIDEO_STRING_CHECK), c.ticked ? BST_CHECKED : BST_UNCHECKED);
        EXPECT_EQ(Page().GetDlgItemText(IDC_VIDEO_STRING).toStdString(), c.text);
        EXPECT_EQ(ImageHex(16, 16), c.after);
        EXPECT_EQ(Page().IsDlgButtonChecked(IDC_AUDIO_STRING_CHECK), c.ticked ? BST_CHECKED : BST_UNCHECKED);
        const std::string audioText = c.ticked ? c.text : "USB Audio";
        EXPECT_EQ(Page().GetDlgItemText(IDC_AUDIO_STRING).toStdString(), audioText);
        EXPECT_EQ(ImageHex(32, 16), c.after);
        ExpectHeaderChecksumRefreshed();
        ExpectHexViewShowsImage();
    }
}

TEST_F(VQ7170Pages, FlagBoxesShowTheirBitsAndCannotBeChanged) {
    Open(ROW_VQ7170);
    const BYTE values[] = {0x01, 0x80, 0xA5, 0x5A, 0xFF, 0x00};
    for (BYTE v : values) {
        g_image[4] = v;
        g_image[5] = static_cast<BYTE>(~v);
        g_pCurPage->LoadFromImage();
        for (int bit = 0; bit < 8; ++bit) {
            EXPECT_EQ(Page().IsDlgButtonChecked(kCommonFlags[bit]), (v >> bit) & 1u) << int(v) << " bit " << bit;
            EXPECT_EQ(Page().IsDlgButtonChecked(kHdFlags[bit]), (~v >> bit) & 1u) << int(v) << " bit " << bit;
        }
    }
    // Disabled: a click of the user does nothing.
    Click(1019);
    EXPECT_EQ(Page().IsDlgButtonChecked(1019), BST_UNCHECKED);
    EXPECT_EQ(g_image[4], 0x00);
}

TEST_F(VQ7170Pages, HidingThePageResetsTheImageToo) {
    Open(ROW_VQ7170);
    Page().SetDlgItemText(IDC_VID, QStringLiteral("1234"));
    Click(IDC_VIDEO_STRING_CHECK);
    ASSERT_EQ(ImageHex(6, 2), "12 34");
    g_pCurPage->ShowWindow(SW_HIDE);
    EXPECT_TRUE(Page().isHidden());
    EXPECT_EQ(ImageHex(0, 52), emu::Hex(Hex(kRows[0].image)));
    EXPECT_EQ(Page().GetDlgItemText(IDC_VID), QStringLiteral("FFFF"));
    EXPECT_EQ(Page().IsDlgButtonChecked(IDC_VIDEO_STRING_CHECK), BST_UNCHECKED);
    g_pCurPage->ShowWindow(SW_SHOW);
    EXPECT_EQ(ImageHex(0, 52), emu::Hex(Hex(kRows[0].image)));

    // Edits on one page are gone when the other row is chosen.
    Page().SetDlgItemText(IDC_PID, QStringLiteral("9999"));
    Choose(ROW_VQ7170S);
    EXPECT_EQ(ImageHex(0, 52), emu::Hex(Hex(kRows[1].image)));
    Choose(ROW_VQ7170);
    EXPECT_EQ(ImageHex(0, 52), emu::Hex(Hex(kRows[0].image)));
}

TEST_F(VQ7170Pages, WhiteBehindLabelsAndBoxesSystemColoursInEdits) {
    Open(ROW_VQ7170);
    CChildDialogWnd& page = Page();
    EXPECT_EQ(page.palette().color(QPalette::Window), QColor(Qt::white));
    for (int id : {1019, 1026, 1027, 1036, IDC_VIDEO_STRING_CHECK, IDC_AUDIO_STRING_CHECK})
        EXPECT_EQ(page.GetDlgItem(id)->palette().color(QPalette::Window), QColor(Qt::white)) << id;
    for (QGroupBox* g : page.findChildren<QGroupBox*>())
        EXPECT_EQ(g->palette().color(QPalette::Window), QColor(Qt::white)) << g->title().toStdString();
    for (int id : {IDC_VID, IDC_PID, IDC_VIDEO_STRING, IDC_AUDIO_STRING})
        EXPECT_EQ(page.GetDlgItem(id)->palette(), SystemPalette()) << id;
    // The page as drawn: white (the group box's own shading at most) behind
    // the "Video String" caption, not the system grey.
    const QImage shot = page.grab().toImage();
    const QRect box = page.GetDlgItem(IDC_VIDEO_STRING_CHECK)->geometry();
    const QColor behind = shot.pixelColor(box.right() - 1, box.top() + 1);
    EXPECT_GE(std::min({behind.red(), behind.green(), behind.blue()}), 250) << behind.name().toStdString();
    EXPECT_LT(SystemPalette().color(QPalette::Window).lightness(), 245);
}

}  // namespace
}  // namespace pages_test
