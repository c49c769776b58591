// quelter-cli: the window's Read, Write and Reset for scripts and fleets.
//
// It runs the window's own sequence (start-up, Open, the commands, Save)
// through the headless controls, so a tracker ends up exactly as the window
// would leave it. The main thread sleeps until the port signals bytes or the
// 20 ms tick is due, and hands either to the editor at once.
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "config/models.h"
#include "editor/config_editor.h"
#include "editor/memory_controls.h"
#include "link/com_port.h"
#include "link/exchange_waiter.h"
#include "link/status_texts.h"
#include "settings/settings_file.h"

namespace {

enum ExitCode {
    kExitOk = 0,
    kExitNoTracker = 1,
    kExitModel = 2,
    kExitStopped = 3,
    kExitFile = 4,
    kExitUsage = 64,
};

const char* const kUsage = R"(Usage:
  quelter-cli read [-o FILE] [options]    read the tracker and write its settings file
                                          (to FILE, or to standard output)
  quelter-cli write FILE [options]        open the settings file and write it to the tracker
  quelter-cli reset [--model RQ30|RQ10|RQ20] [options]
                                          write the factory configuration (default model RQ30)
  quelter-cli --help

Each command does what the configurator window does right after it starts:
read = Read, then Save; write = Open FILE, then Write; reset = choose the model
in the model menu, then Reset. The window's status texts go to standard error,
one line each; read also prints the firmware version and the model there.

Options:
  --port PATH   a serial port to scan, such as /dev/ttyUSB0 or, on Windows,
                COM5 (repeat for several, in scan order);
                without it the ports of QUELTER_PORTS or of the system are scanned
  --trace       every frame sent and every byte received, in hex, with
                milliseconds since start, on standard error

Exit status:
  0   success
  1   no tracker found
  2   incompatible model, or the tracker reported an unknown model id
  3   the exchange stopped before its end
  4   a settings file could not be read or written (no port is opened then)
  64  wrong usage
)";

// The window's status line, model button and timer, without a window; the
// waiter also takes the port's arrival notify.
class HeadlessShell final : public WindowShell {
  public:
    void showResult(const std::string& text, ResultColour colour) override {
        result = text;
        resultColour = colour;
        if (!text.empty()) std::cerr << text << '\n';
    }
    void showVersion(const std::string& text) override { version = text; }
    void setModelButtonText(const std::string& text) override { model = text; }
    void armTick() override { waiter.armTick(); }
    void cancelTick() override { waiter.cancelTick(); }

    std::string result, version, model;
    ResultColour resultColour = ResultColour::Green;
    ExchangeWaiter waiter;
};

struct Options {
    std::string command;
    std::string file;   // write: the settings file; read: -o FILE
    std::string model;  // reset only; RQ30 when not given
    std::vector<std::string> ports;
    bool trace = false;
};

int usage(const char* problem) {
    if (problem) std::cerr << "quelter-cli: " << problem << "\n\n";
    std::cerr << kUsage;
    return kExitUsage;
}

// Returns an exit code when parsing ends the program, -1 to go on.
int parse(int argc, char** argv, Options& o) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // The argument after an option, or nullptr at the end.
        auto value = [&]() -> const std::string* {
            return i + 1 < args.size() ? &args[++i] : nullptr;
        };
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return kExitOk;
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--port") {
            const std::string* v = value();
            if (!v || v->empty()) return usage("--port needs a path");
            if (v->find(':') != std::string::npos) return usage("a port path may not hold ':'");
            o.ports.push_back(*v);
        } else if (a == "-o") {
            const std::string* v = value();
            if (!v || v->empty()) return usage("-o needs a file name");
            o.file = *v;
        } else if (a == "--model") {
            const std::string* v = value();
            if (!v) return usage("--model needs RQ30, RQ10 or RQ20");
            o.model = *v;
        } else if (!a.empty() && a[0] == '-') {
            return usage(("unknown option " + a).c_str());
        } else if (o.command.empty()) {
            o.command = a;
        } else if (o.command == "write" && o.file.empty()) {
            o.file = a;
        } else {
            return usage(("unexpected argument " + a).c_str());
        }
    }
    if (o.command != "read" && o.command != "write" && o.command != "reset")
        return usage(o.command.empty() ? "no command given"
                                       : ("unknown command " + o.command).c_str());
    if (o.command == "write" && o.file.empty()) return usage("write needs a settings file");
    if (o.command != "reset" && !o.model.empty()) return usage("--model belongs to reset");
    if (o.command == "reset" && !o.model.empty() && modelIdFromName(o.model) < 0)
        return usage("--model must be RQ30, RQ10 or RQ20");
    if (o.command == "reset" && !o.file.empty()) return usage("-o belongs to read");
    return -1;
}

