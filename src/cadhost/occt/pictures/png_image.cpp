// Reading pictures back goes through the same image library that wrote them.
#include <Image_AlienPixMap.hxx>
#include <Standard_Failure.hxx>

#include <cmath>

#include "automation/error.hpp"
#include "cadhost/occt/files/occt_output.hpp"
#include "cadhost/occt/files/written_file_check.hpp"
#include "cadhost/occt/pictures/picture.hpp"

namespace corvex::cadhost::occt {

RgbImage readPng(const std::string& path) {
    quietOcctOutput();
    try {
        Image_AlienPixMap image;
        if (!image.Load(TCollection_AsciiString(path.c_str())))
            throw automation::failure("Cannot read the picture " + path);
        RgbImage result;
        result.width = int(image.SizeX());
        result.height = int(image.SizeY());
        result.pixels.reserve(std::size_t(result.width) * result.height * 3);
        for (int y = 0; y < result.height; ++y)
            for (int x = 0; x < result.width; ++x) {
                // The stored levels as they are (sRGB), not linearised.
                const Quantity_Color colour = image.PixelColor(x, y, Standard_False).GetRGB();
                for (double level : {colour.Red(), colour.Green(), colour.Blue()})
                    result.pixels.push_back(std::uint8_t(std::lround(level * 255.0)));
            }
        return result;
    } catch (const Standard_Failure& failure) {
        throw automation::failure("Cannot read the picture " + path + ": " + failure.GetMessageString());
    }
}

void checkPngWritten(const std::string& path) {
    try {
        readPng(path);
    } catch (const automation::Error&) {
        incompleteFile("the picture cannot be read back");
    }
}

}  // namespace corvex::cadhost::occt
