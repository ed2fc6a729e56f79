// The offscreen view behind every picture: an OpenCASCADE viewer on an unmapped (virtual) X
// window, drawn into an offscreen buffer of the picture's size and read back.
#include <AIS_InteractiveContext.hxx>
#include <AIS_Shape.hxx>
#include <Aspect_DisplayConnection.hxx>
#include <Graphic3d_MaterialAspect.hxx>
#include <Image_AlienPixMap.hxx>
#include <OpenGl_GraphicDriver.hxx>
#include <Prs3d_Drawer.hxx>
#include <Prs3d_LineAspect.hxx>
#include <Standard_Failure.hxx>
#include <V3d_AmbientLight.hxx>
#include <V3d_DirectionalLight.hxx>
#include <V3d_View.hxx>
#include <V3d_Viewer.hxx>
#include <Xw_Window.hxx>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <system_error>

#include "automation/error.hpp"
#include "cadhost/occt/pictures/drawn_solids.hpp"
#include "cadhost/occt/files/occt_output.hpp"
#include "cadhost/occt/pictures/picture.hpp"
#include "cadhost/occt/files/replace_file.hpp"
#include "cadhost/occt/files/written_file_check.hpp"
#include "cadhost/occt/pictures/virtual_display.hpp"

namespace corvex::cadhost::occt {
namespace {

// A dark slate, unless a solid is near it in colour; then a pale grey.
constexpr Rgb kDarkBackground{46, 54, 66};
constexpr Rgb kPaleBackground{238, 240, 242};
constexpr Rgb kEdgeColour{24, 24, 24};
constexpr double kFrameMargin = 0.08;  // of the picture, on each side
constexpr double kSmoothEdgesUpTo = 4.2e6;  // pixels

Quantity_Color occtColour(const Rgb& colour) {
    return Quantity_Color(colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0,
                          Quantity_TOC_sRGB);
}

double colourDistance(const Rgb& a, const Rgb& b) {
    return std::hypot(a.red - b.red, a.green - b.green, a.blue - b.blue);
}

Rgb backgroundFor(const std::vector<DrawnSolid>& solids) {
    for (const DrawnSolid& solid : solids)
        if (colourDistance(solid.colour, kDarkBackground) < 90) return kPaleBackground;
    return kDarkBackground;
}

V3d_TypeOfOrientation orientationOf(PictureView view) {
    switch (view) {
        case PictureView::Top: return V3d_Zpos;
        case PictureView::Front: return V3d_Yneg;
        case PictureView::Right: return V3d_Xpos;
        case PictureView::Iso: break;
    }
    return V3d_XposYnegZpos;
}

// The user's display when it can be opened, else this process's own Xvfb.
Handle(Aspect_DisplayConnection) openDisplay() {
    const char* own = std::getenv("DISPLAY");
    if (own != nullptr && *own != '\0') {
        try {
            return new Aspect_DisplayConnection(TCollection_AsciiString(own));
        } catch (const Standard_Failure&) {
            // A stale DISPLAY (a closed remote session) is no reason not to draw.
        }
    }
    const std::string name = privateDisplay();
    try {
        return new Aspect_DisplayConnection(TCollection_AsciiString(name.c_str()));
    } catch (const Standard_Failure& failure) {
        throw automation::failure("the virtual display " + name + " cannot be opened: " +
                                  failure.GetMessageString());
    }
}

// A key light from above, in front and to the left, so that the top, the front and the right
// of a block each get a shade of their own in every view; a weak headlight so that no face
// turned to the viewer is left flat black.
void addLights(V3d_Viewer& viewer) {
    Handle(V3d_AmbientLight) ambient = new V3d_AmbientLight(Quantity_NOC_WHITE);
    ambient->SetIntensity(0.45f);
    Handle(V3d_DirectionalLight) key = new V3d_DirectionalLight(gp_Dir(0.35, 0.6, -1.0), Quantity_NOC_WHITE);
    key->SetIntensity(0.8f);
    Handle(V3d_DirectionalLight) head = new V3d_DirectionalLight(gp_Dir(0, 0, -1), Quantity_NOC_WHITE, Standard_True);
    head->SetIntensity(0.2f);
    const Handle(V3d_Light) lights[] = {ambient, key, head};
    for (const Handle(V3d_Light)& light : lights) {
        viewer.AddLight(light);
        viewer.SetLightOn(light);
    }
}

// The built-in materials reflect about half of a solid's colour, which turns a light grey
// part a dull mid-grey; this one keeps a face in the key light close to the colour chosen.
Graphic3d_MaterialAspect matteMaterial() {
    Graphic3d_MaterialAspect material(Graphic3d_NameOfMaterial_UserDefined);
    material.SetMaterialType(Graphic3d_MATERIAL_ASPECT);
    material.SetAmbientColor(Quantity_Color(0.45, 0.45, 0.45, Quantity_TOC_RGB));
    material.SetDiffuseColor(Quantity_Color(0.75, 0.75, 0.75, Quantity_TOC_RGB));
    material.SetSpecularColor(Quantity_Color(0.08, 0.08, 0.08, Quantity_TOC_RGB));
    material.SetEmissiveColor(Quantity_Color(0, 0, 0, Quantity_TOC_RGB));
    material.SetShininess(0.25f);
    return material;
}

Handle(AIS_Shape) presentationOf(const DrawnSolid& solid) {
    Handle(AIS_Shape) shape = new AIS_Shape(solid.shape);
    shape->SetMaterial(matteMaterial());
    shape->SetColor(occtColour(solid.colour));
    const Handle(Prs3d_Drawer)& drawer = shape->Attributes();
    drawer->SetFaceBoundaryDraw(Standard_True);
    drawer->SetFaceBoundaryAspect(new Prs3d_LineAspect(occtColour(kEdgeColour), Aspect_TOL_SOLID, 1.0));
    // Sharp edges only: a cylinder's seam or a fillet's tangent edge is not a line to draw.
    drawer->SetFaceBoundaryUpperContinuity(GeomAbs_C0);
    return shape;
}

}  // namespace

struct PictureRenderer::View {
    Handle(Aspect_DisplayConnection) display;
    Handle(OpenGl_GraphicDriver) driver;
    Handle(V3d_Viewer) viewer;
    Handle(AIS_InteractiveContext) context;
    Handle(Xw_Window) window;
    Handle(V3d_View) view;
    // What is on show, by entity: a solid whose shape has not changed keeps its presentation.
    std::map<std::string, std::pair<TopoDS_Shape, Handle(AIS_Shape)>> shown;

