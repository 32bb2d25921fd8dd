// The face for the window's text. The window asks for "楷体"; machines differ, so
// when that face is missing another Kai-style face stands in, and failing that
// any face with Chinese characters, so that the text never shows as boxes.
#pragma once

#include "base/types.h"

// "楷体"
inline Text preferred_font_face() { return "\xBF\xAC\xCC\xE5"; }

// installed: the faces that carry the GB2312 character set, in the order the
// platform lists them. Gives the preferred face when nothing is installed at all,
// leaving the choice to the platform's font mapper.
Text choose_font_face(const TextArray& installed);
