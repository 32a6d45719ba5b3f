// The access mode of VQ7340/VQ5632 when its read of XDATA F01F (the
// register that puts the flash or the EEPROM on the bus) fails: the set-up
// fails, and a read-back, which starts with it, ends as failed.
#include "FlashFixture.h"

namespace flashtest {
namespace {

class AccessModeFailureTest : public FlashFixture, public ::testing::TestWithParam<Target> {};

TEST_P(AccessModeFailureTest, FailedModeRegisterReadFailsTheSetUp) {
    Connect(GetParam().type, GetParam().reportId);
    enum Fault { None, Send, Reply };  // of the F01F read
    struct Row {
        int mode;
        BYTE readMemType;  // a read-back that sets this mode; 0: none does
        Fault fault;
    };
    const Row rows[] = {
        {ACCESS_FLASH, MEMTYPE_FLASH, None},          {ACCESS_FLASH, MEMTYPE_FLASH, Send},
        {ACCESS_FLASH, MEMTYPE_FLASH, Reply},         {ACCESS_EEPROM_READ, MEMTYPE_24C01_16, None},
        {ACCESS_EEPROM_READ, MEMTYPE_24C01_16, Send}, {ACCESS_EEPROM_READ, MEMTYPE_24C32_64, Reply},
        {ACCESS_EEPROM_WRITE, 0, None},               {ACCESS_EEPROM_WRITE, 0, Send},
        {ACCESS_EEPROM_WRITE, 0, Reply},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "mode " << row.mode << ", failing "
                                        << (row.fault == None ? "nothing" : row.fault == Send ? "the send" : "the reply"));
        const bool fails = row.fault != None;
        const auto rule = [&] {
            return fails ? FailNth(chiptest::RequestsStartingWith(row.fault == Send, "B5 F0 1F")) : FaultRule();
        };
        // The other memory on the bus than the mode wants.
        const BYTE otherMemory = row.mode == ACCESS_FLASH ? 0x00 : 0x10;
        chip->SetXdata(0xF01F, otherMemory);
        Fail(rule());
        EXPECT_EQ(patch->SetAccessMode(row.mode), !fails);
        if (row.readMemType == 0) continue;

        chip->SetXdata(0xF01F, otherMemory);
        Fail(rule());
        host.Clear();
        const JobResult read = ReadBack(*patch, row.readMemType, 16, true);
        EXPECT_EQ(host.LastStatus(), fails ? status::kReadingFailed : status::kReadingCompleted);
        EXPECT_EQ(read.found.failed, fails);
    }
}

INSTANTIATE_TEST_SUITE_P(Chips, AccessModeFailureTest, AllTargets(),
                         [](const auto& info) { return TargetName(info.param); });

}  // namespace
}  // namespace flashtest