    explicit View(const PictureOptions& options) {
        display = openDisplay();
        driver = new OpenGl_GraphicDriver(display, Standard_False);
        driver->ChangeOptions().buffersNoSwap = Standard_True;
        driver->ChangeOptions().swapInterval = 0;
        viewer = new V3d_Viewer(driver);
        addLights(*viewer);
        context = new AIS_InteractiveContext(viewer);
        context->SetAutomaticHilight(Standard_False);
        window = new Xw_Window(display, "corvex", 0, 0, options.width, options.height);
        window->SetVirtual(Standard_True);
        view = viewer->CreateView();
        view->SetImmediateUpdate(Standard_False);
        view->SetWindow(window);
        // Smooth edges cost four times the memory of the picture: worth it up to a few
        // megapixels, where a jagged edge is one pixel of thousands anyway.
        const double pixels = double(options.width) * options.height;
        view->ChangeRenderingParams().NbMsaaSamples = pixels <= kSmoothEdgesUpTo ? 4 : 0;
    }

    void show(const std::vector<DrawnSolid>& solids) {
        std::map<std::string, std::pair<TopoDS_Shape, Handle(AIS_Shape)>> next;
        for (const DrawnSolid& solid : solids) {
            auto found = shown.find(solid.name);
            if (found != shown.end() && found->second.first.IsEqual(solid.shape)) {
                next[solid.name] = found->second;
                shown.erase(found);
                continue;
            }
            Handle(AIS_Shape) presentation = presentationOf(solid);
            context->Display(presentation, AIS_Shaded, -1, Standard_False);
            next[solid.name] = {solid.shape, presentation};
        }
        for (auto& [name, gone] : shown) context->Remove(gone.second, Standard_False);
        shown = std::move(next);
    }
};

PictureRenderer::PictureRenderer(PictureOptions options) : options_(options) {
    for (int side : {options.width, options.height})
        if (side < kPictureSideMin || side > kPictureSideMax)
            throw automation::invalidArgument(
                "A picture is " + std::to_string(kPictureSideMin) + " to " +
                std::to_string(kPictureSideMax) + " pixels on each side, not " +
                std::to_string(options.width) + "x" + std::to_string(options.height));
}

PictureRenderer::~PictureRenderer() = default;

void PictureRenderer::write(const Drawing& drawing, const std::string& path) {
    quietOcctOutput();
    replaceFile(path, [&](const std::string& temporary) {
        try {
            openView(path);
            const std::vector<DrawnSolid> solids = drawnSolids(drawing);
            view_->show(solids);
            V3d_View& view = *view_->view;
            view.SetBackgroundColor(occtColour(backgroundFor(solids)));
            view.SetProj(orientationOf(options_.view), Standard_False);
            if (!solids.empty()) view.FitAll(kFrameMargin, Standard_False);
            view.ZFitAll();

            Image_AlienPixMap image;
            if (!view.ToPixMap(image, options_.width, options_.height, Graphic3d_BT_RGB))
                throw automation::failure("Cannot draw the picture " + path +
                                          ": the offscreen view could not be read back");
            // The image library tells the format by the name's extension.
            const std::string named = temporary + ".png";
            if (!image.Save(TCollection_AsciiString(named.c_str()))) {
                std::error_code ignored;
                std::filesystem::remove(named, ignored);
                throw automation::failure("Cannot write " + path + ": the PNG could not be saved");
            }
            std::filesystem::rename(named, temporary);
        } catch (const Standard_Failure& failure) {
            throw automation::failure("Cannot draw the picture " + path + ": " +
                                      failure.GetMessageString());
        }
    }, checkPngWritten);
}

void PictureRenderer::openView(const std::string& path) {
    if (view_) return;
    try {
        view_ = std::make_unique<View>(options_);
    } catch (const automation::Error& error) {
        throw automation::failure("Cannot draw the picture " + path + ": " + error.description());
    }
}

void writePicture(const Drawing& drawing, const std::string& path, const PictureOptions& options) {
    PictureRenderer renderer(options);
    renderer.write(drawing, path);
}

}  // namespace corvex::cadhost::occt
