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
#include <optional>
#include <string>
#include <vector>

#include "config/models.h"
#include "editor/config_editor.h"
#include "editor/memory_controls.h"
#include "link/com_port.h"
#include "link/exchange_waiter.h"
#include "link/port_list.h"
#include "link/status_texts.h"
#include "settings/settings_file.h"
#include "settings/tracker_backup.h"
#include "tools/cli/cli_report.h"
#include "tools/cli/diff.h"
#include "tools/cli/exit_codes.h"
#include "tools/cli/fleet.h"

namespace {

const char* const kUsage = R"(Usage:
  quelter-cli read [-o FILE] [options]    read the tracker and write its settings file
                                          (to FILE, or to standard output)
  quelter-cli write FILE [--model RQ30|RQ10|RQ20] [options]
                                          open the settings file and write it to the tracker;
                                          --model is the model for a file that names none
                                          (a model the file names wins, default RQ30)
  quelter-cli reset [--model RQ30|RQ10|RQ20] [options]
                                          write the factory configuration (default model RQ30)
  quelter-cli diff FILE [--model RQ30|RQ10|RQ20] [options]
                                          read the tracker and list what a write of FILE
                                          (with the same --model) would change; nothing
                                          is written
  quelter-cli restore BACKUP.bin [options]
                                          write a backup back to the tracker
  quelter-cli --help

Each command does what the configurator window does right after it starts:
read = Read, then Save; write = choose the model (with --model) in the model
menu, Open FILE, then Write; reset = choose the model in the model menu, then
Reset. The window's status texts go to standard error, one line each; read
also prints the firmware version and the model there.

Before write, reset or restore send a block, the tracker's block as read is
kept in the backups folder, $XDG_DATA_HOME/quelter-config/backups (by default
~/.local/share/quelter-config/backups; on Windows
%LOCALAPPDATA%\quelter-config\backups), as STEM.bin (the bytes as the
tracker sent them) and STEM.ini (a settings file of them), STEM being the
date, time and model, such as 2026-12-10T14-03-22-RQ30; the line
"Резервная копия: PATH" names it. After the last block the tracker's block is
read back and compared with what was sent.

restore writes BACKUP.bin byte for byte, except the fields every write takes
from the tracker and the device password; the tracker must be of the backup's
model (BootVersion of the STEM.ini beside it, or the model in the file name).

Options:
  --port PATH   a serial port to scan, such as /dev/ttyUSB0 or, on Windows,
                COM5 (repeat for several, in scan order);
                without it the ports of QUELTER_PORTS or of the system are scanned
  --trace       every frame sent and every byte received, in hex, with
                milliseconds since start, on standard error
  --json        one JSON object per tracker on standard output (command, port,
                model, model_id, firmware, file, result, exit, changes for diff,
                elapsed_ms); the status texts stay on standard error. read then
                needs -o FILE
  --all         run the command on every port of the list at the same time, one
                exchange per port; each line of standard error starts with its
                port, each line diff prints with the port and a tab. read --all
                needs -o DIR and saves DIR/<port>.ini per tracker (/dev/ttyUSB0
                gives ttyUSB0.ini, /dev/pts/3 pts-3.ini). The exit status is 0
                when every tracker succeeded (diff: 8 when any would change), 1
                when no port had a tracker, otherwise the status of the first
                port, in list order, that failed. Not on Windows, and not for restore

diff prints one line per field that would change: the settings key (or the
name of a field the file does not carry), the tracker's value and the value the
write would leave, separated by tabs; texts in double quotes, in UTF-8. The
fields a write takes from the tracker never show.

Exit status:
  0   success
  1   no tracker found (the text says when a port was busy or not allowed)
  2   incompatible model, or the tracker reported an unknown model id
  3   the exchange stopped before its end
  4   a settings file or backup could not be read or written (no port is
      opened then), or the backup before a write could not be made (no block
      is sent then)
  5   the block read back after the write differs from what was written
  8   diff: a write would change the tracker
  64  wrong usage
)";

