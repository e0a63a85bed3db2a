// Breaking texts into lines with the real body font.
#include <string>

#include "tests/text/text_fixture.h"

namespace {

struct Wrapped {
    std::string text;
    float height;
};

Wrapped wrap(const char* text, float maxWidth, float s, size_t capacity = 512) {
    std::vector<char> buffer(capacity);
    float height = wrapTextInto(buffer.data(), capacity, bodyFont(), 0.9f, maxWidth, text, s);
    return {buffer.data(), height};
}

// Every line of a wrapped text, measured.
std::vector<float> lineWidths(const std::string& text, float s) {
    std::vector<float> widths;
    size_t start = 0;
    while (true) {
        size_t end = text.find_first_of("\r\n", start);
        widths.push_back(textWidth(bodyFont(), text.substr(start, end - start).c_str(), s));
        if (end == std::string::npos) return widths;
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
}

}  // namespace

TEST(Wrapping, TwoWordsWhereOnlyTheFirstFitsBreakAtTheBlank) {
    float s = 10;
    float whole = textWidth(bodyFont(), "Perfect combo", s);
    Wrapped w = wrap("Perfect combo", whole - 1, s);
    EXPECT_EQ(w.text, "Perfect\ncombo");
    EXPECT_FLOAT_EQ(w.height, 2 * 1.8f * s);

    Wrapped fits = wrap("Perfect combo", whole, s);
    EXPECT_EQ(fits.text, "Perfect combo");
    EXPECT_FLOAT_EQ(fits.height, 1.8f * s);
}

TEST(Wrapping, LongParagraphKeepsEveryByteAndNoLineIsTooWide) {
    float s = 9, maxWidth = 220;
    const char* text =
        "Ten zones lie in a ring around the old medallion, and each hides a quelmar, a treasure of the "
        "ancient makers.\r\nBreak every cover and free every chained piece to win a level.";
    Wrapped w = wrap(text, maxWidth, s);
    std::string expected = text;
    std::string got = w.text;
    for (char& c : got)
        if (c == '\n') c = ' ';
    for (char& c : expected)
        if (c == '\n') c = ' ';
    EXPECT_EQ(got, expected);  // only blanks became line breaks (CR LF kept)
    auto widths = lineWidths(w.text, s);
    EXPECT_GT(widths.size(), 3u);
    for (float width : widths) EXPECT_LE(width, maxWidth);
    EXPECT_FLOAT_EQ(w.height, 1.8f * s * static_cast<float>(widths.size()));
}

TEST(Wrapping, AWordWiderThanTheLineIsBrokenAtTheOverflowingByte) {
    float s = 10;
    float maxWidth = textWidth(bodyFont(), "abcdef", s) + 0.5f;
    Wrapped w = wrap("ab abcdefghijklmnopqr z", maxWidth, s);
    // No byte lost; every line fits; the word's pieces are as long as fit.
    std::string joined;
    for (char c : w.text)
        if (c != '\n') joined += c;
    EXPECT_EQ(joined, "ababcdefghijklmnopqr z");
    for (float width : lineWidths(w.text, s)) EXPECT_LE(width, maxWidth);
    EXPECT_EQ(w.text.substr(0, 10), "ab\nabcdef\n");

    // A width narrower than any glyph still ends: one glyph per line.
    Wrapped narrow = wrap("Wide", 1, s);
    EXPECT_EQ(narrow.text, "W\ni\nd\ne");
    EXPECT_FLOAT_EQ(narrow.height, 4 * 1.8f * s);
}

TEST(Wrapping, TheBufferNeverOverflows) {
    std::string longWord(600, 'm');
    Wrapped w = wrap(longWord.c_str(), 50, 10, 64);
    EXPECT_LT(w.text.size(), 64u);
    Wrapped empty = wrap("", 50, 10);
    EXPECT_EQ(empty.text, "");
    EXPECT_FLOAT_EQ(empty.height, 18.0f);
}
