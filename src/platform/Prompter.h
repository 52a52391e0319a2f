#pragma once
#include <string>

namespace platform {

enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptIcon { None, Error, Warning, Question, Information };
enum class PromptAnswer { Ok, Cancel, Yes, No };

// Message boxes asked for from below the user interface; tests answer without a dialog.
class Prompter {
public:
    virtual ~Prompter() = default;
    // An empty caption means the application's own title.
    virtual PromptAnswer Ask(const std::string& text, const std::string& caption, PromptButtons buttons,
                             PromptIcon icon) = 0;
};

} // namespace platform
