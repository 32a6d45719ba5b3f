// A read job whose chip stops answering: "Reading failed!" in red, and the
// version edit, the hex view and the image keep what they showed.
#include "JobsFixture.h"

#include "Jobs.h"

namespace {

class ReadFailure : public JobsTest {};

TEST_F(ReadFailure, NothingOfAFailedReadIsShown) {
    const struct {
        int row;
        emu::ChipConfig config;
        bool ticked;
    } rows[] = {
        {ROW_VQ7140XX, {.type = emu::ChipType::VQ7140XX}, false},
        {ROW_VQ7170, Vq7170(), false},
        {ROW_VQ7170, Vq7170(), true},
        {ROW_VQ7340, {.type = emu::ChipType::VQ7340, .reportId = 1}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        auto chip = bus->Plug(row.config);
        Open(row.row);
        ASSERT_EQ(Status(), QStringLiteral("Connected!"));
        if (row.ticked) Click(IDC_MODIFY_LENGTH);
        const std::vector<BYTE> shown = Pattern(0x40, 0x21);
        ShowImage(shown);
        const QString version = Text(IDC_VERSION);
        const DWORD readLen = g_readLen;
        const WORD codeLen = g_codeLen, checksum = g_checksum;

        chip->StopAnsweringAfter(0);
        Click(IDC_READ);
        ASSERT_TRUE(WaitIdle());
        EXPECT_EQ(Status(), QStringLiteral("Reading failed!"));
        EXPECT_EQ(StatusColour(), STATUS_RED);
        EXPECT_EQ(ViewBytes(), shown);
        EXPECT_EQ(Text(IDC_VERSION), version);
        EXPECT_TRUE(std::equal(shown.begin(), shown.end(), g_image));
        EXPECT_EQ(g_readLen, readLen);
        EXPECT_EQ(g_codeLen, codeLen);
        EXPECT_EQ(g_checksum, checksum);
        EXPECT_EQ(g_progress.GetPos(), 0);
        EXPECT_TRUE(Enabled(IDC_READ));
        bus->Unplug(chip);
        ASSERT_TRUE(WaitIdle());
    }
}

}  // namespace

namespace {

// QUILLMAR_EMULATE=vq7170:stop=8 in the running tool: the connect at start-up
// takes the eight reports, then the chip hangs and every job says so in red.
TEST_F(ReadFailure, ChipStoppedByTheEmulateOption) {
    std::vector<emu::ChipConfig> configs;
    std::string error;
    ASSERT_TRUE(emu::ParseEmulateList("vq7170:stop=8", &configs, &error)) << error;
    auto chip = bus->Plug(configs.at(0));
    bus->TakeChanges();  // present from the start, as the list's chips are
    Open(ROW_VQ7170);
    ASSERT_EQ(Status(), QStringLiteral("Connected!"));
    EXPECT_EQ(chip->SetFeatureCount() + chip->GetFeatureCount(), 8u);
    ShowImage(std::vector<BYTE>(0x40, 0));
    for (const auto& [button, text] : {std::pair{IDC_DOWNLOAD, "Verify error!"}, std::pair{IDC_READ, "Reading failed!"}}) {
        Click(button);
        ASSERT_TRUE(WaitIdle());
        EXPECT_EQ(Status(), QString::fromLatin1(text));
        EXPECT_EQ(StatusColour(), STATUS_RED);
    }
}

}  // namespace
