#include "picture_outputs.hpp"

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <regex>

#include "automation/error.hpp"
#include "command_line.hpp"

namespace corvex::runner {
namespace {

namespace fs = std::filesystem;
namespace occt = cadhost::occt;

// Reports a failed output and carries on with the next one.
template <typename Write>
bool writeReported(Write&& write) {
    try {
        write();
        return true;
    } catch (const automation::Error& error) {
        std::cerr << "corvex: " << error.description() << std::endl;
    } catch (const std::exception& error) {
        std::cerr << "corvex: " << error.what() << std::endl;
    }
    return false;
}

}  // namespace

void PictureOptionText::addTo(CLI::App& command) {
    command.add_option("--view", view, "The view of the picture: iso, top, front or right")
        ->capture_default_str();
    command.add_option("--size", size, "The picture's size in pixels, WIDTHxHEIGHT (16 to 8192 each)")
        ->capture_default_str();
}

occt::PictureOptions PictureOptionText::parse() const {
    occt::PictureOptions options;
    const auto named = occt::pictureViewNamed(view);
    if (!named) throw BadInput("--view " + view + ": not a view (iso, top, front or right)");
    options.view = *named;
    static const std::regex pattern(R"(^\s*(\d{1,6})\s*[xX]\s*(\d{1,6})\s*$)");
    std::smatch match;
    if (!std::regex_match(size, match, pattern))
        throw BadInput("--size " + size + ": expected WIDTHxHEIGHT in pixels, such as 800x600");
    options.width = std::stoi(match[1]);
    options.height = std::stoi(match[2]);
    for (int side : {options.width, options.height})
        if (side < occt::kPictureSideMin || side > occt::kPictureSideMax)
            throw BadInput("--size " + size + ": each side must be " +
                           std::to_string(occt::kPictureSideMin) + " to " +
                           std::to_string(occt::kPictureSideMax) + " pixels");
    return options;
}

PictureOutputs::PictureOutputs() = default;
PictureOutputs::~PictureOutputs() = default;

void PictureOutputs::addTo(CLI::App& run) {
    run.add_option("--png", png_, "Where to write a picture of the drawing afterwards (PNG)");
    auto* frames = run.add_option("--frames", frames_,
                                  "Where to write a picture after every --every cuts (frame-00001.png, ...)");
    run.add_option("--every", every_, "Cuts between two frames")
        ->check(CLI::Range(1, 1000000))
        ->needs(frames)
        ->capture_default_str();
    run.add_option("--glb", glb_, "Where to write the drawing's visible solids afterwards (binary glTF)");
    text_.addTo(run);
}

void PictureOutputs::prepare() {
    const occt::PictureOptions options = text_.parse();
    if (!png_.empty()) checkWritableFile("--png", png_);
    if (!glb_.empty()) checkWritableFile("--glb", glb_);
    if (!frames_.empty()) {
        std::error_code status;
        fs::create_directories(frames_, status);
        checkWritableDirectory("--frames", frames_);
    }
    if (!png_.empty() || !frames_.empty()) renderer_ = std::make_unique<occt::PictureRenderer>(options);
}

void PictureOutputs::watch(occt::Drawing& drawing) {
    if (frames_.empty() || !renderer_) return;
    recorder_ = std::make_unique<occt::FrameRecorder>(drawing, frames_, every_, *renderer_);
}

bool PictureOutputs::write(const occt::Drawing& drawing) {
    bool allWritten = true;
    if (recorder_) {
        recorder_->finish();
        if (const auto failure = recorder_->failure()) {
            std::cerr << "corvex: " << *failure << std::endl;
            allWritten = false;
        }
        recorder_.reset();  // stop watching the drawing
    }
    if (!png_.empty()) allWritten &= writeReported([&] { renderer_->write(drawing, png_); });
    if (!glb_.empty()) allWritten &= writeReported([&] { occt::writeGlb(drawing, glb_); });
    return allWritten;
}

}  // namespace corvex::runner
