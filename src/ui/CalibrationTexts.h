#pragma once
#include <string>

#include "survey/CalibrationStore.h"

// What the instrument page says of calibration files, together so that they read alike.
namespace calibration_texts {

inline constexpr const char* kFileFilter = "Файлы калибровки (*.ini)|*.ini|Все файлы (*.*)|*.*||";

// What went wrong adding the calibration file `path`; empty when nothing did (a cancel at
// an overwrite question is the operator's own choice, not an error).
std::string AddProblem(const std::string& path, bool opened, const MergeOutcome& outcome);
std::string RemoveQuestion(const CalibrationKey& key);
std::string RemoveCaption(const CalibrationKey& key);

} // namespace calibration_texts
