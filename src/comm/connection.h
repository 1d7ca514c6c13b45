#pragma once
// The Connection: the one place where bytes to and from the host pass. It owns the
// Telnet line (host and service lookup, connect, option negotiation) or the serial port of
// a modem line (the engine talks to the modem over it, then to the host), the receive
// pipeline (Telnet filter, receive filter, terminal screen lines, capture log, and the
// append into the engine's CommBlock), the transmit batch, and the ways a line ends
// (hang-up, line lost, cancel, skip). A file transfer takes over the received bytes
// through RxShare while it runs.
//
// Main thread only; worker threads reach it through the dispatcher (session/patrol_link.h,
// comm/transfer_link.h).
//
// Received text reaches the engine without ever blocking the main thread: when the
// CommBlock is full, the rest of a block waits here and the socket is not read until the
// engine has made room. Nothing is dropped or reordered.

#include <QHostAddress>
#include <QObject>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "comm/capture_log.h"
#include "comm/dial_up.h"
#include "comm/receive_filter.h"
#include "comm/rx_share.h"
#include "comm/screen_lines.h"
#include "comm/line_device.h"
#include "comm/secret_mask.h"
#include "comm/serial_port.h"
#include "comm/telnet_negotiation.h"
#include "comm/transmit_batch.h"
#include "link/comm_block.h"
#include "link/line_requests.h"
#include "link/transcript.h"
#include "platform/main_dispatcher.h"
#include "platform/thread_affinity.h"
#include "store/report.h"

class QSocketNotifier;
class QTcpSocket;
class QTimer;

namespace morvaline {

// The host and service of a Telnet access point.
struct TelnetTarget {
    std::string host;                // a host name or a dotted IPv4 address
    std::string service = "telnet";  // a service name or a port number
};

// The lifecycle of the line.
enum class LineState {
    Idle,        // no socket and no lookup
    Resolving,   // the host or the service is being looked up
    Resolved,    // address and port are known; no socket yet
    Connecting,  // the socket is connecting
    Connected,   // the line is up: the negotiation was sent, text flows
};
const char* toString(LineState state);

// What the terminal and the command line program hear of the line (main thread).
class ConnectionObserver {
public:
    virtual ~ConnectionObserver() = default;
    // A block of received text after the filter (trace lines included in its display()).
    virtual void textReceived(const FilterOutput& /*output*/) {}
    virtual void stateChanged(LineState /*state*/) {}
    // A text for the status line only, such as the beep notice (Shift_JIS).
    virtual void status(const std::string& /*sjisText*/) {}
};

class Connection {
public:
    // Starts a file transfer on its own thread (session/transfer_session.h); false when it
    // cannot. Installed by the program that links the transfer.
    using TransferStarter = std::function<bool(const TransferRequest&)>;

    // main thread
    Connection(CommBlock& block, MainDispatcher& dispatcher, Reporter& reporter);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // --- Settings ---
    void setTelnetTarget(TelnetTarget target) { target_ = std::move(target); }
    // Shows the Telnet negotiation in the terminal and the log.
    void setTrace(bool on) { negotiator_.setTrace(on); }
    void setCaptureLog(CaptureLogSettings settings) { captureSettings_ = std::move(settings); }
    void setObserver(ConnectionObserver* observer) { observer_ = observer; }
    // Records the session (host text, client writes, line drops); null stops recording.
    void setTranscript(TranscriptWriter* transcript);
    void setTransferStarter(TransferStarter starter) { transferStarter_ = std::move(starter); }
    // The dial-up that a hang-up or a lost line hangs up too (if this program dialled it).
    void setDialUp(DialUp* dialUp) { dialUp_ = dialUp; }
    Reporter& reporter() { return reporter_; }

    // --- Telnet steps ---
    // Request 105: looks up host and port without blocking; HostFound is set when both
    // are known (at once for a dotted address and a port number), or when a lookup failed
    // ("... からﾎｽﾄ情報を取得できませんでした", result LineLost). Always true: the lookups run
    // in the background.
    bool resolve();
    // Request 103: connects to the resolved address. DataArrived is set when the line is
    // up or the connect failed ("接続できませんでした", result LineLost).
    bool connect();
    // Request 106: closes the socket (a line that is up goes through the disconnect steps
    // first) and cancels lookups; sets HostFound so that a waiting engine wakes.
    void close();

