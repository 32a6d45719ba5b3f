// VQ5520 register reads against replies cut short: a reply that reaches the
// register's byte is a read; one byte less is a failed read, 0 and noted,
// and never a byte of the request left behind the short reply.
#include "Vq5520Fixture.h"

namespace vq5520test {
namespace {

enum class Reg { Sfr, Xdata, XdataByRegister };

void PrintTo(Reg r, std::ostream* os) {
    *os << (r == Reg::Sfr ? "SFR" : r == Reg::Xdata ? "XDATA" : "XDATA by ReadRegister");
}

TEST_P(Vq5520Test, RegisterReadNeedsTheReplyToReachTheRegister) {
    constexpr BYTE kSfr = 0x91;
    constexpr WORD kXdata = 0x34C7;
    chip->SetSfr(kSfr, 0x5B);
    chip->SetXdata(kXdata, 0xE4);
    // The reply bytes count the report id. With id 1 the register comes one
    // byte earlier; a short reply leaves the request behind it, where an
    // id-1 reply has the SFR number (91) or the address's low byte (C7).
    struct Row {
        int id;
        Reg reg;
        std::size_t replyBytes;
        BYTE value;
        bool failed;
    };
    const Row rows[] = {
        {0, Reg::Sfr, 4, 0x5B, false},
        {0, Reg::Sfr, 3, 0x00, true},
        {0, Reg::Xdata, 5, 0xE4, false},
        {0, Reg::Xdata, 4, 0x00, true},
        {0, Reg::XdataByRegister, 5, 0xE4, false},
        {0, Reg::XdataByRegister, 4, 0x00, true},
        {1, Reg::Sfr, 3, 0x5B, false},
        {1, Reg::Sfr, 2, 0x00, true},
        {1, Reg::Xdata, 4, 0xE4, false},
        {1, Reg::Xdata, 3, 0x00, true},
        {1, Reg::XdataByRegister, 4, 0xE4, false},
        {1, Reg::XdataByRegister, 3, 0x00, true},
    };
    for (const Row& row : rows) {
        if (row.id != Id()) continue;
        SCOPED_TRACE(testing::PrintToString(row.reg) + ", reply of " + std::to_string(row.replyBytes) + " bytes");
        chip->FaultReplies({emu::ReplyFault::Short, row.replyBytes, 1, true});
        patch.m_bReadFailed = false;
        const BYTE got = row.reg == Reg::Sfr     ? patch.ReadRegister(kSfr, false)
                         : row.reg == Reg::Xdata ? patch.ReadXdata(kXdata)
                                                 : patch.ReadRegister(kXdata, true);
        EXPECT_EQ(got, row.value);
        EXPECT_EQ(patch.m_bReadFailed, row.failed);
    }
}

}  // namespace
}  // namespace vq5520test
