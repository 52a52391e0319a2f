#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "platform/FileIO.h"
#include "survey/DataSet.h"
#include "survey/SessionImage.h"
#include "survey/SessionLayout.h"

class CSettings;
class SessionReader;

// Reading and saving whole session files; their layout is in survey/SessionLayout.h.

// Parses and checks a whole session file. On failure returns the reason and leaves image
// unspecified; nothing outside is touched either way. With `visit`, the records go to it
// and image.records stays empty.
std::string ParseSession(std::string_view bytes, SessionImage& image);
std::string ParseSession(SessionReader& file, SessionImage& image, const ReadingVisitor& visit = {});

struct ReadSessionResult {
    bool unreadable = false; // the file could not be read at all (else it is no session)
    std::string error;       // naming the file; empty when the session was read
};

// Reads and parses a session file in one pass over it, without a copy of the whole file.
ReadSessionResult ReadSessionFile(const std::string& path, SessionImage& image, const ReadingVisitor& visit = {});

struct OpenSessionResult {
    bool unreadable = false; // the file could not be read at all (else it is no session)
    std::unique_ptr<DataSet> dataSet; // null when the file was refused
    std::string error;
};

// Reads a session file. A file that is not a complete session changes nothing; otherwise the
// header texts, calibration (InstallSet), work type, grid and used frequencies go into the
// settings and the new data set (unnamed, unmodified, at its first position) is returned.
OpenSessionResult OpenSession(const std::string& path, CSettings& settings);

// Applies an already parsed session to the settings and builds its data set.
std::unique_ptr<DataSet> ApplySession(SessionImage image, CSettings& settings);

// Serializes the data set and replaces `path` atomically; on success the data set is named
// `path`, no longer modified, and its journal file is removed. A failed save leaves the old
// file, the flag and the journal as they were.
platform::FileResult SaveSession(DataSet& dataSet, const std::string& path);
