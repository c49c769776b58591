#include "config/device_config.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "config/cp1251.h"
#include "config/models.h"

namespace {

DeviceConfig offsetPattern() {
    DeviceConfig c;
    for (std::size_t i = 0; i < kConfigSize; ++i) c.bytes[i] = static_cast<std::uint8_t>(i);
    return c;
}

TEST(FieldTable, FieldsLieInsideTheRecordWithoutOverlap) {
    std::vector<int> owner(kConfigSize, -1);
    for (const FieldInfo& f : fieldTable()) {
        ASSERT_LE(f.offset + f.width, kConfigSize) << f.name;
        for (int i = f.offset; i < f.offset + f.width; ++i) {
            EXPECT_EQ(owner[i], -1) << f.name << " overlaps at " << i;
            owner[i] = static_cast<int>(f.field);
        }
    }
}

TEST(SwapByteOrder, ChangesExactlyTheBigEndianFieldsAndIsItsOwnInverse) {
    // The 28 multi-byte fields (offset, width) as the tracker stores them.
    const std::vector<std::pair<int, int>> swapped = {
        {38, 2},   {50, 2},   {58, 2},   {60, 2},   {62, 2},   {182, 2},  {242, 2},
        {246, 2},  {306, 2},  {354, 2},  {362, 2},  {414, 2},  {366, 2},  {374, 2},
        {1440, 4}, {1444, 4}, {1448, 4}, {1452, 4}, {1456, 4}, {1460, 4}, {1464, 4},
        {1468, 4}, {1472, 4}, {200, 4},  {196, 4},  {192, 4},  {336, 4},  {1008, 4}};
    const DeviceConfig original = offsetPattern();
    DeviceConfig c = original;
    SwapByteOrder(c);

    DeviceConfig expected = original;
    for (auto [off, width] : swapped)
        for (int i = 0; i < width; ++i)
            expected.bytes[off + i] = original.bytes[off + width - 1 - i];
    EXPECT_EQ(0, std::memcmp(expected.bytes, c.bytes, kConfigSize));

    SwapByteOrder(c);
    EXPECT_EQ(0, std::memcmp(original.bytes, c.bytes, kConfigSize));
}

TEST(Encodings, DeviceBytesOfTypicalValues) {
    DeviceConfig c{};
    SetI32(c, Field::ZoneLatitude, -55500000);  // 55.5 degrees south
    SetU32(c, Field::WakeUp3, 22 * 256 + 30);   // 22:30
    SetU16(c, Field::TempH, 293);
    SwapByteOrder(c);
    const std::uint8_t lat[] = {0xFC, 0xB1, 0x23, 0x20};
    const std::uint8_t alarm[] = {0x00, 0x00, 0x16, 0x1E};
    const std::uint8_t temp[] = {0x01, 0x25};
    EXPECT_EQ(0, std::memcmp(c.bytes + 196, lat, 4));
    EXPECT_EQ(0, std::memcmp(c.bytes + 1448, alarm, 4));
    EXPECT_EQ(0, std::memcmp(c.bytes + 60, temp, 2));
}

TEST(Numbers, WidenBySignednessAndStoreLowBytes) {
    DeviceConfig c{};
    SetNumber(c, Field::Speed, 300);  // low byte of 300
    EXPECT_EQ(44, GetNumber(c, Field::Speed));
    SetNumber(c, Field::ParkTimer, -1);
    EXPECT_EQ(65535, GetNumber(c, Field::ParkTimer));
    SetNumber(c, Field::GMTOffset, -12);
    EXPECT_EQ(-12, GetNumber(c, Field::GMTOffset));
    EXPECT_EQ(0xF4, c.bytes[179]);
    SetU32(c, Field::DeviceType, 0x80000001u);
    EXPECT_EQ(static_cast<std::int32_t>(0x80000001u), GetNumber(c, Field::DeviceType));
    SetBit(c, Field::PhoneEn, 9, true);
    EXPECT_TRUE(GetBit(c, Field::PhoneEn, 9));
    EXPECT_EQ(0x200, GetU16(c, Field::PhoneEn));
}

TEST(FixedText, FullWidthTextHasNoTerminatorAndStopsAtTheField) {
    DeviceConfig c{};
    std::memset(c.bytes, 0xAA, kConfigSize);
    SetText(c, Field::MainPhone, "+123456789012345");  // "+" and 15 digits
    EXPECT_EQ(0, std::memcmp(c.bytes, "+123456789012345", 16));
    EXPECT_EQ(0xAA, c.bytes[16]);  // the next byte is not touched
    EXPECT_EQ("+123456789012345", GetText(c, Field::MainPhone));

    SetText(c, Field::QuelterName, "Car");
    EXPECT_EQ("Car", GetText(c, Field::QuelterName));
    for (int i = 211; i < 224; ++i) EXPECT_EQ(0, c.bytes[i]) << i;

    char field[8];
    std::memset(field, 'x', sizeof field);
    CopyFixedText(field, "abcdefghij", 6);
    EXPECT_EQ(0, std::memcmp(field, "abcdefxx", 8));
}

TEST(KeepDeviceFields, CopiesDeviceOwnedFieldsAndForcesThePassword) {
    DeviceConfig read = offsetPattern();
    DeviceConfig target{};
    std::memset(target.bytes + 64, 'p', 16);  // a password from the pages
    KeepDeviceFields(target, read);

    const std::set<int> kept = [] {
        std::set<int> s;
        const std::pair<int, int> stretches[] = {{384, 4},  {320, 16},  {288, 16},
                                                 {256, 32}, {1540, 15}, {359, 1},
                                                 {362, 2},  {366, 2},   {336, 4}};
        for (auto [off, w] : stretches)
            for (int i = off; i < off + w; ++i) s.insert(i);
        return s;
    }();
    for (int i = 0; i < static_cast<int>(kConfigSize); ++i) {
        if (i >= 64 && i < 80) continue;
        EXPECT_EQ(kept.count(i) ? read.bytes[i] : 0, target.bytes[i]) << "offset " << i;
    }
    EXPECT_EQ(0, std::memcmp(target.bytes + 64, "8647\0\0\0\0\0\0\0\0\0\0\0", 15));
    EXPECT_EQ('p', target.bytes[79]);  // beyond the 15 bytes the password is forced over
}

TEST(Cp1251, RoundTripsEveryByteAndMarksWhatItCannotHold) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (b != 0x98) all += static_cast<char>(b);
    EXPECT_EQ(all, Utf8ToCp1251(Cp1251ToUtf8(all)));