void printTrace(const TraceEvent& e, std::chrono::steady_clock::time_point start) {
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    char head[32];
    std::snprintf(head, sizeof head, "%10.1f ms %s", ms,
                  e.kind == TraceEvent::FrameSent ? ">" : "<");
    std::string line = head;
    for (std::uint8_t b : e.bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", b);
        line += hex;
    }
    std::cerr << line << '\n';
}

// Hands arrivals and ticks to the editor for as long as the exchange keeps
// its tick armed.
void runExchange(CConfigEditor& editor, HeadlessShell& shell) {
    while (shell.waiter.tickArmed()) {
        if (shell.waiter.wait() == ExchangeWaiter::Wake::Arrival)
            editor.onArrival();
        else
            editor.onTick();
    }
}

// The outcome of a device command, from the text it left in the result pane.
int deviceOutcome(const HeadlessShell& shell, const char* successText) {
    if (shell.result == successText && shell.resultColour == ResultColour::Green) return kExitOk;
    if (shell.result == kTextNoConnection) return kExitNoTracker;
    if (shell.result == kTextIncompatible || shell.result == kTextBadModel) return kExitModel;
    if (shell.result.empty()) std::cerr << kTextInterrupted << '\n';
    return kExitStopped;
}

// The environment variable the port layer reads.
void setPortList(const std::string& list) {
#ifdef _WIN32
    _putenv_s("QUELTER_PORTS", list.c_str());
#else
    setenv("QUELTER_PORTS", list.c_str(), 1);
#endif
}

// A new empty file of our own in the temporary folder; false when none can
// be made.
bool makeTemporaryFile(std::string& path) {
#ifdef _WIN32
    char folder[MAX_PATH + 1];
    char name[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > MAX_PATH || GetTempFileNameA(folder, "qlc", 0, name) == 0)
        return false;
    path = name;
    return true;
#else
    char name[] = "/tmp/quelter-cli-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) return false;
    ::close(fd);
    path = name;
    return true;
#endif
}

bool copyToStdout(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::cout << in.rdbuf();
    std::cout.flush();
    return static_cast<bool>(std::cout);
}

int run(const Options& o) {
    // The port list is what the port layer reads; --port replaces it.
    if (!o.ports.empty()) {
        std::string list;
        for (const std::string& p : o.ports) list += (list.empty() ? "" : ":") + p;
        setPortList(list);
    }

    MemoryControls controls;
    HeadlessShell shell;  // outlives the port, whose reader thread notifies it
    CCOMPort port;
    port.setArrivalNotify(&ExchangeWaiter::notify, &shell.waiter);
    CConfigEditor editor(controls, shell, port);
    controls.setSink(&editor);
    editor.startUp();

    const auto start = std::chrono::steady_clock::now();
    if (o.trace)
        editor.exchange().setTraceHook([start](const TraceEvent& e) { printTrace(e, start); });

    if (o.command == "write") {
        // A file that cannot be read never opens a port.
        editor.beginOpen();
        if (!editor.openSettingsFrom(o.file)) return kExitFile;
        editor.writeDevice();
        runExchange(editor, shell);
        return deviceOutcome(shell, kTextWriteOk);
    }
    if (o.command == "reset") {
        editor.chooseModel(o.model.empty() ? kModelRQ30 : modelIdFromName(o.model));
        editor.resetDevice();
        runExchange(editor, shell);
        return deviceOutcome(shell, kTextWriteOk);
    }

    editor.readDevice();
    runExchange(editor, shell);
    if (!shell.version.empty()) std::cerr << shell.version << '\n';
    const char* name = modelName(editor.editedModel());
    char model[80];
    std::snprintf(model, sizeof model, "Модель устройства: %s (0x%02X)", name ? name : "?",
                  static_cast<unsigned>(editor.editedModel()) & 0xFFu);
    if (!shell.version.empty()) std::cerr << model << '\n';
    const int outcome = deviceOutcome(shell, kTextReadOk);
    if (outcome != kExitOk) return outcome;

    editor.beginSave();
    if (!o.file.empty()) return editor.saveSettingsTo(o.file) ? kExitOk : kExitFile;

    // Standard output: the same bytes, saved beside nothing of the user's.
    std::string tmp;
    if (!makeTemporaryFile(tmp)) return kExitFile;
    const bool ok = editor.saveSettingsTo(tmp) && copyToStdout(tmp);
    std::remove(tmp.c_str());
    return ok ? kExitOk : kExitFile;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The settings file goes to standard output byte for byte: no CR is added.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    Options o;
    const int parsed = parse(argc, argv, o);
    if (parsed >= 0) return parsed;
    return run(o);
}
