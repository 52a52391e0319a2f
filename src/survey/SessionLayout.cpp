#include "survey/SessionLayout.h"

#include "platform/CodePage.h"
#include "settings/CSettings.h"
#include "survey/ByteStream.h"

namespace {

void WriteText(ByteWriter& file, const std::string& utf8)
{
    std::string bytes = platform::Utf8ToCp1251(utf8);
    if (bytes.size() > session::kTextFieldSize - 1)
        bytes.resize(session::kTextFieldSize - 1);
    char field[session::kTextFieldSize] = {};
    field[0] = char(uint8_t(bytes.size()));
    bytes.copy(field + 1, bytes.size());
    file.Bytes(field, sizeof field);
}

} // namespace

void WriteSessionHeader(ByteWriter& file, const CSettings& settings)
{
    file.Bytes(session::kMagic, sizeof session::kMagic);
    file.U16(1);
    file.U16(0);
    WriteText(file, settings.headerText1);
    WriteText(file, settings.headerText2);
    WriteText(file, settings.headerText3);
    file.U8(settings.calibrationKey.day);
    file.U8(settings.calibrationKey.month);
    file.U16(settings.calibrationKey.year);
    const uint16_t reported = uint16_t(settings.reportedSerial);
    file.U16(reported != 0 ? reported : settings.calibrationKey.serial);
}
