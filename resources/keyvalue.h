#pragma once
// Readers for the game's key=value texts (levels, effects, mesh lists) and the
// tokeniser of the string-table files. Each call searches the raw text again: the
// first occurrence of the key string anywhere wins. A value runs to the next CR,
// or to the end of the text when no CR follows. Nothing is read past the text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "resources/vector3.h"

// Copies the value into out (at most outCapacity - 1 bytes, then a zero). Returns out,
// or nullptr with out empty when the key is missing or the value is empty.
char* readString(char* out, size_t outCapacity, std::string_view text, const char* key);

// The value (at most 31 bytes) read as a C double. Missing key or no number: 0.
float readFloat(std::string_view text, const char* key);

// The value read as a double and truncated toward zero ("3.9" -> 3, "-2.5" -> -2),
// clamped to the 32-bit range. Missing key or no number: 0.
int32_t readInt(std::string_view text, const char* key);

// A bracketed list "(1,0.5,0.25,1)" or "{0,90,180}" (value up to 259 bytes) into
// out[0], out[1], ...; never more than outCapacity items. Without ")" or "}" nothing is
// stored. Returns the number of items stored.
int readFloatList(std::string_view text, float* out, int outCapacity, const char* key);

// A triple "(x,y,z)" (value up to 63 bytes). Missing key or fewer than three items:
// the zero vector.
Vector3 readVector3(std::string_view text, const char* key);

// Walks a string-table text from start to end and hands each entry to onEntry in
// file order: "key=value" lines and "[key/]" ... "[/key]" blocks. The views point
// into text. Stops quietly at the end of the text, also inside an unfinished entry.
using StringEntryHandler = void (*)(void* context, std::string_view key, std::string_view value);
void tokenizeStringTable(std::string_view text, StringEntryHandler onEntry, void* context);

// Loads a string-table file with loadFile (missing file is fatal), tokenises all but
// its last byte (the spare final line end the files carry), then releases it.
void loadStringTableFile(const char* name, StringEntryHandler onEntry, void* context);
