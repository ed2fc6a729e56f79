#pragma once
// corvex render: a picture of a saved drawing, as `run --png` draws one at the end of a
// session: corvex render DRAWING.step -o PICTURE.png [--view iso|top|front|right] [--size WxH]
// [--glb FILE.glb].
#include <CLI/CLI.hpp>

#include <string>

#include "picture_outputs.hpp"

namespace corvex::runner {

class RenderCommand {
public:
    void addTo(CLI::App& app);
    bool chosen() const { return command_ && command_->parsed(); }
    int run() const;

private:
    CLI::App* command_ = nullptr;
    std::string input_, output_, glb_;
    PictureOptionText text_;
};

}  // namespace corvex::runner
