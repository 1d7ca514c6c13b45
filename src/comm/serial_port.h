#pragma once
// A serial port on a termios device (a modem on /dev/ttyS0 or /dev/ttyUSB0, or a
// pseudo-terminal in tests): opened exclusively and non-blocking, set to raw 8N1 at the
// access point's speed and flow control. The modem lines (DTR out, carrier detect in) sit
// behind ModemLines because a pseudo-terminal has none: there the carrier counts as
// unknown, and only the far side closing the device looks like a lost line.
//
// Main thread: the Connection reads it when its descriptor is readable and writes with a
// bounded wait for room in the output queue.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace morvaline {

struct SerialSettings {
    std::string device;  // the device path
    int baudRate = 38400;
    int flow = 1;  // 0 none, 1 RTS/CTS, 2 XON/XOFF
};

// The modem control lines of an open port.
class ModemLines {
public:
    virtual ~ModemLines() = default;
    // Raises or drops DTR; false when the device has no such line.
    virtual bool setDtr(bool on) = 0;
    // The carrier detect line; empty when the device has none.
    virtual std::optional<bool> carrier() = 0;
};

class SerialPort final : public ModemLines {
public:
    // What opening found: the port, or the failure and its reason (for the message).
    struct Opened {
        std::unique_ptr<SerialPort> port;
        bool settingsRejected = false;  // the line settings were refused; the old ones apply
        std::string problem;            // why it could not be opened or set up
    };
    static Opened open(const SerialSettings& settings);
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    int fd() const { return fd_; }
    const std::string& device() const { return device_; }

    // Reads what waits, at most size bytes: the count, 0 when nothing waits, -1 when the
    // line is gone (the far side closed, the device vanished).
    long read(char* buffer, std::size_t size);
    // Writes all bytes, waiting at most timeoutMs in all for room in the output queue;
    // false when the time ran out or the device failed.
    bool write(std::string_view bytes, int timeoutMs);
    // The break signal (about a quarter to half a second of space).
    void sendBreak();
    // Throws away what waits in both directions.
    void purge();

    bool setDtr(bool on) override;
    std::optional<bool> carrier() override;

private:
    SerialPort(int fd, std::string device) : fd_(fd), device_(std::move(device)) {}
    int fd_;
    std::string device_;
};

}  // namespace morvaline
