#pragma once
#include <cstdint>
#include <optional>
#include <vector>

class DataSet;
class SurveyDataSet;

// The lines the inverted section follows, as slots (record indices) in their order along the
// line. Slots may hold no reading yet.

// Profile p of a survey, station 0 first.
std::vector<size_t> ProfileLine(const SurveyDataSet& survey, uint32_t p);

// Every line of the data set: a survey's profiles, profile `first` before the others, or
// the readings of a track in the order taken.
std::vector<std::vector<size_t>> SessionLines(const DataSet& data, uint32_t first = 0);

// The reading taken before `slot` on its line, when there is one: the station before it
// along the profile as walked, or the reading before it on a track.
std::optional<size_t> WalkedBefore(const DataSet& data, size_t slot);
