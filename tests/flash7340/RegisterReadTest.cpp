// Register reads of the VQ7340/VQ5632 programmers: the byte read and whether
// the caller may take it as the chip's.
#include "FlashFixture.h"

namespace flashtest {
namespace {

enum class Read { Sfr, Xdata };
enum class Fault { None, Request, Reply };

struct ReadCase {
    const char* label;
    Read read;
    Fault fault;
    int reportId;
    DWORD result;  // what the read returns
    int value;     // what it leaves in out: 0xFF for a failed request or
                   // reply, never a byte of the request
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
                      ReadCase{"XdataId1ReplyFails", Read::Xdata, Fault::Reply, 1, 1, 0xFF}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace flashtest
