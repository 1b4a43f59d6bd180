#include "picture_files.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <vector>

void writeBitmap(const std::wstring& path, int width, int height, std::uint32_t rgb) {
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height);
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = -height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::vector<char> pixels(static_cast<size_t>(stride * height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            char* p = &pixels[static_cast<size_t>(y * stride + x * 3)];
            p[0] = static_cast<char>((rgb & 0xFF) * (width - x) / width);
            p[1] = static_cast<char>(((rgb >> 8) & 0xFF) * (height - y) / height);
            p[2] = static_cast<char>((rgb >> 16) & 0xFF);
        }
    }
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

void writeBrokenPicture(const std::wstring& path) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out << "this is not a picture at all, only text with a picture's name";
}
