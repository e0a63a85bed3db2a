#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.hpp>

#include <sstream>
#include <string>

#include "tools/datagen/music_xm.h"

namespace {

XmModule smallModule() {
    XmModule module;
    module.channels = 2;
    XmInstrument instrument;
    instrument.name = "tone";
    instrument.sample.assign(1000, 0);
    module.instruments.push_back(instrument);
    module.patterns.emplace_back(16, 2);
    module.orders = {0};
    return module;
}

TEST(XmWriter, refuses_modules_the_format_cannot_hold) {
    XmModule good = smallModule();
    EXPECT_FALSE(writeXm(good).empty());

    XmModule missingPattern = smallModule();
    missingPattern.orders = {0, 1};
    EXPECT_TRUE(writeXm(missingPattern).empty());

    XmModule tooLong = smallModule();
    tooLong.patterns[0] = XmPattern(257, 2);
    EXPECT_TRUE(writeXm(tooLong).empty());

    XmModule wrongWidth = smallModule();
    wrongWidth.patterns[0] = XmPattern(16, 3);
    EXPECT_TRUE(writeXm(wrongWidth).empty());

    XmModule noOrders = smallModule();
    noOrders.orders.clear();
    EXPECT_TRUE(writeXm(noOrders).empty());
}

TEST(XmWriter, identical_patterns_are_stored_once_and_the_player_reads_them_back) {
    XmModule module = smallModule();
    module.patterns.clear();
    XmPattern pattern(16, 2);
    pattern.at(3, 1).note = 49;
    pattern.at(3, 1).instrument = 1;
    pattern.at(3, 1).volume = 0x30;
    pattern.at(15, 0).effect = kXmPositionJump;
    pattern.at(15, 0).param = 1;
    XmPattern other = pattern;
    other.at(4, 0).note = kXmKeyOff;
    EXPECT_EQ(addXmPattern(module, pattern), 0);
    EXPECT_EQ(addXmPattern(module, other), 1);
    EXPECT_EQ(addXmPattern(module, pattern), 0);
    module.orders = {0, 1, 0};

    std::vector<uint8_t> bytes = writeXm(module);
    std::istringstream stream(std::string(bytes.begin(), bytes.end()));
    openmpt::module player(stream);
    EXPECT_EQ(player.get_num_patterns(), 2);
    EXPECT_EQ(player.get_num_orders(), 3);
    EXPECT_EQ(player.get_pattern_num_rows(0), 16);
    EXPECT_EQ(player.get_pattern_row_channel_command(0, 3, 1, openmpt::module::command_instrument), 1);
    EXPECT_EQ(player.get_pattern_row_channel_command(0, 15, 0, openmpt::module::command_parameter), 1);
    // The player reports a key-off as note 255.
    EXPECT_EQ(player.get_pattern_row_channel_command(1, 4, 0, openmpt::module::command_note), 255);
}

}  // namespace
