#include "tools/tracker_sim/sim_options.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string_view>

namespace {

const char kUsage[] =
    "Usage: quelter-tracker-sim [options]\n"
    "\n"
    "Simulates a GPS Quelter tracker's serial bootloader behind a pseudo-terminal.\n"
    "Prints the terminal's path on one line, then serves until SIGINT or SIGTERM.\n"
    "Point the configurator at it with QUELTER_PORTS=<path> (COM1 is then the\n"
    "simulator); it serves any number of exchanges, one connection at a time.\n"
    "\n"
    "Tracker:\n"
    "  --model ID          model id: RQ30 (0x11, default), RQ10 (0x70), RQ20 (0x80),\n"
    "                      or any byte (decimal or 0x..)\n"
    "  --version A.B.C.D   firmware version, four hexadecimal bytes as the\n"
    "                      configurator shows them (default 3.5.0.12)\n"
    "  --product-id ID     the Get ID answer (default 0x0410)\n"
    "  --block FILE        start from this configuration block: 1536 bytes,\n"
    "                      device order, as --save writes it\n"
    "  --save FILE         write the block to FILE on exit\n"
    "\n"
    "Line:\n"
    "  --no-pacing         take and send bytes at once instead of at 115200 baud,\n"
    "                      11 bits a byte\n"
    "  --delay-ms N        wait N ms before each answer (default 1)\n"
    "  --flash-ms N        spend N ms more writing each received data block to\n"
    "                      flash before its ACK, as a real tracker does (default 0)\n"
    "\n"
    "Faults (KIND is one of sync, get, version, id, read, write, go, address,\n"
    "count, data; sync is a 0x7F on its own, the frame 0x7F 0x00 0xFF is a get;\n"
    "frames are counted from 1, per kind, over the simulator's whole run):\n"
    "  --refuse KIND:K[:COUNT]  answer NACK to the K-th frame of KIND and to the\n"
    "                      COUNT-1 after it (repeatable)\n"
    "  --bad-answer KIND:K answer the K-th frame of KIND with 0x55, neither ACK nor\n"
    "                      NACK (repeatable)\n"
    "  --bad-flash K[:COUNT]  acknowledge the K-th data block written (and the\n"
    "                      COUNT-1 after it) but store it with every byte inverted,\n"
    "                      as a failing flash might (repeatable)\n"
    "  --silent-after N    answer the first N frames (all kinds), then nothing\n"
    "  --split-block K:N   send the K-th block read as N bytes, a pause of 30 ms,\n"
    "                      then the rest\n"
    "  --noise-before-open N  put N noise bytes on the line before it is opened\n"
    "  --chatter N         after the last block was read or written, send N noise\n"
    "                      bytes, a few every 10 ms once the host is quiet for\n"
    "                      100 ms, until the host sends anything\n"
    "\n"
    "  --help              this text\n";

// Decimal, or hexadecimal after "0x": no sign, no blanks, and a leading zero
// does not make a number octal.
bool parseInt(std::string_view text, int low, int high, int& value) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    unsigned long v = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, v, base);
    if (text.empty() || error != std::errc{} || stop != end ||
        v < static_cast<unsigned long>(low) || v > static_cast<unsigned long>(high))
        return false;
    value = static_cast<int>(v);
    return true;
}

bool parseModel(std::string_view text, int& model) {
    struct Named {
        const char* name;
        int id;
    };
    static constexpr Named kModels[] = {{"RQ30", 0x11}, {"RQ10", 0x70}, {"RQ20", 0x80}};
    for (const Named& m : kModels) {
        if (text == m.name) {
            model = m.id;
            return true;
        }
    }
    return parseInt(text, 0, 255, model);
}

bool parseVersion(std::string_view text, std::array<std::uint8_t, 4>& version) {
    for (std::size_t i = 0; i < version.size(); ++i) {
        const std::size_t dot = text.find('.');
        const std::string part(text.substr(0, dot));
        if ((dot == std::string_view::npos) != (i + 1 == version.size())) return false;
        // One or two hexadecimal digits, nothing else: strtoul would take a
        // sign and turn "-1" into FF.
        unsigned v = 0;
        const auto [stop, error] = std::from_chars(part.data(), part.data() + part.size(), v, 16);
        if (part.empty() || part.size() > 2 || error != std::errc{} ||
            stop != part.data() + part.size())
            return false;
        version[i] = static_cast<std::uint8_t>(v);
        if (dot != std::string_view::npos) text.remove_prefix(dot + 1);
    }
    return true;
}

