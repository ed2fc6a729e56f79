#include "command_line.hpp"

#include <unistd.h>

#include <cctype>
#include <filesystem>

#include "automation/error.hpp"
#include "cadhost/occt/files/drawing_file.hpp"

namespace corvex::runner {

namespace fs = std::filesystem;

void checkWritableDirectory(const std::string& option, const std::string& directory) {
    std::error_code status;
    if (!fs::is_directory(directory, status))
        throw BadInput(option + ": the directory " + directory + " does not exist");
    if (::access(directory.c_str(), W_OK | X_OK) != 0)
        throw BadInput(option + ": the directory " + directory + " cannot be written");
}

void checkWritableFile(const std::string& option, const std::string& path) {
    const fs::path file(path);
    std::error_code status;
    if (fs::is_directory(file, status)) throw BadInput(option + ": " + path + " is a directory");
    checkWritableDirectory(option, file.has_parent_path() ? file.parent_path().string() : std::string("."));
}

std::shared_ptr<cadhost::Solid3D> addStockSolid(cadhost::occt::Drawing& drawing, const std::vector<double>& box,
                                                const std::vector<double>& cylinder, const std::string& axis,
                                                const std::string& command) {
    try {
        if (!box.empty()) return drawing.addBox({box[0], box[1], box[2]}, {box[3], box[4], box[5]});
        if (cylinder.empty()) return nullptr;
        const int along = static_cast<int>(std::string("xyz").find(static_cast<char>(std::tolower(axis.at(0)))));
        return drawing.addAxisCylinder({cylinder[0], cylinder[1], cylinder[2]}, cylinder[3], cylinder[4], along);
    } catch (const automation::Error& error) {
        throw BadInput(command + error.description());
    }
}

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
