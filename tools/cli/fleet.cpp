#include "tools/cli/fleet.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <set>
#include <sstream>

#include "link/status_texts.h"
#include "tools/cli/cli_report.h"
#include "tools/cli/exit_codes.h"
#ifndef _WIN32
#include "tools/cli/child_process.h"
#endif

std::string portFileName(std::string_view port) {
    if (port.starts_with("/dev/")) port.remove_prefix(5);
    while (port.starts_with('/')) port.remove_prefix(1);
    std::string name(port);
    std::replace(name.begin(), name.end(), '/', '-');
    return name + ".ini";
}

int fleetExitCode(const std::vector<int>& codes) {
    bool tracker = false, changes = false;
    for (int code : codes) {
        switch (code) {
            case kExitNoTracker:
                break;
            case kExitOk:
                tracker = true;
                break;
            case kExitChanges:
                tracker = changes = true;
                break;
            default:
                return code;
        }
    }
    if (!tracker) return kExitNoTracker;
    return changes ? kExitChanges : kExitOk;
}

#ifdef _WIN32

int runOnEveryPort(const FleetRun&, const char*) {
    std::cerr << "quelter-cli: --all is not available on Windows; run one quelter-cli per port "
                 "with --port\n";
    return kExitUsage;
}

#else

namespace {

// Every line of a child's output, led by its port.
void printLines(std::ostream& out, const std::string& lead, const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) out << lead << line << '\n';
}

std::string lastLine(const std::string& text) {
    std::string line, last;
    std::istringstream lines(text);
    while (std::getline(lines, line))
        if (!line.empty()) last = line;
    return last;
}

}  // namespace

int runOnEveryPort(const FleetRun& run, const char* argv0) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::string> ports;
    for (const std::string& p : run.ports)
        if (!p.empty() && std::find(ports.begin(), ports.end(), p) == ports.end())
            ports.push_back(p);
    if (ports.empty()) {
        std::cerr << kTextNoConnection << '\n';
        return kExitNoTracker;
    }

    namespace fs = std::filesystem;
    std::vector<std::vector<std::string> > argLists;
    std::set<std::string> names;
    for (const std::string& p : ports) {
        std::vector<std::string> args = run.args;
        args.insert(args.end(), {"--port", p});
        if (!run.readDir.empty()) {
            const std::string name = portFileName(p);
            if (!names.insert(name).second) {
                std::cerr << "quelter-cli: two ports would save to " << name << '\n';
                return kExitUsage;
            }
            args.insert(args.end(), {"-o", (fs::path(run.readDir) / name).string()});
        }
        argLists.push_back(std::move(args));
    }
    if (!run.readDir.empty()) {
        std::error_code ec;
        fs::create_directories(run.readDir, ec);
        if (ec) {
            std::cerr << "quelter-cli: " << run.readDir << ": " << ec.message() << '\n';
            return kExitFile;
        }
    }

    const std::vector<ChildOutcome> outcomes = runSideBySide(ownExecutable(argv0), argLists);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();

    std::vector<int> codes;
    int trackers = 0, succeeded = 0;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const ChildOutcome& o = outcomes[i];
        const std::string& port = ports[i];
        printLines(std::cerr, port + ": ", o.err);
        std::string failure;
        if (!o.started) failure = "quelter-cli could not be started";
        if (o.signal != 0) failure = "quelter-cli ended by signal " + std::to_string(o.signal);
        if (!failure.empty()) printLines(std::cerr, port + ": ", failure);
        const int code = o.exitCode >= 0 ? o.exitCode : kExitStopped;
        codes.push_back(code);
        if (code != kExitNoTracker) ++trackers;
        if (code == kExitOk || code == kExitChanges) ++succeeded;

        if (!run.json) {
            // diff's lines: the port is one more column.
            printLines(std::cout, port + '\t', o.out);
            continue;
        }
        if (!o.out.empty() && o.out.back() == '\n' && failure.empty()) {
            std::cout << o.out;
        } else {
            // The child gave no result of its own.
            CliReport report;
            report.command = run.args.front();
            report.port = port;
            report.result = failure.empty() ? lastLine(o.err) : failure;
            report.exitCode = code;
            report.elapsedMs = elapsed;
            std::cout << reportJson(report) << '\n';
        }
    }
    std::cout.flush();
    std::cerr << "Трекеров: " << trackers << ", успешно: " << succeeded
              << ", портов без трекера: " << ports.size() - trackers << '\n';
    return fleetExitCode(codes);
}

#endif
