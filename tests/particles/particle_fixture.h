#pragma once
// A particle system of a test's own, filled with templates written inline.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "core/random.h"
#include "presentation/particles.h"

// Lines of a ".par" text, joined with CR LF as the shipped files are.
inline std::string parText(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) text += std::string(line) + "\r\n";
    return text;
}

class ParticleTest : public testing::Test {
  protected:
    void SetUp() override {
        system = std::make_unique<ParticleSystem>();
        resetParticleSystem(*system);
        seedRandom(1234);
    }

    int addEffect(const char* fileName, std::initializer_list<const char*> lines) {
        readEffectTemplate(system->templates[system->templateCount], parText(lines), fileName);
        return system->templateCount++;
    }

    std::unique_ptr<ParticleSystem> system;
};
