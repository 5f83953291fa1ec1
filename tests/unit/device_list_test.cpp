#include <gtest/gtest.h>

#include <cstring>

#include "app/device_list.h"
#include "app/settings_file.h"
#include "settings_test_support.h"

namespace {

using test_support::ReadBytes;
using test_support::TempFolder;
using test_support::WriteBytes;

std::uint32_t Address(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    const std::uint8_t bytes[4] = {a, b, c, d};
    std::uint32_t address = 0;
    std::memcpy(&address, bytes, 4);
    return address;
}

std::unique_ptr<app::DeviceRecord> Device(std::uint32_t address, std::string mac) {
    auto record = std::make_unique<app::DeviceRecord>();
    record->address = address;
    record->mac = std::move(mac);
    return record;
}

class DeviceListFile : public ::testing::Test {
protected:
    app::DeviceList LoadFrom(const std::string& bytes) {
        WriteBytes(path_, bytes);
        app::DeviceList list;
        app::LoadDeviceList(settings_, list);
        return list;
    }
    TempFolder folder_;
    std::string path_ = folder_.File("vantrel-panel.ini");
    app::SettingsFile settings_{path_};
};

constexpr const char* kExampleList =
    "[List]\nTotal=2\nIP0=167880896\nMAC0=00:11:22:33:44:55\nIP1=-939415360\nMAC1=\n";

TEST_F(DeviceListFile, ExampleListIsStoredExactlyAndReadsBack) {
    app::DeviceList list;
    app::AppendDevice(list, Device(Address(192, 168, 1, 10), "00:11:22:33:44:55"));
    app::AppendDevice(list, Device(Address(192, 168, 1, 200), ""));
    list[1]->tested = 1;  // what a run learns is not stored
    list[1]->online = 1;
    list[1]->switcherAddress = Address(10, 0, 0, 1);
    ASSERT_TRUE(app::SaveDeviceList(settings_, list));
    EXPECT_EQ(ReadBytes(path_), kExampleList);

    app::DeviceList loaded;
    app::LoadDeviceList(settings_, loaded);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0]->address, Address(192, 168, 1, 10));
    EXPECT_EQ(loaded[0]->mac, "00:11:22:33:44:55");
    EXPECT_EQ(loaded[1]->address, Address(192, 168, 1, 200));
    EXPECT_EQ(loaded[1]->mac, "");
    EXPECT_EQ(loaded[1]->tested, 0);
    EXPECT_EQ(loaded[1]->online, 0);
    EXPECT_EQ(loaded[1]->switcherAddress, 0u);
}

TEST_F(DeviceListFile, LoadReplacesTheListAndReadsHandEditedKeysAsTheyAre) {
    app::DeviceList list;
    app::AppendDevice(list, Device(1, "stale"));
    WriteBytes(path_, "[list]\ntotal=3\nip0=16777226\nmac0=aa:bb:cc:dd:ee:0f\nIP2=5\nMAC1=x\n");
    app::LoadDeviceList(settings_, list);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0]->address, Address(10, 0, 0, 1));
    EXPECT_EQ(list[0]->mac, "aa:bb:cc:dd:ee:0f");  // lower case stays lower case
    EXPECT_EQ(list[1]->address, 0u);               // missing IP1 is 0.0.0.0
    EXPECT_EQ(list[1]->mac, "x");
    EXPECT_EQ(list[2]->mac, "");

    ASSERT_TRUE(app::SaveDeviceList(settings_, list));
    EXPECT_EQ(
        ReadBytes(path_),
        "[list]\ntotal=3\nip0=16777226\nmac0=aa:bb:cc:dd:ee:0f\nIP2=5\nMAC1=x\nIP1=0\nMAC2=\n");
}

TEST_F(DeviceListFile, MissingOrNegativeTotalGivesAnEmptyList) {
    EXPECT_TRUE(LoadFrom("").empty());
    EXPECT_TRUE(LoadFrom("[Layout]\nLeft=1\n").empty());
    EXPECT_TRUE(LoadFrom("[List]\nIP0=1\n").empty());
    EXPECT_TRUE(LoadFrom("[List]\nTotal=-3\nIP0=1\n").empty());
    EXPECT_TRUE(LoadFrom("[List]\nTotal=abc\nIP0=1\n").empty());
}

