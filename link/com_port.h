// The serial port behind the exchange engine. One interface; the backend is
// chosen at build time (POSIX termios, or Win32 overlapped I/O). COM n is the
// n-th entry of the port list (link/port_list.h).
//
// While a port is open, a reader thread sleeps in the OS until bytes arrive,
// appends them to a 4096-byte receive buffer (the surplus is dropped when
// nobody drains it) and calls the arrival notify; a writer thread sleeps until
// write() hands it a frame. Everything else runs on the owner's thread.
#pragma once

#include <memory>

#include "link/serial_link.h"

class CCOMPort final : public SerialLink {
  public:
    static constexpr int kReceiveBufferSize = 4096;
    // A frame the line does not take within this time is dropped.
    static constexpr int kWriteTimeoutMs = 1000;

    CCOMPort();
    // Closes an open port: its threads must not outlive it.
    ~CCOMPort() override;
    CCOMPort(const CCOMPort&) = delete;
    CCOMPort& operator=(const CCOMPort&) = delete;

    // 0 open; 1 absent, past the end of the port list, or in use (also by
    // another instance of this tool); 2 settings unreadable; 3 settings refused;
    // 4 non-blocking mode (POSIX) or the time-outs (Windows) refused. On
    // failure nothing stays open.
    int open(int portNumber, int baud) override;
    void close() override;
    bool isOpen() const override;
    int available() override;
    int fetch(std::uint8_t* ring, int& writeIndex, int ringSize) override;
    void write(const std::uint8_t* bytes, std::uint8_t length) override;
    PortOpenError lastOpenError() const override;
    // The port list's entry n: a device path, or COMn on Windows.
    std::string portName(int portNumber) const override;
    // Set it while the port is closed (it is ignored while open): the reader
    // thread calls the notify it was started with right after it added bytes,
    // and no more once close() has returned.
    void setArrivalNotify(ArrivalNotify notify, void* context) override;

    // The line went away under an open port (unplugged, hung up): the reader
    // has ended. The port stays open until close().
    bool lineLost() const override;

  private:
    struct Backend;
    std::unique_ptr<Backend> backend_;
    bool closed_ = true;
};
