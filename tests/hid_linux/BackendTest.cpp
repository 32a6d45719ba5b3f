// The hidraw backend against umockdev devices: enumeration through libudev,
// feature reports through the hidraw ioctls (answered by a fake chip), and
// device changes through the udev monitor.
#include "ChipPatches.h"
#include "HidReport.h"
#include "MockBed.h"
#include "hid/Hid.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <map>
#include <functional>
#include <memory>

namespace {

using mockbed::Bed;
using mockbed::FakeChip;
using mockbed::UsbHid;

constexpr unsigned kInfo = 3, kSet = 6, kGet = 7;  // ioctl numbers the fake logs

class HidrawBackend : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(mockbed::Preloaded()) << "run this test under umockdev-wrapper";
        bed_ = std::make_unique<Bed>();
    }
    void TearDown() override {
        hid::SetBackend(nullptr);
        backend_.reset();
        bed_.reset();
    }
    // Made after the test bed, so its monitor listens to the bed's events.
    hid::Backend& Backend() {
        if (!backend_) backend_ = hid::MakeLinuxBackend();
        return *backend_;
    }
    // A chip at /dev/hidraw<n> answering through fake.
    std::string AddChip(const UsbHid& d, FakeChip* fake) {
        std::string syspath = bed_->AddUsbHid(d);
        bed_->Attach(d.hidraw, fake);
        return syspath;
    }

    std::unique_ptr<Bed> bed_;
    std::shared_ptr<hid::Backend> backend_;
};

std::vector<BYTE> XdataRead(BYTE id, WORD addr) { return {id, 0xB5, BYTE(addr >> 8), BYTE(addr), 0, 0, 0, 0, 0}; }

// Vendor, product and version; all -1 when the device tells none.
using Triple = std::array<int, 3>;
Triple Ids(hid::Device& dev) {
    hid::Attributes a;
    if (!dev.GetAttributes(&a)) return {-1, -1, -1};
    return {a.vendorId, a.productId, a.versionNumber};
}

// The process's descriptors and what they refer to.
std::map<int, std::string> Descriptors() {
    std::map<int, std::string> fds;
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        const auto target = std::filesystem::read_symlink(e.path(), ec);
        if (!ec) fds[std::stoi(e.path().filename().string())] = target.string();
    }
    return fds;
}

TEST_F(HidrawBackend, ListsUsbNodesInNodeOrderWithTheirLocation) {
    bed_->AddUsbHid({1, "3", 0x5156, 0x7170, 0x0100, 10});
    bed_->AddUsbHid({2, "2.4", 0x3b71, 0x0001, 0x0100, 2});  // behind a hub
    bed_->AddVirtualHid(5);                                 // no USB device above it

    const std::vector<hid::DeviceEntry> entries = Backend().Enumerate();

    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].path, "/dev/hidraw2");
    EXPECT_EQ(entries[0].location, "0000.0000.0000.002.002.004.000.000.000");
    EXPECT_EQ(entries[1].path, "/dev/hidraw10");
    EXPECT_EQ(entries[1].location, "0000.0000.0000.001.003.000.000.000.000");
}

TEST_F(HidrawBackend, OpenWithoutAccessAnswersFromSysfsAndSendsNothing) {
    FakeChip fake;
    AddChip({1, "3", 0x3b71, 0x0042, 0x0210, 0}, &fake);
    bed_->AddVirtualHid(1);

    std::unique_ptr<hid::Device> dev = Backend().Open("/dev/hidraw0", hid::Access::None);
    ASSERT_TRUE(dev);
    EXPECT_EQ(Ids(*dev), (Triple{0x3b71, 0x0042, 0x0210}));
    std::vector<BYTE> report = XdataRead(0, 0xF800);
    EXPECT_FALSE(dev->SetFeature(report.data(), report.size()));
    EXPECT_FALSE(dev->GetFeature(report.data(), report.size()));
    EXPECT_TRUE(fake.Calls().empty());

    // Ids of a node without a USB device come from its HID device.
    std::unique_ptr<hid::Device> virt = Backend().Open("/dev/hidraw1", hid::Access::None);
    ASSERT_TRUE(virt);
    EXPECT_EQ(Ids(*virt), (Triple{0x5156, 0x7170, 0}));

    EXPECT_FALSE(Backend().Open("/dev/hidraw7", hid::Access::None));
    EXPECT_FALSE(Backend().Open("/dev/hidraw7", hid::Access::ReadWrite));
}

