#pragma once
// The codes of the messages that cross between the worker threads and the main thread.
// The numbers are the ones the event log and the traces show, so that a log line such as
// "request 105" reads the same whichever part of the system wrote it. Plain C++: the
// patrol engine uses these codes without an event loop.

namespace morvaline {

// Steps that a worker asks the main thread to perform and waits for.
enum class MainRequest : int {
    WriteText = 100,         // write a text to the line
    OpenModemPort = 101,     // open the serial port of a modem line
    PlaceTapiCall = 102,     // place a call on a telephony line
    TelnetConnect = 103,     // create the Telnet socket and connect
    NextAccessPoint = 104,   // move on in the dialling plan; answers the pause in seconds
    TelnetResolve = 105,     // look up the Telnet host and port
    TelnetClose = 106,       // close the Telnet socket
    HangUp = 107,            // hang up (posted, not waited for)
    RasDial = 108,           // dial the dial-up entry before Telnet
    TelnetReconnect = 109,   // close the socket and connect again
    OpenSentTextFile = 134,  // open the text file that will hold a sent item
    FinishSentItem = 135,    // an item was sent: the store finishes it
    ItemPosted = 138,        // an item was posted to a forum
    OpenTextToSend = 139,    // open the text of a reserved item for sending
    SendNextTextLine = 140,  // send the next line of that text; answers its length
};

// Notifications into the main thread; the values are the message offsets the log shows.
enum class MainNotification : int {
    TransferStatus = 2,            // progress and end of a file transfer
    ReaderData = 4,                // the serial reader has bytes, or carrier changed
    EngineRequest = 5,             // a MainRequest of the patrol engine
    TapiConnected = 6,             // a telephony call is up and hands over its port
    TapiEnded = 7,                 // a telephony call failed or ended
    ItemAdded = 9,                 // an item was added to a place
    ItemChanged = 15,              // an item was changed
    SocketEvent = 17,              // the Telnet socket can be read, connected or closed
    ReportLine = 19,               // a report of the engine
    ActivateTerminal = 22,         // the run ended without logout
    SortMail = 29,                 // run the mail assistant after a run
    Activity = 32,                 // show the activity animation
    PlaceAdded = 33,               // a place was added to the tree
    PlaceChanged = 34,             // a place's properties changed
    ItemFileTransferred = 38,      // the file of an item was transferred
    HostLookupDone = 39,           // the host-name lookup finished
    ServiceLookupDone = 40,        // the service-name lookup finished
    RasHangUpDone = 43,            // the dial-up hang-up finished
    PlaceReservationChanged = 44,  // a place's reservation or name changed
    StartTransfer = 47,            // start a file transfer
    PatrolEnded = 115,             // the patrol worker has ended (a menu command code)
};

// A short name for the event log, such as "WriteText".
constexpr const char* toString(MainRequest request) {
    switch (request) {
        case MainRequest::WriteText:
            return "WriteText";
        case MainRequest::OpenModemPort:
            return "OpenModemPort";
        case MainRequest::PlaceTapiCall:
            return "PlaceTapiCall";
        case MainRequest::TelnetConnect:
            return "TelnetConnect";
        case MainRequest::NextAccessPoint:
            return "NextAccessPoint";
        case MainRequest::TelnetResolve:
            return "TelnetResolve";
        case MainRequest::TelnetClose:
            return "TelnetClose";
        case MainRequest::HangUp:
            return "HangUp";
        case MainRequest::RasDial:
            return "RasDial";
        case MainRequest::TelnetReconnect:
            return "TelnetReconnect";
        case MainRequest::OpenSentTextFile:
            return "OpenSentTextFile";
        case MainRequest::FinishSentItem:
            return "FinishSentItem";
        case MainRequest::ItemPosted:
            return "ItemPosted";
        case MainRequest::OpenTextToSend:
            return "OpenTextToSend";
        case MainRequest::SendNextTextLine:
            return "SendNextTextLine";
    }
    return "unknown request";
}

constexpr const char* toString(MainNotification notification) {
    switch (notification) {
        case MainNotification::TransferStatus:
            return "TransferStatus";
        case MainNotification::ReaderData:
            return "ReaderData";
        case MainNotification::EngineRequest:
            return "EngineRequest";
        case MainNotification::TapiConnected:
            return "TapiConnected";
        case MainNotification::TapiEnded:
            return "TapiEnded";
        case MainNotification::ItemAdded:
            return "ItemAdded";
        case MainNotification::ItemChanged:
            return "ItemChanged";
        case MainNotification::SocketEvent:
            return "SocketEvent";
        case MainNotification::ReportLine:
            return "ReportLine";
        case MainNotification::ActivateTerminal:
            return "ActivateTerminal";
        case MainNotification::SortMail:
            return "SortMail";
        case MainNotification::Activity:
            return "Activity";
        case MainNotification::PlaceAdded:
            return "PlaceAdded";
        case MainNotification::PlaceChanged:
            return "PlaceChanged";
        case MainNotification::ItemFileTransferred:
            return "ItemFileTransferred";
        case MainNotification::HostLookupDone:
            return "HostLookupDone";
        case MainNotification::ServiceLookupDone:
            return "ServiceLookupDone";
        case MainNotification::RasHangUpDone:
            return "RasHangUpDone";
        case MainNotification::PlaceReservationChanged:
            return "PlaceReservationChanged";
        case MainNotification::StartTransfer:
            return "StartTransfer";
        case MainNotification::PatrolEnded:
            return "PatrolEnded";
    }
    return "unknown notification";
}

}  // namespace morvaline
