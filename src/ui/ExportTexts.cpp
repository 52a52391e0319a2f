#include "ui/ExportTexts.h"

#include <algorithm>
#include <cstdio>

#include "export/GridSize.h"
#include "settings/CSettings.h"
#include "platform/SystemErrorText.h"

namespace {

std::string FileName(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

std::string Quoted(const std::string& text)
{
    return "«" + text + "»";
}

// Lengths and frequencies as the pages write them, with a point.
std::string Number(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// "2, 5, 9", the first ten and how many more.
std::string ReadingsNamed(const std::vector<size_t>& indices)
{
    constexpr size_t kNamed = 10;
    std::string list;
    for (size_t k = 0; k < std::min(indices.size(), kNamed); ++k)
        list += (k ? ", " : "") + std::to_string(indices[k]);
    if (indices.size() > kNamed)
        list += " и ещё " + std::to_string(indices.size() - kNamed);
    return list;
}

std::string LeftOutLines(const LeftOut& leftOut)
{
    std::string text;
    if (!leftOut.unpositioned.empty())
        text += "Измерений без координат GPS: " + std::to_string(leftOut.unpositioned.size()) + " (" +
                ReadingsNamed(leftOut.unpositioned) + ").\n";
    if (!leftOut.withoutFrequency.empty())
        text += "Измерений без экспортируемых частот: " + std::to_string(leftOut.withoutFrequency.size()) + " (" +
                ReadingsNamed(leftOut.withoutFrequency) + ").\n";
    return text;
}

// "WGS 84 / UTM zone 37N", as GDAL names the zones, in words.
std::string CoordinateSystem(const std::string& crs)
{
    if (crs.rfind("none", 0) == 0)
        return "метры съёмки от станции 0 профиля 0";
    const std::string zone = " / UTM zone ";
    const size_t at = crs.find(zone);
    if (at == std::string::npos || crs.size() < at + zone.size() + 2)
        return crs;
    const std::string number = crs.substr(at + zone.size(), crs.size() - at - zone.size() - 1);
    const char hemisphere = crs.back();
    if (hemisphere != 'N' && hemisphere != 'S')
        return crs;
    return crs.substr(0, at) + " / UTM, зона " + number + (hemisphere == 'N' ? ", северное" : ", южное") +
           " полушарие";
}

// Why a file of the export's set could not be made, written or put in place.
std::string FileFailureText(const ExportFailure& failure)
{
    const char* verb = failure.problem == ExportProblem::CannotCreate  ? "создать"
                       : failure.problem == ExportProblem::CannotWrite ? "записать"
                                                                       : "заменить";
    return std::string("Не удалось ") + verb + " " + Quoted(FileName(failure.file)) + ": " +
           WriteFailureInWords(failure.errorNumber, failure.file) + ".";
}

// Why the session cannot go into the file, as a sentence of its own.
std::string RefusalReason(const ExportResult& result)
{
    const ExportFailure& failure = result.failure;
    switch (failure.problem) {
    case ExportProblem::FormatNotForWorkType:
        return "Этот формат не подходит для такого вида работ.";
    case ExportProblem::DataNotForWorkType:
        return "Данные сессии не того вида работ, что выбран в настройках.";
    case ExportProblem::NoMeasuredReading:
        return "В сессии нет ни одного измерения.";
    case ExportProblem::KeepUnlocatedNotInFormat:
        return "Измерения без координат можно записать только в GeoPackage и CSV.";
    case ExportProblem::NoSuchFrequency:
        return "Частоты " + std::to_string(failure.frequency) + " нет: частоты нумеруются от 1 до " +
               std::to_string(kFrequencyCount) + ".";
    case ExportProblem::FrequencyNotUsed:
        return "Частота " + std::to_string(failure.frequency) + " (" + Number("%.6g", failure.kHz) +
               " кГц) в этой сессии не использовалась.";
    case ExportProblem::NoFrequencyUsed:
        return "В сессии не использована ни одна частота.";
    case ExportProblem::OneFrequencyFormat:
        return "В этот формат записывается одна частота: выберите её.";
    case ExportProblem::ReadingsLeftOut: {
        std::string lines = LeftOutLines(result.leftOut);
        return lines.empty() ? "Не все измерения можно записать." : lines.substr(0, lines.size() - 1);
    }
    case ExportProblem::NoReadingExportable:
        return "Ни одно из " + std::to_string(failure.readings) +
               " измерений нельзя записать: у них нет координат GPS или экспортируемых частот.";
    case ExportProblem::NoPositionToGrid:
        return "Ни у одного измерения нет координат GPS: сетку не по чему построить.";
    case ExportProblem::TrackMapTooSmall:
        return "Для карты трека нужно хотя бы 4 измерения с координатами, и не в одной точке.";
    case ExportProblem::MapTooFewProfiles:
        return "Для карты нужно хотя бы 2 полных профиля по 2 станции.";
    case ExportProblem::MapStepsNotAboveZero:
        return "Для карты шаг станций и шаг профилей должны быть больше 0 м.";
    case ExportProblem::PaintedWidthTooSmall:
        return "Ширина карты должна быть хотя бы 2 точки.";
    case ExportProblem::SectionTooShort:
        return "Для разреза нужно хотя бы 2 измеренные станции подряд и 2 используемые частоты.";
    case ExportProblem::SectionFlat:
        return "Для разреза шаг станций должен быть больше 0 м, а частоты — разной глубины.";
    case ExportProblem::SectionNeedsEveryFrequency:
        return "Разрез строится по всем используемым частотам: не выбирайте одну.";
    case ExportProblem::CellNotAboveZero:
        return "Размер ячейки должен быть больше 0 м.";
    case ExportProblem::RadiusNotAboveZero:
        return "Радиус влияния измерения должен быть больше 0 м.";
    case ExportProblem::GridTooLarge:
        return "Сетка вышла бы " + Number("%.0f", failure.columns) + " × " + Number("%.0f", failure.rows) +
               " ячеек, частот: " + std::to_string(failure.bands) + " (" + Number("%.1f", failure.gigabytes) +
               " ГБ), а можно не больше " + Number("%.0f", kMaxGridSide) + " × " + Number("%.0f", kMaxGridSide) +
               " ячеек и " + Number("%.0f", kMaxGridBytes / (1024.0 * 1024 * 1024)) +
               " ГБ.\nВыберите ячейку крупнее.";
    case ExportProblem::NoUtmZone:
        return "Трек не удалось перевести в координаты UTM.";
    case ExportProblem::CannotGrid:
        return "Не удалось построить сетку.";
    case ExportProblem::NotEnoughMemory:
        return "Не хватает памяти.";
    case ExportProblem::None:
    case ExportProblem::NoFileName:
    case ExportProblem::CannotCreate:
    case ExportProblem::CannotWrite:
    case ExportProblem::CannotReplace:
    case ExportProblem::GdalDriverMissing:
    case ExportProblem::GdalFailed:
        break; // worded with the file
    }
    return "Причина неизвестна.";
}

} // namespace

std::string SurveyCellHint(double cellMetres)
{
    return "по умолчанию " + Number("%.6g", cellMetres) + " м (четверть шага)";
}

std::string FormatQuestion(const std::string& path, const ExportFormatInfo& typed, const ExportFormatInfo& chosen)
{
    return "Имя " + Quoted(FileName(path)) + " — файл формата " + Quoted(typed.title) + ", а выбран формат " +
           Quoted(chosen.title) + ".\nЗаписать в формате " + Quoted(typed.title) + "? («Нет» — в формате " +
           Quoted(chosen.title) + ", файл " + Quoted(FileName(path) + "." + chosen.extension) + ".)";
}

std::string ReplaceQuestion(const std::string& path)
{
    return "Файл " + Quoted(FileName(path)) + " уже существует.\nЗаменить его?";
}

std::string LeftOutQuestion(const LeftOut& leftOut)
{
    return LeftOutLines(leftOut) + "Записать файл без них?";
}

std::string ExportSummary(const ExportResult& result, const ExportFormatInfo& format)
{
    std::string text = "Записано (" + format.title + "):";
    for (const std::string& file : result.files)
        text += "\n" + file;
    text += "\n\nИзмерений: " + std::to_string(result.readings) + ", частот: " + std::to_string(result.bands);
    if (std::string cell = ProvenanceValue(result, "cell_m"); !cell.empty()) {
        // Cells of a map as painted are "width x height".
        if (const size_t by = cell.find(" x "); by != std::string::npos)
            cell.replace(by, 3, " × ");
        text += "\nЯчейка: " + cell + " м";
    }
    if (const std::string radius = ProvenanceValue(result, "radius_m"); !radius.empty())
        text += ", радиус: " + radius + " м";
    text += "\nСистема координат: " + CoordinateSystem(ProvenanceValue(result, "crs"));
    if (!result.leftOut.unpositioned.empty())
        text += "\nБез координат: " + std::to_string(result.leftOut.unpositioned.size());
    if (!result.leftOut.withoutFrequency.empty())
        text += "\nНе записаны (нет экспортируемых частот): " + std::to_string(result.leftOut.withoutFrequency.size());
    return text;
}

std::string ExportFailureText(const ExportResult& result)
{
    const ExportFailure& failure = result.failure;
    const std::string name = Quoted(FileName(failure.file));
    std::string text;
    switch (failure.problem) {
    case ExportProblem::CannotCreate:
    case ExportProblem::CannotWrite:
    case ExportProblem::CannotReplace:
        text = FileFailureText(failure);
        break;
    case ExportProblem::GdalDriverMissing:
        text = "Не удалось записать " + name + ": в этой сборке нет драйвера GDAL для этого формата.";
        break;
    case ExportProblem::GdalFailed:
        text = "GDAL не смог записать " + name + ".";
        break;
    case ExportProblem::NoFileName:
        text = "Файл не записан: " + Quoted(failure.file) + " — не имя файла.";
        break;
    default:
        text = "Файл " + name + " не записан.\n" + RefusalReason(result);
        break;
    }
    if (failure.earlierKeptAside)
        text += "\nПрежние файлы не удалось вернуть на место: они сохранены в папке рядом с " + name + ".";
    return text;
}
