#pragma once

#include <cstdint>
#include <vector>

namespace Korva::VTablet {

// A screen capture as an image file: RGB triples, rows top to bottom.
// PNG uses stored (uncompressed) deflate blocks, which every reader accepts.
std::vector<std::uint8_t> encodePng(const std::uint8_t* rgb, std::uint32_t width,
                                    std::uint32_t height);
std::vector<std::uint8_t> encodePpm(const std::uint8_t* rgb, std::uint32_t width,
                                    std::uint32_t height);

} // namespace Korva::VTablet
