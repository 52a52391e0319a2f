#pragma once

class CSettings;
class DataSet;

namespace platform {
class Prompter;
}

// "Экспорт…": asks for a file among the formats of the current work type (the extension
// chooses the format) and writes the session with the current display settings. Formats
// of one frequency take the page's frequency. Failures are told to the operator.
void ExportCurrentSession(const DataSet& data, const CSettings& settings, platform::Prompter& prompter);
