#pragma once
#include <string>

class ByteReader;
struct SessionImage;

// Parses the track body of a session file at the reader's position into image.records
// and image.fixes; returns the reason when the body is cut short or impossible.
std::string ParseTrackBody(ByteReader& file, SessionImage& image);