TEST_F(HidrawBackend, OpenNodeTakesIdsFromTheNodeAndVersionFromSysfs) {
    FakeChip fake;
    fake.rawVendor = 0x3b71;
    fake.rawProduct = 0x9999;
    AddChip({1, "3", 0x5156, 0x7170, 0x0102, 0}, &fake);

    std::unique_ptr<hid::Device> dev = Backend().Open("/dev/hidraw0", hid::Access::ReadWrite);
    ASSERT_TRUE(dev);
    EXPECT_EQ(Ids(*dev), (Triple{0x3b71, 0x9999, 0x0102}));
    ASSERT_EQ(fake.Calls().size(), 1u);
    EXPECT_EQ(fake.Calls()[0].nr, kInfo);
}

TEST_F(HidrawBackend, XdataReadTravelsThroughTheLayerByteForByte) {
    FakeChip fake;
    fake.SetXdata(0xF801, 0x10);
    AddChip({1, "3", 0x5156, 0x7170, 0x0100, 0}, &fake);
    hid::SetBackend(hid::MakeLinuxBackend());

    const HANDLE h = hid::Open(hid::EnumeratePresent().at(0).path, hid::Access::ReadWrite);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    for (BYTE id : {0, 1}) {
        std::vector<BYTE> report = XdataRead(id, 0xF801);
        const std::vector<BYTE> sent = report;
        ASSERT_TRUE(hid::SetFeature(h, report.data(), report.size()));
        ASSERT_TRUE(hid::GetFeature(h, report.data(), report.size()));
        // The reply lands one byte earlier with report id 1.
        EXPECT_EQ(report[id ? 3 : 4], 0x10) << int(id);
        const auto calls = fake.Calls();
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[calls.size() - 2].nr, kSet);
        EXPECT_EQ(calls[calls.size() - 2].bytes, sent);
        EXPECT_EQ(calls.back().nr, kGet);
        EXPECT_EQ(calls.back().bytes.size(), 9u);
        EXPECT_EQ(calls.back().bytes[0], id);
    }
    EXPECT_TRUE(hid::Close(h));
}

TEST_F(HidrawBackend, ScanOfTheEngineFindsTheChipAndItsPort) {
    FakeChip chip, keyboard;
    chip.SetXdata(0xF800, 0xA7);
    chip.SetXdata(0xF801, 0x10);
    chip.SetXdata(0xF802, 0x9A);
    AddChip({1, "3", 0x5156, 0x7170, 0x0100, 1}, &chip);
    AddChip({1, "4", 0x046d, 0xc31c, 0x0100, 0}, &keyboard);
    bed_->AddVirtualHid(2);
    hid::SetBackend(hid::MakeLinuxBackend());

    CVQ7170Patch patch;
    ASSERT_EQ(patch.ScanDevices(), 1);
    EXPECT_EQ(patch.m_bConnected, 1);
    EXPECT_EQ(patch.m_strDevicePath[0], "/dev/hidraw1");
    EXPECT_EQ(patch.m_strLocation[0], "0000.0000.0000.001.003.000.000.000.000");
    EXPECT_FALSE(keyboard.Calls().empty());  // asked and rejected
}

TEST_F(HidrawBackend, BulkReportsTravelWhole) {
    FakeChip fake;
    AddChip({1, "3", 0x5156, 0x7170, 0x0100, 0}, &fake);
    std::unique_ptr<hid::Device> dev = Backend().Open("/dev/hidraw0", hid::Access::ReadWrite);
    ASSERT_TRUE(dev);

    BULK_REPORT out;
    out.bytes[0] = BULK_REPORT_ID;
    for (std::size_t i = 1; i < BULK_REPORT_SIZE; ++i) out.bytes[i] = BYTE(i * 3);
    ASSERT_TRUE(dev->SetFeature(out.data(), BULK_REPORT_SIZE));
    const FakeChip::Call sent = fake.Calls().back();
    EXPECT_EQ(sent.nr, kSet);
    EXPECT_EQ(sent.bytes, std::vector<BYTE>(out.bytes, out.bytes + BULK_REPORT_SIZE));

    BULK_REPORT in;
    in.bytes[0] = BULK_REPORT_ID;
    ASSERT_TRUE(dev->GetFeature(in.data(), BULK_REPORT_SIZE));
    EXPECT_EQ(fake.Calls().back().bytes.size(), BULK_REPORT_SIZE);
    EXPECT_EQ(in.bytes[0], BULK_REPORT_ID);
    for (std::size_t i = 1; i < BULK_REPORT_SIZE; ++i) ASSERT_EQ(in.bytes[i], BYTE(i * 7)) << i;
}

