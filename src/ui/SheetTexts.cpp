#include "ui/SheetTexts.h"

#include <cerrno>

#include <QDateTime>
#include <QString>

#include "platform/SystemErrorText.h"
#include "ui/WorkTypeNames.h"

std::string FileNameOf(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

namespace sheet_texts {

namespace {

std::string Quoted(const std::string& path)
{
    return "«" + FileNameOf(path) + "»";
}

} // namespace

std::string SaveFailed(const std::string& path, const platform::FileResult& result)
{
    const std::string reason = result.failure == platform::FileFailure::Write
                                   ? ReasonInWords(result.errorNumber)
                                   : WriteFailureInWords(result.errorNumber, path);
    return "Не удалось сохранить " + Quoted(path) + ": " + reason + ".";
}

std::string OpenFailed(const std::string& path, const ReadSessionResult& result)
{
    if (!result.unreadable) {
        if (result.cutShort)
            return "Файл " + Quoted(path) + " обрезан: в нём нет ни одного целого показания.";
        return "Файл " + Quoted(path) + " — не файл сессии или повреждён.";
    }
    switch (result.failure) {
    case platform::FileFailure::NotRegular:
        return "Не удалось открыть " + Quoted(path) + ": это не файл.";
    case platform::FileFailure::TooLarge:
        return "Не удалось открыть " + Quoted(path) + ": файл слишком велик для сессии.";
    default:
        if (result.errorNumber == ENOENT)
            return "Не удалось открыть " + Quoted(path) + ": файл не найден.";
        return "Не удалось открыть " + Quoted(path) + ": " + ReasonInWords(result.errorNumber) + ".";
    }
}

std::string CutShortQuestion(const std::string& path, const ReadSessionResult& result)
{
    const QString text = result.track ? QString("Файл %1 обрезан: целых показаний %2 из %3.\nОткрыть их?")
                                      : QString("Файл %1 обрезан: целых станций %2 из %3.\nОткрыть их? Остальные "
                                                "станции будут пустыми.");
    return text.arg(QString::fromStdString(Quoted(path))).arg(result.intact).arg(result.announced).toStdString();
}

std::string MeasurementFailedQuestion(const std::string& why)
{
    if (why.empty())
        return "Ошибка измерения.\nСохранить изменения?";
    return "Ошибка измерения: " + why + "\nСохранить изменения?";
}

std::string JournalUnavailable(int errorNumber)
{
    return "Журнал показаний недоступен (" + ReasonInWords(errorNumber) +
           "). Показания будут только в памяти: сохраняйте сессию.";
}

std::string RecoveryQuestion(const LeftJournal& left)
{
    const QString begun = QDateTime::fromSecsSinceEpoch(left.summary.begin.created).toString("dd.MM.yyyy HH:mm");
    QString question = QString("Найдены несохранённые показания прошлой работы (%1, начата %2, показаний: %3). "
                               "Восстановить их?")
                           .arg(WorkTypeName(left.summary.begin.workType), begun)
                           .arg(left.restorable);
    if (!left.problem.empty())
        question += "\nЖурнал повреждён: восстановятся только эти показания.";
    return question.toStdString();
}

std::string JournalUnreadable(const std::string& path)
{
    return "Журнал " + Quoted(path) + " не читается: из него ничего не восстановлено. Он оставлен на месте.";
}

std::string RecoveredFromDamaged(size_t measured, const std::string& journalPath)
{
    return "Восстановлено показаний: " + std::to_string(measured) +
           ". Журнал повреждён, дальше не читается; он сохранён: " + journalPath;
}

std::string SettingsNotRead(size_t problems, const std::string& settingsFile)
{
    return "Часть настроек не прочитана (" + std::to_string(problems) +
           "), для них взяты значения по умолчанию. Прежний файл настроек будет сохранён как «" +
           FileNameOf(settingsFile) + ".bak».";
}

std::string SettingsNotSaved(const std::string& settingsFile, const platform::FileResult& result)
{
    return "Не удалось сохранить настройки в " + Quoted(settingsFile) + ": " +
           (result.failure == platform::FileFailure::Write ? ReasonInWords(result.errorNumber)
                                                           : WriteFailureInWords(result.errorNumber, settingsFile)) +
           ".";
}

std::string CalibrationsNotSaved(const std::string& calibrationFile)
{
    return "Не удалось сохранить калибровочные данные в " + Quoted(calibrationFile) + ".";
}

} // namespace sheet_texts
