#include "cadhost/occt/files/written_file_check.hpp"

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "automation/error.hpp"

namespace corvex::cadhost::occt {

void incompleteFile(const std::string& what) {
    throw automation::failure("the file was not written whole (is the disk full?): " + what);
}

void writeBytes(const std::string& bytes, const std::string& path) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) throw automation::failure("Cannot write " + path + ": the file could not be written (is the disk full?)");
}

std::string bytesOfFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw automation::failure("it cannot be opened");
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw automation::failure("it cannot be read to its end");
    return bytes;
}

namespace {

std::uintmax_t sizeOf(const std::string& path) {
    std::error_code status;
    const auto size = std::filesystem::file_size(path, status);
    if (status) incompleteFile("it cannot be found");
    return size;
}

// `count` bytes at `offset` of the file.
template <std::size_t N>
std::array<char, N> bytesAt(const std::string& path, std::uintmax_t offset) {
    std::array<char, N> bytes{};
    std::ifstream file(path, std::ios::binary);
    file.seekg(static_cast<std::streamoff>(offset));
    file.read(bytes.data(), N);
    if (file.gcount() != static_cast<std::streamsize>(N)) incompleteFile("it is shorter than its header");
    return bytes;
}

std::uint32_t littleEndian(const char* bytes) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return value;
}

}  // namespace

void checkStepWritten(const std::string& path) {
    const std::string ending = "END-ISO-10303-21;";
    const auto size = sizeOf(path);
    if (size < ending.size()) incompleteFile("it is empty");
    const auto tail = bytesAt<64>(path, size > 64 ? size - 64 : 0);
    if (std::string(tail.data(), std::min<std::uintmax_t>(size, 64)).find(ending) == std::string::npos)
        incompleteFile("it does not end with " + ending);
}

void checkStlWritten(const std::string& path) {
    const auto size = sizeOf(path);
    if (size < 84) incompleteFile("it is shorter than an STL header");
    const std::uint32_t triangles = littleEndian(bytesAt<4>(path, 80).data());
    if (size != 84 + 50ull * triangles)
        incompleteFile("it holds " + std::to_string(size) + " bytes for " + std::to_string(triangles) + " triangles");
}

void checkGlbWritten(const std::string& path) {
    const auto size = sizeOf(path);
    if (size < 12) incompleteFile("it is shorter than a glTF header");
    const auto header = bytesAt<12>(path, 0);
    if (std::memcmp(header.data(), "glTF", 4) != 0) incompleteFile("it does not start as binary glTF");
    if (littleEndian(header.data() + 8) != size)
        incompleteFile("it holds " + std::to_string(size) + " bytes of the " +
                   std::to_string(littleEndian(header.data() + 8)) + " its header says");
}

}  // namespace corvex::cadhost::occt
