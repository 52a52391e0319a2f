// Session files of any content: what the opener accepts builds a data set whose saved file
// opens again with the same records and positions, and saves to the very same bytes.
#include <memory>
#include <string>
#include <string_view>

#include "Fuzz.h"
#include "session/SessionFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CSettings& settings = FuzzSettings();
    settings.SetDefaults();
    SessionImage image;
    if (!ParseSession(std::string_view(reinterpret_cast<const char*>(data), size), image).empty())
        return 0;
    const std::unique_ptr<DataSet> opened = ApplySession(image, settings);
    AbortIf(!opened || opened->Modified() || opened->RecordCount() < image.records.size());
    // Every record of the file is where the file put it.
    for (size_t k = 0; k < image.records.size(); ++k)
        AbortIf(!SameRecord(image.records[k], opened->Record(k)));
    const std::string saved = SavedAndChecked(*opened);

    SessionImage again;
    AbortIf(!ParseSession(saved, again).empty());
    const std::unique_ptr<DataSet> reopened = ApplySession(again, settings);
    AbortIf(SavedAndChecked(*reopened) != saved);
    return 0;
}
