#pragma once
// The main menu, profiles, options, hiscore and credits screens.
constexpr int kCreditsLineCapacity = 64;
constexpr int kCreditsLineLength = 64;

struct CreditsText {
    char lines[kCreditsLineCapacity][kCreditsLineLength];
    int count;
};
extern CreditsText creditsText;

// One line per CR LF (or LF) up to the terminating zero; longer lines are cut, lines
// past the 64th dropped.
void readCreditsLines(CreditsText& out, const char* text);
