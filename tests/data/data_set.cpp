// The built Data/ folder as the game reads it: the packs decode to exactly the
// files that went into them, every file the game loads is there (packed or loose
// where the game looks for it), pictures have the sizes the drawing code relies
// on, and scene, mesh and font files are well formed.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "resources/files.h"

namespace fs = std::filesystem;

namespace {

const fs::path kData = QUELMAR_DATA_DIR;
const fs::path kBuild = QUELMAR_BINARY_DIR;

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string folded(std::string name) {
    foldName(name.data());
    return name;
}

// A registry holding the three packs the game opens, with Data/ as current folder
// while a test runs, as during the game's loading.
class DataSet : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = fs::current_path();
        fs::current_path(kData);
        registry_ = std::make_unique<FileRegistry>();
        registry_->count = 0;
        for (const char* pack : {"targa.dat", "jpeg.dat", "texts.dat"}) openPack(*registry_, pack);
    }
    void TearDown() override {
        clearRegistry(*registry_);
        fs::current_path(previous_);
    }

    // Looks a file up the way the game does: from the packs first, then loose
    // in the folder that is current when the game loads it.
    std::string load(const std::string& folder, const std::string& name) {
        if (!fs::is_directory(kData / folder)) return std::string();
        const fs::path here = fs::current_path();
        fs::current_path(kData / folder);
        uint32_t size = 0;
        uint8_t* data = loadFile(*registry_, name.c_str(), &size, false);
        fs::current_path(here);
        return data ? std::string(reinterpret_cast<char*>(data), size) : std::string();
    }
    bool present(const std::string& folder, const std::string& name) {
        if (!fs::is_directory(kData / folder)) return false;
        const fs::path here = fs::current_path();
        fs::current_path(kData / folder);
        const bool found = loadFile(*registry_, name.c_str(), nullptr, false) != nullptr;
        fs::current_path(here);
        return found;
    }

    std::unique_ptr<FileRegistry> registry_;
    fs::path previous_;
};

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
    const uint8_t* at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

Picture decode(const std::string& bytes) {
    Picture p;
    int channels = 0;
    stbi_uc* data = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                          static_cast<int>(bytes.size()), &p.width, &p.height, &channels, 4);
    if (data) {
        p.rgba.assign(data, data + static_cast<size_t>(p.width) * p.height * 4);
        stbi_image_free(data);
    }
    return p;
}

std::vector<std::string> numbered(const std::string& prefix, int first, int last, const std::string& suffix) {
    std::vector<std::string> names;
    for (int i = first; i <= last; ++i) names.push_back(prefix + std::to_string(i) + suffix);
    return names;
}

// Files the game loads, by the folder that is current when it loads them.
// Extend the lists as code that loads new files lands.
const std::map<std::string, std::vector<std::string>> kPictureFiles = {
    {"figures",
     {"chetki.tga", "fonarik.tga", "inyan.tga", "kolokol.tga", "mechi.tga", "moneta.tga", "shkatulka.tga",
      "svitok.tga", "vaza.tga", "veer.tga", "molotok.tga", "chasiki.tga"}},
    {"field",
     {"field0.tga", "field1.tga", "field2.tga", "field4.tga", "field1a.tga", "field2a.tga",
      "fieldpodsvet.tga"}},
    {".", {"zep2.tga",    "gamebar.tga",    "flare.jpg",   "zhelob.tga",  "barrel.tga",   "fuse.tga",
           "tip.tga",     "heart.tga",      "bonus1.tga",  "bonus2.tga",  "cursor.tga",   "timer_hammer.tga",
           "bomb0.tga",   "exploanim.tga",  "font.tga",    "font.dat",    "font3.tga",    "font3.dat",
           "podsvet.jpg", "menutex.tga",    "white.jpg",   "winfill.jpg", "baloon.tga",   "button.tga",
           "back.jpg",    "zaglushka.jpg",  "vopros.jpg",  "vopros2.jpg", "gameobjs.txt", "splash1.jpg",
           "splash2.jpg", "loadscreen.jpg", "loadbar.jpg", "seal1.tga",   "seal2.tga",    "seal3.tga",
           "seal4.tga",   "seal5.tga",      "seal6.tga",   "seal7.tga",   "seal8.tga",    "seal9.tga",
           "seal10.tga"}},
    {"effects", {"exploanim.tga"}},
};

