#pragma once
// Errors travel as values up to the one place that tells the user (a box in
// the dialog, one line on stderr on the command line).
#include <string>
#include <utility>

namespace kerfel {

enum class Fault {
    None = 0,
    BadInput,     // unreadable or undecodable source, missing music, missing job folder
    OutputFailed, // a folder, tile, descriptor or archive could not be written, or the
                  // machine had not the memory or threads the job needed
    Cancelled,
};

struct Status {
    Fault fault = Fault::None;
    std::string message;  // one line, names the file and the reason

    bool ok() const { return fault == Fault::None; }
    explicit operator bool() const { return ok(); }
    static Status Ok() { return {}; }
    static Status Bad(std::string m) { return {Fault::BadInput, std::move(m)}; }
    static Status Output(std::string m) { return {Fault::OutputFailed, std::move(m)}; }
    static Status Cancel() { return {Fault::Cancelled, "interrupted"}; }
};

// Memory ran out for a picture of this size. Nothing is wrong with the file,
// but the job cannot be done on this machine as it is now: it fails as work
// that could not be done, not as bad input.
inline Status NoMemory(unsigned width, unsigned height, const std::string& what) {
    return Status::Output("not enough memory for a " + std::to_string(width) + " x " + std::to_string(height) + " " +
                          what);
}

// The command line's exit status for a fault.
inline int ExitCode(const Status& s) {
    switch (s.fault) {
        case Fault::None: return 0;
        case Fault::BadInput: return 2;
        case Fault::OutputFailed: return 3;
        case Fault::Cancelled: return 130;
    }
    return 1;
}

}  // namespace kerfel
