#include <algorithm>
#include <cctype>

#include "cadhost/occt/pictures/picture.hpp"

namespace corvex::cadhost::occt {

std::optional<PictureView> pictureViewNamed(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (lower == "iso") return PictureView::Iso;
    if (lower == "top") return PictureView::Top;
    if (lower == "front") return PictureView::Front;
    if (lower == "right") return PictureView::Right;
    return std::nullopt;
}

}  // namespace corvex::cadhost::occt
