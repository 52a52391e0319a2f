// The GPS reader thread on the real GPS port: the simulated receiver on a pseudo-terminal,
// read through CSerialPort, decoded and delivered as position messages.
#include <gtest/gtest.h>

#include "gps/CGpsPositionService.h"
#include "gps/CNmeaParser.h"
#include "gps/GpsReader.h"
#include "gps/GpsTestDoubles.h"
#include "instrument/CSerialPort.h"
#include "instrument/SerialByteSource.h"
#include "platform/Clock.h"
#include "sim/GpsSimulator.h"
#include "sim/PseudoTerminal.h"

namespace {

TEST(GpsPort, ReaderDecodesTheSimulatedReceiverAndEndsWhenThePeerGoes)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Create());
    GpsSimulatorOptions options;
    options.rateHz = 20;
    options.timeFactor = 10;
    options.gnTalker = true;
    GpsSimulator receiver(GpsWalker::Default(), options);
    ASSERT_TRUE(receiver.Start(pty.MasterFd()));

    CSerialPort port;
    ASSERT_TRUE(port.Open(pty.SlavePath(), nullptr, nullptr, 9600));
    SerialByteSource source(port);
    testing_support::RecordingPoster poster;
    CNmeaParser parser;
    CGpsPositionService positions(poster);
    testing_support::FakeClockSetter clockSetter;
    testing_support::RecordingPrompter prompter;
    // A reading taken now makes the page the listener for the positions that follow.
    positions.RequestPosition({7, 1, platform::SystemTicks().Now()});
    GpsReader reader(source, parser, positions, clockSetter, prompter);
    ASSERT_TRUE(reader.Start());

    ASSERT_TRUE(poster.WaitFor(3));
    const PositionMessage last = poster.Copy().back().second;
    EXPECT_EQ(last.message, UM_CURRENT_POSITION);
    EXPECT_NEAR(last.fix.latitude, GpsWalker::Default().PositionAt(0).latitude, 0.01);
    EXPECT_TRUE(positions.HasFix());
    EXPECT_EQ(clockSetter.Times().size(), 1u);

    // Unplugging: the simulator stops and its side of the terminal goes away.
    receiver.Stop();
    pty.Close();
    reader.Stop();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(reader.Running());
}

} // namespace
