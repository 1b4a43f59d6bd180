// Draws the applet's preview pictures and its icon and writes them as icon
// files, with a resource script that names them, into the folder given as
// the only argument.

#include "applet/core/preview_key.h"
#include "applet/core/resource.h"
#include "tools/previewgen/icon_file.h"
#include "tools/previewgen/tablet_drawing.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

using namespace Korva::QELD::Preview;
using Korva::QELD::previewSetSize;

constexpr int previewSide = 96;

Canvas previewAt(const TabletModel& model, int offset) {
    Canvas canvas(previewSide);
    if (offset == previewSetSize - 1)
        drawGreyed(canvas, model);
    else
        drawPreview(canvas, model, layoutAtOffset(offset));
    return canvas;
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// The applet icon: the generic tablet with the fitted picture, at 16, 32 and
// 64 pixels.
std::vector<Canvas> appletIcon() {
    std::vector<Canvas> sizes;
    for (const int side : {16, 32, 64}) {
        sizes.emplace_back(side);
        drawPreview(sizes.back(), tabletModels()[0], {1, 0, 0x11});
    }
    return sizes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: previewgen <output folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::ofstream script(folder + "/previews.rc");
    const std::string appletPath = folder + "/applet.ico";
    if (!writeFile(appletPath, iconFile(appletIcon())))
        return 1;
    script << IDI_APPLET << " ICON \"" << appletPath << "\"\n";
    for (const auto& model : tabletModels()) {
        for (int offset = 0; offset < previewSetSize; ++offset) {
            const int id = model.firstIconId + offset;
            const std::string path = folder + "/preview_" + std::to_string(id) + ".ico";
            if (!writeFile(path, iconFile({previewAt(model, offset)})))
                return 1;
            script << id << " ICON \"" << path << "\"\n";
        }
    }
    return script ? 0 : 1;
}