TEST_F(DataSet, PacksHoldExactlyTheStagedFilesAndDecodeToTheirBytes) {
    // The staging folder is what the pack tool saw; every file there of a packed
    // kind must come back out of its pack byte for byte.
    const fs::path stage = kBuild / "datagen-stage";
    ASSERT_TRUE(fs::is_directory(stage));
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(stage)) {
        const std::string name = entry.path().filename().string();
        const std::string ext = entry.path().extension().string();
        if (ext != ".tga" && ext != ".jpg" && ext != ".txt") continue;
        bool found = false;
        for (int i = 0; i < registry_->count; ++i) {
            const FileRecord& row = registry_->rows[i];
            if (row.ownsData || folded(name) != row.name) continue;
            found = true;
            EXPECT_EQ(std::string(reinterpret_cast<char*>(row.data), row.size), readAll(entry.path()))
                << name;
        }
        EXPECT_TRUE(found) << name << " is not in its pack";
        ++checked;
    }
    EXPECT_GT(checked, 30);
    // The four start-up pictures are never packed: they are shown before the packs open.
    for (const char* loose : {"splash1.jpg", "splash2.jpg", "loadscreen.jpg", "loadbar.jpg"}) {
        for (int i = 0; i < registry_->count; ++i) EXPECT_NE(registry_->rows[i].name, folded(loose));
        EXPECT_TRUE(fs::is_regular_file(kData / loose)) << loose;
    }
}

TEST_F(DataSet, EveryPictureFontSceneAndModelFileIsWhereTheGameLooks) {
    for (const auto& [folder, names] : kPictureFiles)
        for (const std::string& name : names) EXPECT_TRUE(present(folder, name)) << folder << "/" << name;
    for (const std::string& name : numbered("_a_back", 0, 12, ".jpg"))
        EXPECT_TRUE(present("AnimBacks", name)) << name;
    for (const std::string& name : numbered("level", 0, 12, ".lev"))
        EXPECT_TRUE(present("AnimBacks", name)) << name;
    for (const std::string& name : numbered("a", 1, 10, ".jpg"))
        EXPECT_TRUE(present("artefacts", name)) << name;
    for (const std::string& name : numbered("d", 1, 5, ".jpg"))
        EXPECT_TRUE(present("artefacts", name)) << name;
    for (const std::string& name : numbered("", 1, 10, ".tga")) EXPECT_TRUE(present("mask", name)) << name;
}

// The texts, levels, effects, sounds and music come from other parts of the
// build; once any file of a group is there, the whole group must be.
TEST_F(DataSet, AuthoredAndSoundFilesAreCompleteOnceTheyArrive) {
    struct Group {
        std::string folder;
        std::vector<std::string> names;
    };
    std::vector<Group> groups = {
        {".", {"menu.txt", "strings.txt", "tips.txt", "menutext.txt"}},
        {"levels", numbered("pack1_0", 1, 9, ".lvl")},
        {"effects", {"smoke.par",      "flare1.par",      "flare.par",     "flare2.par",     "flare3.par",
                     "tail2.par",      "molotok.par",     "molotok2.par",  "bonusscore.par", "blik3.par",
                     "hammer.par",     "hammerbonus.par", "nomoves.par",   "score.par",      "scorewow.par",
                     "levelover0.par", "barrelex.par",    "barrelex1.par", "bomb1_1.par",    "bomb1_2.par",
                     "endtime.par",    "endtime1.par",    "lightning.par", "krestbomb.par",  "delete.par",
                     "addbonus.par",   "prototip.par",    "zep1.par",      "mask.par",       "effect01.par"}},
        {"Sounds", {"addbonus.ogg",   "addlife.ogg",     "barrel.ogg", "bomb1.ogg",  "bomb2.ogg",
                    "bomb3.ogg",      "bomb4.ogg",       "chpok1.ogg", "clock.ogg",  "combo.ogg",
                    "combobonus.ogg", "figurefall.ogg",  "gaf.ogg",    "hammer.ogg", "hammeradd.ogg",
                    "lightning.ogg",  "menu.ogg",        "menu2.ogg",  "ohno.ogg",   "ohthisishard.ogg",
                    "openpiece.ogg",  "openquelmar.ogg", "score.ogg",  "square.ogg", "superchain.ogg",
                    "timebonus.ogg",  "timeup.ogg",      "tobad.ogg",  "unmove.ogg", "wow.ogg",
                    "zep.ogg"}},
    };
    for (const std::string& name : numbered("pack1_", 10, 80, ".lvl")) groups[1].names.push_back(name);
    groups[1].names.push_back("help.lvl");
    for (const char* page : {"bomb", "lightning", "crossbomb", "diagonalbomb", "starbomb", "chain",
                             "doublecover", "hammer", "clock"})
        groups[1].names.push_back(std::string("help_") + page + ".lvl");
    for (const Group& group : groups) {
        int there = 0;
        for (const std::string& name : group.names) there += present(group.folder, name);
        if (there == 0) continue;
        for (const std::string& name : group.names)
            EXPECT_TRUE(present(group.folder, name)) << group.folder << "/" << name;
    }
    if (fs::is_directory(kData / "Sounds")) {
        EXPECT_TRUE(fs::is_regular_file(kData / "music.mo3"));
    }
}

