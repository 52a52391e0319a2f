// Calibration files of any content: merged twice into one store (the second merge meets
// every set again and answers the overwrite question), saved, and read back unchanged.
#include <cstdio>
#include <string>
#include <vector>

#include "Fuzz.h"
#include "survey/CalibrationStore.h"

namespace {

// The store saves itself on destruction when modified; give it a path that can never be
// created. The stores live for the whole run and are emptied after each input: building
// and destroying them per input spent most of the time writing text nobody reads.
const char* const kUnwritable = "/dev/null/LurCalibration.ini";

CalibrationStore& Store(int which)
{
    static CalibrationStore stores[2] = {CalibrationStore(kUnwritable), CalibrationStore(kUnwritable)};
    return stores[which];
}

void Empty(CalibrationStore& store)
{
    std::vector<CalibrationKey> keys;
    for (const auto& entry : store.Sets())
        keys.push_back(entry.first);
    for (const CalibrationKey& key : keys)
        store.RemoveSet(key);
}

void Merge(CalibrationStore& store, void* bytes, size_t size, const std::string& name)
{
    // A buffer of our own: stdio would allocate and poison a fresh 8 KiB one per stream.
    static char buffer[BUFSIZ];
    std::FILE* f = fmemopen(bytes, size, "rb");
    AbortIf(!f || std::setvbuf(f, buffer, _IOFBF, sizeof buffer) != 0);
    store.MergeStream(f, name);
    std::fclose(f);
}

void Check(const uint8_t* data, size_t size, std::string& text)
{
    // The first byte picks the overwrite answer and whether the name carries a serial.
    OverwriteAnswer answer = size && (data[0] & 3) == 1 ? OverwriteAnswer::Yes
                             : size && (data[0] & 3) == 2 ? OverwriteAnswer::Cancel
                                                          : OverwriteAnswer::No;
    const std::string name = size && (data[0] & 4) ? "dir/DEruziv_LUR#17.ini" : "plain.ini";

    CalibrationStore& store = Store(0);
    store.SetOverwriteQuestion([answer](const std::string&, const std::string&) { return answer; });
    if (size == 0)
        return; // fmemopen refuses an empty buffer
    for (int pass = 0; pass < 2; ++pass)
        Merge(store, const_cast<uint8_t*>(data), size, name);

    // Exactly what SaveFile writes.
    text.clear();
    for (const auto& [key, set] : store.Sets()) {
        for (double frequency : set.F)
            AbortIf(frequency == 0.0); // a stored set never has a zero frequency
        text += CalibrationSectionText(key, set);
    }
    CalibrationStore& reread = Store(1);
    if (!text.empty())
        Merge(reread, text.data(), text.size(), "written.ini");
    AbortIf(reread.Sets().size() != store.Sets().size());
    for (const auto& [key, set] : store.Sets()) {
        const CalibrationSet* back = reread.FindSet(key);
        AbortIf(!back);
        AbortIf(back->F != set.F || back->XP != set.XP || back->GF != set.GF || back->rt != set.rt);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static std::string text; // reused: its buffer outlives the inputs
    Check(data, size, text);
    Empty(Store(0));
    Empty(Store(1));
    return 0;
}
