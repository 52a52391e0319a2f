// The GIS formats of `lurctl invert`, written through GDAL: lurctl-export's part of the
// command (Module.h).
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "Commands.h"
#include "InvertCommand.h"
#include "export/InversionExport.h"
#include "export/StagedOutput.h"

namespace {

int Fail(const std::string& message)
{
    std::fprintf(stderr, "lurctl invert: %s\n", message.c_str());
    return 1;
}

bool EndsWith(const std::string& text, const char* end)
{
    const size_t n = std::strlen(end);
    return text.size() >= n && strcasecmp(text.c_str() + text.size() - n, end) == 0;
}

} // namespace

int WriteInvertedGis(const InvertRequest& request)
{
    InvertedSession inverted;
    if (const int status = InvertSession(request, inverted); status != 0)
        return status;
    const std::vector<double> slices = InversionSlices(inverted.results);
    if (slices.empty())
        return Fail("no station of " + request.session + " could be inverted, so there is nothing to slice");
    const Provenance provenance = DescribeInversion(inverted.name, inverted.key, request.options.inversion, slices);
    const bool points = EndsWith(request.out, ".gpkg");
    const std::string name = request.out.substr(request.out.rfind('/') + 1);
    const std::string stem = name.substr(0, name.rfind('.'));
    StagedOutput output(request.out, {name + ".aux.xml", stem + ".tfw"});
    ExportError error;
    if (!output.Open(error))
        return Fail(error.text);
    const bool written =
        points ? WriteInvertedPoints(inverted.stations, inverted.results, slices, provenance, output.Path(), error)
               : WriteInvertedGrid(inverted.stations, inverted.results, slices, provenance, output.Path(), error);
    if (!written) {
        // Name the file asked for, not the staging place.
        std::string& text = error.text;
        for (size_t at = text.find(output.Path()); at != std::string::npos;
             at = text.find(output.Path(), at + request.out.size()))
            text.replace(at, output.Path().size(), request.out);
        return Fail(text);
    }
    if (!output.Commit(error))
        return Fail(error.text);
    size_t done = 0;
    for (const InversionResult& result : inverted.results)
        done += result.refusal == StationRefusal::None;
    std::fprintf(stderr, "inverted %zu of %zu stations into %s, %zu depth slices\n", done, inverted.results.size(),
                 request.out.c_str(), slices.size());
    return 0;
}
