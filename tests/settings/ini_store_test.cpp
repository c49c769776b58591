#include "settings/ini_store.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <random>
#include <string>

#include "temp_dir.h"

using namespace std::string_literals;

namespace {

// The store as one line: "[section] key=<value> key=<value> [section] ...",
// in set order, which is also the order Save writes.
std::string dump(const CSettingsFile& store) {
    std::string out;
    for (const auto& section : store.Sections()) {
        if (!out.empty()) out += ' ';
        out += "[" + section->Name() + "]";
        for (const auto& key : section->Keys())
            out += " " + key->Name() + "=<" + key->Value() + ">";
    }
    return out;
}

struct ParseCase {
    const char* what;
    std::string file;
    std::string expected;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.what;
}

class IniParse : public testing::TestWithParam<ParseCase> {};

TEST_P(IniParse, ReadsSectionsKeysAndValues) {
    TempDir dir;
    CSettingsFile store;
    ASSERT_TRUE(store.Load(dir.write("case.ini", GetParam().file), false));
    EXPECT_EQ(dump(store), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, IniParse,
    testing::Values(
        ParseCase{"blanks inside the brackets", "[ Main ]\r\nk=1\r\n", "[Main] k=<1>"},
        ParseCase{"blanks after the header", "[Main]  \nk=1", "[Main] k=<1>"},
        ParseCase{"tabs and CR after the header", "[Main]\t \r\nk=1", "[Main] k=<1>"},
        ParseCase{"CR before trailing blanks", "[Main]\r \nk=1", "[Main] k=<1>"},
        ParseCase{"empty name", "[]\nk=1\n", "[] k=<1>"},
        ParseCase{"name of only blanks", "[ \t ]\nk=1\n", "[] k=<1>"},
        ParseCase{"unclosed header", "[Main\nk=1\n", ""},
        ParseCase{"text after the header", "[Main] x\nk=1\n", ""},
        ParseCase{"value keeps its blanks", "[S]\nKey = value \n", "[S] Key=< value >"},
        ParseCase{"value keeps tabs, line does not", "\t [S]\t\r\n\tk=\tv\t\r\n", "[S] k=<\tv\t>"},
        ParseCase{"first = splits", "[S]\na=b=c\n", "[S] a=<b=c>"},
        ParseCase{"line starting with =", "[S]\n=x\n=a=b\n", "[S]"},
        ParseCase{"comment, and comment-like key", "[S]\n#note\n#note=1\n", "[S] #note=<1>"},
        ParseCase{"keys before any header", "k=1\n[S]\n", "[S]"},
        ParseCase{"later value, first spelling", "[S]\nSysMode=1\nx=2\nSYSMODE=3\n",
                  "[S] SysMode=<3> x=<2>"},
        ParseCase{"headers in two cases", "[A]\nx=1\n[a]\ny=2\n", "[A] x=<1> y=<2>"},
        ParseCase{"CRLF", "[S]\r\na=1\r\nb=2\r\n", "[S] a=<1> b=<2>"},
        ParseCase{"LF", "[S]\na=1\nb=2\n", "[S] a=<1> b=<2>"},
        ParseCase{"no final line end", "[S]\na=1\nb=2", "[S] a=<1> b=<2>"},
        ParseCase{"CR alone is one line", "[S]\ra=1\rb=2\r", ""},
        ParseCase{"CR inside a value", "[S]\na=1\rb=2\r\r\n", "[S] a=<1\rb=2>"},
        ParseCase{"blank and empty lines", "\n\r\n  \t\n[S]\n\na=1\n", "[S] a=<1>"},
        ParseCase{"NUL bytes are plain bytes", "[S\0]\nk\0ey=v\0al\n"s, "[S\0] k\0ey=<v\0al>"s},
        // Only ASCII folds, and it folds to lower case: "_" (0x5F) sorts before
        // "A", and CP1251 capital and small A (0xC0, 0xE0) stay two keys.
        ParseCase{"sorted with ASCII folding", "[S]\nb=1\n\xE0=2\nA=3\n_=4\n\xC0=5\n",
                  "[S] _=<4> A=<3> b=<1> \xC0=<5> \xE0=<2>"}),
    [](const testing::TestParamInfo<ParseCase>& info) {
        std::string name;
        for (const char* c = info.param.what; *c; ++c) name += std::isalnum(*c) ? *c : '_';
        return name;
    });

TEST(IniStore, LookupsTrimNamesAndIgnoreAsciiCase) {
    CSettingsFile store;
    store.SetValue(" Config\t", "\tSpeed ", " 90 ");
    store.SetValue("CONFIG", "speed", " 91 ");  // same key: keeps "Speed", takes the value

    EXPECT_EQ(dump(store), "[Config] Speed=< 91 >");
    EXPECT_EQ(store.GetValue("config", "SPEED"), " 91 ");
    EXPECT_EQ(store.GetValue("Config", "Missing"), "");
    EXPECT_EQ(store.GetValue("Missing", "Speed"), "");
    EXPECT_EQ(store.FindSection("Missing"), nullptr);
    ASSERT_NE(store.FindSection("  config  "), nullptr);
    EXPECT_EQ(&store.FindSection("config")->File(), &store);
    EXPECT_EQ(&store.FindSection("config")->FindKey("speed")->Section(),
              store.FindSection("config"));

    CSettingsSection& blank = store.AddSection("   ");
    EXPECT_EQ(blank.Name(), "");
    EXPECT_EQ(blank.AddKey(" \t ").Name(), "");
    EXPECT_EQ(&store.AddSection(""), &blank);
}

TEST(IniStore, SaveWritesSortedLinesWithCrLfOnly) {
    TempDir dir;
    CSettingsFile store;
    store.SetValue("S", "b", "2");
    store.SetValue("S", "A", "1");
    store.AddSection("Empty");
    store.SetValue("[odd]", "k", " v=w ");
    ASSERT_TRUE(store.Save(dir.file("out.ini")));
    EXPECT_EQ(readBytes(dir.file("out.ini")),
              "[[odd]]\r\nk= v=w \r\n[Empty]\r\n[S]\r\nA=1\r\nb=2\r\n");

    CSettingsFile empty;
    ASSERT_TRUE(empty.Save(dir.file("out.ini")));
    EXPECT_EQ(readBytes(dir.file("out.ini")), "");
}

TEST(IniStore, LoadReplacesOrMergesAndFailureChangesNothing) {
    TempDir dir;
    const std::string path = dir.write("a.ini", "[S]\nb=new\nc=3\n");
    CSettingsFile store;
    store.SetValue("S", "a", "1");
    store.SetValue("S", "b", "old");

    EXPECT_FALSE(store.Load(dir.file("missing.ini"), false));
    EXPECT_FALSE(store.Load(dir.path().string(), false));  // a folder opens but cannot be read
    EXPECT_EQ(dump(store), "[S] a=<1> b=<old>");

    ASSERT_TRUE(store.Load(path, true));
    EXPECT_EQ(dump(store), "[S] a=<1> b=<new> c=<3>");
    ASSERT_TRUE(store.Load(path, false));
    EXPECT_EQ(dump(store), "[S] b=<new> c=<3>");
}

TEST(IniStore, SaveReportsFilesItCannotWrite) {
    TempDir dir;
    CSettingsFile store;
    store.SetValue("S", "k", "v");
    EXPECT_FALSE(store.Save(dir.file("no-such-folder/out.ini")));
    EXPECT_FALSE(store.Save(dir.path().string()));

    const std::string existing = dir.write("taken.ini", "old");
    EXPECT_FALSE(store.Save(existing, CSettingsFile::SaveMode::CreateNew));
    EXPECT_EQ(readBytes(existing), "old");

    // A device that takes the open but refuses every byte.
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(store.Save("/dev/full"));
    }
}

// Whatever bytes the values hold (short of a line feed, and of a trailing CR
// that a line end swallows), they come back from the file as they went in.
TEST(IniStore, ValuesOfAnyBytesSurviveSaveAndLoad) {
    TempDir dir;
    std::mt19937 random(7);
    CSettingsFile store;
    for (int s = 0; s < 5; ++s) {
        for (int k = 0; k < 40; ++k) {
            std::string value(random() % 40, '\0');
            for (char& c : value) {
                c = static_cast<char>(random() % 256);
                if (c == '\n') c = 'n';
            }
            if (!value.empty() && value.back() == '\r') value.back() = 'r';
            store.SetValue("Section" + std::to_string(s), "Key" + std::to_string(k), value);
        }
    }
    ASSERT_TRUE(store.Save(dir.file("any.ini")));
    CSettingsFile loaded;
    ASSERT_TRUE(loaded.Load(dir.file("any.ini"), false));
    EXPECT_EQ(dump(loaded), dump(store));
}

// Hostile files: random binary bytes, a line of several megabytes, a value
// of ten thousand digits. Each loads, and the sanitizers watch the bytes.
TEST(IniStore, HostileFilesLoad) {
    TempDir dir;
    std::mt19937 random(11);
    std::string binary(1 << 20, '\0');
    for (char& c : binary) c = static_cast<char>(random());
    binary += "\n[S]\nafter=1\n";
    CSettingsFile store;
    ASSERT_TRUE(store.Load(dir.write("binary.ini", binary), false));
    EXPECT_EQ(store.GetValue("S", "after"), "1");

    const std::string longValue(4 << 20, 'v');
    const std::string longBlanks(1 << 20, ' ');
    const std::string digits(10000, '9');
    const std::string file = "[S]\nlong=" + longValue + "\r\n" + longBlanks + "padded" +
                             longBlanks + "=x\n[" + longBlanks + "]\ndigits=" + digits;
    ASSERT_TRUE(store.Load(dir.write("long.ini", file), false));
    EXPECT_EQ(store.GetValue("S", "long"), longValue);
    EXPECT_EQ(store.GetValue("S", "padded"), "x");
    EXPECT_EQ(store.GetValue("", "digits"), digits);
}

}  // namespace