    // --- Modem line steps ---
    // Request 101: opens and sets up the serial port (already open: true). Failures are
    // reported with the device and the reason. Carrier changes count only after
    // modemDialled().
    bool openSerial(const SerialSettings& settings);
    void modemDialled();
    // CONNECT: without carrier detect to rely on (ignoreCarrier, or a port without the
    // line) the line is up now; otherwise the carrier brings it up.
    void modemConnected(bool ignoreCarrier);
    // Request 102: the line device places the call of a telephony access point. DataArrived
    // is set when it has handed its port over and the line is up, or when the call failed
    // ("接続できませんでした", result LineLost). False when no call could be placed: a line
    // or a call exists, or the port cannot be opened (reported with the device and why).
    bool placeCall(const LineDeviceCall& call);

    // --- Writing (refused unless the line is up; a serial port takes the modem's commands
    // before that) ---
    // Request 100: the text as it is, in batches of at most 2,000 bytes; empty: true. A
    // secret, or a text typed while the host's line asks for a password, is recorded as
    // "****" in the transcript, and its echo in the transcript and the capture log.
    bool writeText(std::string_view text, Secrecy secrecy = Secrecy::Plain) {
        return writeBytes(text, secrecy);
    }
    bool writeBytes(std::string_view bytes, Secrecy secrecy = Secrecy::Plain);
    // One byte at once (a key typed in the terminal).
    bool writeByte(std::uint8_t byte);
    // The break signal: IAC BRK on Telnet.
    bool sendBreak();

    // --- Ending the line ---
    // Request 107 and the user's hang-up.
    void hangUp();
    // The user's cancel: when the line is up and the engine is not connecting, confirm()
    // is asked first ("回線を切断します。よろしいですか?"); false when it said no. Sets
    // the result Cancelled, hangs up and wakes an engine waiting between attempts. With
    // wakeEngine (stopping a run) DataArrived is set as well.
    bool cancel(const std::function<bool()>& confirm, bool wakeEngine);
    // F12 while the engine connects: hang up and move on to the next access point.
    void skip();

    // --- The engine's side (the patrol session) ---
    // A run starts: the batch and the engine's buffer are emptied, and received text goes
    // into the CommBlock from now on.
    void attachEngine();
    // The run has ended: received text no longer goes to the CommBlock.
    void detachEngine();

    // --- File transfer hand-over ---
    // The engine or the user asks for a transfer: the received bytes go to the raw buffer
    // of RxShare instead of the receive filter, and the starter runs the transfer. False
    // when no transfer can start (line down, no starter, one running). The bytes received
    // since the last line end of the text go to the transfer first: the host's side often
    // sends its first byte (an upload's NAK) right after asking for the transfer, before
    // the transfer could start, and the text stream drops control bytes.
    bool startTransfer(const TransferRequest& request);
    // Writes protocol bytes of the transfer: 0xFF is doubled here on Telnet, so the
    // transfer passes plain protocol bytes. False when the transfer was aborted (unless
    // evenIfAborted: the last bytes of a failed transfer) or the write failed.
    bool writeTransferBytes(std::string_view bytes, bool evenIfAborted);
    // The transfer has ended. The bytes it read but did not use, and those still in the
    // raw buffer, go back to the text stream (receive filter, terminal, engine) in order.
    void endTransfer(std::string_view unusedBytes);
    // The user's abort, and every way the line ends: a running transfer ends with a
    // time-out at once (its waiting read wakes).
    void abortTransfer();
    bool transferRunning() const { return rx_.transferMode; }
    RxShare& rxShare() { return rx_; }

    // --- State ---
    LineState state() const { return state_; }
    bool lineUp() const { return lineUp_; }
    ScreenLines& screen() { return screen_; }
    // Bytes received from the line since the connection was made.
    long long bytesReceived() const { return bytesReceived_; }
    // Seconds the line has been up, over all connections.
    double connectedSeconds() const;

private:
    void setState(LineState state);
    void onHostLookup(int lookupId, const QHostAddress& address, bool found);
    void onServiceLookup(int lookupId, int port);
    void lookupFailed(const std::string& what);
    void checkResolved();
    void cancelLookups();
    void onConnected();
    void connectFailed();
    void lineLost();
    void disconnectSteps();
    void closeSocket();
    void closePort();
    void attachPort(std::unique_ptr<SerialPort> port);
    void reportPortProblem(const std::string& device, bool settingsRejected, const std::string& problem);
    void takeOverPort(std::unique_ptr<SerialPort> port, std::string_view early);
    void lineCameUp();
    void announceLineUp();
    void carrierChanged(bool on);
    void portGone();
    // Reads what the line holds into buffer: the count, 0 when nothing, -1 when the serial
    // line is gone.
    long readLine(char* buffer, std::size_t size);
    // Reading the port is switched off while the receive side has no room.
    void pacePort();
    void giveUp(int errorNumber);

