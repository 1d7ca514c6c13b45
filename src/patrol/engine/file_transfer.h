#pragma once
// A file transfer inside the host dialogue. Once the host has asked for the transfer
// program ("ファイル転送プログラムを起動して下さい。(Rapidox:ダウンロード)" or
// "...(Rapidox:アップロード)"), the handler calls TransferFile. It returns when the
// transfer has ended; the host's text after the transfer is then waiting in the CommBlock
// for the engine's usual waits (nothing of it is lost).
//
//     if (e.WaitFor(menuTexts().startDownload, false) != result::Ok) return e.result();
//     const FileTransferOutcome got = TransferFile(e, TransferRequest::download());
//     if (e.WaitFor(menuTexts().pressReturn, false) != result::Ok) return e.result();
//     ... got.succeeded(), got.receivedPath ...
//
// Patrol thread.

#include "link/transfer_request.h"
#include "patrol/engine/patrol_engine.h"

namespace morvaline {

// Starts the transfer on the line and waits until it has ended. The engine's wait
// time-out is lifted meanwhile (the transfer has time limits of its own) and restored
// afterwards. When no transfer can run, the user is told, the host's side is stopped with
// a CAN and the outcome is a failure; when the run ends meanwhile (line lost, cancel), the
// transfer is aborted by the line and its outcome is still awaited, for a short while.
FileTransferOutcome TransferFile(CPatrolEngine& engine, const TransferRequest& request);

}  // namespace morvaline
