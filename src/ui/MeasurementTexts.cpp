#include "ui/MeasurementTexts.h"

#include <cerrno>

#include "platform/SystemErrorText.h"

namespace measurement_texts {

namespace {

// Opening a port fails for reasons of its own: a file's wording would mislead.
std::string PortReason(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return "нет такого порта";
    case EBUSY:
        return "порт занят другой программой";
    case EACCES:
    case EPERM:
        return "нет прав на порт";
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ECONNREFUSED:
    case ETIMEDOUT:
        return "прибор выключен или вне досягаемости";
    default:
        return ReasonInWords(errorNumber);
    }
}

} // namespace

std::string ConnectionFailed(ExchangeFailure failure, int errorNumber, const std::string& instrumentDevice,
                             const std::string& gpsDevice)
{
    if (failure == ExchangeFailure::GpsPortNotOpened)
        return "Не удалось открыть порт GPS «" + gpsDevice + "»: " + PortReason(errorNumber) + ".";
    return "Не удалось подключиться к прибору на порту «" + instrumentDevice + "»: " + PortReason(errorNumber) + ".";
}

std::string ReadingFailure(ExchangeFailure failure, const std::string& device)
{
    switch (failure) {
    case ExchangeFailure::LinkLost:
        return "связь с прибором на порту «" + device + "» потеряна (прибор выключен, вне досягаемости или кабель "
               "отключён).";
    case ExchangeFailure::WrongReply:
        return "на порту «" + device + "» отвечает не прибор, или связь искажает ответ.";
    default:
        return "прибор на порту «" + device + "» не ответил.";
    }
}

std::string NotJournalled(int errorNumber)
{
    return "Показания не записываются в журнал (" + ReasonInWords(errorNumber) +
           "). Они есть только в памяти: сохраните сессию.";
}

std::string GridFull(size_t leftOut)
{
    return "Сетка заполнена: последние " + std::to_string(leftOut) + " показаний серии не сохранены.";
}

} // namespace measurement_texts
