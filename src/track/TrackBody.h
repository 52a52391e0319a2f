#pragma once
#include <string>

#include "survey/SessionImage.h"

class ByteReader;

// Parses the track body of a session file at the reader's position into image.records and
// image.fixes, with their quality when the entries are followed by an intact quality block
// (or hands each reading to `visit`, when given); returns the reason when the body is cut
// short or impossible.
std::string ParseTrackBody(ByteReader& file, SessionImage& image, const ReadingVisitor& visit = {},
                           CutShortFile cutShort = CutShortFile::Refuse);
