#pragma once
#include <cstdint>
#include <ctime>
#include <string>

#include "gps/GpsFix.h"
#include "session/JournalFormat.h"
#include "survey/DataSetJournal.h"

class CSettings;

// Append-only, crash-safe log of one data set's acquisition, so that a flat battery or a
// crash loses no reading: JournalRecovery rebuilds from it the data set that was in memory.
//
// The data set hands over each stored reading and each later position; Commit() writes
// what was handed over with one write() at the end of the intact entries and flushes it
// with fdatasync(). When that fails (disk full, I/O error) the entries stay queued in
// memory and go out with the next Commit(); meanwhile Durable() is false and Error()
// says why. The data set keeps the reading either way, and its Measure() reports
// StoredInMemory so the caller learns that the reading exists only in memory and offers to save. A queue
// longer than kMaxPendingBytes is given up: the file keeps what reached it, and the next
// Commit() starts a new file with everything the data set holds.
//
// The file is removed by Discard() (after a successful save, or when the data set is
// thrown away on purpose); the next change then starts a new file holding everything
// the data set holds. The file is held (JournalLock) from before it gets its name until
// it is closed, so no other process offers, recovers or removes it while it is written.
// Not owned by the data set; it and the settings must outlive every data set that points
// at it. Owner thread only.
class AcquisitionJournal final : public DataSetJournal {
public:
    // Unwritten entries kept at most (some thousands of readings).
    static constexpr size_t kMaxPendingBytes = size_t(1) << 20;

    // Journal files go into `directory`, created when needed.
    AcquisitionJournal(std::string directory, const CSettings& settings);
    ~AcquisitionJournal(); // closes the file and keeps it for recovery
    AcquisitionJournal(const AcquisitionJournal&) = delete;
    AcquisitionJournal& operator=(const AcquisitionJournal&) = delete;

    // DataDirectory()/journal.
    static std::string DefaultDirectory();

    // A new file (named after `now` and the process id) holding the data set's kind and
    // grid, the settings a save writes and everything the data set holds; synced. Then
    // any earlier file of this journal is removed; when the new one cannot be written it
    // is kept, and Start returns false with Error().
    bool Start(const DataSet& dataSet, std::time_t now = std::time(nullptr));
    // Removes the file; nothing is queued any more.
    void Discard() override;

    // Hooks of the data sets. Queued until Commit().
    void ReadingStored(const DataSet& dataSet, uint32_t index) override;
    void FixStored(const DataSet& dataSet, uint32_t index) override;
    // The live position is written without a flush: a save does not keep it.
    void CurrentFixChanged(const GpsFix& fix) override;
    // Writes and flushes everything queued, starting a file first when there is none.
    // True when everything handed over is on disk.
    bool Commit(const DataSet& dataSet) override;

    bool Durable() const { return pending_.empty() && !needsStart_; }
    const std::string& Error() const { return error_; }
    // The errno behind Error(); 0 when there is none.
    int ErrorNumber() const { return errorNumber_; }
    // The current file; empty when there is none.
    const std::string& Path() const { return path_; }
    // The descriptor written to (tests redirect it to a failing device).
    int Descriptor() const { return fd_; }

private:
    void Queue(journal::EntryType type, const std::string& payload);
    void Append(journal::EntryType type, const std::string& payload);
    void QueueStateIfChanged();
    bool Flush(bool sync);
    void Failed(const std::string& what, const std::string& path, int error);
    void Close();

    std::string directory_;
    const CSettings& settings_;
    int fd_ = -1;
    int previousFd_ = -1; // the file before the one being started, held until it is replaced
    std::string path_;
    uint64_t end_ = 0;       // file offset after the last entry written whole
    std::string pending_;    // framed entries not yet written and flushed
    bool needsStart_ = false; // changes arrived while there was no file
    journal::State state_;   // as last written
    std::string error_;
    int errorNumber_ = 0;
};
