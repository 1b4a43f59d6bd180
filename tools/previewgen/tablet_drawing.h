#pragma once

#include "tools/previewgen/canvas.h"

#include <array>
#include <string>

namespace Korva::QELD::Preview {

// How one tablet model looks: its body, its screen inside the body, and
// whether the screen shows colours or only black and white.
struct TabletModel {
    std::string name;
    int firstIconId;
    Box body;
    Box screen;
    Colour bodyColour;
    Colour bezelColour;
    bool monochrome;
};

// The five drawings of the preview sets, keyed by their first icon id.
const std::array<TabletModel, 5>& tabletModels();

// The layout a preview shows: 0 stretch, 1 best fit, 2 original size;
// border 0 black, 1 white; anchor row * 16 + column.
struct PreviewLayout {
    int size = 0;
    int border = 0;
    int anchor = 0x11;
};

// Draws the tablet with the sample picture in the layout on its screen.
void drawPreview(Canvas& canvas, const TabletModel& model, const PreviewLayout& layout);

// Draws the tablet greyed out with an empty screen.
void drawGreyed(Canvas& canvas, const TabletModel& model);

// The layout at each offset of a preview set of 22 pictures; offset 21 is the
// greyed tablet and has none.
PreviewLayout layoutAtOffset(int offset);

} // namespace Korva::QELD::Preview
