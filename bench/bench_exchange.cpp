#include <benchmark/benchmark.h>

#include "instrument/CInstrument.h"
#include "instrument/RadioLeftAlone.h"
#include "instrument/PortMap.h"
#include "sim/InstrumentSimulator.h"

// What an exchange costs on top of the wire: the simulator answers at once and without
// line pacing, so the time per exchange is purge, write, poll wake-ups, pty hops and the
// simulator's own work. At 9600 baud the wire alone takes 193 ms for a reading and 10.4 ms
// for the battery voltage.
namespace {

class BenchSettings final : public InstrumentSettings {
public:
    uint16_t FrequencyMask() const override { return 0x3FFF; }
    uint32_t InstrumentPortNumber() const override { return 250; }
    uint32_t GpsPortNumber() const override { return 251; }
    uint32_t GpsBaudRate() const override { return 9600; }
    int32_t ReportedSerial() const override { return serial; }
    void SetReportedSerial(int32_t s) override { serial = s; }
    CalibrationKey CurrentCalibrationKey() const override { return {}; }
    void InstallSet(CalibrationKey) override {}
    int32_t serial = 0;
};

struct Link {
    Link() : simulator({}, BuiltInCalibrationSet())
    {
        simulator.Start();
        PortMap::Instance().SetOverride(250, simulator.DevicePath());
        instrument.Connect();
    }
    InstrumentSimulator simulator;
    BenchSettings settings;
    CSerialPort port, gps;
    CInstrument instrument{InstrumentLinks{port, gps, settings,
                                           std::make_unique<CBluetoothControl>(std::make_unique<RadioLeftAlone>()),
                                           platform::SystemTicks(), nullptr}};
};

void BM_ReadingExchange(benchmark::State& state)
{
    Link link;
    MeasurementRecord record{};
    for (auto _ : state)
        if (!link.instrument.RequestReading(record, true))
            state.SkipWithError("reading failed");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadingExchange)->Unit(benchmark::kMicrosecond);

void BM_SeriesExchange(benchmark::State& state)
{
    Link link;
    std::array<MeasurementRecord, kFrequencyCount> records{};
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
