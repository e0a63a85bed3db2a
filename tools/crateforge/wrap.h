#pragma once
// The pack writer of the `crateforge` tool. It shares nothing with the game but
// the pack format: entries of name, zero byte, 32-bit little-endian size and the
// content combined byte by byte with the name by exclusive-or.

constexpr int kMaxPackedNameLength = 59;

// Packs the files of the current folder (or of folder, when given, restoring the
// current folder afterwards) that match the comma-separated wildcard patterns into
// packName + ".dat". Patterns ignore letter case; matches are packed in byte-wise
// name order. Progress goes to standard output, problems to standard error.
// Returns 1 when everything went well, 0 when anything failed.
int wrapFolder(const char* packName, const char* patterns, const char* folder = nullptr);
