// Calibration files of any content: merged twice into one store (the second merge meets
// every set again and answers the overwrite question), saved, and read back unchanged.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "survey/CalibrationStore.h"

// The store saves itself when modified; give it a path that can never be created.
static const char* const kUnwritable = "/dev/null/LurCalibration.ini";

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte picks the overwrite answer and whether the name carries a serial.
    OverwriteAnswer answer = size && (data[0] & 3) == 1 ? OverwriteAnswer::Yes
                             : size && (data[0] & 3) == 2 ? OverwriteAnswer::Cancel
                                                          : OverwriteAnswer::No;
    std::string name = size && (data[0] & 4) ? "dir/DEruziv_LUR#17.ini" : "plain.ini";

    CalibrationStore store(kUnwritable, [&](const std::string&, const std::string&) {
        return answer;
    });
    for (int pass = 0; pass < 2; ++pass) {
        std::FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
        if (!f)
            return 0;
        store.MergeStream(f, name);
        std::fclose(f);
    }

    std::string text;
    for (const auto& [key, set] : store.Sets()) {
        for (double frequency : set.F)
            if (frequency == 0.0)
                std::abort(); // a stored set never has a zero frequency
        text += CalibrationSectionText(key, set);
    }
    CalibrationStore reread(kUnwritable);
    std::FILE* f = fmemopen(text.data(), text.size(), "rb");
    if (f) {
        reread.MergeStream(f, "written.ini");
        std::fclose(f);
    }
    if (reread.Sets().size() != store.Sets().size())
        std::abort();
    for (const auto& [key, set] : store.Sets()) {
        const CalibrationSet* back = reread.FindSet(key);
        // Comments with an odd number of quotes and a semicolon cannot be written
        // faithfully in this format; everything else must read back exactly.
        if (!back)
            std::abort();
        if (back->F != set.F || back->XP != set.XP || back->GF != set.GF || back->rt != set.rt)
            std::abort();
    }
    return 0;
}
