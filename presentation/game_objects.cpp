// "gameobjs.txt": group blocks "[name/]" ... "[/name]" holding "object = file" entries.
#include "presentation/game_objects.h"

#include <cstring>

#include "app/textures.h"
#include "resources/files.h"

GameObjectTable gameObjects;
GameObjectModelList gameObjectModels;

namespace {

bool isBlank(char c) {
    return static_cast<unsigned char>(c) < '!';
}

// Copies text[from, to) into a zero-terminated buffer, cut to fit.
void copyCut(char* out, size_t capacity, std::string_view text, size_t from, size_t to) {
    size_t n = to > from ? to - from : 0;
    if (n > capacity - 1) n = capacity - 1;
    std::memcpy(out, text.data() + from, n);
    out[n] = 0;
}

bool contains(const char* text, const char* word) {
    return std::strstr(text, word) != nullptr;
}

}  // namespace

void parseGameObjects(std::string_view text, GameObjectTable& table) {
    table.count = 0;
    table.groupCount = 0;
    const size_t end = text.size();
    size_t pos = 0;
    int group = -1;
    bool inBlock = false;
    while (pos < end) {
        if (!inBlock) {
            // Whatever lies between blocks is skipped up to the next tag.
            while (pos < end && text[pos] != '[') ++pos;
            if (pos >= end) break;
            ++pos;
            if (pos < end && text[pos] == '/') {  // a stray closing tag
                while (pos < end && text[pos] != ']') ++pos;
                continue;
            }
            size_t nameEnd = pos;
            while (nameEnd < end && text[nameEnd] != '/' && text[nameEnd] != ']') ++nameEnd;
            ++group;
            if (table.groupCount < kGameObjectGroupCapacity) {
                copyCut(table.groups[table.groupCount], kGameObjectNameCapacity, text, pos, nameEnd);
                ++table.groupCount;
            }
            pos = nameEnd;
            while (pos < end && text[pos] != ']') ++pos;
            if (pos < end) ++pos;
            inBlock = true;
            continue;
        }
        while (pos < end && isBlank(text[pos])) ++pos;
        if (pos >= end) break;
        if (text[pos] == '[') {  // the closing tag ends the block
            while (pos < end && text[pos] != ']') ++pos;
            if (pos < end) ++pos;
            inBlock = false;
            continue;
        }
        if (text[pos] == ',') {
            ++pos;
            continue;
        }
        const size_t nameStart = pos;
        while (pos < end && !isBlank(text[pos]) && text[pos] != '=' && text[pos] != '[') ++pos;
        const size_t nameEnd = pos;
        while (pos < end && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
        if (pos >= end || text[pos] != '=') {
            // Not an entry: the rest of the line is skipped.
            while (pos < end && text[pos] != '\n' && text[pos] != '[') ++pos;
            continue;
        }
        ++pos;
        // Blanks within the line only, so an empty value never takes the next line's name.
        while (pos < end && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
        const size_t valueStart = pos;
        while (pos < end && !isBlank(text[pos]) && text[pos] != ',') ++pos;
        if (table.count < kGameObjectCapacity) {
            GameObject& o = table.objects[table.count++];
            copyCut(o.name, kGameObjectNameCapacity, text, nameStart, nameEnd);
            copyCut(o.file, kGameObjectFileCapacity, text, valueStart, pos);
            o.texture = nullptr;
            o.model = nullptr;
            o.group = group;
        }
    }
}

GameObjectModel* findOrLoadModel(GameObjectModelList& list, const char* file) {
    for (int i = 0; i < list.count; ++i)
        if (std::strcmp(list.models[i].name, file) == 0) return &list.models[i];
    if (list.count >= kGameObjectModelCapacity) return nullptr;
    GameObjectModel& m = list.models[list.count++];
    std::memset(&m, 0, sizeof m);
    std::strncpy(m.name, file, sizeof m.name - 1);
    loadMeshList(file, m.meshes);
    return &m;
}

void loadGameObjects() {
    uint32_t size = 0;
    const uint8_t* bytes = loadFile("gameobjs.txt", &size, true);
    if (bytes == nullptr) return;
    parseGameObjects(std::string_view(reinterpret_cast<const char*>(bytes), size), gameObjects);
    for (int i = 0; i < gameObjects.count; ++i) {
        GameObject& o = gameObjects.objects[i];
        if (contains(o.file, ".tga") || contains(o.file, ".jpg"))
            o.texture = loadTexture(o.file);
        else if (contains(o.file, ".cgo"))
            o.model = findOrLoadModel(gameObjectModels, o.file);
    }
}

const GameObject* findGameObject(const GameObjectTable& table, const char* name) {
    for (int i = 0; i < table.count; ++i)
        if (std::strcmp(table.objects[i].name, name) == 0) return &table.objects[i];
    return nullptr;
}

const GameObject* findGameObject(const char* name) {
    return findGameObject(gameObjects, name);
}
