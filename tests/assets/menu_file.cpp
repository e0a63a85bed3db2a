// The menu file builds the tree the menu engine expects: every node and item the game
// shows or compares by name exists, blocks are found where they begin, and every
// caption is in the string tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/assets/asset_files.h"

namespace {

struct MenuTree {
    std::map<std::string, std::vector<std::string>> children;
    std::vector<std::string> problems;
};

// Mirrors the engine's lookup: the block of a node is the first occurrence of its name
// and "=", anywhere in the file; its items run to the first empty line.
void buildNode(const std::string& text, const std::string& name, MenuTree& tree) {
    if (tree.children.count(name)) return;
    tree.children[name];
    size_t at = text.find(name + "=");
    if (at == std::string::npos) return;
    if (at != 0 && text[at - 1] != '\n') tree.problems.push_back(name + "= is found inside another header");
    size_t line = text.find("\r\n", at);
    if (line == std::string::npos || line != at + name.size() + 1) {
        tree.problems.push_back(name + "= is not a header line of its own");
        return;
    }
    std::vector<std::string> items;
    size_t pos = line + 2;
    while (true) {
        if (pos >= text.size()) {
            tree.problems.push_back("block " + name + " is not closed by an empty line");
            break;
        }
        if (text[pos] == '\r') break;
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        items.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    if (items.size() > 16) tree.problems.push_back("block " + name + " has more than 16 items");
    tree.children[name] = items;
    for (const std::string& item : items) buildNode(text, item, tree);
}

class MenuFile : public ::testing::Test {
  protected:
    void SetUp() override {
        text = readAsset("pack/menu.txt");
        // The engine overwrites the last byte with a zero before reading.
        std::string seen = text.substr(0, text.size() - 1);
        buildNode(seen, "main", tree);
        for (const char* name : {"gameplaytip", "loadgamequest", "newprofile", "rename", "profiles",
                                 "levelcomplete", "messageboxok", "messageboxyn", "endgame", "startgame",
                                 "defeat", "gameover", "gameplay", "gameplay1"})
            buildNode(seen, name, tree);
    }
    const std::vector<std::string>& items(const std::string& node) { return tree.children[node]; }
    std::string text;
    MenuTree tree;
};

TEST_F(MenuFile, ParsesCleanly) {
    expectCrLfText("menu.txt", text, true);
    for (const std::string& problem : tree.problems) ADD_FAILURE() << problem;
}

TEST_F(MenuFile, EveryNodeTheGameNamesExists) {
    for (const char* name :
         {"main",          "adventure",    "puzzle",       "options", "hiscore",     "credits",
          "info",          "profiles",     "newprofile",   "rename",  "gameplaytip", "loadgamequest",
          "levelcomplete", "messageboxok", "messageboxyn", "endgame", "startgame",   "defeat",
          "gameover",      "gameplay",     "gameplay1"})
        EXPECT_TRUE(tree.children.count(name)) << name;
    // Nodes that only exist as items must be reached from the main menu's tree.
    for (const char* item : {"resume game", "skip level", "restart level", "helpgameplay", "selectprofile",
                             "okrename", "remove", "oknewprofile", "okcontinuegame", "oknextlevel", "ok",
                             "back", "cancel", "no", "yes", "exit", "start", "apply", "instructions"})
        EXPECT_TRUE(tree.children.count(item)) << item;
}

TEST_F(MenuFile, DialogButtonsAreTheItemsTheirBoxesExpect) {
    using V = std::vector<std::string>;
    EXPECT_EQ(items("messageboxok"), V({"ok"}));
    EXPECT_EQ(items("messageboxyn"), V({"yes", "no"}));
    EXPECT_EQ(items("loadgamequest"), V({"yes", "no"}));
    EXPECT_EQ(items("startgame"), V({"ok"}));
    EXPECT_EQ(items("endgame"), V({"ok"}));
    EXPECT_EQ(items("levelcomplete").at(0), "oknextlevel");
    EXPECT_EQ(items("gameplaytip").at(0), "okcontinuegame");
    EXPECT_EQ(items("newprofile"), V({"oknewprofile", "cancel"}));
    EXPECT_EQ(items("rename"), V({"okrename", "cancel"}));
    EXPECT_EQ(items("options").at(0), "apply");
    for (const char* map : {"adventure", "puzzle"}) {
        ASSERT_EQ(items(map).size(), 2u) << map;
        EXPECT_EQ(items(map)[0], "start");
    }
    // The main menu hides its first line; the next two are the game modes.
    ASSERT_GE(items("main").size(), 6u);
    EXPECT_EQ(items("main")[1], "adventure");
    EXPECT_EQ(items("main")[2], "puzzle");
    for (const char* item : {"selectprofile", "newprofile", "rename", "remove"}) {
        const auto& p = items("profiles");
        EXPECT_NE(std::find(p.begin(), p.end(), item), p.end()) << item;
    }
}

TEST_F(MenuFile, EveryShownItemHasACaption) {
    std::vector<StringEntry> entries = loadStringTables();
    for (const auto& [node, children] : tree.children) {
        for (size_t i = 0; i < children.size(); ++i) {
            if (node == "main" && i == 0) continue;  // never shown
            int at = indexOfKey(entries, children[i]);
            EXPECT_TRUE(at >= 0 && !entries[at].value.empty()) << children[i] << " in " << node;
            if (at >= 0) {
                EXPECT_LE(entries[at].value.size(), 63u) << children[i];
            }
        }
    }
    for (const char* titled : {"options", "hiscore"}) EXPECT_GE(indexOfKey(entries, titled), 0) << titled;
}

}  // namespace
