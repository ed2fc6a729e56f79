#pragma once
// Looking at pictures: which pixels are background, and where the drawn part lies.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "cadhost/occt/pictures/picture.hpp"

namespace corvex::cadhost::occt::testing {

// The corner pixel: the picture's margin guarantees it is background.
inline std::array<int, 3> backgroundOf(const RgbImage& image) { return image.at(0, 0); }

inline bool isBackground(const RgbImage& image, int x, int y) {
    const auto pixel = image.at(x, y), back = backgroundOf(image);
    for (int c = 0; c < 3; ++c)
        if (std::abs(pixel[c] - back[c]) > 12) return false;
    return true;
}

// The smallest rectangle holding every pixel that is not background, and how many of its
// pixels are not background.
struct DrawnArea {
    int left = 0, top = 0, right = -1, bottom = -1;  // inclusive
    long drawn = 0;
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    double fill() const { return width() > 0 ? double(drawn) / (double(width()) * height()) : 0; }
};

inline DrawnArea drawnArea(const RgbImage& image) {
    DrawnArea area{image.width, image.height, -1, -1, 0};
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (!isBackground(image, x, y)) {
                area.left = std::min(area.left, x);
                area.right = std::max(area.right, x);
                area.top = std::min(area.top, y);
                area.bottom = std::max(area.bottom, y);
                ++area.drawn;
            }
    return area;
}

// The drawn area of the largest patch of connected drawn pixels: the workpiece, when small
// solids (a tool, a marker) are drawn apart from it.
inline DrawnArea largestPatch(const RgbImage& image) {
    std::vector<int> patch(std::size_t(image.width) * image.height, -1);
    DrawnArea best;
    int next = 0;
    for (int start = 0; start < image.width * image.height; ++start) {
        if (patch[start] >= 0 || isBackground(image, start % image.width, start / image.width)) continue;
        DrawnArea area{image.width, image.height, -1, -1, 0};
        std::vector<int> stack{start};
        patch[start] = next;
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            const int x = at % image.width, y = at / image.width;
            area.left = std::min(area.left, x);
            area.right = std::max(area.right, x);
            area.top = std::min(area.top, y);
            area.bottom = std::max(area.bottom, y);
            ++area.drawn;
            const int around[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
            for (const auto& [nx, ny] : around) {
                if (nx < 0 || ny < 0 || nx >= image.width || ny >= image.height) continue;
                const int neighbour = ny * image.width + nx;
                if (patch[neighbour] >= 0 || isBackground(image, nx, ny)) continue;
                patch[neighbour] = next;
                stack.push_back(neighbour);
            }
        }
        ++next;
        if (area.drawn > best.drawn) best = area;
    }
    return best;
}

// A fresh directory under the system's temporary directory, removed with the object.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& name)
        : path_(std::filesystem::temp_directory_path() /
                ("corvex-" + name + "-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace corvex::cadhost::occt::testing
