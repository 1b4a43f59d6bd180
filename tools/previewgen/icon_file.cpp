#include "tools/previewgen/icon_file.h"

namespace Korva::QELD::Preview {

namespace {

void put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(value & 0xFF);
    out.push_back((value >> 8) & 0xFF);
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// One image of the file: a bitmap header with twice the height (colour and
// mask), the colour rows bottom-up, then an all-clear mask since the alpha
// channel decides.
std::vector<std::uint8_t> iconImage(const Canvas& canvas) {
    const int side = canvas.side();
    const int maskStride = ((side + 31) / 32) * 4;
    std::vector<std::uint8_t> out;
    put32(out, 40);
    put32(out, side);
    put32(out, side * 2);
    put16(out, 1);
    put16(out, 32);
    for (int i = 0; i < 6; ++i)
        put32(out, 0);
    for (int y = side - 1; y >= 0; --y)
        for (int x = 0; x < side; ++x) {
            const Colour c = canvas.at(x, y);
            out.insert(out.end(), {c.b, c.g, c.r, c.a});
        }
    out.resize(out.size() + static_cast<std::size_t>(maskStride) * side, 0);
    return out;
}

} // namespace

std::vector<std::uint8_t> iconFile(const std::vector<Canvas>& images) {
    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 1);
    put16(out, static_cast<unsigned>(images.size()));
    std::vector<std::vector<std::uint8_t>> bodies;
    for (const auto& image : images)
        bodies.push_back(iconImage(image));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int side = images[i].side();
        out.push_back(side >= 256 ? 0 : side);
        out.push_back(side >= 256 ? 0 : side);
        out.push_back(0);
        out.push_back(0);
        put16(out, 1);
        put16(out, 32);
        put32(out, static_cast<std::uint32_t>(bodies[i].size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(bodies[i].size());
    }
    for (const auto& body : bodies)
        out.insert(out.end(), body.begin(), body.end());
    return out;
}

} // namespace Korva::QELD::Preview
