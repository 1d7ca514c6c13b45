#include "comm/line_device.h"

#include <algorithm>

#include "link/modem_answers.h"

namespace morvaline {

namespace {

constexpr int kWriteTimeoutMs = 5000;
constexpr std::size_t kHeardLimit = 4096;  // a chatty device cannot grow the buffer
constexpr std::string_view kJapan = "81";

struct CanonicalParts {
    std::string country, area, number;
};

// "+CC (AREA) NUMBER" or "+CC NUMBER" back into its parts.
CanonicalParts partsOf(const std::string& canonical) {
    CanonicalParts parts;
    std::string_view rest(canonical);
    if (!rest.starts_with('+')) return parts;
    rest.remove_prefix(1);
    const std::size_t space = rest.find(' ');
    parts.country = rest.substr(0, space);
    rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
    if (rest.starts_with('(')) {
        const std::size_t close = rest.find(')');
        parts.area = rest.substr(1, close == std::string_view::npos ? close : close - 1);
        rest = close == std::string_view::npos ? std::string_view() : rest.substr(close + 1);
        if (rest.starts_with(' ')) rest.remove_prefix(1);
    }
    parts.number = rest;
    return parts;
}

}  // namespace

std::string canonicalNumber(const AccessPoint& ap) {
    if (ap.phoneNumber.empty()) return {};
    std::string country(kJapan);
    const std::size_t open = ap.countryName.rfind('(');
    if (open != std::string::npos) {
        const std::size_t close = ap.countryName.find(')', open);
        if (close != std::string::npos) country = ap.countryName.substr(open + 1, close - open - 1);
    }
    std::string number = "+" + country;
    if (!ap.areaCode.empty()) number += " (" + ap.areaCode + ")";
    return number + " " + ap.phoneNumber;
}

std::string dialableNumber(const AccessPointList& list, const std::string& canonical) {
    const CanonicalParts parts = partsOf(canonical);
    if (parts.number.empty()) return {};
    if (parts.country == kJapan) {
        AccessPoint inJapan;
        inJapan.areaCode = parts.area;
        inJapan.phoneNumber = parts.number;
        return dialledNumber(list, inJapan);
    }
    std::string number;
    if (!list.prefixCode.empty()) number += list.prefixCode + " ";
    number += "010 " + parts.country + " ";
    if (!parts.area.empty()) number += parts.area + " ";
    return number + parts.number;
}

LineDeviceCall lineDeviceCall(const AccessPointList& list, const AccessPoint& ap) {
    const int lineId = ap.tapiPermanentLineId;
    const std::size_t port =
        lineId >= 1 && lineId <= static_cast<int>(list.comDevices.size()) ? lineId - 1 : 0;
    LineDeviceCall call;
    if (port < list.comDevices.size()) call.port.device = list.comDevices[port];
    call.port.baudRate = ap.baudRate;
    call.port.flow = ap.flow;
    call.dial = modemDialOf(ap, dialableNumber(list, canonicalNumber(ap)));
    return call;
}

LineDevice::LineDevice(Connected connected, Failed failed, int stepLimitMs)
    : connected_(std::move(connected)), failed_(std::move(failed)), stepLimitMs_(stepLimitMs) {
    stepTimer_.setSingleShot(true);
    QObject::connect(&stepTimer_, &QTimer::timeout, &context_, [this] { fail(false); });
}

LineDevice::~LineDevice() {
    readable_.reset();  // not inside its own signal here: deleted at once
    drop();
}

// The notifier may be the sender of the signal being handled: it goes later.
void LineDevice::retireNotifier() {
    if (!readable_) return;
    readable_->setEnabled(false);
    readable_.release()->deleteLater();
}

bool LineDevice::placeCall(const LineDeviceCall& call, std::string* problem) {
    problem->clear();
    if (port_) return false;
    SerialPort::Opened opened = SerialPort::open(call.port);
    if (!opened.port) {
        *problem = opened.problem;
        return false;
    }
    port_ = std::move(opened.port);
    (void)port_->setDtr(true);
    port_->purge();
    readable_ = std::make_unique<QSocketNotifier>(port_->fd(), QSocketNotifier::Read);
    QObject::connect(readable_.get(), &QSocketNotifier::activated, &context_, [this] { receive(); });
    commands_ = call.dial.initCommands;
    commands_.push_back(call.dial.dialCommand);
    sent_ = 0;
    sendNext();
    return true;
}

void LineDevice::drop() {
    if (!port_) return;
    retireNotifier();
    stepTimer_.stop();
    (void)port_->write("\r", kWriteTimeoutMs);
    (void)port_->setDtr(false);
    port_->purge();
    port_.reset();
    commands_.clear();
    heard_.clear();
}

void LineDevice::sendNext() {
    heard_.clear();
    if (!port_->write(commands_[sent_++], kWriteTimeoutMs)) return fail(false);
    stepTimer_.start(stepLimitMs_);
}

void LineDevice::receive() {
    char buffer[1024];
    long count;
    while (port_ && (count = port_->read(buffer, sizeof buffer)) != 0) {
        if (count < 0) return fail(false);  // the device went away
        heard_.append(buffer, static_cast<std::size_t>(count));
        answered();
    }
}

// Looks for the modem's answer to the last command in what it said since.
void LineDevice::answered() {
    const bool dialling = sent_ == commands_.size();
    std::size_t at = std::string::npos;
    std::size_t which = 0;
    auto find = [&](const auto& answers) {
        for (std::size_t i = 0; i < answers.size(); ++i) {
            const std::size_t pos = heard_.find(answers[i]);
            if (pos < at) at = pos, which = i;
        }
    };
    dialling ? find(kDialAnswers) : find(kSetupAnswers);
    if (at == std::string::npos) {
        if (heard_.size() > kHeardLimit) heard_.erase(0, heard_.size() - kHeardLimit);
        return;
    }
    if (!dialling) {
        return static_cast<SetupAnswer>(which) == SetupAnswer::Ok ? sendNext() : fail(false);
    }
    const auto answer = static_cast<DialAnswer>(which);
    if (answer != DialAnswer::Connect) return fail(answer == DialAnswer::Busy);
    // The CONNECT line ends before the host's first text, which goes with the port.
    const std::size_t end = heard_.find('\n', at);
    if (end == std::string::npos) return;
    std::string early = heard_.substr(end + 1);
    retireNotifier();
    stepTimer_.stop();
    heard_.clear();
    commands_.clear();
    connected_(std::move(port_), std::move(early));
}

void LineDevice::fail(bool busy) {
    drop();
    failed_(busy);
}

}  // namespace morvaline
