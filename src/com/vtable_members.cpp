// The early-bound face of _corvex4: each method hands its arguments, as VARIANTs that
// borrow the caller's values, to the same dispatch a late-bound call goes through. Each
// method names the member it calls with __func__, so that a method copied from its
// neighbour cannot call the neighbour's member.
#include "com/corvex4_object.hpp"

namespace corvex::com {
namespace {

VARIANT in(const VARIANT& value) { return value; }
VARIANT in(double value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_R8;
    v.dblVal = value;
    return v;
}
VARIANT in(short value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I2;
    v.iVal = value;
    return v;
}
VARIANT in(BSTR value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = value;
    return v;
}
VARIANT in(IDispatch* value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = value;
    return v;
}

constexpr InvokeKind kMethod = InvokeKind::Method;

}  // namespace

HRESULT Corvex4Object::get_Name(BSTR* Name) {
    if (Name) *Name = nullptr;
    return callMember("Name", InvokeKind::PropertyGet, {}, Name);
}

HRESULT Corvex4Object::put_Name(BSTR Name) {
    return callMember("Name", InvokeKind::PropertyPut, {in(Name)}, {});
}

HRESULT Corvex4Object::StartAcad(short* result) { return callMember(__func__, kMethod, {}, result); }

HRESULT Corvex4Object::MakeRegion(VARIANT PolyLine, VARIANT* result) {
    if (result) VariantInit(result);
    return callMember(__func__, kMethod, {in(PolyLine)}, result);
}

HRESULT Corvex4Object::ToolExtrudeLine(VARIANT point1, VARIANT point2, VARIANT point3, VARIANT point4,
                                       VARIANT point5, double z, VARIANT* result) {
    if (result) VariantInit(result);
    return callMember(__func__, kMethod, {in(point1), in(point2), in(point3), in(point4), in(point5), in(z)},
                      result);
}

HRESULT Corvex4Object::ToolPolyCreate() { return callMember(__func__, kMethod, {}, {}); }

HRESULT Corvex4Object::MoveTool(VARIANT x, VARIANT y, double z, VARIANT* result) {
    if (result) VariantInit(result);
    return callMember(__func__, kMethod, {in(x), in(y), in(z)}, result);
}

HRESULT Corvex4Object::ProbeRadius(double r, VARIANT* result) {
    if (result) VariantInit(result);
    return callMember(__func__, kMethod, {in(r)}, result);
}

HRESULT Corvex4Object::ProbeToZero() { return callMember(__func__, kMethod, {}, {}); }

HRESULT Corvex4Object::MoveProbe(VARIANT x, VARIANT y, double z, VARIANT* result) {
    if (result) VariantInit(result);
    return callMember(__func__, kMethod, {in(x), in(y), in(z)}, result);
}

HRESULT Corvex4Object::MakeToolMill(VARIANT centerpoint, double dia, double length, double CornerRad,
                                    IDispatch** result) {
    if (result) *result = nullptr;
    return callMember(__func__, kMethod, {in(centerpoint), in(dia), in(length), in(CornerRad)}, result);
}

HRESULT Corvex4Object::MakeToolLathe(short NumPoints, short NumRad, VARIANT ToolPoints, VARIANT ToolRadii,
                                     IDispatch** result) {
    if (result) *result = nullptr;
    return callMember(__func__, kMethod, {in(NumPoints), in(NumRad), in(ToolPoints), in(ToolRadii)}, result);
}

HRESULT Corvex4Object::SubtractToolFromGroup() { return callMember(__func__, kMethod, {}, {}); }

HRESULT Corvex4Object::SubtractArcToolFromGroup() { return callMember(__func__, kMethod, {}, {}); }

HRESULT Corvex4Object::ToolRevolveArc(VARIANT centerpoint, VARIANT vpoint1, VARIANT vpoint2, VARIANT vpoint3,
                                      VARIANT vpoint4, double sweep, VARIANT EndPoint, double dia) {
    return callMember(__func__, kMethod,
                      {in(centerpoint), in(vpoint1), in(vpoint2), in(vpoint3), in(vpoint4), in(sweep), in(EndPoint),
                       in(dia)},
                      {});
}

HRESULT Corvex4Object::ToolExtrudePath(VARIANT StartPoint, VARIANT EndPoint) {
    return callMember(__func__, kMethod, {in(StartPoint), in(EndPoint)}, {});
}

HRESULT Corvex4Object::subtract(IDispatch* tool) { return callMember(__func__, kMethod, {in(tool)}, {}); }

HRESULT Corvex4Object::drill_path(double x, double y, double z, double height, double radius) {
    return callMember(__func__, kMethod, {in(x), in(y), in(z), in(height), in(radius)}, {});
}

HRESULT Corvex4Object::distance(double x1, double y1, double x2, double y2, VARIANT* result) {
    if (result) VariantInit(result);
    return callMember(__func__, kMethod, {in(x1), in(y1), in(x2), in(y2)}, result);
}

HRESULT Corvex4Object::setcolor(VARIANT color) { return callMember(__func__, kMethod, {in(color)}, {}); }

HRESULT Corvex4Object::RotateAxis(short Axis, double angle) {
    return callMember(__func__, kMethod, {in(Axis), in(angle)}, {});
}

HRESULT Corvex4Object::ToolMillArc(VARIANT centerpoint, VARIANT EndPoint, VARIANT vpoint1, VARIANT vpoint2,
                                   VARIANT vpoint3, VARIANT vpoint4, double r1, double r2, double startangle,
                                   double endangle) {
    return callMember(__func__, kMethod,
                      {in(centerpoint), in(EndPoint), in(vpoint1), in(vpoint2), in(vpoint3), in(vpoint4), in(r1),
                       in(r2), in(startangle), in(endangle)},
                      {});
}

HRESULT Corvex4Object::LatheInsert(short NumPoints, short NumRad, VARIANT ToolPoints, VARIANT ToolRadii,
                                   VARIANT StartPoint, VARIANT EndPoint, VARIANT sp) {
    return callMember(__func__, kMethod,
                      {in(NumPoints), in(NumRad), in(ToolPoints), in(ToolRadii), in(StartPoint), in(EndPoint), in(sp)},
                      {});
}

HRESULT Corvex4Object::LatheLine(short NumPoints, short NumRad, VARIANT ToolPoints, VARIANT ToolRadii,
                                 VARIANT PathPoints, VARIANT StartPoint, VARIANT EndPoint, VARIANT sp) {
    return callMember(__func__, kMethod,
                      {in(NumPoints), in(NumRad), in(ToolPoints), in(ToolRadii), in(PathPoints), in(StartPoint),
                       in(EndPoint), in(sp)},
                      {});
}

HRESULT Corvex4Object::LatheArc(VARIANT Arc1, VARIANT Arc2, VARIANT Line1, VARIANT Line2, VARIANT EndPoint) {
    return callMember(__func__, kMethod, {in(Arc1), in(Arc2), in(Line1), in(Line2), in(EndPoint)}, {});
}

}  // namespace corvex::com