    EXPECT_EQ("\xCA\xE2\xE5\xEB\xF2\xE5\xF0 \xA8\xB8", Utf8ToCp1251("Квелтер Ёё"));
    EXPECT_EQ("Квелтер №", Cp1251ToUtf8("\xCA\xE2\xE5\xEB\xF2\xE5\xF0 \xB9"));
    // Characters outside CP1251, an emoji, and malformed UTF-8 each give "?".
    EXPECT_EQ("a?b?c?", Utf8ToCp1251("a\xE4\xB8\xAD"
                                     "b\xF0\x9F\x98\x80"
                                     "c\xC3"));
    // Malformed forms give one "?" for each byte that starts no character, as
    // the controls read them: an overlong "A" or NUL, a surrogate, a value
    // past U+10FFFF.
    EXPECT_EQ("??|???|???|????|x", Utf8ToCp1251("\xC1\x81|\xE0\x80\x80|\xED\xA0\x80|"
                                                "\xF4\x90\x80\x80|x"));
}

TEST(Models, NamesAndIdsOfTheThreeModels) {
    const std::pair<int, const char*> models[] = {{0x11, "RQ30"}, {0x70, "RQ10"}, {0x80, "RQ20"}};
    for (auto [id, name] : models) {
        EXPECT_STREQ(name, modelName(id));
        EXPECT_EQ(id, modelIdFromName(name));
    }
    EXPECT_EQ(nullptr, modelName(0x42));
    EXPECT_EQ(-1, modelIdFromName("rq30"));
    EXPECT_EQ(-1, modelIdFromName(""));
}

}  // namespace
