#include "sim/PseudoTerminal.h"

#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminal::~PseudoTerminal()
{
    Close();
}

bool PseudoTerminal::Create()
{
    Close();
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return false;
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
        ::close(master);
        return false;
    }
    int keeper = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    termios tio{};
    // Raw from the start: no echo of what the simulator writes, no line editing.
    if (keeper < 0 || tcgetattr(keeper, &tio) != 0) {
        if (keeper >= 0)
            ::close(keeper);
        ::close(master);
        return false;
    }
    cfmakeraw(&tio);
    tcsetattr(keeper, TCSANOW, &tio);
    int flags = fcntl(master, F_GETFL);
    fcntl(master, F_SETFL, flags | O_NONBLOCK);
    master_ = master;
    slaveKeeper_ = keeper;
    slavePath_ = name;
    return true;
}

void PseudoTerminal::HangUp()
{
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

void PseudoTerminal::Close()
{
    if (master_ >= 0)
        ::close(master_);
    if (slaveKeeper_ >= 0)
        ::close(slaveKeeper_);
    master_ = slaveKeeper_ = -1;
    slavePath_.clear();
}
