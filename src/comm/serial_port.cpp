#include "comm/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace morvaline {
namespace {

speed_t speedOf(int baudRate) {
    struct Speed {
        int baud;
        speed_t code;
    };
    static constexpr Speed kSpeeds[] = {
        {300, B300},     {1200, B1200},     {2400, B2400},     {4800, B4800},
        {9600, B9600},   {19200, B19200},   {38400, B38400},   {57600, B57600},
        {115200, B115200}, {230400, B230400}, {460800, B460800},
    };
    for (const Speed& s : kSpeeds)
        if (s.baud == baudRate) return s.code;
    return B38400;
}

// Raw 8N1 at the speed, with the flow control asked for; the receiver stays on and the
// modem lines do not hang up on close (DTR is raised and dropped explicitly).
termios lineSettings(termios t, const SerialSettings& settings) {
    cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    t.c_cflag |= CS8 | CREAD | CLOCAL;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    if (settings.flow == 1) t.c_cflag |= CRTSCTS;
    if (settings.flow == 2) t.c_iflag |= IXON | IXOFF;
    t.c_cc[VSTART] = 0x11;
    t.c_cc[VSTOP] = 0x13;
    // With the descriptor non-blocking, an empty queue reads as EAGAIN and 0 means the
    // line hung up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, speedOf(settings.baudRate));
    cfsetospeed(&t, speedOf(settings.baudRate));
    return t;
}

std::string reason(int error) { return std::strerror(error); }

}  // namespace

SerialPort::Opened SerialPort::open(const SerialSettings& settings) {
    Opened opened;
    const int fd = ::open(settings.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        opened.problem = reason(errno);
        return opened;
    }
    termios old{};
    if (!isatty(fd) || tcgetattr(fd, &old) != 0) {
        opened.problem = reason(ENOTTY);
        ::close(fd);
        return opened;
    }
    // Another program that has the port open exclusively keeps it: the open above then
    // fails with EBUSY. Ours is exclusive in turn.
    (void)ioctl(fd, TIOCEXCL);
    opened.port.reset(new SerialPort(fd, settings.device));
    const termios wanted = lineSettings(old, settings);
    if (tcsetattr(fd, TCSANOW, &wanted) != 0) {
        opened.settingsRejected = true;
        opened.problem = reason(errno);
        if (tcsetattr(fd, TCSANOW, &old) != 0) opened.port.reset();
    }
    return opened;
}

SerialPort::~SerialPort() {
    (void)ioctl(fd_, TIOCNXCL);
    ::close(fd_);
}

long SerialPort::read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, size);
        if (n > 0) return static_cast<long>(n);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
        // 0 or EIO: the line hung up, the far side of a pseudo-terminal closed, or the
        // device went away.
        return -1;
    }
}

bool SerialPort::write(std::string_view bytes, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR) return false;
        if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) return false;
    }
    return true;
}

void SerialPort::sendBreak() { (void)tcsendbreak(fd_, 0); }

void SerialPort::purge() { (void)tcflush(fd_, TCIOFLUSH); }

bool SerialPort::setDtr(bool on) {
    int bits = TIOCM_DTR;
    return ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits) == 0;
}

std::optional<bool> SerialPort::carrier() {
    int bits = 0;
    if (ioctl(fd_, TIOCMGET, &bits) != 0) return std::nullopt;
    return (bits & TIOCM_CAR) != 0;
}

}  // namespace morvaline
