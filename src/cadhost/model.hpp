#pragma once
// The CAD host as corvex sees it: the few objects and operations its members ask for.
// Every argument is a Variant, exactly as a late-bound caller passes it, so that the kinds a
// member chooses (a 16-bit 1, a Double 2.0, a point array) reach the host unchanged and the
// host, not the caller, decides what it accepts. Every failure is an automation::Error.
// Objects are shared references; an entity that was deleted (or absorbed by a Boolean) stays
// referable and fails every later operation with an error that says so.
#include <cstdint>
#include <memory>
#include <string>

#include "automation/object.hpp"
#include "automation/variant.hpp"

namespace corvex::cadhost {

using automation::Variant;

class Document;
class ModelSpace;
class Groups;
class Group;
class Entity;
class Polyline;
class Line;
class Arc;
class Circle;
class Region;
class Solid3D;

class Application : public automation::Object {
public:
    virtual void putVisible(const Variant& visible) = 0;
    // The open drawing; fails when the application has none.
    virtual std::shared_ptr<Document> ActiveDocument() = 0;
};

class Document : public automation::Object {
public:
    virtual std::shared_ptr<cadhost::Application> Application() = 0;
    virtual std::shared_ptr<cadhost::ModelSpace> ModelSpace() = 0;
    virtual std::shared_ptr<cadhost::Groups> Groups() = 0;
    virtual void SetVariable(const Variant& name, const Variant& value) = 0;
};

class Groups : public automation::Object {
public:
    // The group of that name; fails when there is none.
    virtual std::shared_ptr<Group> Item(const Variant& name) = 0;
};

class Group : public automation::Object {
public:
    // Member `index` (from 0), of any kind.
    virtual std::shared_ptr<Entity> Item(const Variant& index) = 0;
    virtual std::int32_t Count() = 0;
};

class ModelSpace : public automation::Object {
public:
    // A cylinder with its axis along Z and `centre` at mid-height.
    virtual std::shared_ptr<Solid3D> AddCylinder(const Variant& centre, const Variant& radius,
                                                 const Variant& height) = 0;
    // `vertices`: X, Y, Z per vertex; Z of the first vertex is the elevation.
    virtual std::shared_ptr<Polyline> AddPolyline(const Variant& vertices) = 0;
    virtual std::shared_ptr<Line> AddLine(const Variant& start, const Variant& end) = 0;
    // Counter-clockwise in the XY plane from `startAngle` to `endAngle` (radians).
    virtual std::shared_ptr<Arc> AddArc(const Variant& centre, const Variant& radius,
                                        const Variant& startAngle, const Variant& endAngle) = 0;
    virtual std::shared_ptr<Circle> AddCircle(const Variant& centre, const Variant& radius) = 0;
    // One region per closed loop the listed curves form; an array of region objects.
    virtual Variant AddRegion(const Variant& entities) = 0;
    virtual std::shared_ptr<Solid3D> AddExtrudedSolid(const Variant& region, const Variant& height,
                                                      const Variant& taperAngle) = 0;
    virtual std::shared_ptr<Solid3D> AddExtrudedSolidAlongPath(const Variant& region,
                                                               const Variant& path) = 0;
    // Revolves `region` about the axis through `axisPoint` along `axisDirection` by the
    // signed `angle` (radians, right-hand rule; 2*pi or more is a full turn).
    virtual std::shared_ptr<Solid3D> AddRevolvedSolid(const Variant& region,
                                                      const Variant& axisPoint,
                                                      const Variant& axisDirection,
                                                      const Variant& angle) = 0;
};

// What every drawing entity can do.
class Entity : public automation::Object {
public:
    // "Solid3D", "Region", "Polyline", "Line", "Arc" or "Circle".
    virtual std::string kind() const = 0;
    virtual void putVisible(const Variant& visible) = 0;
    virtual void Move(const Variant& from, const Variant& to) = 0;
    // Turns about the axis from `point1` to `point2` by `angle` radians (right-hand rule).
    virtual void Rotate3D(const Variant& point1, const Variant& point2, const Variant& angle) = 0;
    virtual void Update() = 0;
    virtual void Delete() = 0;
};

// Boolean operation codes.
enum class BooleanOp : std::int32_t { Union = 0, Intersection = 1, Subtraction = 2 };

class Polyline : public virtual Entity {
public:
    virtual void SetBulge(const Variant& index, const Variant& bulge) = 0;
    virtual void putElevation(const Variant& elevation) = 0;
    virtual void putCoordinate(const Variant& index, const Variant& point) = 0;
};

class Line : public virtual Entity {};
class Circle : public virtual Entity {};

class Arc : public virtual Entity {
public:
    virtual Variant StartPoint() = 0;
    virtual Variant EndPoint() = 0;
};

class Region : public virtual Entity {
public:
    // The other region leaves the drawing.
    virtual void Boolean(const Variant& operation, const Variant& other) = 0;
};

class Solid3D : public virtual Entity {
public:
    // The other solid leaves the drawing.
    virtual void Boolean(const Variant& operation, const Variant& other) = 0;
    // With `create` true: a new solid of the common volume, or nullptr when they do not meet.
    virtual std::shared_ptr<Solid3D> CheckInterference(const Variant& other,
                                                       const Variant& create) = 0;
    virtual Variant Centroid() = 0;
};

}  // namespace corvex::cadhost
