// A line rate without a constant of its own: Linux takes any rate through its second
// terminal settings structure; elsewhere only the listed rates are offered.

#ifndef _WIN32

#ifdef __linux__
#include <asm/termbits.h>
#include <sys/ioctl.h>
#endif

namespace zentor {

bool SetOtherBaudRate(int fd, int baudRate)
{
#ifdef __linux__
    struct termios2 t {};
    if (::ioctl(fd, TCGETS2, &t) != 0) return false;
    t.c_cflag &= ~tcflag_t(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = static_cast<speed_t>(baudRate);
    t.c_ospeed = static_cast<speed_t>(baudRate);
    return ::ioctl(fd, TCSETS2, &t) == 0;
#else
    (void)fd;
    (void)baudRate;
    return false;
#endif
}

}  // namespace zentor

#endif
