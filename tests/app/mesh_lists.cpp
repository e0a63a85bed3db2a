// Mesh lists that share meshes, without a window (drawing calls do nothing until a GPU
// device exists).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/app.h"
#include "app/mesh.h"
#include "app/textures.h"
#include "resources/fatal.h"
#include "resources/files.h"
#include "tests/support/temp_folder.h"

namespace {

std::string lastFatal;
void recordFatal(const char* caption, const char* text) {
    lastFatal = std::string(caption) + "|" + text;
}

std::string triangleMesh(uint32_t thirdIndex) {
    std::string out(37, '\0');
    out[3] = 1;
    uint32_t counts[2] = {3, 1};
    std::memcpy(&out[29], counts, 8);
    float points[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    out.append(reinterpret_cast<char*>(points), sizeof points);
    uint32_t face[3] = {0, 1, thirdIndex};
    out.append(reinterpret_cast<char*>(face), sizeof face);
    float uv[6] = {0, 0, 1, 0, 0, 1};
    out.append(reinterpret_cast<char*>(uv), sizeof uv);
    return out;
}

}  // namespace

TEST(MeshLists, ListsShareMeshesAndDamagedMeshesGiveNull) {
    TempFolder folder;
    FatalHandler previous = setFatalHandler(recordFatal);
    writeBytes(folder.path() / "good.msh", triangleMesh(2));
    writeBytes(folder.path() / "bad.msh", triangleMesh(3));
    writeBytes(folder.path() / "a.cgo", "nummeshes=2\r\nmesh0=good.msh\r\nmesh1=bad.msh\r\n ");
    writeBytes(folder.path() / "b.cgo", "nummeshes=1\r\nmesh0=good.msh\r\n ");
    MeshList a, b;
    loadMeshList("a.cgo", a);
    loadMeshList("b.cgo", b);
    ASSERT_EQ(a.count, 2);
    ASSERT_NE(a.meshes[0], nullptr);
    EXPECT_EQ(a.meshes[0], b.meshes[0]);  // loaded once, by file name
    EXPECT_EQ(a.meshes[0]->vertexCount, 3);
    EXPECT_EQ(a.meshes[0]->indexCount, 3);
    EXPECT_EQ(a.meshes[1], nullptr);
    EXPECT_EQ(a.textures[0], nullptr);  // no texture named
    EXPECT_TRUE(lastFatal.empty());

    MeshList missing;
    loadMeshList("absent.cgo", missing);
    EXPECT_EQ(lastFatal, "Loading Error|Can't load absent.cgo...\nProgram will now stop.");
    EXPECT_EQ(missing.count, 0);
    releaseAllMeshes(staticMeshTable);
    clearRegistry(fileRegistry);
    setFatalHandler(previous);
}
