// The face the window asks for, given the Chinese faces a machine has.
#include "app/font_choice.h"

#include <gtest/gtest.h>

namespace {

TEST(ChooseFontFace, PrefersKaiThenAnyChineseFace) {
    const Text kai = "\xBF\xAC\xCC\xE5";  // "楷体"
    struct Case {
        const char* name;
        TextArray installed;
        Text chosen;
    } cases[] = {
        {"the preferred face", {"SimSun", kai, "KaiTi"}, kai},
        {"its English name", {"SimSun", "KaiTi"}, "KaiTi"},
        {"names match without regard to case", {"kaiti"}, "KaiTi"},
        {"a free Kai face", {"AR PL UMing CN", "AR PL UKai CN"}, "AR PL UKai CN"},
        {"no Kai face: the first other one", {"@SimSun", "SimSun", "NSimSun"}, "SimSun"},
        {"only vertical faces", {"@SimSun"}, kai},
        {"nothing installed", {}, kai},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(choose_font_face(c.installed), c.chosen);
    }
}

}  // namespace
