// Port numbers to device paths on POSIX systems.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "contacts/port_layer/PortLayer.h"
#include "contacts/port_layer/PortMapping.h"

namespace vandoret {
namespace {

TEST(PortMapping, UsbAdaptersComeFirstInNumericOrder) {
    const std::vector<std::string> dev{"ttyS1", "tty0",    "ttyACM0", "ttyUSB10", "null", "ttyS0",   "ttyUSB2",
                                       "ttyS",  "ttyUSBx", "ttyS10",  "ttyUSB0",  "pts",  "ttyACM1", "ttyS2"};
    const std::vector<std::string> expected{"/dev/ttyUSB0", "/dev/ttyUSB2", "/dev/ttyUSB10",
                                            "/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyS0",
                                            "/dev/ttyS1",   "/dev/ttyS2",   "/dev/ttyS10"};
    EXPECT_EQ(OrderSerialDevices(dev), expected);
    EXPECT_TRUE(OrderSerialDevices({}).empty());
}

TEST(PortMapping, NumbersAndOverrides) {
    const std::vector<std::string> ordered{"/dev/ttyUSB0", "/dev/ttyS0"};
    const std::map<std::string, std::string> env{{"VANDORET_COM3", "/dev/pts/5"},
                                                 {"VANDORET_COM1", "/dev/ttyACM4"},
                                                 {"VANDORET_COM2", ""},
                                                 {"VANDORET_COM33", "/dev/pts/9"}};
    const auto lookup = [&](const char* name) -> const char* {
        const auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    };
    const struct {
        int port;
        const char* device;
    } cases[] = {
        {1, "/dev/ttyACM4"}, {2, "/dev/ttyS0"}, {3, "/dev/pts/5"}, {4, ""}, {0, ""}, {-1, ""}, {33, ""}, {32, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(MapPortNumber(c.port, ordered, lookup), c.device) << c.port;
    }
    EXPECT_EQ(MapPortNumber(1, ordered, nullptr), "/dev/ttyUSB0");
}

TEST(PortMapping, TheTableOfARunNamesEveryNumberOnce) {
    // One built-in and one ACM port at start-up; a USB adapter plugged in later changes nothing.
    const auto none = [](const char*) -> const char* { return nullptr; };
    const std::vector<std::string> table = BuildPortTable(OrderSerialDevices({"ttyS0", "ttyACM0"}), none);
    ASSERT_EQ(table.size(), static_cast<std::size_t>(kMaxPortNumber));
    const struct {
        int port;
        const char* device;
    } cases[] = {{1, "/dev/ttyACM0"}, {2, "/dev/ttyS0"}, {3, ""}, {32, ""}, {0, ""}, {33, ""}, {-4, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(PortTableDevice(table, c.port), c.device) << c.port;
    }
    EXPECT_EQ(PortTableDevice({}, 1), "");
}

#ifndef _WIN32
// The platform layer makes its table when it is made and keeps it: what the settings dialog
// listed as COM5 at start-up stays COM5 for the run, whatever appears or goes later.
TEST(PortMapping, ThePlatformLayerKeepsItsTableForTheRun) {
    setenv("VANDORET_COM5", "/dev/pts/71", 1);
    const std::unique_ptr<PortLayer> layer = CreatePlatformPortLayer();
    const std::string first = layer->DeviceName(1);
    setenv("VANDORET_COM5", "/dev/pts/72", 1);
    setenv("VANDORET_COM1", "/dev/pts/73", 1);
    EXPECT_EQ(layer->DeviceName(5), "/dev/pts/71");
    EXPECT_EQ(layer->DeviceName(1), first);
    unsetenv("VANDORET_COM5");
    unsetenv("VANDORET_COM1");
    EXPECT_EQ(layer->DeviceName(5), "/dev/pts/71");
    EXPECT_EQ(layer->OpenDevice(layer->DeviceName(5)), kInvalidPortHandle) << "gone: fails to open";
}
#endif

} // namespace
} // namespace vandoret
