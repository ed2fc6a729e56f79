#pragma once
// Pictures of a drawing, as the user of a desktop CAD host watches the workpiece being cut:
// the visible solids shaded in their colours with their edges drawn, framed with a margin on
// a background that differs plainly from them. Hidden entities, regions and curves are left
// out. Also the drawing as binary glTF, for any glTF viewer or a browser.
//
// Pictures are drawn by OpenCASCADE on an X server: the user's DISPLAY when there is one,
// otherwise a private Xvfb that this process starts on first use and stops when it exits.
// Every failure is an automation error that says what could not be drawn or written.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cadhost/occt/model/embedded_host.hpp"

namespace corvex::cadhost::occt {

enum class PictureView { Iso, Top, Front, Right };

// "iso", "top", "front" or "right" (any case); nothing for another name.
std::optional<PictureView> pictureViewNamed(const std::string& name);

inline constexpr int kPictureSideMin = 16;
inline constexpr int kPictureSideMax = 8192;

struct PictureOptions {
    PictureView view = PictureView::Iso;
    int width = 800;   // pixels, kPictureSideMin..kPictureSideMax
    int height = 600;
};

// Keeps one offscreen view open, so a sequence of pictures pays for the view once.
class PictureRenderer {
public:
    // Fails with an automation error for a size out of range; the view opens on first use.
    explicit PictureRenderer(PictureOptions options = {});
    ~PictureRenderer();
    PictureRenderer(const PictureRenderer&) = delete;
    PictureRenderer& operator=(const PictureRenderer&) = delete;

    const PictureOptions& options() const { return options_; }
    // Draws the drawing as it stands and writes it as a PNG file to `path`.
    void write(const Drawing& drawing, const std::string& path);

private:
    struct View;
    void openView(const std::string& path);
    PictureOptions options_;
    std::unique_ptr<View> view_;
};

// One picture, with a view of its own.
void writePicture(const Drawing& drawing, const std::string& path, const PictureOptions& options = {});

// The visible solids as binary glTF (GLB): one node and one mesh per solid, in its colour,
// in metres with Y up as glTF wants.
void writeGlb(const Drawing& drawing, const std::string& path);

// Pictures of the workpiece being machined: after every `every` cuts (a cut is a change of
// the shape of a solid of the group "PART", seen at the Update that follows it) a picture is
// written to DIRECTORY/frame-00001.png, frame-00002.png, ... While it lives, it watches the
// drawing's updates. A frame that cannot be drawn does not stop the session: recording stops
// and `failure()` says why.
class FrameRecorder {
public:
    FrameRecorder(Drawing& drawing, std::string directory, int every, PictureRenderer& renderer);
    ~FrameRecorder();
    FrameRecorder(const FrameRecorder&) = delete;
    FrameRecorder& operator=(const FrameRecorder&) = delete;

    // Writes a last frame when the drawing was redrawn since the last one (a cut, the tool
    // moved away), so that the last frame shows the drawing as the session left it.
    void finish();
    int framesWritten() const;
    long cuts() const;
    std::optional<std::string> failure() const;

private:
    struct Watch;
    std::shared_ptr<Watch> watch_;
};

// A PNG read back, for those who check pictures: 8-bit RGB, row by row from the top.
struct RgbImage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;  // width * height * 3
    std::array<int, 3> at(int x, int y) const {
        const std::size_t i = (std::size_t(y) * width + x) * 3;
        return {pixels[i], pixels[i + 1], pixels[i + 2]};
    }
};
RgbImage readPng(const std::string& path);
// A PNG picture that the image library reads back whole (see written_file_check.hpp).
void checkPngWritten(const std::string& path);

}  // namespace corvex::cadhost::occt
