// Register reads of the VQ7340/VQ5632 programmers: the byte read and whether
// the caller may take it as the chip's.
#include "FlashFixture.h"

namespace flashtest {
namespace {

enum class Read { Sfr, Xdata };
enum class Fault { None, Request, Reply, Short };

struct ReadCase {
    const char* label;
    Read read;
    Fault fault;
    int reportId;
    DWORD result;  // what the read returns
    int value;     // what it leaves in out: 0xFF for a failed request or
                   // reply, never a byte of the request
    std::size_t replyBytes = 0;  // Fault::Short: the bytes the reply carries,
                                 // report id included; the request stays behind them
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.label; }

class RegisterReadTest : public FlashFixture, public ::testing::TestWithParam<ReadCase> {};

TEST_P(RegisterReadTest, ResultTellsAFailedRequestOrReply) {
    const ReadCase& c = GetParam();
    Connect(emu::ChipType::VQ5632, c.reportId);
    chip->SetSfr(0xA0, 0x6A);
    chip->SetXdata(0x12A0, 0x3C);
    if (c.fault == Fault::Request) Fail([](bool set, const BYTE*, std::size_t) { return set; });
    if (c.fault == Fault::Reply) Fail([](bool set, const BYTE*, std::size_t) { return !set; });
    if (c.fault == Fault::Short) chip->FaultReplies({emu::ReplyFault::Short, c.replyBytes, 1, true});
    BYTE v = 0x55;
    const DWORD result = c.read == Read::Sfr ? patch->ReadSfr(0xA0, &v) : patch->ReadXdata(0x12A0, &v);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(v, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Reads, RegisterReadTest,
    ::testing::Values(ReadCase{"SfrId0", Read::Sfr, Fault::None, 0, 0, 0x6A},
                      ReadCase{"SfrId1", Read::Sfr, Fault::None, 1, 0, 0x6A},
                      ReadCase{"SfrId0RequestFails", Read::Sfr, Fault::Request, 0, 1, 0xFF},
                      ReadCase{"SfrId1RequestFails", Read::Sfr, Fault::Request, 1, 1, 0xFF},
                      ReadCase{"SfrId0ReplyFails", Read::Sfr, Fault::Reply, 0, 1, 0xFF},
                      ReadCase{"SfrId1ReplyFails", Read::Sfr, Fault::Reply, 1, 1, 0xFF},
                      ReadCase{"XdataId0", Read::Xdata, Fault::None, 0, 0, 0x3C},
                      ReadCase{"XdataId1", Read::Xdata, Fault::None, 1, 0, 0x3C},
                      ReadCase{"XdataId0RequestFails", Read::Xdata, Fault::Request, 0, 0, 0xFF},
                      ReadCase{"XdataId1RequestFails", Read::Xdata, Fault::Request, 1, 0, 0xFF},
                      ReadCase{"XdataId0ReplyFails", Read::Xdata, Fault::Reply, 0, 1, 0xFF},
                      ReadCase{"XdataId1ReplyFails", Read::Xdata, Fault::Reply, 1, 1, 0xFF},
                      // A reply just reaching the register's byte, and one
                      // byte short of it; behind a short reply lie the
                      // request's 00 (id 0) or A0 (id 1: SFR number, address
                      // low byte).
                      ReadCase{"SfrId0ReplyReachesIt", Read::Sfr, Fault::Short, 0, 0, 0x6A, 4},
                      ReadCase{"SfrId0ReplyOneShort", Read::Sfr, Fault::Short, 0, 1, 0xFF, 3},
                      ReadCase{"SfrId1ReplyReachesIt", Read::Sfr, Fault::Short, 1, 0, 0x6A, 3},
                      ReadCase{"SfrId1ReplyOneShort", Read::Sfr, Fault::Short, 1, 1, 0xFF, 2},
                      ReadCase{"XdataId0ReplyReachesIt", Read::Xdata, Fault::Short, 0, 0, 0x3C, 5},
                      ReadCase{"XdataId0ReplyOneShort", Read::Xdata, Fault::Short, 0, 1, 0xFF, 4},
                      ReadCase{"XdataId1ReplyReachesIt", Read::Xdata, Fault::Short, 1, 0, 0x3C, 4},
                      ReadCase{"XdataId1ReplyOneShort", Read::Xdata, Fault::Short, 1, 1, 0xFF, 3}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace flashtest