// KIND:K[:COUNT]
bool parseFrameFault(std::string_view text, bool countAllowed, FrameFault& fault) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return false;
    fault.kind = simFrameFromName(std::string(text.substr(0, colon)));
    if (fault.kind == SimFrame::Count) return false;
    text.remove_prefix(colon + 1);
    const std::size_t second = text.find(':');
    fault.count = 1;
    if (second != std::string_view::npos) {
        if (!countAllowed || !parseInt(text.substr(second + 1), 1, 1'000'000, fault.count))
            return false;
        text = text.substr(0, second);
    }
    return parseInt(text, 1, 1'000'000, fault.first);
}

}  // namespace

const char* simUsage() {
    return kUsage;
}

bool parseSimOptions(int argc, const char* const* argv, SimProgramOptions& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        auto bad = [&](const char* why) {
            error = std::string(option) + ": " + why;
            return false;
        };
        if (option == "--help") {
            o.help = true;
            continue;
        }
        if (option == "--no-pacing") {
            o.pty.pacing = false;
            continue;
        }
        static constexpr std::string_view kValued[] = {
            "--model",      "--version",      "--product-id",  "--block",
            "--save",       "--delay-ms",     "--flash-ms",    "--refuse",
            "--bad-answer", "--silent-after", "--split-block", "--noise-before-open",
            "--chatter",    "--bad-flash",
        };
        if (std::find(std::begin(kValued), std::end(kValued), option) == std::end(kValued))
            return bad("unknown option (see --help)");
        if (i + 1 >= argc) return bad("needs a value (see --help)");
        const std::string_view value = argv[++i];
        FrameFault fault;
        if (option == "--model") {
            if (!parseModel(value, o.model)) return bad("expects RQ30, RQ10, RQ20 or a byte");
        } else if (option == "--version") {
            if (!parseVersion(value, o.version)) return bad("expects A.B.C.D, hexadecimal bytes");
            o.versionGiven = true;
        } else if (option == "--product-id") {
            if (!parseInt(value, 0, 0xFFFF, o.productId)) return bad("expects 0..0xFFFF");
        } else if (option == "--block") {
            o.blockFile = value;
        } else if (option == "--save") {
            o.saveFile = value;
        } else if (option == "--delay-ms") {
            if (!parseInt(value, 0, 10'000, o.pty.delayMs)) return bad("expects 0..10000");
        } else if (option == "--flash-ms") {
            if (!parseInt(value, 0, 10'000, o.pty.flashMs)) return bad("expects 0..10000");
        } else if (option == "--refuse") {
            if (!parseFrameFault(value, true, fault)) return bad("expects KIND:K[:COUNT]");
            o.faults.refuse.push_back(fault);
        } else if (option == "--bad-answer") {
            if (!parseFrameFault(value, false, fault)) return bad("expects KIND:K");
            o.faults.badAnswer.push_back(fault);
        } else if (option == "--bad-flash") {
            // K[:COUNT], data blocks counted from 1 over the whole run.
            if (!parseFrameFault("data:" + std::string(value), true, fault))
                return bad("expects K[:COUNT]");
            o.faults.badFlash.push_back(fault);
        } else if (option == "--silent-after") {
            if (!parseInt(value, 0, 1'000'000, o.faults.silentAfter)) return bad("expects N >= 0");
        } else if (option == "--split-block") {
            const std::size_t colon = value.find(':');
            int block = 0, before = 0;
            if (colon == std::string_view::npos ||
                !parseInt(value.substr(0, colon), 1, 1'000'000, block) ||
                !parseInt(value.substr(colon + 1), 1, 127, before))
                return bad("expects K:N, N 1..127");
            // The answer to a block's count is its ACK and then the data.
            o.faults.split = {SimFrame::ReadCount, block, 1 + before};
        } else if (option == "--chatter") {
            if (!parseInt(value, 0, 1'000'000, o.faults.chatter)) return bad("expects N >= 0");
        } else if (option == "--noise-before-open") {
            if (!parseInt(value, 0, 4096, o.pty.noiseBeforeOpen)) return bad("expects 0..4096");
        }
    }
    return true;
}