TEST_F(DataSet, PicturesHaveTheSizesTheirDrawingAssumes) {
    for (const std::string& sheet : kPictureFiles.at("figures")) {
        const Picture p = decode(load("figures", sheet));
        EXPECT_EQ(p.width, 2 * p.height) << sheet;  // 8 x 4 square frames
        EXPECT_EQ(p.width % 8, 0) << sheet;
        // Frame 0 is the charm at rest, centred: opaque in the middle, clear at the corners.
        const int frame = p.width / 8;
        EXPECT_EQ(p.at(0, 0)[3], 0) << sheet;
        int opaque = 0;
        for (int y = frame / 4; y < frame * 3 / 4; ++y)
            for (int x = frame / 4; x < frame * 3 / 4; ++x) opaque += p.at(x, y)[3] > 200;
        EXPECT_GT(opaque, frame * frame / 16) << sheet;
    }
    const struct {
        const char* name;
        int width, height;
    } sizes[] = {{"exploanim.tga", 512, 512}, {"gamebar.tga", 128, 512},    {"fuse.tga", 1024, 64},
                 {"menutex.tga", 256, 512},   {"baloon.tga", 256, 128},     {"splash1.jpg", 800, 600},
                 {"splash2.jpg", 800, 600},   {"loadscreen.jpg", 800, 600}, {"loadbar.jpg", 512, 64},
                 {"back.jpg", 800, 600},      {"zaglushka.jpg", 256, 256}};
    for (const auto& s : sizes) {
        const Picture p = decode(load(".", s.name));
        EXPECT_EQ(p.width, s.width) << s.name;
        EXPECT_EQ(p.height, s.height) << s.name;
    }
    // The backs: an 800 x 600 JPEG followed by exactly one alpha byte per pixel,
    // with some transparency for the elements drawn behind the picture.
    for (const std::string& name : numbered("_a_back", 0, 12, ".jpg")) {
        const std::string bytes = load("AnimBacks", name);
        const size_t end = bytes.find("\xFF\xD9");
        ASSERT_NE(end, std::string::npos) << name;
        const Picture p = decode(bytes.substr(0, end + 2));
        EXPECT_EQ(p.width, 800) << name;
        EXPECT_EQ(p.height, 600) << name;
        const std::string alpha = bytes.substr(end + 2);
        EXPECT_EQ(alpha.size(), 800u * 600u) << name;
        EXPECT_NE(alpha.find('\0'), std::string::npos) << name;
    }
}

TEST_F(DataSet, FigureSheetsTurnSmoothlyAndComeBackToRest) {
    // The picture moves away from its resting pose, and neighbouring frames differ
    // little, the last leading back to the first (no frame out of place).
    for (const std::string& sheet : kPictureFiles.at("figures")) {
        const Picture p = decode(load("figures", sheet));
        ASSERT_GT(p.width, 0) << sheet;
        const int frame = p.width / 8;
        auto difference = [&](int a, int b) {
            double sum = 0;
            for (int y = 0; y < frame; ++y)
                for (int x = 0; x < frame; ++x) {
                    const uint8_t* pa = p.at((a % 8) * frame + x, (a / 8) * frame + y);
                    const uint8_t* pb = p.at((b % 8) * frame + x, (b / 8) * frame + y);
                    for (int c = 0; c < 4; ++c) sum += std::abs(pa[c] - pb[c]);
                }
            return sum / (frame * frame * 4.0);
        };
        double largestStep = 0, farthestFromRest = 0;
        for (int f = 0; f < 32; ++f) {
            largestStep = std::max(largestStep, difference(f, (f + 1) % 32));
            farthestFromRest = std::max(farthestFromRest, difference(0, f));
        }
        EXPECT_GT(farthestFromRest, 0.5) << sheet;
        EXPECT_LT(largestStep, 25.0) << sheet;
    }
}

