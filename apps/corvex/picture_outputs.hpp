#pragma once
// The pictures a run leaves: --png (the drawing as the session left it), --frames DIR with
// --every N (a picture after every N cuts, so the machining can be watched), --glb (the
// drawing as binary glTF), drawn from --view and at --size. Every option is checked before
// the session runs, and a directory that cannot be written is bad input; a picture that
// cannot be drawn after the session ran is reported and the other outputs are still written.
#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "cadhost/occt/model/embedded_host.hpp"
#include "cadhost/occt/pictures/picture.hpp"

namespace corvex::runner {

// --view and --size, shared by `run` and `render`.
struct PictureOptionText {
    std::string view = "iso";
    std::string size = "800x600";

    void addTo(CLI::App& command);
    // The options they stand for; BadInput for an unknown view or a size out of range.
    cadhost::occt::PictureOptions parse() const;
};

class PictureOutputs {
public:
    PictureOutputs();
    ~PictureOutputs();

    void addTo(CLI::App& run);
    // Before the session: checks every option and directory, creates the frame directory.
    void prepare();
    // Records frames while the session runs on `drawing`, when frames were asked for.
    void watch(cadhost::occt::Drawing& drawing);
    // After the session: the last frame, the picture and the glTF file; false (with a
    // message on standard error) when any of them could not be written.
    bool write(const cadhost::occt::Drawing& drawing);

private:
    PictureOptionText text_;
    std::string png_, frames_, glb_;
    int every_ = 1;
    std::unique_ptr<cadhost::occt::PictureRenderer> renderer_;
    std::unique_ptr<cadhost::occt::FrameRecorder> recorder_;
};

}  // namespace corvex::runner
