#include "resources/keyvalue.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "resources/files.h"

// The value of the first occurrence of key: from after the key to the next CR, or
// to the end of the text when no CR follows. Empty view when the key is missing.
static std::string_view findValue(std::string_view text, const char* key) {
    const size_t keyLength = std::strlen(key);
    if (keyLength == 0) return {};
    const size_t at = text.find(std::string_view(key, keyLength));
    if (at == std::string_view::npos) return {};
    const size_t start = at + keyLength;
    const size_t end = text.find('\r', start);
    return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// Copies a value into a zero-terminated buffer, cutting what does not fit.
template <size_t N>
static void copyValue(char (&out)[N], std::string_view value) {
    const size_t length = value.size() < N - 1 ? value.size() : N - 1;
    if (length) std::memcpy(out, value.data(), length);
    out[length] = 0;
}

char* readString(char* out, size_t outCapacity, std::string_view text, const char* key) {
    if (outCapacity == 0) return nullptr;
    const std::string_view value = findValue(text, key);
    const size_t length = value.size() < outCapacity - 1 ? value.size() : outCapacity - 1;
    if (length) std::memcpy(out, value.data(), length);
    out[length] = 0;
    return length ? out : nullptr;
}

float readFloat(std::string_view text, const char* key) {
    char buffer[32];
    copyValue(buffer, findValue(text, key));
    return static_cast<float>(std::strtod(buffer, nullptr));
}

// Truncates toward zero; values outside the 32-bit range are clamped and a value that
// is not a number gives 0, since converting those to an integer is undefined.
static int32_t truncateToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(value);
}

int32_t readInt(std::string_view text, const char* key) {
    char buffer[32];
    copyValue(buffer, findValue(text, key));
    return truncateToInt(std::strtod(buffer, nullptr));
}

int readFloatList(std::string_view text, float* out, int outCapacity, const char* key) {
    char buffer[260];
    copyValue(buffer, findValue(text, key));
    if (!buffer[0]) return 0;
    if (!std::strchr(buffer, ')') && !std::strchr(buffer, '}')) return 0;
    int count = 0;
    char* item = buffer + 1;
    while (count < outCapacity) {
        char* end = std::strchr(item, ',');
        if (!end) end = std::strchr(item, '}');
        if (!end) end = std::strchr(item, ')');
        if (!end) break;
        *end = 0;
        out[count++] = static_cast<float>(std::strtod(item, nullptr));
        item = end + 1;
    }
    return count;
}

Vector3 readVector3(std::string_view text, const char* key) {
    char buffer[64];
    copyValue(buffer, findValue(text, key));
    if (!buffer[0]) return {0, 0, 0};
    char* x = buffer + 1;
    char* xEnd = std::strchr(x, ',');
    if (!xEnd) return {0, 0, 0};
    *xEnd = 0;
    char* y = xEnd + 1;
    char* yEnd = std::strchr(y, ',');
    if (!yEnd) return {0, 0, 0};
    *yEnd = 0;
    char* z = yEnd + 1;
    char* zEnd = std::strchr(z, ')');
    if (!zEnd) return {0, 0, 0};
    *zEnd = 0;
    return {static_cast<float>(std::strtod(x, nullptr)), static_cast<float>(std::strtod(y, nullptr)),
            static_cast<float>(std::strtod(z, nullptr))};
}

void tokenizeStringTable(std::string_view text, StringEntryHandler onEntry, void* context) {
    // The table files are scanned as zero-terminated texts: a zero byte ends the text,
    // and the byte just past the end reads as that zero.
    const size_t zero = text.find('\0');
    if (zero != std::string_view::npos) text = text.substr(0, zero);
    const size_t n = text.size();
    auto byteAt = [&](size_t i) -> unsigned char { return i < n ? static_cast<unsigned char>(text[i]) : 0; };

    size_t i = 0;
    for (;;) {
        while (i < n && byteAt(i) <= 32) ++i;
        if (i >= n) return;
        if (text[i] == '[') {
            // "[key/]", line end, content lines, "[/key]"
            const size_t keyStart = i + 1;
            const size_t keyEnd = text.find("/]", keyStart);
            if (keyEnd == std::string_view::npos) return;
            size_t valueStart = keyEnd + 2;
            while (valueStart < n && byteAt(valueStart) < 32) ++valueStart;
            const size_t valueEnd = text.find('[', valueStart);
            if (valueEnd == std::string_view::npos) return;
            const size_t close = text.find(']', valueEnd);
            if (close == std::string_view::npos) return;
            onEntry(context, text.substr(keyStart, keyEnd - keyStart),
                    text.substr(valueStart, valueEnd - valueStart));
            i = close + 1;
        } else {
            // "key=value" up to the first two bytes below 32 (the CR LF)
            const size_t equals = text.find('=', i);
            if (equals == std::string_view::npos) return;
            size_t end = equals + 1;
            while (end < n && !(byteAt(end) < 32 && byteAt(end + 1) < 32)) ++end;
            if (end >= n) return;
            onEntry(context, text.substr(i, equals - i), text.substr(equals + 1, end - equals - 1));
            i = end + 2;
        }
    }
}

void loadStringTableFile(const char* name, StringEntryHandler onEntry, void* context) {
    uint32_t size = 0;
    uint8_t* data = loadFile(name, &size, true);
    if (!data) return;
    if (size > 0) {
        // The last byte (the file's spare final line end) becomes the terminator.
        data[size - 1] = 0;
        tokenizeStringTable(std::string_view(reinterpret_cast<const char*>(data), size - 1), onEntry,
                            context);
    }
    releaseFile(data);
}
