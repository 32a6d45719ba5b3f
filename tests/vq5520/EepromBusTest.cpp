// The VQ5520's EEPROM bus set-up with one of its requests failing: the
// set-up fails whichever request it was, and an EEPROM read-back, which
// starts with that set-up, then ends as failed.
#include "Vq5520Fixture.h"

namespace vq5520test {
namespace {

TEST_P(Vq5520Test, EepromBusSetUpFailsWithAnyOfItsRequests) {
    // Each step reads its register and writes it back changed: P3, P2, then
    // the multiplexer at XDATA F016.
    struct Row {
        const char* request;  // bytes behind the report id; nullptr: none fails
        bool fetch;           // its reply fails rather than its send
    };
    const Row rows[] = {
        {nullptr, false},
        {"C5 B0", false},    {"C5 B0", true}, {"C6 B0", false},
        {"C5 A0", false},    {"C5 A0", true}, {"C6 A0", false},
        {"B5 F0 16", false}, {"B5 F0 16", true}, {"B6 F0 16", false},
    };
    for (const BYTE memType : {MEMTYPE_24C01_16, MEMTYPE_24C32_64}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << "memory type " << int(memType) << ", failing "
                                            << (row.request ? row.request : "nothing")
                                            << (row.fetch ? " (reply)" : " (send)"));
            const auto failing = [&] {
                return row.request ? emu::NthReport(chiptest::RequestsStartingWith(!row.fetch, row.request))
                                   : emu::ReportRule();
            };
            // The flash on the bus, as a flash job leaves it.
            chip->SetXdata(0xF016, 0x00);
            chip->FailReports(failing());
            EXPECT_EQ(patch.SelectEepromMux(), row.request == nullptr);

            chip->SetXdata(0xF016, 0x00);
            chip->FailReports(failing());
            host.Clear();
            const JobResult read = ReadBack(patch, memType, 16, true);
            EXPECT_EQ(host.LastStatus(), row.request ? kReadingFailed : kReadingCompleted);
            EXPECT_EQ(read.found.failed, row.request != nullptr);
        }
    }
}

}  // namespace
}  // namespace vq5520test
