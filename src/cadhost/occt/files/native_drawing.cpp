#include "cadhost/occt/files/native_drawing.hpp"

#include <BRep_Builder.hxx>
#include <BinTools.hxx>
#include <Standard_Failure.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <TopoDS_Iterator.hxx>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <sstream>

#include <nlohmann/json.hpp>

#include "automation/error.hpp"
#include "cadhost/occt/files/replace_file.hpp"
#include "cadhost/occt/files/written_file_check.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt {
namespace {

using nlohmann::json;

constexpr std::string_view kFirstLine = "corvex drawing 1\n";

std::uint32_t crc32Of(std::string_view bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes lengths as 32-bit counts: a long buffer goes in pieces.
    for (std::size_t at = 0; at < bytes.size(); at += 1u << 30) {
        const std::size_t piece = std::min<std::size_t>(bytes.size() - at, 1u << 30);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data() + at), static_cast<uInt>(piece));
    }
    return static_cast<std::uint32_t>(crc);
}

// The items' shapes in order as one compound, in the kernel's binary form (without meshes:
// whoever needs one makes it).
std::string shapesOf(const StepContent& content) {
    TopoDS_Compound all;
    BRep_Builder builder;
    builder.MakeCompound(all);
    for (const StepItem& item : content.items) builder.Add(all, item.shape);
    std::ostringstream out(std::ios::binary);
    try {
        BinTools::Write(all, out, false, false, BinTools_FormatVersion_CURRENT);
    } catch (const Standard_Failure& failure) {
        throw automation::failure(std::string("the kernel could not write the shapes: ") + failure.GetMessageString());
    }
    if (!out) throw automation::failure("the kernel could not write the shapes");
    return std::move(out).str();
}

json indexOf(const StepContent& content, const std::string& shapes) {
    json items = json::array(), layers = json::array();
    for (const StepItem& item : content.items) {
        json colour = nullptr;
        if (item.colour) colour = {item.colour->red, item.colour->green, item.colour->blue};
        items.push_back({{"name", item.name}, {"colour", colour}, {"visible", item.visible}, {"faces", countFaces(item.shape)}});
    }
    for (const StepLayer& layer : content.layers) layers.push_back({{"name", layer.name}, {"members", layer.members}});
    return {{"items", items}, {"layers", layers}, {"shapes", {{"bytes", shapes.size()}, {"crc32", crc32Of(shapes)}}}};
}

std::string fileBytes(const StepContent& content) {
    const std::string shapes = shapesOf(content);
    return std::string(kFirstLine) + indexOf(content, shapes).dump() + "\n" + shapes;
}

std::optional<Rgb> colourOf(const json& value) {
    if (value.is_null()) return std::nullopt;
    const auto parts = value.get<std::vector<int>>();
    if (parts.size() != 3 || std::any_of(parts.begin(), parts.end(), [](int c) { return c < 0 || c > 255; }))
        throw automation::failure("a colour is not three numbers from 0 to 255");
    return Rgb{parts[0], parts[1], parts[2]};
}

// The content of a file's bytes, and each item's count of faces as the index states it.
StepContent contentOf(const std::string& bytes, std::vector<int>* faces = nullptr) {
    if (bytes.compare(0, kFirstLine.size(), kFirstLine) != 0) throw automation::failure("it is not a corvex drawing");
    const std::size_t indexEnd = bytes.find('\n', kFirstLine.size());
    if (indexEnd == std::string::npos) throw automation::failure("it ends within its index");
    json index;
    StepContent content;
    std::size_t length = 0;
    std::uint32_t crc = 0;
    try {
        index = json::parse(bytes.begin() + static_cast<std::ptrdiff_t>(kFirstLine.size()),
                            bytes.begin() + static_cast<std::ptrdiff_t>(indexEnd));
        for (const json& item : index.at("items")) {
            content.items.push_back({{}, item.at("name").get<std::string>(), colourOf(item.at("colour")),
                                     item.at("visible").get<bool>()});
            if (faces) faces->push_back(item.at("faces").get<int>());
        }
        for (const json& layer : index.at("layers")) {
            StepLayer read{layer.at("name").get<std::string>(), layer.at("members").get<std::vector<std::size_t>>()};
            for (std::size_t member : read.members)
                if (member >= content.items.size()) throw automation::failure("a group lists a shape the file does not hold");
            content.layers.push_back(std::move(read));
        }
        length = index.at("shapes").at("bytes").get<std::size_t>();
        crc = index.at("shapes").at("crc32").get<std::uint32_t>();
    } catch (const json::exception& error) {
        throw automation::failure(std::string("its index is damaged (") + error.what() + ")");
    }
    const std::string_view shapes = std::string_view(bytes).substr(indexEnd + 1);
    if (shapes.size() != length)
        throw automation::failure("it holds " + std::to_string(shapes.size()) + " bytes of shapes where its index says " +
                                  std::to_string(length) + ": it was cut short or added to");
    if (crc32Of(shapes) != crc) throw automation::failure("its shapes are damaged (their checksum differs)");
    TopoDS_Shape all;
    try {
        std::istringstream in(std::string(shapes), std::ios::binary);
        BinTools::Read(all, in);
    } catch (const Standard_Failure& failure) {
        throw automation::failure(std::string("the kernel cannot read its shapes: ") + failure.GetMessageString());
    }
    std::size_t k = 0;
    for (TopoDS_Iterator it(all, false, false); it.More(); it.Next(), ++k)
        if (k < content.items.size()) content.items[k].shape = it.Value();
    if (all.IsNull() || k != content.items.size())
        throw automation::failure("it holds " + std::to_string(k) + " shapes where its index names " +
                                  std::to_string(content.items.size()));
    return content;
}

}  // namespace

bool isNativeDrawingPath(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ending = path.substr(path.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(), [](unsigned char c) { return std::tolower(c); });
    return ending == ".cvx";
}

void writeNativeContent(const StepContent& content, const std::string& path) {
    const std::string bytes = fileBytes(content);
    replaceFile(
        path,
        [&](const std::string& temporary) { writeBytes(bytes, temporary); },
        [&](const std::string& temporary) {
            std::string onDisk;
            try {
                onDisk = bytesOfFile(temporary);
            } catch (const automation::Error& error) {
                incompleteFile(error.description());
            }
            if (onDisk != bytes)
                incompleteFile("it holds " + std::to_string(onDisk.size()) + " bytes that differ from the " +
                               std::to_string(bytes.size()) + " written");
            std::vector<int> faces;
            const StepContent read = contentOf(onDisk, &faces);
            for (std::size_t i = 0; i < read.items.size(); ++i)
                if (countFaces(read.items[i].shape) != faces[i])
                    throw automation::failure("the shape \"" + read.items[i].name + "\" reads back with " +
                                              std::to_string(countFaces(read.items[i].shape)) + " faces, not " +
                                              std::to_string(faces[i]));
        });
}

StepContent readNativeContent(const std::string& path) {
    try {
        return contentOf(bytesOfFile(path));
    } catch (const automation::Error& error) {
        throw automation::failure("Cannot read " + path + ": " + error.description());
    }
}

}  // namespace corvex::cadhost::occt