// The window's status line, model button and timer, without a window; the
// waiter also takes the port's arrival notify.
class HeadlessShell final : public WindowShell {
  public:
    void showResult(const std::string& text, ResultColour colour) override {
        result = text;
        resultColour = colour;
        if (!text.empty()) say(text);
    }
    // Prints one status line; the last one is the result --json reports.
    void say(const std::string& text) {
        std::cerr << text << '\n';
        lastText = text;
    }
    void showVersion(const std::string& text) override { version = text; }
    void setModelButtonText(const std::string& text) override { model = text; }
    // Not the result: the JSON report's result stays the last status text.
    void showBackup(const std::string& binPath) override {
        std::cerr << kBackupNamedText << binPath << '\n';
        backup = binPath;
    }
    void armTick() override { waiter.armTick(); }
    void cancelTick() override { waiter.cancelTick(); }

    std::string result, version, model, backup;
    std::string lastText;  // the last status text printed
    ResultColour resultColour = ResultColour::Green;
    ExchangeWaiter waiter;
};

// The serial port, remembering which port of the list an exchange ran on.
class PortRecorder final : public SerialLink {
  public:
    int open(int portNumber, int baud) override {
        const int failed = port_.open(portNumber, baud);
        if (failed == 0) opened_ = portNumber;
        return failed;
    }
    void close() override { port_.close(); }
    bool isOpen() const override { return port_.isOpen(); }
    int available() override { return port_.available(); }
    int fetch(std::uint8_t* ring, int& writeIndex, int ringSize) override {
        return port_.fetch(ring, writeIndex, ringSize);
    }
    void write(const std::uint8_t* bytes, std::uint8_t length) override {
        port_.write(bytes, length);
    }
    void setArrivalNotify(ArrivalNotify notify, void* context) override {
        port_.setArrivalNotify(notify, context);
    }
    PortOpenError lastOpenError() const override { return port_.lastOpenError(); }
    std::string portName(int portNumber) const override { return port_.portName(portNumber); }
    bool lineLost() const override { return port_.lineLost(); }

    // The port last opened; before any opened, the only port of a list of one.
    std::optional<std::string> path() const {
        const std::vector<std::string> list = serialPortList();
        if (opened_ >= 1 && static_cast<std::size_t>(opened_) <= list.size())
            return list[static_cast<std::size_t>(opened_) - 1];
        if (list.size() == 1) return list.front();
        return std::nullopt;
    }

  private:
    CCOMPort port_;
    int opened_ = 0;
};

