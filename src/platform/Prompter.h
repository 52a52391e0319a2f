#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptIcon { None, Error, Warning, Question, Information };
enum class PromptAnswer { Ok, Cancel, Yes, No };

// What an open or save dialog is asked for. The filter is in the "Text|*.ext|...||" form.
struct FileChoice {
    bool save = false;
    std::string filter;
    std::string defaultExtension;
    std::string initialName;
    bool overwritePrompt = false; // save: ask before replacing a file
};

// A save dialog's answer: the name as given (no extension added) and the filter chosen, an
// index into the filter's entries.
struct SavedFile {
    std::string path;
    int filter = 0;
};

// The export options dialog: how map grids are sized and what becomes of readings without
// a position. A value left empty takes the export's own default, described in the hints.
struct ExportOptionsRequest {
    bool grid = false;             // ask for the cell size
    bool radius = false;           // ask for a track's radius
    bool keepUnlocated = false;    // offer to keep readings without a position
    std::string cellHint;          // "по умолчанию 0.25 м"
    std::string radiusHint;
};
struct ExportOptionsAnswer {
    std::optional<double> cellMetres;
    std::optional<double> radiusMetres;
    bool keepUnlocated = false;
};

// The colour chooser's sixteen custom colours, 0x00BBGGRR each.
using CustomColours = std::array<uint32_t, 16>;

// Message boxes, file and colour dialogs asked for from below or within the user interface;
// tests answer them without a dialog.
class Prompter {
public:
    virtual ~Prompter() = default;
    // An empty caption means the application's own title.
    virtual PromptAnswer Ask(const std::string& text, const std::string& caption, PromptButtons buttons,
                             PromptIcon icon) = 0;
    // The chosen path, or nothing when cancelled.
    virtual std::optional<std::string> ChooseFile(const FileChoice&)
    {
        return std::nullopt;
    }
    // A save dialog that neither adds an extension nor asks about replacing a file: the
    // caller does both once the name is final. Nothing when cancelled.
    virtual std::optional<SavedFile> ChooseSaveFile(const FileChoice&)
    {
        return std::nullopt;
    }
    // The export's options, or nothing when cancelled.
    virtual std::optional<ExportOptionsAnswer> ChooseExportOptions(const ExportOptionsRequest&)
    {
        return std::nullopt;
    }
    // The chosen 0x00BBGGRR colour, or nothing when cancelled; the custom colours may change.
    virtual std::optional<uint32_t> ChooseColour(uint32_t, CustomColours&)
    {
        return std::nullopt;
    }
};

} // namespace platform
