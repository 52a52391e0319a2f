#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "survey/DataSet.h"
#include "session/JournalFormat.h"

class CSettings;

// Larger journals are refused unread (a journal rewrites each re-measured reading, so it
// may exceed a session file, but not by this much).
constexpr size_t kMaxJournalBytes = size_t(1) << 30;

// What a journal holds, read without applying anything.
struct JournalSummary {
    bool begun = false;        // the first entry named the data set
    journal::Begin begin;
    size_t readings = 0;       // intact reading entries
    size_t fixes = 0;          // intact position entries
    bool anyStamp = false;     // readings carried a non-empty record
    uint32_t firstStamp = 0;   // ms ticks of the non-empty records
    uint32_t lastStamp = 0;
    std::string problem;       // why reading stopped before the end; empty at a clean end
};

JournalSummary SummarizeJournal(std::string_view bytes);

struct RecoveryResult {
    std::unique_ptr<DataSet> dataSet; // null when not even the data set's header survived

    size_t readings = 0;              // reading entries replayed
    size_t measured = 0;              // measured records the data set holds: what came back
    size_t lost = 0;                  // intact reading entries after the point replay stopped at
    std::string problem;              // why replay stopped before the end; empty when it did not
    bool complete = false;            // everything ever flushed came back (a torn last write aside)
};

// Rebuilds the data set a journal describes: its settings (header texts, calibration,
// work type, grid, steps, used frequencies) go into `settings`, then every intact entry is
// replayed up to the first damaged or inconsistent one. The data set is modified and
// unnamed, at the position after its last reading. When no data set can be built the
// settings are left exactly as they were.
RecoveryResult RecoverJournal(std::string_view bytes, CSettings& settings);
// What RecoverJournal would give, with the settings ending as they began: the data set is
// only to be looked at, since the settings it was built under are no longer applied.
RecoveryResult TryRecoverJournal(std::string_view bytes, CSettings& settings);

// The journal files in `directory`, oldest name first.
std::vector<std::string> ListJournals(const std::string& directory);