struct Options {
    std::string command;
    std::string file;    // write, diff: the settings file; restore: the backup; read: -o FILE
                         // (DIR with --all)
    std::string model;   // reset, and write and diff for a file without one; RQ30 when not given
    std::string output;  // -o, which belongs to read
    std::vector<std::string> ports;
    bool trace = false;
    bool json = false;
    bool all = false;
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
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--all") {
            o.all = true;
        } else if (a == "--port") {
            const std::string* v = value();
            if (!v || v->empty()) return usage("--port needs a path");
            if (v->find(':') != std::string::npos) return usage("a port path may not hold ':'");
            o.ports.push_back(*v);
        } else if (a == "-o") {
            const std::string* v = value();
            if (!v || v->empty()) return usage("-o needs a file name");
            o.output = *v;
        } else if (a == "--model") {
            const std::string* v = value();
            if (!v) return usage("--model needs RQ30, RQ10 or RQ20");
            o.model = *v;
        } else if (!a.empty() && a[0] == '-') {
            return usage(("unknown option " + a).c_str());
        } else if (o.command.empty()) {
            o.command = a;
        } else if ((o.command == "write" || o.command == "diff" || o.command == "restore") &&
                   o.file.empty()) {
            o.file = a;
        } else {
            return usage(("unexpected argument " + a).c_str());
        }
    }
    if (o.command != "read" && o.command != "write" && o.command != "reset" &&
        o.command != "diff" && o.command != "restore")
        return usage(o.command.empty() ? "no command given"
                                       : ("unknown command " + o.command).c_str());
    if (o.command != "read" && !o.output.empty()) return usage("-o belongs to read");
    if (o.command == "read") o.file = o.output;
    if (o.command == "write" && o.file.empty()) return usage("write needs a settings file");
    if (o.command == "diff" && o.file.empty()) return usage("diff needs a settings file");
    if (o.command == "restore" && o.file.empty()) return usage("restore needs a backup file");
    // A backup belongs to one tracker.
    if (o.command == "restore" && o.all) return usage("restore takes one tracker, not --all");
    if (o.command == "read" && o.file.empty() && o.all)
        return usage("read --all needs -o DIR for the settings files");
    if (o.command == "read" && o.file.empty() && o.json)
        return usage("read --json needs -o FILE: standard output holds the JSON");
    if (o.command != "reset" && o.command != "write" && o.command != "diff" && !o.model.empty())
        return usage("--model belongs to write, diff and reset");
    if (!o.model.empty() && modelIdFromName(o.model) < 0)
        return usage("--model must be RQ30, RQ10 or RQ20");
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
int deviceOutcome(CConfigEditor& editor, HeadlessShell& shell, const char* successText) {
    if (shell.result == successText && shell.resultColour == ResultColour::Green) return kExitOk;
    // The text says why: nothing there, or a port busy or not allowed.
    if (editor.exchange().trackerNotFound()) return kExitNoTracker;
    if (shell.result == kTextIncompatible || shell.result == kTextBadModel) return kExitModel;
    if (shell.result.rfind(kTextCheckFailedPrefix, 0) == 0) return kExitCheck;
    if (shell.result.rfind(kBackupFailedText, 0) == 0) return kExitFile;
    if (shell.result.empty()) shell.say(kTextInterrupted);
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

// Opens the settings file as write does. The model is chosen first, as in the
// window, so a file that names none is opened for it; one that names a model
// replaces it.
bool openForWrite(const Options& o, CConfigEditor& editor) {
    if (!o.model.empty()) editor.chooseModel(modelIdFromName(o.model));
    editor.beginOpen();
    return editor.openSettingsFrom(o.file);
}

// Read, then the image a write of the file would send compared with the
// tracker's. The file is opened first, as write does, so a file that cannot be
// read never opens a port.
int runDiff(const Options& o, CConfigEditor& editor, HeadlessShell& shell, CliReport& report) {
    if (!openForWrite(o, editor)) return kExitFile;
    // What the write phase would collect; the Read below replaces the pages.
    editor.collectPages();
    const DeviceConfig working = editor.exchange().workingImage;
    const int fileModel = editor.editedModel();

    editor.readDevice();
    runExchange(editor, shell);
    const int outcome = deviceOutcome(editor, shell, kTextReadOk);
    if (outcome != kExitOk) return outcome;
    if (fileModel != editor.exchange().deviceModel) {
        shell.say(kTextIncompatible);
        return kExitModel;
    }

    std::vector<FieldChange> changes = writeChanges(editor.exchange().readImage, working);
    if (!o.json)
        for (const FieldChange& c : changes) std::cout << changeLine(c) << '\n';
    shell.say(changes.empty() ? "Запись ничего не изменит"
                              : "Запись изменит полей: " + std::to_string(changes.size()));
    const int code = changes.empty() ? kExitOk : kExitChanges;
    report.changes = std::move(changes);
    return code;
}

int runCommand(const Options& o, CConfigEditor& editor, HeadlessShell& shell, CliReport& report) {
    if (o.command == "diff") return runDiff(o, editor, shell, report);
    if (o.command == "write") {
        // A file that cannot be read never opens a port.
        if (!openForWrite(o, editor)) return kExitFile;
        editor.writeDevice();
        runExchange(editor, shell);
        return deviceOutcome(editor, shell, kTextWriteOk);
    }
    if (o.command == "restore") {
        // A file that is no backup never opens a port.
        if (!editor.restoreFromBackup(o.file)) return kExitFile;
        runExchange(editor, shell);
        return deviceOutcome(editor, shell, kTextWriteOk);
    }
    if (o.command == "reset") {
        editor.chooseModel(o.model.empty() ? kModelRQ30 : modelIdFromName(o.model));
        editor.resetDevice();
        runExchange(editor, shell);
        return deviceOutcome(editor, shell, kTextWriteOk);
    }

    editor.readDevice();
    runExchange(editor, shell);
    if (!shell.version.empty()) std::cerr << shell.version << '\n';
    const char* name = modelName(editor.editedModel());
    char model[80];
    std::snprintf(model, sizeof model, "Модель устройства: %s (0x%02X)", name ? name : "?",
                  static_cast<unsigned>(editor.editedModel()) & 0xFFu);
    if (!shell.version.empty()) std::cerr << model << '\n';
    const int outcome = deviceOutcome(editor, shell, kTextReadOk);
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

// "3.5.0.12", as the version pane shows it.
std::string firmwareText(const DeviceConfig& image) {
    const std::uint8_t* v = fieldBytes(image, Field::FirmwareVersion);
    char text[24];
    std::snprintf(text, sizeof text, "%X.%X.%X.%X", unsigned{v[0]}, unsigned{v[1]}, unsigned{v[2]},
                  unsigned{v[3]});
    return text;
}

int run(const Options& o, CliReport& report) {
    // The port list is what the port layer reads; --port replaces it.
    if (!o.ports.empty()) {
        std::string list;
        for (const std::string& p : o.ports) list += (list.empty() ? "" : ":") + p;
        setPortList(list);
    }

    MemoryControls controls;
    HeadlessShell shell;  // outlives the port, whose reader thread notifies it
    PortRecorder port;
    port.setArrivalNotify(&ExchangeWaiter::notify, &shell.waiter);
    CConfigEditor editor(controls, shell, port);
    controls.setSink(&editor);
    editor.startUp();

    const auto start = std::chrono::steady_clock::now();
    if (o.trace)
        editor.exchange().setTraceHook([start](const TraceEvent& e) { printTrace(e, start); });

    const int code = runCommand(o, editor, shell, report);

    const CBootloaderExchange& exchange = editor.exchange();
    report.port = port.path();
    report.modelId = exchange.deviceModel;
    // The block was read in full: a Read shows the version, a Write goes on
    // to its write phase.
    if (!shell.version.empty() || shell.result == kTextWriteOk ||
        shell.result == kTextIncompatible || !shell.backup.empty())
        report.firmware = firmwareText(exchange.readImage);
    if (!o.file.empty()) report.file = o.file;
    if (!shell.backup.empty()) report.backup = shell.backup;
    // A write succeeds only once the block read back matches what was sent.
    if (shell.result == kTextWriteOk) report.checkPassed = true;
    if (shell.result.rfind(kTextCheckFailedPrefix, 0) == 0) report.checkPassed = false;
    report.result = shell.lastText;
    return code;
}

// Every port at once, one child quelter-cli each.
int runAll(const Options& o, const char* argv0) {
    FleetRun fleet;
    fleet.args = {o.command};
    if (o.command == "write" || o.command == "diff") fleet.args.push_back(o.file);
    if (o.command == "read") fleet.readDir = o.file;
    if (!o.model.empty()) fleet.args.insert(fleet.args.end(), {"--model", o.model});
    if (o.trace) fleet.args.push_back("--trace");
    if (o.json) fleet.args.push_back("--json");
    fleet.json = o.json;
    fleet.ports = o.ports.empty() ? serialPortList() : o.ports;
    return runOnEveryPort(fleet, argv0);
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The settings file goes to standard output byte for byte: no CR is
    // added. The status texts are UTF-8.
    _setmode(_fileno(stdout), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
#endif
    Options o;
    const int parsed = parse(argc, argv, o);
    if (parsed >= 0) return parsed;
    if (o.all) return runAll(o, argv[0]);

    const auto start = std::chrono::steady_clock::now();
    CliReport report;
    report.command = o.command;
    report.exitCode = run(o, report);
    report.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
    if (o.json) std::cout << reportJson(report) << std::endl;
    return report.exitCode;
}
