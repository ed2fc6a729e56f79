#include "command_line.hpp"

#include <unistd.h>

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
