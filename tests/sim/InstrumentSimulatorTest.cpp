// The simulator on its pseudo-terminal, served by its own thread. What it answers, and that the
// instrument object takes it: InstrumentPtyTest.
#include <gtest/gtest.h>

#include <thread>

#include "instrument/CSerialPort.h"
#include "sim/InstrumentSimulator.h"

namespace {

using Bytes = std::vector<uint8_t>;

double MsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

const Bytes kRead{0x02, 0xF1, 0x02, 0x02, 0x00, 0xF5, 0x3F, 0xFF, 0x03};
const Bytes kBattery{0x02, 0xF1, 0x07, 0x01, 0x00, 0xF9, 0x00, 0x03};

Bytes ReadAll(CSerialPort& port, size_t count)
{
    Bytes bytes(count);
    size_t got = 0;
    while (got < count) {
        size_t n = 0;
        if (!port.Read(bytes.data() + got, count - got, n) || n == 0)
            break;
        got += n;
    }
    bytes.resize(got);
    return bytes;
}

void Write(CSerialPort& port, const Bytes& bytes)
{
    size_t written = 0;
    ASSERT_TRUE(port.Write(bytes.data(), bytes.size(), written));
    ASSERT_EQ(written, bytes.size());
}

TEST(InstrumentSimulator, ServesPacedRepliesAcrossReopensUntilStopped)
{
    InstrumentOptions options;
    options.pacing = true;
    InstrumentSimulator simulator(options, BuiltInCalibrationSet());
    ASSERT_TRUE(simulator.Start());
    CSerialPort port;
    ASSERT_TRUE(port.Open(simulator.DevicePath(), nullptr, nullptr, 9600));
    const auto start = std::chrono::steady_clock::now();
    Write(port, kRead);
    EXPECT_EQ(ReadAll(port, 176).size(), 176u);
    // 176 bytes of ten bits at 9600 baud take 183 ms.
    EXPECT_GE(MsSince(start), 170.0);

    // The program may close and reopen its port between sessions.
    port.Close();
    ASSERT_TRUE(port.Open(simulator.DevicePath(), nullptr, nullptr, 9600));
    Write(port, kBattery);
    EXPECT_EQ(ReadAll(port, 2), (Bytes{0x01, 0x9A}));
    // Stopping hangs up on the program: its next read fails at once.
    simulator.Stop();
    uint8_t byte;
    size_t n = 0;
    EXPECT_FALSE(port.Read(&byte, 1, n));
}

TEST(InstrumentSimulator, StopsPromptlyDuringAMeasurementDelay)
{
    InstrumentOptions options;
    options.measurementDelayMs = 30000;
    InstrumentSimulator simulator(options, BuiltInCalibrationSet());
    ASSERT_TRUE(simulator.Start());
    CSerialPort port;
    ASSERT_TRUE(port.Open(simulator.DevicePath(), nullptr, nullptr, 9600));
    Write(port, kRead);
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // let it start measuring
    auto start = std::chrono::steady_clock::now();
    simulator.Stop();
    EXPECT_LT(MsSince(start), 1000.0);
}

} // namespace
