#pragma once
#include "acquisition/Exchange.h"
#include "instrument/CInstrument.h"

// Exchanges carried out by the instrument object; lives on the worker thread with it.
class InstrumentExchanger final : public ExchangePerformer {
public:
    explicit InstrumentExchanger(CInstrument& instrument, CSerialPort& instrumentPort)
        : instrument_(instrument), port_(instrumentPort)
    {
    }
    ExchangeResult Perform(const ExchangeRequest& request) override;

private:
    CInstrument& instrument_;
    CSerialPort& port_;
};
