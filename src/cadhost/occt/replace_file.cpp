#include "cadhost/occt/replace_file.hpp"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "automation/error.hpp"

namespace corvex::cadhost::occt {
namespace fs = std::filesystem;

namespace {

// "part.4711.step.tmp" for "part.step": the process id keeps two runs writing the same
// target apart, and the name still ends in the target's extension plus ".tmp".
std::string temporaryBeside(const fs::path& target) {
    fs::path temporary = target.parent_path() / target.stem();
    temporary += "." + std::to_string(::getpid()) + target.extension().string() + ".tmp";
    return temporary.string();
}

}  // namespace

void replaceFile(const std::string& target, const std::function<void(const std::string&)>& write) {
    const fs::path targetPath(target);
    if (target.empty()) throw automation::invalidArgument("No output file name given");
    const fs::path directory = targetPath.has_parent_path() ? targetPath.parent_path() : ".";
    std::error_code status;
    if (!fs::is_directory(directory, status))
        throw automation::failure("Cannot write " + target + ": the directory " +
                                  directory.string() + " does not exist");
    if (fs::is_directory(targetPath, status))
        throw automation::failure("Cannot write " + target + ": it is a directory");

    const std::string temporary = temporaryBeside(targetPath);
    try {
        write(temporary);
        fs::rename(temporary, targetPath);
    } catch (const automation::Error& error) {
        fs::remove(temporary, status);
        // The writer only knew the temporary name; the user knows the target.
        std::string description = error.description();
        for (auto at = description.find(temporary); at != std::string::npos;
             at = description.find(temporary, at + target.size()))
            description.replace(at, temporary.size(), target);
        throw automation::Error(error.hr(), error.source(), description);
    } catch (const std::exception& failure) {
        fs::remove(temporary, status);
        throw automation::failure("Cannot write " + target + ": " + failure.what());
    }
}

}  // namespace corvex::cadhost::occt
