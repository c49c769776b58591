// The byte pipe between the exchange engine and a serial port. CCOMPort is the
// real one; tests put an in-process tracker simulator behind the same interface.
#pragma once

#include <cstdint>
#include <string>

// Why the last open() failed, so that a scan that found no tracker can tell
// the user what to do about a port that is there but could not be had. Each
// backend maps its OS's errors onto these.
enum class PortOpenError : std::uint8_t {
    None,    // the last open() succeeded, or the backend cannot tell
    Absent,  // no such port: nothing plugged in, or past the end of the list
    Busy,    // another program holds it (POSIX: EBUSY from its TIOCEXCL, or
             // its flock; Windows: ERROR_ACCESS_DENIED, ports being exclusive)
    Denied,  // this user may not open it (POSIX: EACCES or EPERM; on Debian
             // the user is not in the group dialout)
    Other,   // it is there, but not usable as a serial port
};

class SerialLink {
public:
    virtual ~SerialLink() = default;

    // Opens the n-th port (1-based) at the baud rate, 8E1. 0 on success;
    // 1 cannot open, 2 cannot read settings, 3 cannot apply settings,
    // 4 cannot set time-outs. Opening while open closes the old connection first.
    virtual int open(int portNumber, int baud) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Bytes received and not yet drained; 0 when closed.
    virtual int available() = 0;
    // Appends every waiting byte to ring at writeIndex (wrapping at ringSize),
    // empties the receive buffer and returns the count moved.
    virtual int fetch(std::uint8_t* ring, int& writeIndex, int ringSize) = 0;
    // Hands a frame (at most 255 bytes) to the writer; nothing when closed.
    virtual void write(const std::uint8_t* bytes, std::uint8_t length) = 0;

    // Called right after received bytes were added to the receive buffer, on
    // whichever thread added them (a port's reader thread), so the owner can
    // run the engine at once rather than on its next tick. It may only signal
    // (write an eventfd or a pipe, SetEvent, PostMessage): it runs while the
    // link works and must not call the link back. Set it while the link is
    // closed; a null notify turns it off. A link that never calls it leaves
    // its owner on the tick alone.
    // Why the last open() failed; see PortOpenError.
    virtual PortOpenError lastOpenError() const { return PortOpenError::None; }
    // The name the user knows port n by ("/dev/ttyUSB0", "COM3"), for texts.
    virtual std::string portName(int portNumber) const {
        return "COM" + std::to_string(portNumber);
    }
    // The line went away under an open port (the cable was pulled): nothing
    // more will arrive until it is opened again.
    virtual bool lineLost() const { return false; }

    using ArrivalNotify = void (*)(void* context);
    virtual void setArrivalNotify(ArrivalNotify notify, void* context) {
        (void)notify;
        (void)context;
    }
};
