#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "config/device_config.h"
#include "tools/cli/cli_report.h"
#include "tools/cli/diff.h"
#include "tools/cli/exit_codes.h"
#include "tools/cli/fleet.h"
#include "tools/cli/json_writer.h"

namespace {

TEST(JsonWriter, EscapesEveryStringIntoValidJson) {
    const std::pair<std::string, std::string> cases[] = {
        {"", R"("")"},
        {"a\"b\\c/d", R"("a\"b\\c/d")"},
        {"\n\t\r\b\f", R"("\n\t\r\b\f")"},
        {std::string("\x01\x1F\x7F", 3), R"("\u0001\u001F\u007F")"},
        {std::string("a\0b", 3), R"("a\u0000b")"},
        {"Машина €", "\"Машина €\""},
        // Malformed UTF-8 (a port path is any bytes) becomes U+FFFD.
        {"/dev/\xFF\xC3", "\"/dev/\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},  // a surrogate
    };
    for (const auto& [text, json] : cases) EXPECT_EQ(json, jsonQuoted(text)) << text;
}

TEST(JsonWriter, SeparatesMembersAndNestedValues) {
    JsonWriter json;
    json.beginObject().key("a").number(-2147483649).key("b").beginArray();
    json.beginObject().key("c").null().endObject();
    json.beginObject().endObject().boolean(false).beginArray().endArray();
    json.endArray().key("d").string("x").endObject();
    EXPECT_EQ(R"({"a":-2147483649,"b":[{"c":null},{},false,[]],"d":"x"})", json.text());
}

TEST(CliReport, LeavesOutWhatDoesNotApply) {
    CliReport bare;
    bare.command = "reset";
    bare.result = "Подключения GPS Quelter к ПК не обнаружено";
    bare.exitCode = 1;
    bare.elapsedMs = 5;
    EXPECT_EQ(R"({"command":"reset","port":null,"model":null,"model_id":null,)"
              R"("result":"Подключения GPS Quelter к ПК не обнаружено","exit":1,"elapsed_ms":5})",
              reportJson(bare));

    CliReport full = bare;
    full.command = "diff";
    full.port = "/dev/ttyUSB0";
    full.modelId = 0x42;  // a model id no table names
    full.firmware = "3.5.0.12";
    full.file = "a \"b\".ini";
    full.exitCode = 8;
    full.backup = "/home/u/.local/share/quelter-config/backups/b.bin";
    full.checkPassed = false;
    full.changes = {{"Speed", FieldChange::Kind::Number, "90", "-7"},
                    {"QuelterName", FieldChange::Kind::Text, "Машина", ""},
                    {"Reserved500", FieldChange::Kind::Bytes, "AA", "00"}};
    EXPECT_EQ(R"({"command":"diff","port":"/dev/ttyUSB0","model":null,"model_id":66,)"
              R"("firmware":"3.5.0.12","file":"a \"b\".ini",)"
              R"("result":"Подключения GPS Quelter к ПК не обнаружено","exit":8,)"
              R"("backup":"/home/u/.local/share/quelter-config/backups/b.bin","check":"failed",)"
              R"("changes":[)"
              R"({"key":"Speed","tracker":90,"file":-7},)"
              R"({"key":"QuelterName","tracker":"Машина","file":""},)"
              R"({"key":"Reserved500","tracker":"AA","file":"00"}],"elapsed_ms":5})",
              reportJson(full));
}

using Change = std::tuple<std::string, FieldChange::Kind, std::string, std::string>;

std::vector<Change> changesOf(const DeviceConfig& tracker, const DeviceConfig& working) {
    std::vector<Change> out;
    for (const FieldChange& c : writeChanges(tracker, working))
        out.emplace_back(c.key, c.kind, c.tracker, c.written);
    return out;
}

TEST(WriteChanges, ListsWhatTheBlockSentWouldChange) {
    DeviceConfig tracker{};
    SetText(tracker, Field::DevicePassword, kForcedDevicePassword);
    DeviceConfig working = tracker;
    EXPECT_TRUE(changesOf(tracker, working).empty());

    // The tracker's own fields: whatever the image holds, a Write keeps them.
    SetText(working, Field::USSDReq, "*111#");
    SetU32(working, Field::DeviceType, 7);
    SetU8(working, Field::KeptByte359, 1);
    fieldBytes(working, Field::FirmwareVersion)[0] = 9;
    SetText(working, Field::DevicePassword, "1111");  // forced back to 8647
    EXPECT_TRUE(changesOf(tracker, working).empty());

    using K = FieldChange::Kind;
    SetText(tracker, Field::DevicePassword, "12");
    SetI8(tracker, Field::GMTOffset, -3);
    SetI8(working, Field::GMTOffset, 5);
    SetU32(working, wakeUpField(9), 0x80000000u);  // written as the file writes it
    SetText(tracker, Field::QuelterName, "\xCC\xE0\xF8\xE8\xED\xE0");
    SetText(working, Field::QuelterName, "a\tb\"");
    std::memcpy(fieldBytes(tracker, Field::ApnLogin), "ab\0x", 4);  // same text, other bytes
    SetText(working, Field::ApnLogin, "ab");
    SetU8(tracker, Field::AlarmLockInput, 4);  // no key: its field name
    tracker.bytes[500] = 0x01;                 // reserved: the bytes that differ
    tracker.bytes[502] = 0xFF;

    const std::string zeros16 = "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";
    const std::vector<Change> expected = {
        {"GMTOffset", K::Number, "-3", "5"},
        {"QuelterAPN.Login", K::Bytes, "61 62 00 78" + zeros16.substr(11),
         "61 62" + zeros16.substr(5)},
        {"QuelterName", K::Text, "Машина", "a\tb\""},
        {"WakeUp9", K::Number, "0", "-2147483648"},
        {"DevicePassword", K::Text, "12", "8647"},
        {"AlarmLockInput", K::Number, "4", "0"},
        {"Reserved500", K::Bytes, "01 00 FF", "00 00 00"},
    };
    EXPECT_EQ(expected, changesOf(tracker, working));
}

TEST(WriteChanges, LinesKeepThreeColumnsWhateverATextHolds) {
    EXPECT_EQ("QuelterName\t\"a\\x09b\\\"\\\\\"\t\"\"",
              changeLine({"QuelterName", FieldChange::Kind::Text, "a\tb\"\\", ""}));
    EXPECT_EQ("Speed\t90\t77", changeLine({"Speed", FieldChange::Kind::Number, "90", "77"}));
}

TEST(Fleet, NamesOneFilePerPort) {
    const std::pair<std::string, std::string> cases[] = {
        {"/dev/ttyUSB0", "ttyUSB0.ini"},
        {"/dev/pts/3", "pts-3.ini"},
        {"/tmp/x/port", "tmp-x-port.ini"},
        {"rel/port", "rel-port.ini"},
    };
    for (const auto& [port, name] : cases) EXPECT_EQ(name, portFileName(port)) << port;
}

TEST(Fleet, SucceedsOnlyWhenEveryTrackerDid) {
    const std::pair<std::vector<int>, int> cases[] = {
        {{kExitOk, kExitOk}, kExitOk},
        {{kExitNoTracker, kExitOk}, kExitOk},  // a port with nothing on it
        {{kExitNoTracker, kExitNoTracker}, kExitNoTracker},
        {{}, kExitNoTracker},
        {{kExitOk, kExitStopped, kExitModel}, kExitStopped},  // the first failure
        {{kExitModel, kExitNoTracker, kExitOk}, kExitModel},
        {{kExitOk, kExitChanges, kExitNoTracker}, kExitChanges},
        {{kExitChanges, kExitFile}, kExitFile},
    };
    for (const auto& [codes, code] : cases) EXPECT_EQ(code, fleetExitCode(codes));
}

}  // namespace