TEST_F(DeviceListFile, HugeTotalIsBoundedButLongListsLoadWhole) {
    EXPECT_EQ(LoadFrom("[List]\nTotal=200\n").size(), 200u);
    EXPECT_EQ(LoadFrom("[List]\nTotal=99999999999\n").size(),
              static_cast<std::size_t>(app::kMaxLoadedDevices));
    EXPECT_EQ(LoadFrom("[List]\nTotal=65537\n").size(),
              static_cast<std::size_t>(app::kMaxLoadedDevices));
}

TEST_F(DeviceListFile, RemovingTheLastDeviceKeepsItsOldKeysBeyondTotal) {
    app::DeviceList list =
        LoadFrom("[List]\nTotal=3\nIP0=1\nMAC0=A\nIP1=2\nMAC1=B\nIP2=3\nMAC2=C\n");
    ASSERT_TRUE(app::RemoveDeviceAt(list, 2));
    ASSERT_TRUE(app::SaveDeviceList(settings_, list));
    EXPECT_EQ(ReadBytes(path_), "[List]\nTotal=2\nIP0=1\nMAC0=A\nIP1=2\nMAC1=B\nIP2=3\nMAC2=C\n");
    EXPECT_EQ(LoadFrom(ReadBytes(path_)).size(), 2u);
}

TEST_F(DeviceListFile, RemovingMovesLaterDevicesUp) {
    app::DeviceList list =
        LoadFrom("[List]\nTotal=3\nIP0=1\nMAC0=A\nIP1=2\nMAC1=B\nIP2=3\nMAC2=C\n");
    EXPECT_FALSE(app::RemoveDeviceAt(list, 3));
    ASSERT_EQ(list.size(), 3u);
    ASSERT_TRUE(app::RemoveDeviceAt(list, 0));
    ASSERT_TRUE(app::SaveDeviceList(settings_, list));
    EXPECT_EQ(ReadBytes(path_), "[List]\nTotal=2\nIP0=2\nMAC0=B\nIP1=3\nMAC1=C\nIP2=3\nMAC2=C\n");
}

// A hand-edited MAC is kept as it reads, even quoted with blanks inside: when the device moves
// up, its MAC moves with it instead of leaving the removed device's MAC at its new position.
TEST_F(DeviceListFile, OddHandEditedMacMovesWithItsDevice) {
    app::DeviceList list = LoadFrom("[List]\nTotal=2\nIP0=1\nMAC0=A\nIP1=2\nMAC1=' b\tc '\n");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1]->mac, " b\tc ");
    ASSERT_TRUE(app::RemoveDeviceAt(list, 0));
    ASSERT_TRUE(app::SaveDeviceList(settings_, list));
    const app::DeviceList loaded = LoadFrom(ReadBytes(path_));
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0]->address, 2u);
    EXPECT_EQ(loaded[0]->mac, " b\tc ");
}

TEST_F(DeviceListFile, DuplicateAddressesAreListedTwice) {
    app::DeviceList list;
    app::AppendDevice(list, Device(Address(10, 0, 0, 1), ""));
    app::AppendDevice(list, Device(Address(10, 0, 0, 1), ""));
    ASSERT_TRUE(app::SaveDeviceList(settings_, list));
    app::DeviceList loaded;
    app::LoadDeviceList(settings_, loaded);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0]->address, loaded[1]->address);
}

TEST_F(DeviceListFile, UnwritableFileLeavesTheListInMemory) {
    app::SettingsFile nowhere(folder_.File("missing-folder/vantrel-panel.ini"));
    app::DeviceList list;
    app::AppendDevice(list, Device(Address(10, 0, 0, 1), ""));
    EXPECT_FALSE(app::SaveDeviceList(nowhere, list));
    EXPECT_EQ(list.size(), 1u);
    app::DeviceList loaded;
    app::LoadDeviceList(nowhere, loaded);
    EXPECT_TRUE(loaded.empty());
}

}  // namespace
