#pragma once
// Reading the authored data texts straight from the source tree, and the string
// tables as the game fills them: three files, one table, entries in file order.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "resources/keyvalue.h"

inline std::filesystem::path assetPath(const std::string& relative) {
    return std::filesystem::path(QUELMAR_SOURCE_DIR) / "assets" / relative;
}

// The built Data folder; the environment variable of the same name points the tests
// at another build's data (for example while the data build lives on another branch).
inline std::filesystem::path dataDir() {
    const char* override = std::getenv("QUELMAR_DATA_DIR");
    return override ? override : QUELMAR_DATA_DIR;
}

inline std::string readAsset(const std::string& relative) {
    std::ifstream in(assetPath(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct StringEntry {
    std::string key;
    std::string value;
    std::string file;
};

inline void appendEntry(void* context, std::string_view key, std::string_view value) {
    auto* entries = static_cast<std::vector<StringEntry>*>(context);
    entries->push_back({std::string(key), std::string(value), {}});
}

// The game overwrites a string file's last byte with a zero before tokenising it,
// so the tokeniser sees everything but that byte.
inline std::vector<StringEntry> loadStringTables() {
    std::vector<StringEntry> entries;
    for (const char* file : {"strings.txt", "tips.txt", "menutext.txt"}) {
        std::string text = readAsset(std::string("pack/") + file);
        size_t before = entries.size();
        if (!text.empty())
            tokenizeStringTable(std::string_view(text).substr(0, text.size() - 1), appendEntry, &entries);
        for (size_t i = before; i < entries.size(); ++i) entries[i].file = file;
    }
    return entries;
}

inline int indexOfKey(const std::vector<StringEntry>& entries, const std::string& key) {
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].key == key) return static_cast<int>(i);
    return -1;
}

// Every text file the game reads is single-byte with CR LF line ends and ends with one.
inline void expectCrLfText(const std::string& name, const std::string& text, bool asciiOnly) {
    ASSERT_FALSE(text.empty()) << name;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << name << " must end with a line end";
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << name << ": bare LF at byte " << i;
        } else if (c == '\r') {
            ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << name << ": bare CR at byte " << i;
        } else if (asciiOnly) {
            ASSERT_TRUE(c >= 32 && c < 127) << name << ": byte " << int(c) << " at " << i;
        }
    }
}