// Through the layer: a transfer that moved fewer bytes than the caller
// needs fails like one the kernel refused, and the handle keeps why.
TEST_F(HidrawBackend, ShortTransfersFailAndTheHandleKeepsWhy) {
    FakeChip fake;
    fake.SetXdata(0xF800, 0x5A);
    AddChip({1, "3", 0x5156, 0x7170, 0x0100, 0}, &fake);
    hid::SetBackend(hid::MakeLinuxBackend());
    const HANDLE h = hid::Open("/dev/hidraw0", hid::Access::ReadWrite);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << hid::LastOpenError();
    EXPECT_EQ(hid::LastOpenError(), "");
    EXPECT_EQ(hid::LastError(h), "");

    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::size_t need;  // bytes the caller reads the reply up to
        bool setOk, getOk;
        const char* why;   // LastError afterwards; nullptr: unchanged
    };
    const Case cases[] = {
        {"chip stalls the send", [&] { fake.FailNextSet(EPIPE); }, 5, false, true, "Broken pipe"},
        {"short send", [&] { fake.ShortNextSet(8); }, 5, false, true, "short send: 8 of 9 bytes"},
        {"chip stalls the fetch", [&] { fake.FailNextGet(EPIPE); }, 5, true, false, "Broken pipe"},
        {"chip unplugged", [&] { fake.FailNextGet(ENODEV); }, 5, true, false, "No such device"},
        {"reply of no bytes", [&] { fake.ShortNextGet(0); }, 5, true, false, "short reply: 0 of 5 bytes"},
        {"reply one byte short of the data", [&] { fake.ShortNextGet(4); }, 5, true, false, "short reply: 4 of 5 bytes"},
        {"reply just reaching the data", [&] { fake.ShortNextGet(5); }, 5, true, true, nullptr},
        {"whole report needed", [&] { fake.ShortNextGet(8); }, 9, true, false, "short reply: 8 of 9 bytes"},
        {"whole report came", [] {}, 9, true, true, nullptr},
    };
    std::string why = hid::LastError(h);
    for (const auto& c : cases) {
        c.arrange();
        std::vector<BYTE> report = XdataRead(0, 0xF800);
        EXPECT_EQ(hid::SetFeature(h, report.data(), report.size()), c.setOk) << c.name;
        EXPECT_EQ(hid::GetFeature(h, report.data(), report.size(), c.need), c.getOk) << c.name;
        if (c.setOk && c.getOk) {
            EXPECT_EQ(report[4], 0x5A) << c.name;
        }
        if (c.why) why = c.why;
        EXPECT_EQ(hid::LastError(h), why) << c.name;
    }

    // Nothing goes out for a report the hidraw ioctls can't carry.
    const std::size_t before = fake.Calls().size();
    std::vector<BYTE> huge(0x4000);
    EXPECT_FALSE(hid::SetFeature(h, huge.data(), huge.size()));
    EXPECT_EQ(hid::LastError(h), "Invalid argument");
    EXPECT_EQ(fake.Calls().size(), before);
    hid::Close(h);
}

// A send the node took only in part: the opened node tells how many bytes
// went out and counts it as a failed send, and so does the layer on a
// handle of that node, with how far the send got.
TEST_F(HidrawBackend, ShortSendOnTheNodeIsAFailedSend) {
    FakeChip fake;
    AddChip({1, "3", 0x3b71, 0x7340, 0x0100, 0}, &fake);
    std::unique_ptr<hid::Device> dev = Backend().Open("/dev/hidraw0", hid::Access::ReadWrite);
    ASSERT_TRUE(dev);
    hid::SetBackend(backend_);
    const HANDLE h = hid::Open("/dev/hidraw0", hid::Access::ReadWrite);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << hid::LastOpenError();

    struct Case {
        std::size_t len;  // 9: a request; 4096: a bulk report
        int sent;         // bytes the node reports sent
        const char* why;  // LastError afterwards; nullptr: the send went whole
    };
    const Case cases[] = {
        {9, 9, nullptr},
        {9, 8, "short send: 8 of 9 bytes"},
        {9, 1, "short send: 1 of 9 bytes"},
        {9, 0, "short send: 0 of 9 bytes"},
        {4096, 4096, nullptr},
        {4096, 4095, "short send: 4095 of 4096 bytes"},
    };
    std::string why;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.sent) + " of " + std::to_string(c.len));
        std::vector<BYTE> report(c.len);
        report[0] = c.len == BULK_REPORT_SIZE ? BULK_REPORT_ID : 0;
        report[1] = 0xB6;
        const bool whole = c.why == nullptr;

        fake.ShortNextSet(c.sent);
        EXPECT_EQ(dev->SendFeature(report.data(), report.size()), c.sent);
        fake.ShortNextSet(c.sent);
        EXPECT_EQ(dev->SetFeature(report.data(), report.size()), whole);
        fake.ShortNextSet(c.sent);
        EXPECT_EQ(hid::SetFeature(h, report.data(), report.size()), whole);
        if (c.why) why = c.why;
        EXPECT_EQ(hid::LastError(h), why);
    }
    // Every one of them reached the node.
    const auto calls = fake.Calls();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const FakeChip::Call& call) { return call.nr == kSet; }),
              3 * std::ssize(cases));
    hid::Close(h);
}

