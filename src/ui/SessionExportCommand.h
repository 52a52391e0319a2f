#pragma once

class CSettings;
class DataSet;

namespace platform {
class Prompter;
}

// "Экспорт…": asks for a file among the formats of the current work type (the filter chosen
// is the format; a typed extension of another of them asks which is meant), for the grid's
// cell and radius and whether to keep readings without a position, before replacing a file
// of the final name, and before leaving readings out; then writes the session with the
// current display settings and tells what was written or why nothing was. Formats of one
// frequency take the page's frequency.
void ExportCurrentSession(const DataSet& data, const CSettings& settings, platform::Prompter& prompter);
