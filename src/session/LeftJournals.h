#pragma once
#include <string>
#include <vector>

#include "session/JournalLock.h"
#include "session/JournalRecovery.h"

class CSettings;

// The one policy for journals that other runs left behind, used by the window's offer at
// start-up and by "lurctl session recover":
// - a journal another running process holds is never offered, recovered or removed;
// - what is offered is what recovery will restore, counted by trying it;
// - a failed recovery changes no setting;
// - a journal goes only when its readings are safe elsewhere (a saved session, or the
//   journal of the work they were recovered into) and it gave back everything;
// - a journal with no reading and no damage, held by nobody, holds nothing to keep.

enum class LeftJournalState {
    Recoverable, // readings to give back
    InUse,       // another running program writes it
    Empty,       // nothing to give back (and it was removed)
    Unreadable,  // cannot be read, or no data set can be built from it (kept)
};

struct LeftJournal {
    std::string path;
    LeftJournalState state = LeftJournalState::Unreadable;
    long pid = 0;          // the process that wrote it, from its name; 0 when unknown
    JournalSummary summary;
    size_t restorable = 0; // measured records recovery gives back
    size_t lost = 0;       // intact reading entries it cannot give back
    std::string problem;   // what is wrong with it; empty when nothing is
};

// Every journal of `directory`, oldest first, each tried on the settings, which end as they
// began.
std::vector<LeftJournal> FindLeftJournals(const std::string& directory, CSettings& settings);

// One journal recovered: held while its readings are moved elsewhere.
class RecoveredJournal {
public:
    // Holds and recovers the journal at `path` into `settings` (left as they were when no
    // data set results). result.dataSet is null when it is in use, unreadable or refused;
    // result.problem then says why.
    RecoveredJournal(const std::string& path, CSettings& settings);

    RecoveryResult& Result() { return result_; }
    // The readings are safe elsewhere now: the journal is removed when it gave back
    // everything, and kept otherwise. True when it was removed.
    bool Settle();

private:
    std::string path_;
    JournalLock lock_;
    RecoveryResult result_;
};
