#pragma once
// The telephony line device. This system has no telephony service, so the device places
// its call itself, through a modem on a serial port with the modem's commands from the
// modem database, and hands the open port over once the call is up: the call is placed,
// then it is connected (with the port) or it fails, as a telephony call goes. The line
// devices are the serial ports: the device whose permanent line identifier is n is port n;
// an identifier that names no port means the first device, port 1.
//
// Main thread.

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "comm/access_point.h"
#include "comm/serial_port.h"

namespace morvaline {

// The canonical number of an access point: "+", the country code (between the last "("
// and the next ")" of the country name; 81 when there is none), " (area code)" when there
// is one, a space and the number. Empty when the number is.
std::string canonicalNumber(const AccessPoint& ap);

// What the modem dials for a canonical number from this computer's place in Japan: within
// Japan the number as a modem line dials it (dialledNumber); abroad the outside-line
// prefix, "010", the country code, the area code and the number.
std::string dialableNumber(const AccessPointList& list, const std::string& canonical);

struct LineDeviceCall {
    SerialSettings port;
    ModemDial dial;
};

// The call of an access point of line type 0.
LineDeviceCall lineDeviceCall(const AccessPointList& list, const AccessPoint& ap);

class LineDevice {
public:
    // The call is up: the port, and what the host sent after the modem's CONNECT line.
    using Connected = std::function<void(std::unique_ptr<SerialPort> port, std::string early)>;
    // The call failed or ended before it was up; busy when the number was busy.
    using Failed = std::function<void(bool busy)>;

    LineDevice(Connected connected, Failed failed, int stepLimitMs);
    ~LineDevice();
    LineDevice(const LineDevice&) = delete;
    LineDevice& operator=(const LineDevice&) = delete;

    // Opens the port and starts the modem's dialogue. False when a call is in progress
    // (empty problem) or the port cannot be opened (problem says why).
    bool placeCall(const LineDeviceCall& call, std::string* problem);
    // Abandons a call being placed: a CR makes the modem give up, DTR drops, the port
    // closes. Nothing is reported.
    void drop();
    bool calling() const { return port_ != nullptr; }

private:
    void receive();
    void answered();
    void sendNext();
    void fail(bool busy);
    void retireNotifier();

    Connected connected_;
    Failed failed_;
    int stepLimitMs_;
    std::unique_ptr<SerialPort> port_;
    std::unique_ptr<QSocketNotifier> readable_;
    QTimer stepTimer_;
    std::vector<std::string> commands_;  // the set-up commands, then the dial command
    std::size_t sent_ = 0;               // commands sent so far
    std::string heard_;                  // the modem's text since the last command
    QObject context_;
};

}  // namespace morvaline
