// Colour schemes: the frame colour and the push-button face table of each scheme, and the
// check-box fills that all schemes share.
#pragma once
#include <windows.h>
#include <array>
#include <cstdint>

namespace stylelib {

// Four colour stops of one gradient or one set of edge lines.
using ColourGroup = std::array<COLORREF, 4>;

// Twelve groups of four colours with which push-button faces are painted.
using FaceTable = std::array<ColourGroup, 12>;

// The scheme number last given to SetVisualStyle; 1..3 select colours.
int32_t CurrentScheme();
void StoreScheme(int32_t scheme);

// The scheme's one-pixel frame colour; schemes outside 1..3 fall back to scheme 1.
COLORREF SchemeFrameColour(int32_t scheme);
// Group 1..12 of the scheme's face table; schemes outside 1..3 fall back to scheme 1.
const ColourGroup& SchemeFaceGroup(int32_t scheme, int group);

// The check-box box fills, one row of four colours (corners: top left, top right, bottom left,
// bottom right) per state.
enum class BoxFill { kNormal, kHot, kPushed };
const ColourGroup& CheckBoxFill(BoxFill state);

// The check mark colours.
constexpr COLORREF kCheckMarkColour = 0x188A18;
constexpr COLORREF kCheckMarkHotColour = 0x21A221;

}  // namespace stylelib
