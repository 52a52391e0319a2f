#pragma once
#include <string>

class ByteReader;
struct SessionImage;

// Parses the track body of a session file at the reader's position into image.records
// and image.fixes, with their quality when the entries are followed by an intact quality
// block; returns the reason when the body is cut short or impossible.
std::string ParseTrackBody(ByteReader& file, SessionImage& image);
