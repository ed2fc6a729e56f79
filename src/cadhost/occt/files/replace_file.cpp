#include "cadhost/occt/files/replace_file.hpp"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "automation/error.hpp"

namespace corvex::cadhost::occt {
namespace fs = std::filesystem;

namespace {

// "part.4711" for "part.step": the process id keeps two runs writing the same target apart.
std::string temporaryStem(const fs::path& target) { return target.stem().string() + "." + std::to_string(::getpid()); }

// "part.4711.step.tmp" for "part.step": the name still ends in the target's extension plus ".tmp".
std::string temporaryBeside(const fs::path& target) {
    return (target.parent_path() / (temporaryStem(target) + target.extension().string() + ".tmp")).string();
}

// Flushes the file to the disk: a full disk or a failing device may only say so here.
void flushToDisk(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY);
    if (descriptor < 0) throw automation::failure("the written file cannot be opened again");
    const bool flushed = ::fsync(descriptor) == 0;
    ::close(descriptor);
    if (!flushed) throw automation::failure("the written file could not be flushed to the disk");
}

// The temporary file and whatever a writer made beside it from its name (the glTF writer
// makes "name.bin.tmp" from "name.glb.tmp").
void removeTemporaries(const fs::path& target, const fs::path& directory, const std::string& temporary) {
    std::error_code status;
    fs::remove(temporary, status);
    const std::string prefix = temporaryStem(target) + ".";
    for (const auto& entry : fs::directory_iterator(directory, status)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0 && name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0)
            fs::remove(entry.path(), status);
    }
}

// Temporaries of the same target left by writers that are gone ("part.4711.step.tmp" after
// the process 4711 was killed mid-write): each run left its own beside the target for good.
// A live process's are its own business.
void removeStaleTemporaries(const fs::path& target, const fs::path& directory) {
    const std::string stem = target.stem().string() + ".";
    std::error_code status;
    for (const auto& entry : fs::directory_iterator(directory, status)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(stem, 0) != 0 || name.size() <= stem.size() + 4 || name.compare(name.size() - 4, 4, ".tmp") != 0)
            continue;
        const std::size_t end = name.find('.', stem.size());
        const std::string digits = name.substr(stem.size(), end - stem.size());
        if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
        const pid_t writer = static_cast<pid_t>(std::stol(digits));
        if (writer == ::getpid() || ::kill(writer, 0) == 0 || errno != ESRCH) continue;
        fs::remove(entry.path(), status);
    }
}

}  // namespace

void replaceFile(const std::string& target, const FileAction& write, const FileAction& verify) {
    const fs::path targetPath(target);
    if (target.empty()) throw automation::invalidArgument("No output file name given");
    const fs::path directory = targetPath.has_parent_path() ? targetPath.parent_path() : ".";
    std::error_code status;
    if (!fs::is_directory(directory, status))
        throw automation::failure("Cannot write " + target + ": the directory " +
                                  directory.string() + " does not exist");
    if (fs::is_directory(targetPath, status))
        throw automation::failure("Cannot write " + target + ": it is a directory");

    removeStaleTemporaries(targetPath, directory);
    const std::string temporary = temporaryBeside(targetPath);
    try {
        write(temporary);
        try {
            flushToDisk(temporary);
            if (verify) verify(temporary);
        } catch (const automation::Error& error) {
            throw automation::failure("Cannot write " + target + ": " + error.description());
        }
        fs::rename(temporary, targetPath);
    } catch (const automation::Error& error) {
        removeTemporaries(targetPath, directory, temporary);
        // The writer only knew the temporary name; the user knows the target.
        std::string description = error.description();
        for (auto at = description.find(temporary); at != std::string::npos;
             at = description.find(temporary, at + target.size()))
            description.replace(at, temporary.size(), target);
        throw automation::Error(error.hr(), error.source(), description);
    } catch (const std::exception& failure) {
        removeTemporaries(targetPath, directory, temporary);
        throw automation::failure("Cannot write " + target + ": " + failure.what());
    }
}

}  // namespace corvex::cadhost::occt
