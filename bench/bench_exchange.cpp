#include <benchmark/benchmark.h>

#include "instrument/CInstrument.h"
#include "sim/InstrumentSimulator.h"

// What an exchange costs on top of the wire: the simulator answers at once and without
// line pacing, so the time per exchange is purge, write, poll wake-ups, pty hops and the
// simulator's own work. At 9600 baud the wire alone takes 193 ms for a reading and 10.4 ms
// for the battery voltage.
namespace {

struct Link {
    Link() : simulator({}, BuiltInCalibrationSet())
    {
        simulator.Start();
        instrument.Connect(simulator.DevicePath());
    }
    InstrumentSimulator simulator;
    CSerialPort port, gps;
    CInstrument instrument{InstrumentLinks{port, gps, platform::SystemTicks()}};
};

void BM_ReadingExchange(benchmark::State& state)
{
    Link link;
    MeasurementRecord record{};
    for (auto _ : state)
        if (!link.instrument.RequestReading(record, true, 0x3FFF))
            state.SkipWithError("reading failed");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadingExchange)->Unit(benchmark::kMicrosecond);

void BM_SeriesExchange(benchmark::State& state)
{
    Link link;
    ReadingSeries records{};
    for (auto _ : state)
        if (!link.instrument.RequestSeries(records))
            state.SkipWithError("series failed");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SeriesExchange)->Unit(benchmark::kMicrosecond);

void BM_BatteryExchange(benchmark::State& state)
{
    Link link;
    uint32_t volts = 0;
    for (auto _ : state)
        if (!link.instrument.ReadBatteryVoltage(volts))
            state.SkipWithError("battery failed");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BatteryExchange)->Unit(benchmark::kMicrosecond);

} // namespace
