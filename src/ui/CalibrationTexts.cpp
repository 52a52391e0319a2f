#include "ui/CalibrationTexts.h"

#include <QString>

#include "ui/SheetTexts.h"
#include "platform/SystemErrorText.h"

namespace calibration_texts {

namespace {

QString Device(const CalibrationKey& key)
{
    return QString::asprintf("TORVAL %d (%.02d/%.02d/%d)", key.serial, key.day, key.month, key.year);
}

} // namespace

std::string AddProblem(const std::string& path, bool opened, const MergeOutcome& outcome)
{
    const std::string name = "«" + FileNameOf(path) + "»";
    if (!opened)
        return "Не удалось открыть " + name + ": " + ReasonInWords(outcome.openError) + ".";
    if (outcome.rejected)
        return "В " + name + " калибровка " + Device(*outcome.rejected).toStdString() +
               " содержит нулевую частоту: она и всё, что после неё, не добавлены.";
    if (outcome.found == 0 && !outcome.cancelled)
        return "В " + name + " нет калибровочных данных прибора: ничего не добавлено.";
    return {};
}

std::string RemoveQuestion(const CalibrationKey& key)
{
    return QString::asprintf("Вы уверены, что хотите удалить калибровочные данные для TORVAL %d (%.02d/%.02d/%d)?",
                             key.serial, key.day, key.month, key.year)
        .toStdString();
}

std::string RemoveCaption(const CalibrationKey& key)
{
    return QString::asprintf("Удалить TORVAL %d, %.02d/%.02d/%d?", key.serial, key.day, key.month, key.year)
        .toStdString();
}

} // namespace calibration_texts
