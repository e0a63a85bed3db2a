// The key/value readers and the string-table tokeniser.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "resources/fatal.h"
#include "resources/files.h"
#include "resources/keyvalue.h"
#include "tests/support/temp_folder.h"

namespace {

using namespace std::string_literals;

TEST(KeyValue, FirstOccurrenceWinsEvenInsideALongerKey) {
    const std::string text = "effecttime=3\r\ntime=120\r\ntime=5\r\n";
    EXPECT_EQ(readFloat(text, "time="), 3.0f);
    EXPECT_EQ(readInt(text, "effecttime="), 3);
    const std::string plain = "figures=6\r\nfigures=9\r\n";
    EXPECT_EQ(readInt(plain, "figures="), 6);
}

TEST(KeyValue, NumbersReadAsCDoublesAndTruncateTowardZero) {
    const std::string text =
        "a=12abc\r\nb=-7.8\r\nc=\r\nd=3.9\r\ne=  42\r\nf=1e300\r\ng=-1e300\r\nh=nan\r\ni=x5\r\n";
    EXPECT_EQ(readInt(text, "a="), 12);
    EXPECT_EQ(readInt(text, "b="), -7);
    EXPECT_EQ(readInt(text, "c="), 0);
    EXPECT_EQ(readInt(text, "d="), 3);
    EXPECT_EQ(readInt(text, "e="), 42);
    EXPECT_EQ(readInt(text, "f="), INT32_MAX);
    EXPECT_EQ(readInt(text, "g="), INT32_MIN);
    EXPECT_EQ(readInt(text, "h="), 0);
    EXPECT_EQ(readInt(text, "i="), 0);
    EXPECT_EQ(readInt(text, "missing="), 0);
    EXPECT_FLOAT_EQ(readFloat(text, "b="), -7.8f);
    EXPECT_EQ(readFloat(text, "missing="), 0.0f);
}

TEST(KeyValue, StringsKeepBlanksAndStopAtTheCarriageReturn) {
    const std::string text = "mesh0= rock.msh \r\nempty=\r\nlast=tail";
    char buffer[32];
    EXPECT_EQ(readString(buffer, sizeof buffer, text, "mesh0="), buffer);
    EXPECT_STREQ(buffer, " rock.msh ");
    EXPECT_EQ(readString(buffer, sizeof buffer, text, "empty="), nullptr);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(readString(buffer, sizeof buffer, text, "gone="), nullptr);
    EXPECT_STREQ(buffer, "");
    // The last line without a line end: the value runs to the end of the text.
    EXPECT_EQ(readString(buffer, sizeof buffer, text, "last="), buffer);
    EXPECT_STREQ(buffer, "tail");
    char small[5];
    readString(small, sizeof small, text, "mesh0=");
    EXPECT_STREQ(small, " roc");
}

TEST(KeyValue, ValuesNeverReadPastTheText) {
    // The view ends before the digits that follow in memory.
    const std::string memory = "time=12345";
    const std::string_view text(memory.data(), 7);
    EXPECT_EQ(readInt(text, "time="), 12);
    EXPECT_EQ(readInt(std::string_view(memory.data(), 4), "time="), 0);
    EXPECT_EQ(readInt(std::string_view(), "time="), 0);
}

TEST(KeyValue, FloatListsInParenthesesOrBraces) {
    const std::string text = "color0=(1,0.5,0.25,1)\r\nangles={0,90,180}\r\nbare=1,2,3\r\nempty=\r\n";
    float values[4] = {9, 9, 9, 9};
    EXPECT_EQ(readFloatList(text, values, 4, "color0="), 4);
    EXPECT_EQ(std::vector<float>(values, values + 4), (std::vector<float>{1, 0.5f, 0.25f, 1}));
    float angles[3] = {};
    EXPECT_EQ(readFloatList(text, angles, 3, "angles="), 3);
    EXPECT_EQ(std::vector<float>(angles, angles + 3), (std::vector<float>{0, 90, 180}));
    float untouched[3] = {7, 7, 7};
    EXPECT_EQ(readFloatList(text, untouched, 3, "bare="), 0);
    EXPECT_EQ(readFloatList(text, untouched, 3, "empty="), 0);
    EXPECT_EQ(readFloatList(text, untouched, 3, "gone="), 0);
    EXPECT_EQ(std::vector<float>(untouched, untouched + 3), (std::vector<float>{7, 7, 7}));
    // More items than the caller's array holds: only what fits is stored.
    float two[2] = {};
    EXPECT_EQ(readFloatList(text, two, 2, "color0="), 2);
}

TEST(KeyValue, Vector3FromTriplesAndZeroOtherwise) {
    const std::string text = "speed=(1.5,-2,30)\r\nshort=(1,2)\r\nnone=\r\n";
    const Vector3 speed = readVector3(text, "speed=");
    EXPECT_EQ(speed.x, 1.5f);
    EXPECT_EQ(speed.y, -2.0f);
    EXPECT_EQ(speed.z, 30.0f);
    for (const char* key : {"short=", "none=", "gone="}) {
        const Vector3 v = readVector3(text, key);
        EXPECT_EQ(v.x, 0.0f);
        EXPECT_EQ(v.y, 0.0f);
        EXPECT_EQ(v.z, 0.0f);
    }
}

using Entries = std::vector<std::pair<std::string, std::string>>;

void collect(void* context, std::string_view key, std::string_view value) {
    static_cast<Entries*>(context)->emplace_back(key, value);
}

Entries tokenize(const std::string& text) {
    Entries entries;
    tokenizeStringTable(text, collect, &entries);
    return entries;
}

TEST(StringTable, LinesAndBlocksInFileOrder) {
    // The loader hands over all but the file's last byte.
    const std::string file = "a=1\r\n[b/]\r\nx\r\ny\r\n[/b]\r\nkey =v w\r\n";
    EXPECT_EQ(tokenize(file.substr(0, file.size() - 1)),
              (Entries{{"a", "1"}, {"b", "x\r\ny\r\n"}, {"key ", "v w"}}));
}

TEST(StringTable, UnfinishedEntriesAtTheEndAreDropped) {
    EXPECT_EQ(tokenize("a=1\r\nb=2"), (Entries{{"a", "1"}}));
    EXPECT_EQ(tokenize("a=1\r\n[b/]\r\nno closing"), (Entries{{"a", "1"}}));
    EXPECT_EQ(tokenize("a=1\r\n[b/]\r\ntext[/b"), (Entries{{"a", "1"}}));
    EXPECT_EQ(tokenize("a=1\r\n[broken"), (Entries{{"a", "1"}}));
    EXPECT_EQ(tokenize("a=1\r\nno equals sign"), (Entries{{"a", "1"}}));
    EXPECT_EQ(tokenize(""), Entries{});
    EXPECT_EQ(tokenize(" \r\n\t "), Entries{});
}

TEST(StringTable, AZeroByteEndsTheText) {
    EXPECT_EQ(tokenize("a=1\r\n\0b=2\r\n"s), (Entries{{"a", "1"}}));
}

TEST(StringTable, HighBytesAreText) {
    EXPECT_EQ(tokenize("name=\xCF\xF0\xE8\r\n"), (Entries{{"name", "\xCF\xF0\xE8"}}));
}

TEST(StringTable, FileIsLoadedTokenisedAndReleased) {
    TempFolder folder;
    writeBytes("strings.txt", "hello=Hello!\r\nbye=Bye\r\n");
    const int before = fileRegistry.count;
    Entries entries;
    loadStringTableFile("strings.txt", collect, &entries);
    EXPECT_EQ(entries, (Entries{{"hello", "Hello!"}, {"bye", "Bye"}}));
    EXPECT_EQ(fileRegistry.count, before);
}

}  // namespace
