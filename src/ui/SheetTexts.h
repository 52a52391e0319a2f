#pragma once
#include <string>

#include "platform/FileIO.h"
#include "session/LeftJournals.h"
#include "session/SessionFile.h"

// What the sheet tells and asks the operator about sessions, journals and the program's own
// files, together so that they read alike. Files are named by what the operator chose.
namespace sheet_texts {

inline constexpr const char* kSessionFilter = "Сессии LUR (*.lur)|*.lur|Все файлы (*.*)|*.*||";
inline constexpr const char* kSaveChanges = "Сохранить изменения?";
inline constexpr const char* kOutOfMemory = "Недостаточно памяти";

// "Не удалось сохранить «x.lur»: нет места на диске."
std::string SaveFailed(const std::string& path, const platform::FileResult& result);
// Why `path` did not open as a session; a cut-short file with whole readings is asked about
// with CutShortQuestion instead.
std::string OpenFailed(const std::string& path, const ReadSessionResult& result);
std::string CutShortQuestion(const std::string& path, const ReadSessionResult& result);
// A reading failed: why, and whether to save what there is.
std::string MeasurementFailedQuestion(const std::string& why);
std::string JournalUnavailable(int errorNumber);
std::string RecoveryQuestion(const LeftJournal& left);
std::string JournalUnreadable(const std::string& path);
std::string RecoveredFromDamaged(size_t measured, const std::string& journalPath);

// The program's own files and parts, at start and at the end.
std::string SettingsNotRead(size_t problems, const std::string& settingsFile);
std::string SettingsNotSaved(const std::string& settingsFile, const platform::FileResult& result);
std::string CalibrationsNotSaved(const std::string& calibrationFile);
inline constexpr const char* kSimulatorNotStarted =
    "Симулятор не запущен: не удалось создать псевдотерминалы для прибора и GPS.";
inline constexpr const char* kNoExchangeThread =
    "Обмен с прибором невозможен: система не дала запустить поток обмена. Перезапустите программу.";

} // namespace sheet_texts

// The last part of a path: the name the operator gave the file.
std::string FileNameOf(const std::string& path);
