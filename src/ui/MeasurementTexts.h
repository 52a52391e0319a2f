#pragma once
#include <cstddef>
#include <string>

#include "acquisition/Exchange.h"

// What the measurement pages tell the operator, together so that they read alike.
namespace measurement_texts {

inline constexpr const char* kEndOfWork = "Работа завершена";
inline constexpr const char* kTimerNotSet = "Ошибка установки таймера";
inline constexpr const char* kOutOfMemory = "Недостаточно памяти";

// The instrument (or the GPS receiver) could not be connected: which port and why.
std::string ConnectionFailed(ExchangeFailure failure, int errorNumber, const std::string& instrumentDevice,
                             const std::string& gpsDevice);
// Why a reading on `device` failed, as the end of a sentence.
std::string ReadingFailure(ExchangeFailure failure, const std::string& device);
std::string NotJournalled(int errorNumber);
std::string GridFull(size_t leftOut);

} // namespace measurement_texts
