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
    // The chosen 0x00BBGGRR colour, or nothing when cancelled; the custom colours may change.
    virtual std::optional<uint32_t> ChooseColour(uint32_t, CustomColours&)
    {
        return std::nullopt;
    }
};

} // namespace platform
