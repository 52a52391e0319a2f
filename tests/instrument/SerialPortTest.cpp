// The serial port over real pseudo-terminals, and the port map.
#include <gtest/gtest.h>

#include <future>
#include <numeric>
#include <poll.h>
#include <stdexcept>
#include <thread>
#include <unistd.h>

#include "instrument/CSerialPort.h"
#include "instrument/PortMap.h"
#include "platform/Registry.h"
#include "sim/PseudoTerminal.h"
#include "support/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The far end of the line, driven by the test.
class PtyPeer {
public:
    PtyPeer()
    {
        if (!pty_.Create())
            throw std::runtime_error("no pseudo-terminal");
    }
    const std::string& Path() const { return pty_.SlavePath(); }
    // Exactly `count` bytes from the program, or fewer when `timeoutMs` passes first.
    Bytes Receive(size_t count, int timeoutMs = 2000)
    {
        Bytes bytes;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (bytes.size() < count && std::chrono::steady_clock::now() < end) {
            pollfd p{pty_.MasterFd(), POLLIN, 0};
            uint8_t buffer[512];
            if (::poll(&p, 1, 10) > 0) {
                const ssize_t n = ::read(pty_.MasterFd(), buffer, std::min(sizeof buffer, count - bytes.size()));
                bytes.insert(bytes.end(), buffer, buffer + std::max<ssize_t>(n, 0));
            }
        }
        return bytes;
    }
    void Send(const Bytes& bytes) { ASSERT_EQ(::write(pty_.MasterFd(), bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    void HangUp() { pty_.Close(); }

private:
    PseudoTerminal pty_;
};

double MsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}


TEST(SerialPort, EveryByteValuePassesUnchangedBothWays)
{
    PtyPeer peer;
    CSerialPort port;
    ASSERT_TRUE(port.Open(peer.Path(), nullptr, nullptr, 9600));
    Bytes all(256);
    std::iota(all.begin(), all.end(), 0);

    peer.Send(all); // CR, LF, XON, XOFF, 0x03 and 0xFF among them
    Bytes got(256);
    size_t n = 0;
    ASSERT_TRUE(port.Read(got.data(), got.size(), n));
    EXPECT_EQ(n, 256u);
    EXPECT_EQ(got, all);

    size_t written = 0;
    ASSERT_TRUE(port.Write(all.data(), all.size(), written));
    EXPECT_EQ(written, 256u);
    EXPECT_EQ(peer.Receive(256), all);
}

TEST(SerialPort, ReadWithoutWaitReturnsWhatIsThereAndPurgeDiscardsIt)
{
    PtyPeer peer;
    CSerialPort port;
    SerialTimeouts noWait;
    noWait.readTotalMultiplier = noWait.readTotalConstant = 0;
    ASSERT_TRUE(port.Open(peer.Path(), nullptr, &noWait, 9600));
    uint8_t buffer[16];
    size_t n = 99;
    EXPECT_TRUE(port.Read(buffer, sizeof buffer, n));
    EXPECT_EQ(n, 0u);
    peer.Send({1, 2, 3});
    for (int k = 0; k < 200 && n == 0; ++k) // until delivered; bounded against a hang only
        EXPECT_TRUE(port.Read(buffer, 2, n));
    EXPECT_EQ(n, 2u);
    EXPECT_TRUE(port.Purge());
    EXPECT_TRUE(port.Read(buffer, sizeof buffer, n));
    EXPECT_EQ(n, 0u);
}

// A read may wait 2760 ms; the peer hanging up or a close from another thread ends it.
TEST(SerialPort, HangUpOrCloseEndsAPendingReadPromptly)
{
    for (bool hangUp : {true, false}) {
        SCOPED_TRACE(hangUp ? "hang-up" : "close");
        PtyPeer peer;
        CSerialPort port;
        ASSERT_TRUE(port.Open(peer.Path(), nullptr, nullptr, 9600));
        std::promise<void> started;
        const auto start = std::chrono::steady_clock::now();
        auto reading = std::async(std::launch::async, [&] {
            uint8_t buffer[176];
            size_t n = 0;
            started.set_value();
            return port.Read(buffer, sizeof buffer, n);
        });
        started.get_future().wait();
        if (hangUp)
            peer.HangUp();
        else
            EXPECT_TRUE(port.Close());
        EXPECT_FALSE(reading.get());
        EXPECT_LT(MsSince(start), 1000.0);
        EXPECT_TRUE(port.LinkLost());
        EXPECT_TRUE(hangUp || !port.IsOpen());
        uint8_t byte;
        size_t n = 0;
        EXPECT_FALSE(port.Read(&byte, 1, n)); // and stays failed, at once
    }
}

TEST(SerialPort, OpenFailsOnWhatIsNotASerialDevice)
{
    testing_support::TempDir dir;
    testing_support::WriteFile(dir.File("plain"), "x");
    CSerialPort port;
    EXPECT_FALSE(port.Open(dir.File("plain"), nullptr, nullptr, 9600));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.Open(dir.File("missing"), nullptr, nullptr, 9600));
    PtyPeer peer;
    EXPECT_FALSE(port.Open(peer.Path(), nullptr, nullptr, 12345)); // no such line speed
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
