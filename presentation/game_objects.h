#pragma once
// Game objects: the names the scenery uses for its pictures. "gameobjs.txt" lists them
// in named groups; each object stands for a texture, a composite model (".cgo", a mesh
// list shared by every object naming the same file) or nothing.
#include <cstdint>
#include <string_view>

#include "app/mesh.h"

struct TextureRecord;

constexpr int kGameObjectCapacity = 512;
constexpr int kGameObjectGroupCapacity = 64;
constexpr int kGameObjectModelCapacity = 1024;
constexpr int kGameObjectNameCapacity = 32;  // up to 31 characters and a zero
constexpr int kGameObjectFileCapacity = 128;

struct GameObjectModel {
    char name[kGameObjectFileCapacity];  // the ".cgo" file it was loaded from
    MeshList meshes;
};

struct GameObject {
    char name[kGameObjectNameCapacity];
    char file[kGameObjectFileCapacity];  // the value of its entry, as written
    TextureRecord* texture;              // for ".tga" and ".jpg" files, else null
    GameObjectModel* model;              // for ".cgo" files, else null
    int32_t group;                       // 0-based order of its group block
};

struct GameObjectTable {
    GameObject objects[kGameObjectCapacity];  // file order; entries beyond the capacity are ignored
    int count;
    char groups[kGameObjectGroupCapacity][kGameObjectNameCapacity];
    int groupCount;
};

struct GameObjectModelList {
    GameObjectModel models[kGameObjectModelCapacity];
    int count;
};

extern GameObjectTable gameObjects;
extern GameObjectModelList gameObjectModels;

// Reads the text of "gameobjs.txt" into the table (names, files and groups; nothing is
// loaded). A text that ends inside a block keeps every entry read so far.
void parseGameObjects(std::string_view text, GameObjectTable& table);

// The model of that ".cgo" file: the one already in the list, or a new one filled from
// the file. Null when the list is full.
GameObjectModel* findOrLoadModel(GameObjectModelList& list, const char* file);

// Reads "gameobjs.txt" (fatal when missing) and loads every texture and model it names.
void loadGameObjects();

// The first object with exactly that name (letter case counts), or null.
const GameObject* findGameObject(const GameObjectTable& table, const char* name);
const GameObject* findGameObject(const char* name);
