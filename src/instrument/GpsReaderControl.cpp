#include "instrument/GpsReaderControl.h"

GpsReaderControl::GpsReaderControl(CNmeaParser& parser, CGpsPositionService& positions,
                                   GpsClockOffset& clockOffset, platform::Prompter& prompter,
                                   platform::Clock& ticks)
    : parser_(parser), positions_(positions), clockOffset_(clockOffset), prompter_(prompter), ticks_(ticks)
{
}

GpsReaderControl::~GpsReaderControl()
{
    Stop();
}

bool GpsReaderControl::Start(CSerialPort& port)
{
    Stop();
    reader_.reset();
    source_ = std::make_unique<SerialByteSource>(port);
    reader_ = std::make_unique<GpsReader>(*source_, parser_, positions_, clockOffset_, prompter_, ticks_);
    return reader_->Start();
}

bool GpsReaderControl::Running() const
{
    return reader_ && reader_->Running();
}

void GpsReaderControl::Stop()
{
    if (!reader_)
        return;
    // Closing the port ends a pending read at once; a read failing after the stop request
    // is not reported.
    if (reader_->RequestStop())
        source_->Close();
    reader_->Stop();
}