TEST_F(DataSet, EveryPictureDecodes) {
    // Packed pictures straight from the registry, loose ones from their folders.
    int pictures = 0;
    for (int i = 0; i < registry_->count; ++i) {
        const FileRecord& row = registry_->rows[i];
        const std::string name = row.name;
        if (row.ownsData ||
            (name.find(".TGA") == std::string::npos && name.find(".JPG") == std::string::npos))
            continue;
        const Picture p = decode(std::string(reinterpret_cast<char*>(row.data), row.size));
        EXPECT_GT(p.width, 0) << name;
        ++pictures;
    }
    for (const auto& entry : fs::recursive_directory_iterator(kData)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".tga" && ext != ".jpg") continue;
        EXPECT_GT(decode(readAll(entry.path())).width, 0) << entry.path();
        ++pictures;
    }
    EXPECT_GT(pictures, 100);
}

TEST_F(DataSet, FontsCoverThePrintableBytesAndCentreTheirGlyphs) {
    for (const char* font : {"font", "font3"}) {
        const std::string metrics = load(".", std::string(font) + ".dat");
        ASSERT_EQ(metrics.size(), 516u) << font;
        int32_t cells;
        std::memcpy(&cells, metrics.data(), 4);
        EXPECT_EQ(cells, 16) << font;
        const Picture atlas = decode(load(".", std::string(font) + ".tga"));
        ASSERT_EQ(atlas.width, atlas.height) << font;
        const int cell = atlas.width / cells;
        for (int c = 32; c <= 126; ++c) {
            const int width = static_cast<uint8_t>(metrics[4 + c]);
            const int index = static_cast<uint8_t>(metrics[260 + c]);
            EXPECT_GT(width, 0) << font << " byte " << c;
            if (c == 32) continue;
            // Some ink in the glyph's cell, none in its outermost pixel ring.
            int ink = 0, border = 0;
            const int ox = (index % cells) * cell, oy = (index / cells) * cell;
            for (int y = 0; y < cell; ++y)
                for (int x = 0; x < cell; ++x) {
                    const uint8_t a = atlas.at(ox + x, oy + y)[3];
                    ink += a > 128;
                    if (x == 0 || y == 0 || x == cell - 1 || y == cell - 1) border += a;
                }
            EXPECT_GT(ink, 0) << font << " byte " << c;
            EXPECT_EQ(border, 0) << font << " byte " << c;
        }
    }
}

TEST_F(DataSet, MasksOpenThePiecesInTheirOrder) {
    // Piece centres from the medallion centre, y upwards, in opening order.
    const int pieces[10][2] = {{-55, 95},  {55, 95},   {95, 55},  {95, -55}, {55, -95},
                               {-55, -95}, {-95, -55}, {-95, 55}, {0, -45},  {0, 45}};
    const Picture cover = decode(load(".", "zaglushka.jpg"));
    for (int n = 1; n <= 10; ++n) {
        const Picture mask = decode(load("mask", std::to_string(n) + ".tga"));
        ASSERT_EQ(mask.width, cover.width);
        ASSERT_EQ(mask.height, cover.height);
        for (int k = 0; k < 10; ++k) {
            const int x = mask.width / 2 + pieces[k][0], y = mask.height / 2 - pieces[k][1];
            const uint8_t value = mask.at(x, y)[2];  // the blue channel, first in the texel
            EXPECT_EQ(value, k < n ? 0 : 255) << "mask " << n << " piece " << k;
        }
    }
}

// Each zone not yet reached shows its own seal: round (the map shows between the
// seals), in a colour no other zone has, with an emblem carved into its face.
TEST_F(DataSet, EachZoneSealIsRoundInItsOwnColourAndCarved) {
    std::vector<std::array<double, 3>> means;
    for (int n = 1; n <= 10; ++n) {
        SCOPED_TRACE(n);
        const Picture seal = decode(load(".", "seal" + std::to_string(n) + ".tga"));
        ASSERT_EQ(seal.width, 128);
        ASSERT_EQ(seal.height, 128);
        EXPECT_LT(seal.at(1, 1)[3], 40) << "a square corner";
        EXPECT_EQ(seal.at(64, 64)[3], 255);
        std::array<double, 3> mean = {0, 0, 0};
        double sum = 0, squares = 0;
        int count = 0;
        for (int y = 24; y < 104; ++y)
            for (int x = 24; x < 104; ++x) {
                const uint8_t* p = seal.at(x, y);
                for (int c = 0; c < 3; ++c) mean[c] += p[c];
                const double light = (p[0] + p[1] + p[2]) / 3.0;
                sum += light, squares += light * light, ++count;
            }
        for (double& m : mean) m /= count;
        means.push_back(mean);
        const double spread = std::sqrt(squares / count - (sum / count) * (sum / count));
        EXPECT_GT(spread, 12.0) << "a blank face: no emblem carved";
    }
    for (size_t a = 0; a < means.size(); ++a)
        for (size_t b = a + 1; b < means.size(); ++b) {
            double distance = 0;
            for (int c = 0; c < 3; ++c) distance += std::fabs(means[a][c] - means[b][c]);
            EXPECT_GT(distance, 10.0) << "seals " << a + 1 << " and " << b + 1 << " look alike";
        }
}

