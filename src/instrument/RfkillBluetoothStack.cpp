#include "instrument/RfkillBluetoothStack.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/rfkill.h>
#include <unistd.h>

#include "platform/ConfigDirectory.h"
#include "platform/FileIO.h"

namespace {

std::string FirstLine(const std::string& path)
{
    std::string text;
    if (!platform::ReadWholeFile(path, 256, text).ok)
        return {};
    return text.substr(0, text.find('\n'));
}

} // namespace

RfkillBluetoothStack::RfkillBluetoothStack(std::string sysfsDirectory, std::string controlDevice)
    : sysfs_(std::move(sysfsDirectory)), control_(std::move(controlDevice))
{
}

uint32_t RfkillBluetoothStack::PlatformRadioMode()
{
    DIR* dir = opendir(sysfs_.c_str());
    if (!dir)
        return 0;
    uint32_t mode = 0;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        std::string device = platform::JoinPath(sysfs_, name);
        // state: 1 = unblocked; soft and hard blocks read 0 or 2.
        if (FirstLine(platform::JoinPath(device, "type")) == "bluetooth" &&
            FirstLine(platform::JoinPath(device, "state")) == "1")
            mode = 1;
    }
    closedir(dir);
    return mode;
}

void RfkillBluetoothStack::SetPlatformRadio(bool on)
{
    int fd = ::open(control_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    rfkill_event event{};
    event.type = RFKILL_TYPE_BLUETOOTH;
    event.op = RFKILL_OP_CHANGE_ALL;
    event.soft = on ? 0 : 1;
    [[maybe_unused]] ssize_t n = ::write(fd, &event, RFKILL_EVENT_SIZE_V1);
    ::close(fd);
}
