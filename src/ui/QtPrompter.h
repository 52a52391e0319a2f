#pragma once
#include <QPointer>
#include <QString>
#include <QWidget>

#include "platform/Prompter.h"

// Message boxes, file and colour dialogs of the real program. A message asked for from
// another thread (the GPS reader) is shown later on the UI thread and answered Ok at once,
// so that thread never waits for the user interface.
class QtPrompter final : public platform::Prompter {
public:
    void SetOwner(QWidget* owner) { owner_ = owner; }

    platform::PromptAnswer Ask(const std::string& text, const std::string& caption, platform::PromptButtons buttons,
                               platform::PromptIcon icon) override;
    std::optional<std::string> ChooseFile(const platform::FileChoice& choice) override;
    std::optional<platform::SavedFile> ChooseSaveFile(const platform::FileChoice& choice) override;
    std::optional<platform::ExportOptionsAnswer> ChooseExportOptions(
        const platform::ExportOptionsRequest& request) override;
    std::optional<uint32_t> ChooseColour(uint32_t initial, platform::CustomColours& custom) override;

    // "LUR Files (*.lur)|*.lur|All Files (*.*)|*.*||" as Qt's "LUR Files (*.lur);;All Files (*.*)".
    static QString QtFilter(const std::string& filter);

private:
    QPointer<QWidget> owner_;
    QString lastDirectory_;
};