TEST_F(DataSet, SceneFilesNameDeclaredObjectsAndEveryBackMoves) {
    const std::string objects = load(".", "gameobjs.txt");
    ASSERT_FALSE(objects.empty());
    for (int i = 0; i <= 12; ++i) {
        const std::string scene = load("AnimBacks", "level" + std::to_string(i) + ".lev");
        ASSERT_GE(scene.size(), 68u);
        int32_t count;
        std::memcpy(&count, scene.data() + 64, 4);
        ASSERT_EQ(scene.size(), 68u + 65u * static_cast<size_t>(count)) << i;
        bool moving = false;
        for (int k = 0; k < count; ++k) {
            const char* element = scene.data() + 68 + 65 * k;
            const std::string name(element, strnlen(element, 32));
            ASSERT_LT(name.size(), 32u);
            EXPECT_NE(objects.find("\n" + name + " ="), std::string::npos) << name;
            float rect[4];
            std::memcpy(rect, element + 32, 16);
            EXPECT_LT(rect[0], rect[2]) << name;
            EXPECT_LT(rect[1], rect[3]) << name;
            moving = moving || name.find("sky") != std::string::npos ||
                     name.find("water") != std::string::npos || name.find("leaves") != std::string::npos;
        }
        EXPECT_TRUE(moving) << "back " << i;
    }
    // Every file the object table names can be loaded.
    size_t pos = 0;
    while ((pos = objects.find('=', pos)) != std::string::npos) {
        size_t start = pos + 1;
        while (start < objects.size() && static_cast<unsigned char>(objects[start]) < '!') ++start;
        size_t end = start;
        while (end < objects.size() && static_cast<unsigned char>(objects[end]) >= '!' && objects[end] != ',')
            ++end;
        const std::string file = objects.substr(start, end - start);
        EXPECT_TRUE(present(".", file)) << file;
        pos = end;
    }
}

TEST_F(DataSet, ModelMeshesAreWellFormed) {
    const std::string list = load(".", "pagoda.cgo");
    ASSERT_NE(list.find("nummeshes=2"), std::string::npos);
    for (const char* mesh : {"pagoda_roof.msh", "pagoda_hall.msh"}) {
        ASSERT_NE(list.find(mesh), std::string::npos) << mesh;
        const std::string bytes = load(".", mesh);
        ASSERT_GE(bytes.size(), 37u) << mesh;
        int32_t vertices, faces;
        std::memcpy(&vertices, bytes.data() + 29, 4);
        std::memcpy(&faces, bytes.data() + 33, 4);
        ASSERT_EQ(bytes.size(), 37u + 12u * vertices + 36u * faces) << mesh;
        for (int32_t f = 0; f < faces * 3; ++f) {
            int32_t index;
            std::memcpy(&index, bytes.data() + 37 + 12 * vertices + 4 * f, 4);
            EXPECT_GE(index, 0);
            EXPECT_LT(index, vertices);
        }
    }
}

TEST(DataGenerator, SameSourcesGiveTheSameBytes) {
    // A second run into a fresh folder reproduces what the build made.
    const fs::path fresh = fs::temp_directory_path() / ("quelmars-datagen-" + std::to_string(::getpid()));
    const std::string command = "ASAN_OPTIONS=detect_leaks=0 '" + (kBuild / "bin" / "datagen").string() +
                                "' '" + fresh.string() +
                                "' backs collection effects figures fonts menu models playfield splash";
    ASSERT_EQ(std::system(command.c_str()), 0);
    int compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(fresh)) {
        if (!entry.is_regular_file()) continue;
        const fs::path rel = fs::relative(entry.path(), fresh);
        EXPECT_EQ(readAll(entry.path()), readAll(kBuild / "datagen" / rel)) << rel;
        ++compared;
    }
    EXPECT_GT(compared, 100);
    fs::remove_all(fresh);
}

}  // namespace
