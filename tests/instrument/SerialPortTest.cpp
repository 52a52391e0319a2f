// The serial port over real pseudo-terminals, and the port map.
#include <gtest/gtest.h>

#include <numeric>
#include <poll.h>
#include <unistd.h>

#include "instrument/CSerialPort.h"
#include "instrument/PortMap.h"
#include "platform/Registry.h"
#include "sim/PseudoTerminal.h"
#include "support/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(SerialPort, EveryByteValuePassesUnchangedBothWays)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Create());
    CSerialPort port;
    ASSERT_TRUE(port.Open(pty.SlavePath(), nullptr, nullptr, 9600));
    Bytes all(256);
    std::iota(all.begin(), all.end(), 0); // CR, LF, XON, XOFF, 0x03 and 0xFF among them
    ASSERT_EQ(::write(pty.MasterFd(), all.data(), all.size()), 256);
    Bytes got(256);
    size_t n = 0;
    ASSERT_TRUE(port.Read(got.data(), got.size(), n));
    EXPECT_EQ(n, 256u);
    EXPECT_EQ(got, all);

    ASSERT_TRUE(port.Write(all.data(), all.size(), n));
    EXPECT_EQ(n, 256u);
    Bytes back;
    pollfd p{pty.MasterFd(), POLLIN, 0};
    for (int k = 0; k < 200 && back.size() < 256 && ::poll(&p, 1, 10) >= 0; ++k) { // bounded against a hang only
        uint8_t buffer[256];
        const ssize_t r = (p.revents & POLLIN) ? ::read(pty.MasterFd(), buffer, 256 - back.size()) : 0;
        back.insert(back.end(), buffer, buffer + std::max<ssize_t>(r, 0));
    }
    EXPECT_EQ(back, all);
}

TEST(SerialPort, OpenFailsOnWhatIsNotASerialDevice)
{
    testing_support::TempDir dir;
    testing_support::WriteFile(dir.File("plain"), "x");
    CSerialPort port;
    EXPECT_FALSE(port.Open(dir.File("plain"), nullptr, nullptr, 9600));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.Open(dir.File("missing"), nullptr, nullptr, 9600));
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Create());
    EXPECT_FALSE(port.Open(pty.SlavePath(), nullptr, nullptr, 12345)); // no such line speed
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(port.Close()); // closing a closed port is fine
}

TEST(PortMap, ResolvesComNamesToDevices)
{
    PortMap map;
    EXPECT_EQ(map.Resolve("COM5:"), "/dev/rfcomm5");
    EXPECT_EQ(map.Resolve("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(map.Resolve("COMx:"), "COMx:");
    EXPECT_EQ(PortMap::PortName(5), "COM5:");

    platform::Registry registry;
    registry.SetString(PortMap::kRegistryKey, "COM5", "/dev/ttyS0");
    registry.SetDword(PortMap::kRegistryKey, "COM6", 7); // not a path: ignored
    registry.SetString("software\\Dalmar\\LurControl\\Default values", "COM7", "/dev/elsewhere");
    map.Load(registry);
    EXPECT_EQ(map.Resolve("COM5:"), "/dev/ttyS0");
    EXPECT_EQ(map.Resolve("COM6:"), "/dev/rfcomm6");
    EXPECT_EQ(map.Resolve("COM7:"), "/dev/rfcomm7");

    map.SetOverride(5, "/dev/pts/9");
    EXPECT_EQ(map.Resolve("COM5:"), "/dev/pts/9");
    map.ClearOverrides();
    EXPECT_EQ(map.Resolve("COM5:"), "/dev/ttyS0");
}

} // namespace
