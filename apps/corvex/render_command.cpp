#include "render_command.hpp"

#include <iostream>

#include "automation/error.hpp"
#include "cadhost/occt/pictures/picture.hpp"
#include "command_line.hpp"

namespace corvex::runner {

void RenderCommand::addTo(CLI::App& app) {
    command_ = app.add_subcommand("render", "Draw a picture of a drawing (PNG)");
    command_->add_option("drawing", input_, "The drawing (STEP, or corvex's own .cvx)")->required();
    command_->add_option("-o,--output", output_, "Where to write the picture (PNG)")->required();
    command_->add_option("--glb", glb_, "Where to write the drawing's visible solids (binary glTF)");
    text_.addTo(*command_);
}

int RenderCommand::run() const {
    const cadhost::occt::PictureOptions options = text_.parse();
    checkWritableFile("-o", output_);
    if (!glb_.empty()) checkWritableFile("--glb", glb_);
    const auto drawing = openDrawing(input_);
    // The picture and the glTF file are written independently: one failing leaves the other.
    bool allWritten = true;
    const auto attempt = [&](auto&& write) {
        try {
            write();
        } catch (const automation::Error& error) {
            std::cerr << "corvex: " << error.description() << std::endl;
            allWritten = false;
        }
    };
    attempt([&] { cadhost::occt::writePicture(*drawing, output_, options); });
    if (!glb_.empty()) attempt([&] { cadhost::occt::writeGlb(*drawing, glb_); });
    return allWritten ? 0 : kExitFailed;
}

}  // namespace corvex::runner
