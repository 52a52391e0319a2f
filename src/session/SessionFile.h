#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "platform/FileIO.h"
#include "survey/DataSet.h"
#include "survey/SessionImage.h"
#include "survey/SessionLayout.h"

class CSettings;
class ByteReader;

// Reading and saving whole session files; their layout is in survey/SessionLayout.h.

// Parses and checks a whole session file. On failure returns the reason and leaves image
// unspecified; nothing outside is touched either way. With `visit`, the records go to it
// and image.records stays empty.
std::string ParseSession(std::string_view bytes, SessionImage& image);
std::string ParseSession(ByteReader& file, SessionImage& image, const ReadingVisitor& visit = {},
                         CutShortFile cutShort = CutShortFile::Refuse);

struct ReadSessionResult {
    bool unreadable = false; // the file could not be read at all (else it is no session)
    std::string error;       // naming the file; empty when the session was read
    platform::FileFailure failure = platform::FileFailure::None; // when unreadable
    int errorNumber = 0;                                          // when unreadable
    // The file ends before its records do: how many it announces and how many are whole.
    // Set whether it was refused for that or read with CutShortFile::KeepIntact.
    bool cutShort = false;
    bool track = false; // the file is a track's (once its header was read)
    uint32_t announced = 0;
    uint32_t intact = 0;
};

// Reads and parses a session file in one pass over it, without a copy of the whole file.
ReadSessionResult ReadSessionFile(const std::string& path, SessionImage& image, const ReadingVisitor& visit = {},
                                  CutShortFile cutShort = CutShortFile::Refuse);

struct OpenSessionResult : ReadSessionResult {
    std::unique_ptr<DataSet> dataSet; // null when the file was refused
};

// Reads a session file. A file that is not a complete session changes nothing (unless its
// intact records are asked for); otherwise the header texts, calibration (InstallSet), work
// type, grid and used frequencies go into the settings and the new data set (unnamed, at its
// first position) is returned, unmodified unless it was cut short.
OpenSessionResult OpenSession(const std::string& path, CSettings& settings,
                              CutShortFile cutShort = CutShortFile::Refuse);

// Applies an already parsed session to the settings and builds its data set.
std::unique_ptr<DataSet> ApplySession(SessionImage image, CSettings& settings);

// Serializes the data set and replaces `path` atomically; on success the data set is named
// `path`, no longer modified, and its journal file is removed. A failed save leaves the old
// file, the flag and the journal as they were.
platform::FileResult SaveSession(DataSet& dataSet, const std::string& path);
