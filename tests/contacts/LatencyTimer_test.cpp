// The USB adapter's latency timer read from a sysfs folder of the test's own, what is said about
// it, setting it to 1 ms, and what the open port reports to the settings dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>

#include "contacts/ComPortControl.h"
#include "contacts/port_layer/LatencyTimer.h"
#include "fakes/FakeHost.h"
#include "fakes/FakePortLayer.h"
#include "fakes/QueueDispatcher.h"
#include "timing/Timekeeper.h"

namespace vandoret {
namespace {

namespace fs = std::filesystem;

// A sysfs root in a temporary folder with one adapter, ttyUSB0.
class FakeSysfs {
public:
    FakeSysfs() : root_(fs::temp_directory_path() / ("vandoret-sysfs-" + std::to_string(std::random_device{}()))) {
        fs::remove_all(root_);
        fs::create_directories(Folder());
    }
    ~FakeSysfs() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    std::string Root() const { return root_.string(); }
    fs::path Folder() const { return root_ / "bus/usb-serial/devices/ttyUSB0"; }
    void Holds(const std::optional<std::string>& text) const {
        if (text) {
            std::ofstream(Folder() / "latency_timer", std::ios::binary) << *text;
        }
    }
    std::string Text() const {
        std::ifstream in(Folder() / "latency_timer", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    fs::path root_;
};

// The files as a user without write access sees them (the tests may run as root).
class ReadOnlySysfs : public SysfsFiles {
public:
    using SysfsFiles::SysfsFiles;
    bool MayWrite(const std::string&) const override { return false; }
    bool Write(const std::string&, const std::string&) const override { return false; }
};

const char* const kNotice16 = "USB-Latenz 16 ms \xE2\x80\x94 auf 1 ms stellen";

TEST(LatencyTimer, ReadFromSysfsAndSaidBesideThePort) {
    struct Case {
        const char* what;
        std::optional<std::string> file; // nothing: no latency_timer (not an FTDI-type adapter)
        bool writable;
        bool known;
        int ms;
        std::string notice;
    };
    const Case cases[] = {
        {"no such file", std::nullopt, true, false, 0, ""},
        {"already 1 ms", "1\n", true, true, 1, ""},
        {"the default 16 ms", "16\n", true, true, 16, kNotice16},
        {"16 ms, may not write", "16\n", false, true, 16, kNotice16},
        {"2 ms, without a line end", "2", true, true, 2, "USB-Latenz 2 ms \xE2\x80\x94 auf 1 ms stellen"},
        {"garbage", "sixteen\n", true, false, 0, ""},
        {"a number and garbage", "16 ms\n", true, false, 0, ""},
        {"empty", "", true, false, 0, ""},
        {"0 is no timer", "0\n", true, false, 0, ""},
        {"above what adapters take", "300\n", true, false, 0, ""},
        {"negative", "-16\n", true, false, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSysfs sysfs;
        sysfs.Holds(c.file);
        const SysfsFiles writable(sysfs.Root());
        const ReadOnlySysfs readOnly(sysfs.Root());
        const SysfsFiles& files = c.writable ? writable : static_cast<const SysfsFiles&>(readOnly);
        const LatencyTimer timer = ReadLatencyTimer(files, "ttyUSB0");
        EXPECT_EQ(timer.Known, c.known);
        EXPECT_EQ(timer.Milliseconds, c.ms);
        EXPECT_EQ(timer.Writable, c.known && c.writable);
        EXPECT_EQ(timer.Device, "ttyUSB0");
        EXPECT_EQ(LatencyNotice(timer), c.notice);
    }
}

TEST(LatencyTimer, SetToOneMillisecondWhenPermittedElseTheRuleIsNamed) {
    struct Case {
        const char* what;
        bool permitted;
        bool set;
        std::string fileAfter;
    };
    const Case cases[] = {
        {"write permitted", true, true, "1\n"},
        {"write refused", false, false, "16\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSysfs sysfs;
        sysfs.Holds("16\n");
        const SysfsFiles writable(sysfs.Root());
        const ReadOnlySysfs readOnly(sysfs.Root());
        const SysfsFiles& files = c.permitted ? writable : static_cast<const SysfsFiles&>(readOnly);
        EXPECT_EQ(WriteLatencyTimer(files, "ttyUSB0", 1), c.set);
        EXPECT_EQ(sysfs.Text(), c.fileAfter);
        const LatencyTimer after = ReadLatencyTimer(files, "ttyUSB0");
        EXPECT_EQ(LatencyNotice(after).empty(), c.set);
        if (!c.set) {
            const std::string advice = LatencyAdvice(after);
            EXPECT_NE(advice.find("echo 1 | sudo tee /sys/bus/usb-serial/devices/ttyUSB0/latency_timer"),
                      std::string::npos);
            EXPECT_NE(advice.find("ATTR{latency_timer}=\"1\""), std::string::npos) << "the udev rule";
        }
    }
}

TEST(LatencyTimer, NamesThatAreNoDeviceOfTheFolderAreNotRead) {
    FakeSysfs sysfs;
    sysfs.Holds("16\n");
    const SysfsFiles files(sysfs.Root());
    for (const char* tty : {"", ".", "..", "ttyUSB0/../ttyUSB0", "ttyUSB1"}) {
        SCOPED_TRACE(tty);
        EXPECT_FALSE(ReadLatencyTimer(files, tty).Known);
        EXPECT_FALSE(WriteLatencyTimer(files, tty, 1));
    }
    EXPECT_EQ(sysfs.Text(), "16\n");
}

#ifndef _WIN32 // the device links of Linux
TEST(LatencyTimer, TheKernelNameOfALinkedDeviceIsWhereItPoints) {
    FakeSysfs sysfs;
    const fs::path dev = fs::path(sysfs.Root()) / "dev";
    fs::create_directories(dev / "serial/by-id");
    std::ofstream(dev / "ttyUSB3") << "";
    fs::create_symlink(dev / "ttyUSB3", dev / "serial/by-id/usb-Adapter_A1-if00-port0");
    EXPECT_EQ(KernelDeviceName((dev / "serial/by-id/usb-Adapter_A1-if00-port0").string()), "ttyUSB3");
    EXPECT_EQ(KernelDeviceName((dev / "ttyUSB3").string()), "ttyUSB3");
    EXPECT_EQ(KernelDeviceName("/dev/ttyUSB9-missing"), "ttyUSB9-missing");
}
#endif

TEST(LatencyTimer, TheWindowsDriverSettingIsNamedWhereItIsRead) {
    LatencyTimer timer;
    timer.Known = true;
    timer.Milliseconds = 16;
    timer.Device = "COM3";
    timer.Where = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS\\VID_0403+PID_6001+A1\\0000\\Device "
                  "Parameters";
    EXPECT_EQ(LatencyNotice(timer), kNotice16);
    const std::string advice = LatencyAdvice(timer);
    EXPECT_NE(advice.find("COM3"), std::string::npos);
    EXPECT_EQ(advice.find("udev"), std::string::npos);
}

// The open port's timing as the settings dialog gets it through the port control.
TEST(LatencyTimer, TheOpenPortReportsItsTimerAndSetsItWhenTheOperatorAgrees) {
    struct Case {
        const char* what;
        bool known;
        int ms;
        bool writable;
        std::string notice;
        bool set;
    };
    const Case cases[] = {
        {"no adapter timer", false, 0, false, "", false},
        {"1 ms after the low-latency request", true, 1, true, "", true},
        {"16 ms, may be written", true, 16, true, kNotice16, true},
        {"16 ms, may not be written", true, 16, false, kNotice16, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::FakeHost host;
        testing::FakePortLayer layer;
        testing::QueueDispatcher ui;
        layer.AddDevice(3);
        layer.latency.Known = c.known;
        layer.latency.Milliseconds = c.ms;
        layer.latency.Writable = c.writable;
        layer.latency.Where = "/sys/bus/usb-serial/devices/ttyUSB0/latency_timer";
        Timekeeper tk(host);
        tk.AttachComPort(layer, ui, [] { return 0.4; });
        ComPortControl control(tk.contacts);
        EXPECT_EQ(control.Timing().port, 0) << "no port open";
        ASSERT_TRUE(control.OpenPort(3));
        ASSERT_TRUE(layer.WaitUntilIdle());
        PortTiming timing = control.Timing();
        EXPECT_EQ(timing.port, 3);
        EXPECT_EQ(timing.latencyNotice, c.notice);
        EXPECT_EQ(timing.latencyWritable, !c.notice.empty() && c.writable);
        EXPECT_EQ(timing.latencyAdvice.empty(), c.notice.empty());
        EXPECT_EQ(control.SetLatencyToOneMs(), c.set);
        if (c.set) {
            EXPECT_EQ(control.Timing().latencyNotice, "");
        }
        control.ClosePort();
    }
}

} // namespace
} // namespace vandoret