    // Reads the socket while the receive side has room; the heart of the receive path.
    void receive();
    // toTheEnd reads what the socket holds even while the engine has no room (the line is
    // closing; the backlog is bounded by the socket's buffer).
    void receiveText(bool toTheEnd);
    // Passes text bytes read from the line through the receive filter to their readers.
    void takeText(std::string_view raw, const ReceiveFilter::CommandHandler& onCommand);
    void receiveForTransfer();
    // Keeps the bytes of a read after its last LF (or adds them to those kept).
    void keepLineTail(std::string_view raw);
    void deliver(const FilterOutput& output);
    void feedEngine(std::string_view text);
    void onEngineSpace();
    void showOnly(const FilterOutput& output);
    // Sends the negotiation bytes and feeds the trace lines into traces; false when a
    // send failed.
    bool perform(const std::vector<TelnetAction>& actions, FilterOutput& traces);
    bool lineWrite(std::string_view bytes);
    bool canWrite() const;
    void record(TranscriptKind kind, std::string_view bytes);
    // Appends to the capture log when it is open; a failure is reported and ends the log.
    void writeCaptured(std::string_view text);

    CommBlock& block_;
    MainDispatcher& dispatcher_;
    Reporter& reporter_;
    ThreadAffinity mainThread_;
    std::shared_ptr<int> alive_;  // posted calls check it: the connection may be gone

    TelnetTarget target_;
    CaptureLogSettings captureSettings_;
    ConnectionObserver* observer_ = nullptr;
    TranscriptWriter* transcript_ = nullptr;
    TransferStarter transferStarter_;
    DialUp* dialUp_ = nullptr;

    LineState state_ = LineState::Idle;
    QObject context_;  // receives the socket and lookup callbacks; they die with it
    std::unique_ptr<QTcpSocket, void (*)(QTcpSocket*)> socket_;
    std::unique_ptr<SerialPort> serial_;
    // Both may go while one of their own signals is being handled: deleted later.
    struct DeleteLater {
        void operator()(QObject* object) const;
    };
    std::unique_ptr<QSocketNotifier, DeleteLater> portReadable_;
    std::unique_ptr<QTimer, DeleteLater> carrierTick_;  // looks at carrier detect each second
    bool modemDialling_ = false;          // carrier changes are ignored meanwhile
    std::optional<bool> carrier_;         // as last seen
    QHostAddress address_;
    int port_ = 0;
    int hostLookup_ = -1;     // pending host lookup, or -1
    int serviceLookup_ = -1;  // pending service lookup, or -1
    int nextLookupId_ = 0;

    bool lineUp_ = false;
    bool disconnecting_ = false;  // the disconnect steps are running
    std::chrono::steady_clock::time_point connectedSince_;
    std::chrono::steady_clock::duration connectedTotal_{};
    std::chrono::steady_clock::time_point transcriptStart_;

    ScreenLines screen_;
    ReceiveFilter filter_{screen_};
    TelnetNegotiator negotiator_;
    TransmitBatch batch_;
    CaptureLog captureLog_;
    SecretMask secrets_;  // the secrets sent on this connection
    SecretMask::Stream transcriptMask_{secrets_};
    SecretMask::Stream captureMask_{secrets_};
    RxShare rx_;
    std::vector<char> readBuffer_;  // reused for each block
    FilterOutput filtered_;         // reused for each block
    std::string lineTail_;          // raw bytes received after the last LF (bounded)

    bool engineAttached_ = false;
    std::string engineBacklog_;  // filtered text the CommBlock had no room for yet
    long long bytesReceived_ = 0;
    LineDevice lineDevice_;  // places the calls of telephony access points
};

}  // namespace morvaline
