#include "comm/connection.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <QHostInfo>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QThreadPool>
#include <QTimer>

#include "comm/rapidox/telnet_data_filter.h"
#include "link/result_codes.h"
#include "platform/text_codec.h"

namespace morvaline {

namespace {

// Qt's socket buffer in front of the kernel's: when the connection stops reading, the
// socket stops taking bytes from the kernel and TCP holds the host back. Text is read in
// blocks of this size, each taking one pass through the filter and one append.
constexpr qint64 kSocketReadBuffer = 64 * 1024;
// The error number shown when a write found the socket not connected.
constexpr int kNotConnected = 10057;
// Bytes after the last line end that are kept for a transfer that may start.
constexpr std::size_t kLineTailLimit = 256;
// How long a write to the serial port may wait for room in the output queue.
constexpr int kPortWriteTimeoutMs = 5000;
// How often carrier detect is looked at.
constexpr int kCarrierTickMs = 1000;

void deleteSocketLater(QTcpSocket* socket) {
    if (socket) socket->deleteLater();
}

// The port of a service text written as a number: the low 16 bits of its leading
// decimal digits; 0 when it is a name.
int numericPort(std::string_view service) {
    std::uint32_t value = 0;
    for (const char c : service) {
        if (c < '0' || c > '9') break;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return static_cast<int>(value & 0xFFFF);
}

// Looks a TCP service name up in the system's services database; 0 when unknown.
int lookUpServicePort(const std::string& name) {
    servent entry{};
    servent* found = nullptr;
    char buffer[1024];
    if (::getservbyname_r(name.c_str(), "tcp", &entry, buffer, sizeof buffer, &found) != 0 ||
        !found)
        return 0;
    return ntohs(static_cast<std::uint16_t>(found->s_port));
}

double secondsOf(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace

const char* toString(LineState state) {
    switch (state) {
        case LineState::Idle:
            return "Idle";
        case LineState::Resolving:
            return "Resolving";
        case LineState::Resolved:
            return "Resolved";
        case LineState::Connecting:
            return "Connecting";
        case LineState::Connected:
            return "Connected";
    }
    return "unknown";
}

Connection::Connection(CommBlock& block, MainDispatcher& dispatcher, Reporter& reporter)
    : block_(block),
      dispatcher_(dispatcher),
      reporter_(reporter),
      alive_(std::make_shared<int>(0)),
      socket_(nullptr, deleteSocketLater),
      lineDevice_([this](std::unique_ptr<SerialPort> port,
                         std::string early) { takeOverPort(std::move(port), early); },
                  [this](bool) { connectFailed(); }, kConnectStepLimitMs) {
    const std::weak_ptr<int> alive = alive_;
    const MainDispatcher::Poster post = dispatcher_.poster();
    // Both are called on worker threads; the work is done on the main thread.
    block_.setSpaceFreedListener([post, alive, this] {
        post([alive, this] {
            if (alive.lock()) onEngineSpace();
        });
    });
    rx_.setDrainedListener([post, alive, this] {
        post([alive, this] {
            if (alive.lock()) receive();
        });
    });
}

void Connection::DeleteLater::operator()(QObject* object) const {
    if (object) object->deleteLater();
}

Connection::~Connection() {
    block_.setSpaceFreedListener({});
    rx_.setDrainedListener({});
    cancelLookups();
    closePort();
    if (socket_) {
        QObject::disconnect(socket_.get(), nullptr, &context_, nullptr);
        socket_->abort();
    }
}

void Connection::setState(LineState state) {
    if (state_ == state) return;
    state_ = state;
    if (observer_) observer_->stateChanged(state);
}

void Connection::setTranscript(TranscriptWriter* transcript) {
    transcript_ = transcript;
    transcriptStart_ = std::chrono::steady_clock::now();
}

void Connection::record(TranscriptKind kind, std::string_view bytes) {
    if (!transcript_) return;
    const double seconds = secondsOf(std::chrono::steady_clock::now() - transcriptStart_);
    if (kind == TranscriptKind::Shown) {
        const std::string shown = transcriptMask_.pass(bytes);
        if (!shown.empty()) transcript_->write(kind, shown, seconds);
        return;
    }
    // Host text held back as the possible beginning of a secret comes first.
    if (const std::string held = transcriptMask_.flush(); !held.empty())
        transcript_->write(TranscriptKind::Shown, held, seconds);
    transcript_->write(kind, secrets_.masked(bytes), seconds);
}

void Connection::writeCaptured(std::string_view text) {
    if (!captureLog_.isOpen()) return;
    if (const Text* failure = captureLog_.write(text))
        reporter_.report(*failure, utf8ToSjis(captureLog_.path().string()),
                         utf8ToSjis(captureLog_.reason()));
}

double Connection::connectedSeconds() const {
    auto total = connectedTotal_;
    if (lineUp_) total += std::chrono::steady_clock::now() - connectedSince_;
    return secondsOf(total);
}

// --- Resolving ---

bool Connection::resolve() {
    MORVALINE_ASSERT_THREAD(mainThread_);
    cancelLookups();
    address_.clear();
    port_ = 0;
    setState(LineState::Resolving);

    QHostAddress dotted;
    if (dotted.setAddress(QString::fromLatin1(target_.host)) &&
        dotted.protocol() == QAbstractSocket::IPv4Protocol && dotted.toIPv4Address() != 0) {
        address_ = dotted;
    } else {
        hostLookup_ = QHostInfo::lookupHost(
            QString::fromLatin1(target_.host), &context_, [this](const QHostInfo& info) {
                QHostAddress found;
                for (const QHostAddress& a : info.addresses()) {
                    if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                        found = a;
                        break;
                    }
                }
                onHostLookup(info.lookupId(), found, !found.isNull());
            });
    }

    if (const int port = numericPort(target_.service); port != 0) {
        port_ = port;
    } else {
        const int id = ++nextLookupId_;
        serviceLookup_ = id;
        const std::weak_ptr<int> alive = alive_;
        QThreadPool::globalInstance()->start(
            [post = dispatcher_.poster(), alive, this, id, name = target_.service] {
                const int port = lookUpServicePort(name);
                post([alive, this, id, port] {
                    if (alive.lock()) onServiceLookup(id, port);
                });
            });
    }
    checkResolved();
    return true;
}

void Connection::onHostLookup(int lookupId, const QHostAddress& address, bool found) {
    if (lookupId != hostLookup_) return;
    hostLookup_ = -1;
    if (!found) return lookupFailed(target_.host);
    address_ = address;
    checkResolved();
}

void Connection::onServiceLookup(int lookupId, int port) {
    if (lookupId != serviceLookup_) return;
    serviceLookup_ = -1;
    if (port == 0) return lookupFailed(target_.service);
    port_ = port;
    checkResolved();
}

void Connection::lookupFailed(const std::string& what) {
    reporter_.report(texts::kNoHostInfo, what);
    block_.setResultIfOk(result::LineLost);
    close();
}

void Connection::checkResolved() {
    if (hostLookup_ >= 0 || serviceLookup_ >= 0 || address_.isNull() || port_ == 0) return;
    setState(LineState::Resolved);
    block_.hostFound.set();
}

void Connection::cancelLookups() {
    if (hostLookup_ >= 0) QHostInfo::abortHostLookup(hostLookup_);
    hostLookup_ = -1;
    serviceLookup_ = -1;  // its answer is ignored when it comes
}

// --- Connecting ---

bool Connection::connect() {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (socket_) close();
    if (address_.isNull() || port_ == 0) {
        reporter_.report(texts::kNoConnect);
        return false;
    }
    negotiator_.reset();
    filter_.reset();
    filter_.setTelnet(true);
    lineTail_.clear();
    socket_.reset(new QTcpSocket);
    socket_->setReadBufferSize(kSocketReadBuffer);
    QTcpSocket* socket = socket_.get();
    QObject::connect(socket, &QTcpSocket::connected, &context_, [this] { onConnected(); });
    QObject::connect(socket, &QTcpSocket::readyRead, &context_, [this] { receive(); });
    const auto gone = [this] {
        if (state_ == LineState::Connecting) {
            connectFailed();
        } else if (lineUp_) {
            // What the host sent before it closed still reaches the terminal and the log, or
            // the transfer (as far as the raw buffer holds it).
            if (rx_.transferMode)
                receiveForTransfer();
            else
                receiveText(true);
            lineLost();
        }
    };
    QObject::connect(socket, &QTcpSocket::disconnected, &context_, gone);
    QObject::connect(socket, &QTcpSocket::errorOccurred, &context_, gone);
    reporter_.report(texts::kConnectingTo, address_.toString().toStdString());
    setState(LineState::Connecting);
    socket->connectToHost(address_, static_cast<quint16>(port_));
    return true;
}

// The line is up: the opening negotiation goes out while the engine is kept from reading,
// so that it never sees text before the line state is complete.
void Connection::onConnected() {
    // Every write is a whole command or a protocol block: sent at once, never held back
    // waiting for the host's acknowledgement (a transfer's window would stall on each).
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    bool sent;
    FilterOutput traces;
    {
        auto locked = block_.lock();
        lineUp_ = true;
        block_.setLineUp(true);
        connectedSince_ = std::chrono::steady_clock::now();
        sent = perform(negotiator_.opening(), traces);
    }
    if (!traces.traces.empty()) showOnly(traces);
    if (!sent) return connectFailed();
    announceLineUp();
}

void Connection::announceLineUp() {
    setState(LineState::Connected);
    reporter_.report(texts::kLineConnected);
    const std::filesystem::path logPath =
        captureLogPath(captureSettings_, fieldsFromFileTime(fileTimeNow()));
    if (!logPath.empty()) {
        if (const Text* failure =
                captureLog_.open(logPath, captureSettings_.maxBytes, captureSettings_.keep))
            reporter_.report(*failure, utf8ToSjis(logPath.string()));
    }
    block_.dataArrived.set();
}

// --- Modem line ---

bool Connection::openSerial(const SerialSettings& settings) {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (serial_ || socket_) return true;
    SerialPort::Opened opened = SerialPort::open(settings);
    if (opened.settingsRejected || !opened.port)
        reportPortProblem(settings.device, opened.settingsRejected, opened.problem);
    if (!opened.port) return false;
    modemDialling_ = true;
    attachPort(std::move(opened.port));
    setState(LineState::Connecting);
    return true;
}

void Connection::reportPortProblem(const std::string& device, bool settingsRejected,
                                   const std::string& problem) {
    reporter_.report(settingsRejected ? texts::kPortSettingsFailed : texts::kPortOpenFailed);
    reporter_.report(texts::kPortProblem, utf8ToSjis(device), utf8ToSjis(problem));
}

void Connection::attachPort(std::unique_ptr<SerialPort> port) {
    serial_ = std::move(port);
    filter_.reset();
    filter_.setTelnet(false);
    lineTail_.clear();
    portReadable_.reset(new QSocketNotifier(serial_->fd(), QSocketNotifier::Read));
    QObject::connect(portReadable_.get(), &QSocketNotifier::activated, &context_, [this] { receive(); });
    (void)serial_->setDtr(true);
    carrier_ = serial_->carrier();
    if (carrier_) {
        carrierTick_.reset(new QTimer);
        QObject::connect(carrierTick_.get(), &QTimer::timeout, &context_, [this] {
            const std::optional<bool> now = serial_ ? serial_->carrier() : std::nullopt;
            if (now && now != carrier_) carrierChanged(*now);
        });
        carrierTick_->start(kCarrierTickMs);
    }
}

bool Connection::placeCall(const LineDeviceCall& call) {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (serial_ || socket_) return false;
    std::string problem;
    if (!lineDevice_.placeCall(call, &problem)) {
        if (!problem.empty()) reportPortProblem(call.port.device, false, problem);
        return false;
    }
    setState(LineState::Connecting);
    return true;
}

// The line device's call is up: its port becomes the line, as a modem's does at CONNECT,
// and what the host sent after the modem's answer is the line's first text.
void Connection::takeOverPort(std::unique_ptr<SerialPort> port, std::string_view early) {
    attachPort(std::move(port));
    modemDialling_ = false;
    lineCameUp();
    if (early.empty()) return;
    takeText(early, {});
    pacePort();
}

void Connection::modemDialled() {
    MORVALINE_ASSERT_THREAD(mainThread_);
    modemDialling_ = false;
}

void Connection::modemConnected(bool ignoreCarrier) {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (serial_ && (ignoreCarrier || carrier_.value_or(true))) lineCameUp();
}

// While the modem dials only the line-up flag follows the carrier; afterwards carrier on
// brings the line up and carrier off loses it.
void Connection::carrierChanged(bool on) {
    carrier_ = on;
    if (modemDialling_) {
        lineUp_ = on;
        block_.setLineUp(on);
    } else if (on && state_ != LineState::Connected) {
        lineCameUp();
    } else if (!on && lineUp_) {
        lineLost();
    }
}

void Connection::lineCameUp() {
    if (state_ == LineState::Connected) return;
    {
        auto locked = block_.lock();
        lineUp_ = true;
        block_.setLineUp(true);
        connectedSince_ = std::chrono::steady_clock::now();
    }
    announceLineUp();
}

// The device reported the line gone (the far side of a pseudo-terminal closed, a USB
// adapter was pulled): a line that was up is lost; a dial in progress fails.
void Connection::portGone() {
    if (lineUp_) return lineLost();
    block_.setResultIfOk(result::LineLost);
    closeSocket();
    block_.dataArrived.set();
}

void Connection::closePort() {
    if (!serial_) return;
    if (portReadable_) portReadable_->setEnabled(false);
    portReadable_.reset();
    carrierTick_.reset();
    (void)serial_->setDtr(false);
    serial_->purge();
    serial_.reset();
    modemDialling_ = false;
    carrier_.reset();
}

void Connection::connectFailed() {
    reporter_.report(texts::kNoConnect);
    block_.setResultIfOk(result::LineLost);
    if (lineUp_) disconnectSteps();
    closeSocket();
    block_.dataArrived.set();
}

// --- Ending ---

// Shared by every way a line ends. The first cause of an end is kept: a line that drops
// because the user cancelled stays "cancelled".
void Connection::disconnectSteps() {
    if (disconnecting_) return;
    disconnecting_ = true;
    if (lineUp_) connectedTotal_ += std::chrono::steady_clock::now() - connectedSince_;
    lineUp_ = false;
    block_.setLineUp(false);
    abortTransfer();
    block_.setResultIfOk(result::LineLost);
    writeCaptured(captureMask_.flush());
    captureLog_.close();
    block_.dataArrived.set();
    disconnecting_ = false;
}

void Connection::closeSocket() {
    lineDevice_.drop();
    cancelLookups();
    closePort();
    if (socket_) {
        QObject::disconnect(socket_.get(), nullptr, &context_, nullptr);
        socket_->flush();
        socket_->abort();
        socket_.reset();
    }
    setState(LineState::Idle);
    block_.hostFound.set();
}

void Connection::close() {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (lineUp_) disconnectSteps();
    closeSocket();
}

void Connection::lineLost() {
    if (!lineUp_) return;
    record(TranscriptKind::Dropped, {});
    disconnectSteps();
    closeSocket();
    reporter_.report(texts::kLineDisconnected);
    if (dialUp_) dialUp_->hangUp();
}

void Connection::giveUp(int errorNumber) {
    reporter_.report(texts::kWriteFatal, std::to_string(errorNumber));
    if (lineUp_) record(TranscriptKind::Dropped, {});
    disconnectSteps();
    closeSocket();
}

void Connection::hangUp() {
    MORVALINE_ASSERT_THREAD(mainThread_);
    const bool wasUp = lineUp_;
    if (wasUp) reporter_.report(texts::kHangingUp);
    // A CR makes a modem that is still dialling abandon the call.
    if (serial_ && !wasUp) (void)serial_->write("\r", kPortWriteTimeoutMs);
    const bool modemLine = serial_ != nullptr;
    disconnectSteps();
    closeSocket();
    // Dropping DTR ends a modem's call; the port is closed already, so no carrier change
    // will say so.
    if (wasUp && modemLine) reporter_.report(texts::kLineDisconnected);
    if (dialUp_) dialUp_->hangUp();
}

bool Connection::cancel(const std::function<bool()>& confirm, bool wakeEngine) {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (lineUp_ && !block_.inConnect() && confirm && !confirm()) return false;
    block_.setResult(result::Cancelled);
    block_.setInConnect(false);
    hangUp();
    abortTransfer();
    block_.redialCancel.set();
    if (wakeEngine) block_.dataArrived.set();
    return true;
}

void Connection::skip() {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (!block_.inConnect()) return;
    hangUp();
    block_.setResult(result::Skipped);
    reporter_.report(texts::kSkipping);
}

// --- Writing ---

bool Connection::canWrite() const {
    return serial_ || (lineUp_ && socket_);
}

bool Connection::lineWrite(std::string_view bytes) {
    if (serial_) return serial_->write(bytes, kPortWriteTimeoutMs);
    if (!socket_) return false;
    const auto size = static_cast<qint64>(bytes.size());
    return socket_->write(bytes.data(), size) == size;
}

bool Connection::writeBytes(std::string_view bytes, Secrecy secrecy) {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (bytes.empty()) return true;
    if (!canWrite()) return false;
    if (secrecy == Secrecy::Secret || asksForPassword(lineTail_)) {
        std::string_view secret = bytes;
        while (!secret.empty() && (secret.back() == '\r' || secret.back() == '\n'))
            secret.remove_suffix(1);
        secrets_.add(secret);
    }
    record(TranscriptKind::Sent, bytes);
    const TransmitBatch::Writer writer = [this](std::string_view batch) {
        return lineWrite(batch);
    };
    if (batch_.append(bytes, writer) && batch_.flush(writer)) return true;
    giveUp(kNotConnected);
    return false;
}

bool Connection::writeByte(std::uint8_t byte) {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (!canWrite()) return false;
    const char ch = static_cast<char>(byte);
    record(TranscriptKind::Sent, {&ch, 1});
    if (lineWrite({&ch, 1})) return true;
    giveUp(kNotConnected);
    return false;
}

bool Connection::sendBreak() {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (!lineUp_) return false;
    bool sent = true;
    if (serial_)
        serial_->sendBreak();
    else
        sent = writeByte(telnet::kIac) && writeByte(telnet::kBrk);
    reporter_.report(texts::kBreakSent);
    return sent;
}

bool Connection::perform(const std::vector<TelnetAction>& actions, FilterOutput& traces) {
    for (const TelnetAction& action : actions) {
        if (action.kind == TelnetAction::Kind::Show) {
            filter_.feedTrace(action.bytes, traces);
        } else if (!canWrite() || !lineWrite(action.bytes)) {
            return false;
        }
    }
    return true;
}

// --- Receiving ---

void Connection::receive() {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (rx_.transferMode) {
        receiveForTransfer();
    } else {
        receiveText(false);
    }
    pacePort();
}

long Connection::readLine(char* buffer, std::size_t size) {
    if (serial_) return serial_->read(buffer, size);
    return socket_ ? static_cast<long>(socket_->read(buffer, static_cast<qint64>(size))) : 0;
}

void Connection::pacePort() {
    if (portReadable_)
        portReadable_->setEnabled(rx_.transferMode ? rx_.rawRoom() > 0 : engineBacklog_.empty());
}

void Connection::receiveText(bool toTheEnd) {
    readBuffer_.resize(kSocketReadBuffer);
    const ReceiveFilter::CommandHandler onCommand = [this](const TelnetCommand& command) {
        if (!perform(negotiator_.received(command), filtered_) && lineUp_) giveUp(kNotConnected);
    };
    // Stop while text waits for room in the CommBlock: the engine's space notice resumes.
    while ((socket_ || serial_) && (toTheEnd || engineBacklog_.empty()) && !rx_.transferMode) {
        const long count = readLine(readBuffer_.data(), readBuffer_.size());
        if (count < 0) portGone();
        if (count <= 0) break;
        takeText({readBuffer_.data(), static_cast<std::size_t>(count)}, onCommand);
    }
}

void Connection::takeText(std::string_view raw, const ReceiveFilter::CommandHandler& onCommand) {
    bytesReceived_ += static_cast<long long>(raw.size());
    keepLineTail(raw);
    filtered_.clear();
    filter_.feed(raw, filtered_, onCommand);
    deliver(filtered_);
}

void Connection::keepLineTail(std::string_view raw) {
    const std::size_t lf = raw.rfind('\n');
    if (lf != std::string_view::npos) {
        lineTail_.assign(raw.substr(lf + 1));
    } else {
        lineTail_.append(raw);
    }
    if (lineTail_.size() > kLineTailLimit) lineTail_.erase(0, lineTail_.size() - kLineTailLimit);
}

void Connection::receiveForTransfer() {
    char chunk[RxShare::kRawCapacity];
    FilterOutput traces;
    const ReceiveFilter::CommandHandler onCommand = [this, &traces](const TelnetCommand& command) {
        if (!perform(negotiator_.received(command), traces) && lineUp_) giveUp(kNotConnected);
    };
    // Stop while the raw buffer is full: the transfer's drained notice resumes.
    while ((socket_ || serial_) && rx_.transferMode) {
        const std::size_t room = rx_.rawRoom();
        if (room == 0) break;
        const long count = readLine(chunk, room);
        if (count < 0) portGone();
        if (count <= 0) break;
        bytesReceived_ += count;
        std::string data;
        filter_.feedTelnetOnly({chunk, static_cast<std::size_t>(count)}, data, onCommand);
        rx_.putRaw(data);
    }
    if (!traces.traces.empty()) showOnly(traces);
}

void Connection::deliver(const FilterOutput& output) {
    if (!output.text.empty()) {
        record(TranscriptKind::Shown, output.text);
        feedEngine(output.text);
    }
    showOnly(output);
}

void Connection::showOnly(const FilterOutput& output) {
    if (captureLog_.isOpen())
        writeCaptured(captureMask_.pass(output.traces.empty() ? output.text : output.display()));
    if (observer_) {
        observer_->textReceived(output);
        if (output.beep) observer_->status(textSjis(texts::kBeepReceived));
    }
}

void Connection::feedEngine(std::string_view text) {
    if (!engineAttached_) return;
    if (!engineBacklog_.empty()) {
        engineBacklog_ += text;
        return;
    }
    const std::size_t taken = block_.append(text);
    if (taken < text.size()) engineBacklog_.assign(text.substr(taken));
}

void Connection::onEngineSpace() {
    if (!engineBacklog_.empty()) {
        const std::size_t taken = block_.append(engineBacklog_);
        engineBacklog_.erase(0, taken);
    }
    if (engineBacklog_.empty()) receive();
}

// --- The engine's side ---

void Connection::attachEngine() {
    MORVALINE_ASSERT_THREAD(mainThread_);
    batch_.clear();
    block_.reset();
    engineBacklog_.clear();
    engineAttached_ = true;
}

void Connection::detachEngine() {
    MORVALINE_ASSERT_THREAD(mainThread_);
    engineAttached_ = false;
    const bool wasHeldBack = !engineBacklog_.empty();
    engineBacklog_.clear();
    if (wasHeldBack) receive();
}

// --- File transfer hand-over ---

bool Connection::startTransfer(const TransferRequest& request) {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (!lineUp_ || !transferStarter_ || rx_.transferMode ||
        request.direction == TransferDirection::None)
        return false;
    rx_.clearRaw();
    // The tail passed the Telnet filter's answers already; only its data bytes count.
    std::string lead;
    if (socket_)
        rapidox::TelnetDataFilter().filter(lineTail_, lead);
    else
        lead = lineTail_;
    lineTail_.clear();
    rx_.putRaw(lead);
    rx_.direction = request.direction;
    rx_.telnet = socket_ != nullptr;
    rx_.transferAbort = false;
    rx_.transferMode = true;
    reporter_.report(texts::kTransferStarted);
    if (transferStarter_(request)) return true;
    rx_.transferMode = false;
    rx_.direction = TransferDirection::None;
    rx_.clearRaw();
    return false;
}

void Connection::abortTransfer() {
    rx_.transferAbort = true;
    rx_.rxRead.set();  // a read waiting for bytes wakes and sees the flag
}

bool Connection::writeTransferBytes(std::string_view bytes, bool evenIfAborted) {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if ((rx_.transferAbort && !evenIfAborted) || !canWrite()) return false;
    const std::string escaped = rx_.telnet ? rapidox::doubleTelnetIac(bytes) : std::string(bytes);
    const TransmitBatch::Writer writer = [this](std::string_view batch) {
        return lineWrite(batch);
    };
    if (!batch_.append(escaped, writer) || !batch_.flush(writer)) {
        giveUp(kNotConnected);
        return false;
    }
    return evenIfAborted || !rx_.transferAbort;
}

void Connection::endTransfer(std::string_view unusedBytes) {
    MORVALINE_ASSERT_THREAD(mainThread_);
    rx_.transferMode = false;
    rx_.direction = TransferDirection::None;
    // These bytes passed the Telnet filter already; they must not pass it twice.
    std::string handedBack(unusedBytes);
    rx_.takeRaw(handedBack);
    if (!handedBack.empty()) {
        const bool telnet = filter_.telnet();
        filter_.setTelnet(false);
        filtered_.clear();
        filter_.feed(handedBack, filtered_, {});
        filter_.setTelnet(telnet);
        deliver(filtered_);
    }
    reporter_.report(texts::kTransferEnded);
    block_.dataArrived.set();
    receive();
}

}  // namespace morvaline
