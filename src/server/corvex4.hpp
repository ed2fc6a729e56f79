#pragma once
// corvex4: the one automation class of corvex. Its state is the handful of fields below, in
// their fixed order and with their fixed names; everything it makes lives in the host's
// drawing. Each member body lives with its subsystem (mill/, probe/, rotary/, lathe/, and
// server/ for start-up and the utility members); the member table (member_table.hpp) is
// what late-bound callers see.
#include <cstdint>
#include <memory>
#include <string>

#include "automation/variant.hpp"
#include "cadhost/connector.hpp"
#include "cadhost/model.hpp"

namespace corvex {

// The programmatic identifier of the class, and the source of every error it reports.
inline constexpr const char* kCorvexProgId = "corvex.corvex4";
// What the class attaches to or launches.
inline constexpr const char* kHostProgId = "AutoCAD.Application";

class corvex4 {
public:
    // The host is chosen by the caller: the embedded host's connector, or (on Windows) the
    // adapter to a desktop CAD program. Creating an instance contacts neither.
    corvex4(cadhost::Connector& connector, cadhost::UserInterface& userInterface);
    // Releases the references; nothing in the drawing changes and the host is not told.
    ~corvex4() = default;
    corvex4(const corvex4&) = delete;
    corvex4& operator=(const corvex4&) = delete;

    // --- The fields, in their fixed order, zeroed at creation. -----------------------------
    // Kept public: the class is plain state plus one method per operation, and the tests
    // (like a debugger watching the original class) read the fields directly.
    std::string Name;
    automation::Variant cadApp;  // the host application (an object once started)
    automation::Variant cadDoc;  // the drawing every operation works in
    std::shared_ptr<cadhost::Polyline> slotOutline;
    std::shared_ptr<cadhost::Solid3D> toolSolid;
    std::shared_ptr<cadhost::Solid3D> cutSolid;
    double toolX = 0;
    double toolY = 0;
    double toolZ = 0;
    double toolRadius = 0;
    double toolCornerRadius = 0;
    double sweepHeight = 0;
    double probeRadius = 0;

    // --- The members of _corvex4, in table order. ------------------------------------------
    // The Name property's accessors carry COM's get_/put_ prefixes: the field keeps the name.
    std::string get_Name() const;
    void put_Name(const std::string& value);
    std::int16_t StartAcad();
    automation::Variant MakeRegion(const automation::Variant& PolyLine);
    automation::Variant ToolExtrudeLine(const automation::Variant& point1,
                                        const automation::Variant& point2,
                                        const automation::Variant& point3,
                                        const automation::Variant& point4,
                                        const automation::Variant& point5, double z);
    void ToolPolyCreate();
    automation::Variant MoveTool(const automation::Variant& x, const automation::Variant& y,
                                 double z);
    automation::Variant ProbeRadius(double r);
    void ProbeToZero();
    automation::Variant MoveProbe(const automation::Variant& x, const automation::Variant& y,
                                  double z);
    std::shared_ptr<cadhost::Solid3D> MakeToolMill(const automation::Variant& centerpoint,
                                                   double dia, double length, double CornerRad);
    std::shared_ptr<cadhost::Solid3D> MakeToolLathe(std::int16_t NumPoints, std::int16_t NumRad,
                                                    const automation::Variant& ToolPoints,
                                                    const automation::Variant& ToolRadii);
    void SubtractToolFromGroup();
    void SubtractArcToolFromGroup();
    void ToolRevolveArc(const automation::Variant& centerpoint, const automation::Variant& vpoint1,
                        const automation::Variant& vpoint2, const automation::Variant& vpoint3,
                        const automation::Variant& vpoint4, double sweep,
                        const automation::Variant& EndPoint, double dia);
    void ToolExtrudePath(const automation::Variant& StartPoint, const automation::Variant& EndPoint);
    void subtract(std::shared_ptr<cadhost::Solid3D> tool);
    void drill_path(double x, double y, double z, double height, double radius);
    automation::Variant distance(double x1, double y1, double x2, double y2);
    void setcolor(const automation::Variant& color);
    void RotateAxis(std::int16_t Axis, double angle);
    void ToolMillArc(const automation::Variant& centerpoint, const automation::Variant& EndPoint,
                     const automation::Variant& vpoint1, const automation::Variant& vpoint2,
                     const automation::Variant& vpoint3, const automation::Variant& vpoint4,
                     double r1, double r2, double startangle, double endangle);
    void LatheInsert(std::int16_t NumPoints, std::int16_t NumRad,
                     const automation::Variant& ToolPoints, const automation::Variant& ToolRadii,
                     const automation::Variant& StartPoint, const automation::Variant& EndPoint,
                     const automation::Variant& sp);
    void LatheLine(std::int16_t NumPoints, std::int16_t NumRad,
                   const automation::Variant& ToolPoints, const automation::Variant& ToolRadii,
                   const automation::Variant& PathPoints, const automation::Variant& StartPoint,
                   const automation::Variant& EndPoint, const automation::Variant& sp);
    void LatheArc(const automation::Variant& Arc1, const automation::Variant& Arc2,
                  const automation::Variant& Line1, const automation::Variant& Line2,
                  const automation::Variant& EndPoint);

private:
    // Document refresh: cadApp := cadDoc.Application, then cadDoc := cadApp.ActiveDocument.
    void refreshDocument();
    // Active-document re-read: cadDoc := cadApp.ActiveDocument.
    void rereadActiveDocument();

    // cadDoc as the document that `member` is about to be called on (late-bound rules:
    // Empty or Nothing is "Object required").
    std::shared_ptr<cadhost::Document> documentFor(const char* member) const;
    // cadDoc.ModelSpace, read afresh for every call as the members' statements do.
    std::shared_ptr<cadhost::ModelSpace> modelSpace() const;
    // cadDoc.Groups.Item(name), taken as a group.
    std::shared_ptr<cadhost::Group> group(const std::string& name) const;

    cadhost::Connector& connector_;
    cadhost::UserInterface& userInterface_;
};

}  // namespace corvex