// Why an open failed, per thread; a good open clears it.
TEST_F(HidrawBackend, FailedOpenKeepsWhy) {
    FakeChip fake;
    AddChip({1, "3", 0x5156, 0x7170, 0x0100, 0}, &fake);
    hid::SetBackend(hid::MakeLinuxBackend());
    struct Case {
        const char* path;
        hid::Access access;
        const char* why;
    };
    const Case cases[] = {
        {"/dev/hidraw7", hid::Access::ReadWrite, "No such file or directory"},
        {"/dev/hidraw0", hid::Access::ReadWrite, ""},
        {"/dev/hidraw7", hid::Access::None, "No such device"},
        {"/dev/hidraw0", hid::Access::None, ""},
    };
    for (const auto& c : cases) {
        const HANDLE h = hid::Open(c.path, c.access);
        EXPECT_EQ(h == INVALID_HANDLE_VALUE, *c.why != 0) << c.path;
        EXPECT_EQ(hid::LastOpenError(), c.why) << c.path;
        hid::Close(h);
    }
    // A handle opened without access sends nothing and says why.
    const HANDLE probe = hid::Open("/dev/hidraw0", hid::Access::None);
    std::vector<BYTE> report = XdataRead(0, 0xF800);
    EXPECT_FALSE(hid::SetFeature(probe, report.data(), report.size()));
    EXPECT_EQ(hid::LastError(probe), "Bad file descriptor");
    hid::Close(probe);
}

TEST_F(HidrawBackend, ClosingAHandleClosesItsNode) {
    FakeChip fake;
    AddChip({1, "3", 0x5156, 0x7170, 0x0100, 0}, &fake);
    hid::SetBackend(hid::MakeLinuxBackend());
    const std::map<int, std::string> before = Descriptors();

    const HANDLE h = hid::Open("/dev/hidraw0", hid::Access::ReadWrite);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    // Under the test bed the node is a socket, and the bed may open sockets
    // of its own on the way; the listing's own descriptor is no candidate.
    std::map<int, std::string> opened;
    for (const auto& [fd, target] : Descriptors())
        if (!before.count(fd) && target.rfind("/proc/", 0) != 0) opened[fd] = target;
    ASSERT_FALSE(opened.empty());
    EXPECT_EQ(hid::OpenHandleCount(), 1u);

    EXPECT_TRUE(hid::Close(h));
    EXPECT_EQ(hid::OpenHandleCount(), 0u);
    const std::map<int, std::string> after = Descriptors();
    const bool released = std::any_of(opened.begin(), opened.end(), [&](const auto& entry) {
        const auto it = after.find(entry.first);
        return it == after.end() || it->second != entry.second;
    });
    EXPECT_TRUE(released);
}

std::vector<hid::Change> WaitForChanges(hid::Backend& backend) {
    pollfd p{backend.ChangeFd(), POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 5000), 1);
    return backend.TakeChanges();
}

TEST_F(HidrawBackend, ArrivalsAndRemovalsOfNodesReachTheChangeQueue) {
    using hid::Change;
    ASSERT_GE(Backend().ChangeFd(), 0);
    EXPECT_TRUE(Backend().TakeChanges().empty());

    // The test bed announces every device it adds; only the hidraw node
    // counts.
    const std::string node = bed_->AddUsbHid({1, "3", 0x5156, 0x7170, 0x0100, 0});
    EXPECT_EQ(WaitForChanges(Backend()), std::vector<Change>{Change::Arrival});

    // Everything pending comes at once; other actions and other subsystems
    // are no changes.
    bed_->Uevent("/sys/devices/pci0000:00/0000:00:14.0/usb1/1-3", "remove");
    bed_->Uevent(node, "change");
    bed_->Uevent(node, "remove");
    bed_->Uevent(node, "add");
    EXPECT_EQ(WaitForChanges(Backend()), (std::vector<Change>{Change::Removal, Change::Arrival}));

    pollfd p{Backend().ChangeFd(), POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 0), 0);
    EXPECT_TRUE(Backend().TakeChanges().empty());
}

TEST_F(HidrawBackend, RemovedNodeIsNoLongerListed) {
    const std::string gone = bed_->AddUsbHid({1, "3", 0x5156, 0x7170, 0x0100, 0});
    bed_->AddUsbHid({1, "4", 0x5156, 0x7170, 0x0100, 1});
    ASSERT_EQ(Backend().Enumerate().size(), 2u);
    bed_->Remove(gone);
    const auto entries = Backend().Enumerate();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].path, "/dev/hidraw1");
    EXPECT_FALSE(Backend().Open("/dev/hidraw0", hid::Access::None));
}

}  // namespace
