#include "command_line.hpp"

#include "automation/error.hpp"
#include "cadhost/occt/drawing_file.hpp"

namespace corvex::runner {

std::shared_ptr<cadhost::occt::Drawing> openDrawing(const std::string& path,
                                                    std::shared_ptr<cadhost::Journal> journal) {
    if (path.empty()) return cadhost::occt::Drawing::create(std::move(journal));
    try {
        return cadhost::occt::readDrawing(path, std::move(journal));
    } catch (const automation::Error& error) {
        throw BadInput(error.description());
    }
}

}  // namespace corvex::runner
