#pragma once
#include <gtest/gtest.h>

#include <cctype>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "platform/Prompter.h"

namespace testing_support {

// Names a message may carry in Latin letters: of formats, systems, the instrument, and file
// extensions.
inline const std::set<std::string>& OperatorNames()
{
    static const std::set<std::string> names = {
        "LUR", "GPS", "GNSS", "NMEA", "HDOP", "RTK", "UTM", "WGS", "GeoTIFF", "GeoPackage", "CSV", "KML",
        "ESRI", "ASCII", "Surfer", "Galileo", "BeiDou", "QZSS", "COM", "Bluetooth", "USB", "tif", "gpkg",
        "csv", "kml", "shp", "asc", "grd", "lur", "lurj", "lurctl", "EPSG", "WKT", "TORVAL"};
    return names;
}

// What in an operator's message is not in the operator's words: Latin words other than
// `names`, and temporary files. Names in «» are the operator's own files and are skipped, and
// so are paths unless `pathsToo`.
inline std::string NotTheOperatorsWords(const std::string& text, const std::set<std::string>& names = OperatorNames(),
                                        bool pathsToo = false)
{
    std::string found;
    if (text.find(".tmp") != std::string::npos)
        found += " .tmp";
    std::string word;
    bool quoted = false;
    const auto flush = [&] {
        if (!word.empty() && !names.count(word))
            found += " " + word;
        word.clear();
    };
    for (size_t k = 0; k < text.size(); ++k) {
        if (text.compare(k, 2, "«") == 0)
            quoted = true;
        else if (text.compare(k, 2, "»") == 0)
            quoted = false;
        const bool startsWord = k == 0 || std::isspace(static_cast<unsigned char>(text[k - 1]));
        if (text[k] == '/' && startsWord && !pathsToo) {
            flush();
            while (k + 1 < text.size() && !std::isspace(static_cast<unsigned char>(text[k + 1])))
                ++k;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(text[k]);
        if (!quoted && c < 0x80 && std::isalpha(c))
            word += char(c);
        else
            flush();
    }
    flush();
    return found;
}

// Answers the program's message boxes, file and colour dialogs from a script. Each prompt
// must be the next one expected (by its text); any other prompt fails the test.
class ScriptedPrompter final : public platform::Prompter {
public:
    ~ScriptedPrompter() override
    {
        EXPECT_TRUE(messages.empty()) << "message never shown: " << messages.front().text;
        EXPECT_TRUE(files.empty()) << "file dialog never opened";
        EXPECT_TRUE(colours.empty()) << "colour dialog never opened";
        EXPECT_TRUE(savedFiles.empty()) << "save dialog never opened";
        EXPECT_TRUE(exportOptions.empty()) << "export options never asked for";
    }

    struct Message {
        std::string text;
        platform::PromptAnswer answer = platform::PromptAnswer::Ok;
        bool prefix = false; // the text only begins so (it names a temporary file)
        std::function<void()> whileOpen; // what happens while the box is open (its loop runs)
    };
    struct ColourAnswer {
        uint32_t expectedPreset;
        std::optional<uint32_t> chosen;
    };

    void ExpectMessage(std::string text, platform::PromptAnswer answer = platform::PromptAnswer::Ok)
    {
        messages.push_back({std::move(text), answer, false, {}});
    }
    void ExpectMessageStart(std::string text, platform::PromptAnswer answer = platform::PromptAnswer::Ok)
    {
        messages.push_back({std::move(text), answer, true, {}});
    }
    void ExpectMessageWhile(std::string text, std::function<void()> whileOpen,
                            platform::PromptAnswer answer = platform::PromptAnswer::Ok)
    {
        messages.push_back({std::move(text), answer, false, std::move(whileOpen)});
    }
    void ExpectFile(std::optional<std::string> path) { files.push_back(std::move(path)); }
    void ExpectSaveFile(std::string path, int filter)
    {
        savedFiles.push_back(platform::SavedFile{std::move(path), filter});
    }
    void ExpectSaveCancelled() { savedFiles.push_back(std::nullopt); }
    void ExpectExportOptions(std::optional<platform::ExportOptionsAnswer> answer)
    {
        exportOptions.push_back(std::move(answer));
    }
    void ExpectColour(uint32_t preset, std::optional<uint32_t> chosen) { colours.push_back({preset, chosen}); }

    platform::PromptAnswer Ask(const std::string& text, const std::string& caption, platform::PromptButtons,
                               platform::PromptIcon icon) override
    {
        lastCaption = caption;
        lastIcon = icon;
        EXPECT_EQ("", NotTheOperatorsWords(text)) << text;
        if (messages.empty()) {
            ADD_FAILURE() << "unexpected message: " << text;
            return platform::PromptAnswer::Cancel;
        }
        const Message next = messages.front();
        messages.pop_front();
        if (next.prefix)
            EXPECT_EQ(next.text, text.substr(0, next.text.size()));
        else
            EXPECT_EQ(next.text, text);
        ++open;
        if (next.whileOpen)
            next.whileOpen();
        --open;
        return next.answer;
    }
    std::optional<std::string> ChooseFile(const platform::FileChoice& choice) override
    {
        lastFileChoice = choice;
        if (files.empty()) {
            ADD_FAILURE() << "unexpected file dialog";
            return std::nullopt;
        }
        auto next = files.front();
        files.pop_front();
        return next;
    }
    std::optional<platform::SavedFile> ChooseSaveFile(const platform::FileChoice& choice) override
    {
        lastFileChoice = choice;
        if (savedFiles.empty()) {
            ADD_FAILURE() << "unexpected save dialog";
            return std::nullopt;
        }
        auto next = savedFiles.front();
        savedFiles.pop_front();
        return next;
    }
    std::optional<platform::ExportOptionsAnswer> ChooseExportOptions(const platform::ExportOptionsRequest& request) override
    {
        lastExportRequest = request;
        if (exportOptions.empty()) {
            ADD_FAILURE() << "unexpected export options dialog";
            return std::nullopt;
        }
        auto next = exportOptions.front();
        exportOptions.pop_front();
        return next;
    }
    std::optional<uint32_t> ChooseColour(uint32_t initial, platform::CustomColours&) override
    {
        if (colours.empty()) {
            ADD_FAILURE() << "unexpected colour dialog";
            return std::nullopt;
        }
        const ColourAnswer next = colours.front();
        colours.pop_front();
        EXPECT_EQ(next.expectedPreset, initial);
        return next.chosen;
    }

    std::deque<Message> messages;
    int open = 0; // boxes open now
    std::deque<std::optional<std::string>> files;
    std::deque<ColourAnswer> colours;
    std::deque<std::optional<platform::SavedFile>> savedFiles;
    std::deque<std::optional<platform::ExportOptionsAnswer>> exportOptions;
    platform::ExportOptionsRequest lastExportRequest;
    std::string lastCaption;
    platform::PromptIcon lastIcon = platform::PromptIcon::None;
    platform::FileChoice lastFileChoice;
};

} // namespace testing_support
