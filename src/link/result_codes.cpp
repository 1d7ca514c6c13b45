#include "link/result_codes.h"

namespace morvaline::result {

const char* toString(int code) {
    switch (code) {
        case Ok:
            return "Ok";
        case Cancelled:
            return "Cancelled";
        case Silence:
            return "Silence";
        case LineLost:
            return "LineLost";
        case OutOfStep:
            return "OutOfStep";
        case Busy:
            return "Busy";
        case NoConnection:
            return "NoConnection";
        case ModemError:
            return "ModemError";
        case WrongPassword:
            return "WrongPassword";
        case DoubleLogin:
            return "DoubleLogin";
        case Congested:
            return "Congested";
        case PlaceFailed:
            return "PlaceFailed";
        case Skipped:
            return "Skipped";
    }
    return "unknown";
}

const Text* failureText(int code) {
    switch (code) {
        case Cancelled:
            return &texts::kConnectCancelled;
        case Silence:
            return &texts::kNothingReceived;
        case OutOfStep:
            return &texts::kOutOfStep;
        case Busy:
            return &texts::kBusy;
        case NoConnection:
            return &texts::kNoConnect;
        case ModemError:
            return &texts::kModemError;
        case WrongPassword:
            return &texts::kWrongPassword;
        case DoubleLogin:
            return &texts::kDoubleLogin;
        case Congested:
            return &texts::kLoginFailed;
        default:
            return nullptr;
    }
}

}  // namespace morvaline::result
