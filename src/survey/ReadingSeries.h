#pragma once
#include <array>

#include "survey/MeasurementRecord.h"

// The fourteen single-frequency records of one series command.
using ReadingSeries = std::array<MeasurementRecord, MeasurementRecord::kChannels>;
