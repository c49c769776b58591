// quelter-cli: the window's Read, Write and Reset for scripts and fleets.
//
// It runs the window's own sequence (start-up, Open, the commands, Save)
// through the headless controls, on a real 20 ms tick in the main thread, so
// a tracker ends up exactly as the window would leave it.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "config/models.h"
#include "editor/config_editor.h"
#include "editor/memory_controls.h"
#include "link/com_port.h"
#include "link/status_texts.h"
#include "settings/settings_file.h"
#include "settings/tracker_backup.h"

namespace {

enum ExitCode {
    kExitOk = 0,
    kExitNoTracker = 1,
    kExitModel = 2,
    kExitStopped = 3,
    kExitFile = 4,
    kExitCheck = 5,
    kExitUsage = 64,
};

const char* const kUsage = R"(Usage:
  quelter-cli read [-o FILE] [options]    read the tracker and write its settings file
                                          (to FILE, or to standard output)
  quelter-cli write FILE [options]        open the settings file and write it to the tracker
  quelter-cli reset [--model RQ30|RQ10|RQ20] [options]
                                          write the factory configuration (default model RQ30)
  quelter-cli restore BACKUP.bin [options]
                                          write a backup back to the tracker
  quelter-cli --help

Each command does what the configurator window does right after it starts:
read = Read, then Save; write = Open FILE, then Write; reset = choose the model
in the model menu, then Reset. The window's status texts go to standard error,
one line each; read also prints the firmware version and the model there.

Before a write, reset or restore sends anything, the tracker's block as read
is kept in the backups folder, $XDG_DATA_HOME/quelter-config/backups (by
default ~/.local/share/quelter-config/backups), as STEM.bin (the bytes as the
tracker sent them) and STEM.ini (a settings file of them), STEM being the
date, time and model ("Резервная копия: PATH" names it). After the last block,
the block is read back and compared with what was sent.

restore writes BACKUP.bin byte for byte, except the fields every write takes
from the tracker and the device password; the tracker must be of the backup's
model (BootVersion of STEM.ini beside it, or the model in the file name).

Options:
  --port PATH   a serial port to scan (repeat for several, in scan order);
                without it the ports of QUELTER_PORTS or of the system are scanned
  --trace       every frame sent and every byte received, in hex, with
                milliseconds since start, on standard error

Exit status:
  0   success
  1   no tracker found
  2   incompatible model, or the tracker reported an unknown model id
  3   the exchange stopped before its end
  4   a settings file or backup could not be read or written (no port is
      opened then), or the backup before a write could not be made
  5   the block read back after the write differs from what was written
  64  wrong usage
)";

// The window's status line, model button and timer, without a window.
class HeadlessShell final : public WindowShell {
  public:
    void showResult(const std::string& text, ResultColour colour) override {
        result = text;
        resultColour = colour;
        if (!text.empty()) std::cerr << text << '\n';
    }
    void showVersion(const std::string& text) override { version = text; }
    void setModelButtonText(const std::string& text) override { model = text; }
    void showBackup(const std::string& binPath) override {
        std::cerr << kBackupNamedText << binPath << '\n';
    }
    void armTick() override {
        armed = true;
        due = std::chrono::steady_clock::now() + std::chrono::milliseconds(20);
    }
    void cancelTick() override { armed = false; }

    std::string result, version, model;
    ResultColour resultColour = ResultColour::Green;
    bool armed = false;
    std::chrono::steady_clock::time_point due;
};

struct Options {
    std::string command;
    std::string file;   // write: the settings file; restore: the backup; read: -o FILE
    std::string model;  // reset only; RQ30 when not given
    std::vector<std::string> ports;
    bool trace = false;
    bool output = false;  // -o was given
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
            o.output = true;
        } else if (a == "--model") {
            const std::string* v = value();
            if (!v) return usage("--model needs RQ30, RQ10 or RQ20");
            o.model = *v;
        } else if (!a.empty() && a[0] == '-') {
            return usage(("unknown option " + a).c_str());
        } else if (o.command.empty()) {
            o.command = a;
        } else if ((o.command == "write" || o.command == "restore") && o.file.empty()) {
            o.file = a;
        } else {
            return usage(("unexpected argument " + a).c_str());
        }
    }
    if (o.command != "read" && o.command != "write" && o.command != "reset" &&
        o.command != "restore")
        return usage(o.command.empty() ? "no command given"
                                       : ("unknown command " + o.command).c_str());
    if (o.command == "write" && o.file.empty()) return usage("write needs a settings file");
    if (o.command == "restore" && o.file.empty()) return usage("restore needs a backup file");
    if (o.command != "reset" && !o.model.empty()) return usage("--model belongs to reset");
    if (o.command == "reset" && !o.model.empty() && modelIdFromName(o.model) < 0)
        return usage("--model must be RQ30, RQ10 or RQ20");
    if (o.command != "read" && o.output) return usage("-o belongs to read");
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

// Runs the 20 ms tick for as long as the exchange asks for it.
void runExchange(CConfigEditor& editor, HeadlessShell& shell) {
    while (shell.armed) {
        std::this_thread::sleep_until(shell.due);
        shell.armed = false;
        editor.onTick();
    }
}

// The outcome of a device command, from the text it left in the result pane.
int deviceOutcome(const HeadlessShell& shell, const char* successText) {
    if (shell.result == successText && shell.resultColour == ResultColour::Green) return kExitOk;
    if (shell.result == kTextNoConnection) return kExitNoTracker;
    if (shell.result == kTextIncompatible || shell.result == kTextBadModel) return kExitModel;
    if (shell.result.rfind(kTextCheckFailedPrefix, 0) == 0) return kExitCheck;
    if (shell.result.rfind(kBackupFailedText, 0) == 0) return kExitFile;
    if (shell.result.empty()) std::cerr << kTextInterrupted << '\n';
    return kExitStopped;
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
        setenv("QUELTER_PORTS", list.c_str(), 1);
    }

    MemoryControls controls;
    HeadlessShell shell;
    CCOMPort port;
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
    if (o.command == "restore") {
        // A file that is no backup never opens a port.
        if (!editor.restoreFromBackup(o.file)) return kExitFile;
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
    char tmp[] = "/tmp/quelter-cli-XXXXXX";
    const int fd = mkstemp(tmp);
    if (fd < 0) return kExitFile;
    ::close(fd);
    const bool ok = editor.saveSettingsTo(tmp) && copyToStdout(tmp);
    std::remove(tmp);
    return ok ? kExitOk : kExitFile;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    const int parsed = parse(argc, argv, o);
    if (parsed >= 0) return parsed;
    return run(o);
}
