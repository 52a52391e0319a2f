#pragma once
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "survey/Calibration.h"

enum class OverwriteAnswer { Yes, No, Cancel };

// Asked when a merged set differs from a stored set with the same key. Texts are UTF-8.
using OverwriteQuestion =
    std::function<OverwriteAnswer(const std::string& text, const std::string& caption)>;

// What a merge did besides storing sets, for the caller to report.
struct MergeOutcome {
    std::optional<CalibrationKey> rejected; // a set with a zero frequency ended the reading
    bool cancelled = false;                 // the operator cancelled at an overwrite question
    size_t found = 0;                       // sets the file holds, up to where reading ended
    int openError = 0;                      // errno when the file could not be opened
};

// One section of the calibration file, in the device code page, as SaveFile writes it.
std::string CalibrationSectionText(const CalibrationKey& key, const CalibrationSet& set);

// All calibration sets known, keyed and iterated in key order. Owned by the settings
// object and used on the UI thread only. The destructor writes the file when modified.
class CalibrationStore {
public:
    static constexpr const char* kDefaultFileName = "LurCalibration.ini";

    explicit CalibrationStore(std::string path = kDefaultFileName, OverwriteQuestion ask = {});
    ~CalibrationStore();
    CalibrationStore(const CalibrationStore&) = delete;
    CalibrationStore& operator=(const CalibrationStore&) = delete;

    bool MergeFile(const std::string& path, MergeOutcome* outcome = nullptr);
    // Reads an opened calibration file; `path` only supplies the file-name serial.
    void MergeStream(std::FILE* file, const std::string& path, MergeOutcome* outcome = nullptr);
    bool SaveFile(const std::string& path);
    bool SaveFile() { return SaveFile(path_); }
    bool RemoveSet(const CalibrationKey& key);
    const CalibrationSet* FindSet(const CalibrationKey& key) const;
    // Replaces key by the key of the set returned.
    const CalibrationSet& SelectSet(CalibrationKey& key) const;

    // Without a question callback an existing set is kept (as if answered No).
    void SetOverwriteQuestion(OverwriteQuestion ask) { ask_ = std::move(ask); }

    const std::map<CalibrationKey, CalibrationSet>& Sets() const { return sets_; }
    const std::string& Path() const { return path_; }
    bool Modified() const { return modified_; }

private:
    enum class StoreResult { Stored, Kept, Rejected, Cancelled };
    StoreResult Store(const CalibrationKey& key, CalibrationSet set, MergeOutcome* outcome);

    std::string path_;
    OverwriteQuestion ask_;
    bool modified_ = false;
    std::map<CalibrationKey, CalibrationSet> sets_;
};
