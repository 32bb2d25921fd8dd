#include "app/font_choice.h"

#include "base/text.h"

namespace {

bool installed_face(const TextArray& installed, const Text& face) {
    for (const Text& t : installed)
        if (text_compare_mbcs(t, face, false) == 0) return true;
    return false;
}

}  // namespace

Text choose_font_face(const TextArray& installed) {
    // Kai faces, best first: the preferred one under its Chinese and English names,
    // the older GB2312 edition, the Mac and Office editions, then the free AR PL faces.
    const Text kai_faces[] = {
        preferred_font_face(),
        "KaiTi",
        "\xBF\xAC\xCC\xE5_GB2312",
        "KaiTi_GB2312",
        "STKaiti",
        // "华文楷体"
        "\xBB\xAA\xCE\xC4\xBF\xAC\xCC\xE5",
        "AR PL UKai CN",
        "AR PL UKai TW",
        "AR PL UKai HK",
        "AR PL KaitiM GB",
    };
    for (const Text& face : kai_faces)
        if (installed_face(installed, face)) return face;
    // Faces whose names start with "@" are the vertical-writing variants.
    for (const Text& face : installed)
        if (!face.empty() && !text_starts_with(face, "@")) return face;
    return preferred_font_face();
}
