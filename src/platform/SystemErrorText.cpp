#include "platform/SystemErrorText.h"

#include <cerrno>

#include "platform/FileIO.h"

std::string ReasonInWords(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC:
        return "нет места на диске";
    case EDQUOT:
        return "исчерпана дисковая квота";
    case EFBIG:
        return "файл больше, чем разрешено";
    case EACCES:
    case EPERM:
        return "нет прав доступа";
    case EROFS:
        return "диск защищён от записи";
    case ENOENT:
        return "нет такого файла или папки";
    case ENOTDIR:
        return "в пути есть имя, которое не папка";
    case EISDIR:
        return "это папка, а не файл";
    case ENAMETOOLONG:
        return "слишком длинное имя";
    case EIO:
        return "ошибка чтения или записи на устройстве";
    case EMFILE:
    case ENFILE:
        return "открыто слишком много файлов";
    case ENOMEM:
        return "недостаточно памяти";
    case EBUSY:
    case EAGAIN:
        return "занято другой программой";
    case ENODEV:
    case ENXIO:
        return "нет такого устройства";
    case ETIMEDOUT:
        return "устройство не ответило вовремя";
    case ECONNREFUSED:
    case EHOSTDOWN:
    case EHOSTUNREACH:
        return "устройство не отвечает: выключено или вне досягаемости";
    case 0:
        return "причина неизвестна";
    default:
        return "системная ошибка " + std::to_string(errorNumber);
    }
}

std::string WriteFailureInWords(int errorNumber, const std::string& path)
{
    if (errorNumber == EACCES || errorNumber == EPERM) {
        const std::string folder = platform::DirectoryOf(path);
        return "нет прав на запись в папку «" + (folder.empty() ? std::string(".") : folder) + "»";
    }
    // Writing creates the file, so only its folder can be missing.
    if (errorNumber == ENOENT)
        return "нет папки «" + platform::DirectoryOf(path) + "»";
    return ReasonInWords(errorNumber);
}
