// The error paths a test cannot walk through the window on this machine (CI runs as root, so a
// folder is never read-only to it; a silent instrument costs a real time-out): what the operator
// reads for each, from the parts the failures carry.
#include <gtest/gtest.h>

#include <cerrno>

#include "ui/MeasurementTexts.h"
#include "ui/ScriptedPrompter.h"
#include "ui/SheetTexts.h"

namespace {

TEST(OperatorTexts, FilesAreNamedAsChosenAndTheReasonIsInWords)
{
    platform::FileResult refused;
    refused.failure = platform::FileFailure::Create;
    refused.errorNumber = EACCES;
    EXPECT_EQ("Не удалось сохранить «профиль 3.lur»: нет прав на запись в папку «/media/card/участок».",
              sheet_texts::SaveFailed("/media/card/участок/профиль 3.lur", refused));
    platform::FileResult full;
    full.failure = platform::FileFailure::Write;
    full.errorNumber = ENOSPC;
    EXPECT_EQ("Не удалось сохранить «a.lur»: нет места на диске.", sheet_texts::SaveFailed("/x/a.lur", full));
    full.errorNumber = EROFS;
    EXPECT_EQ("Не удалось сохранить «a.lur»: диск защищён от записи.", sheet_texts::SaveFailed("/x/a.lur", full));
    full.errorNumber = 12345; // a number no one words
    EXPECT_EQ("", testing_support::NotTheOperatorsWords(sheet_texts::SaveFailed("/x/a.lur", full)));

    ReadSessionResult large;
    large.unreadable = true;
    large.failure = platform::FileFailure::TooLarge;
    EXPECT_EQ("Не удалось открыть «big.lur»: файл слишком велик для сессии.", sheet_texts::OpenFailed("/x/big.lur", large));
    ReadSessionResult noWhole;
    noWhole.cutShort = true;
    EXPECT_EQ("Файл «c.lur» обрезан: в нём нет ни одного целого показания.", sheet_texts::OpenFailed("c.lur", noWhole));
}

TEST(OperatorTexts, ConnectionsNameThePortAndWhatFailed)
{
    const std::string port = "/dev/rfcomm0", gps = "/dev/ttyACM0";
    EXPECT_EQ("Не удалось подключиться к прибору на порту «/dev/rfcomm0»: порт занят другой программой.",
              measurement_texts::ConnectionFailed(ExchangeFailure::PortNotOpened, EBUSY, port, gps));
    EXPECT_EQ("Не удалось подключиться к прибору на порту «/dev/rfcomm0»: нет прав на порт.",
              measurement_texts::ConnectionFailed(ExchangeFailure::PortNotOpened, EACCES, port, gps));
    EXPECT_EQ("Не удалось подключиться к прибору на порту «/dev/rfcomm0»: прибор выключен или вне досягаемости.",
              measurement_texts::ConnectionFailed(ExchangeFailure::PortNotOpened, EHOSTDOWN, port, gps));
    EXPECT_EQ("Не удалось открыть порт GPS «/dev/ttyACM0»: нет такого порта.",
              measurement_texts::ConnectionFailed(ExchangeFailure::GpsPortNotOpened, ENOENT, port, gps));
    EXPECT_EQ("прибор на порту «/dev/rfcomm0» не ответил.",
              measurement_texts::ReadingFailure(ExchangeFailure::NoAnswer, port));
    EXPECT_EQ("Ошибка измерения: прибор на порту «/dev/rfcomm0» не ответил.\nСохранить изменения?",
              sheet_texts::MeasurementFailedQuestion(measurement_texts::ReadingFailure(ExchangeFailure::NoAnswer, port)));
}

} // namespace
