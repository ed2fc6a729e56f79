#pragma once
// The COM class corvex4: one corvex4 instance behind the dual interface _corvex4. Late-bound
// calls (IDispatch::Invoke) and early-bound ones (the vtable) both go through the member
// table's dispatch, so member order, dispatch IDs and argument conversion live in one place
// (src/server). An automation error leaves as its HRESULT with error information whose
// source is "corvex.corvex4".
#include <windows.h>
#include <oaidl.h>

#include <initializer_list>
#include <memory>
#include <variant>

#include "cadhost/com/com_connector.hpp"
#include "cadhost/com/com_ref.hpp"
#include "corvex.h"
#include "server/corvex4.hpp"
#include "server/member_table.hpp"

namespace corvex::com {

class Corvex4Object final : public _corvex4, public ISupportErrorInfo {
public:
    // A new instance, handed out as `interfaceId`.
    static HRESULT create(REFIID interfaceId, void** result);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** result) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispId, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID interfaceId) override;

    // _corvex4, in table order.
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* Name) override;
    HRESULT STDMETHODCALLTYPE put_Name(BSTR Name) override;
    HRESULT STDMETHODCALLTYPE StartAcad(short* result) override;
    HRESULT STDMETHODCALLTYPE MakeRegion(VARIANT PolyLine, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE ToolExtrudeLine(VARIANT point1, VARIANT point2, VARIANT point3, VARIANT point4,
                                              VARIANT point5, double z, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE ToolPolyCreate() override;
    HRESULT STDMETHODCALLTYPE MoveTool(VARIANT x, VARIANT y, double z, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE ProbeRadius(double r, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE ProbeToZero() override;
    HRESULT STDMETHODCALLTYPE MoveProbe(VARIANT x, VARIANT y, double z, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE MakeToolMill(VARIANT centerpoint, double dia, double length, double CornerRad,
                                           IDispatch** result) override;
    HRESULT STDMETHODCALLTYPE MakeToolLathe(short NumPoints, short NumRad, VARIANT ToolPoints, VARIANT ToolRadii,
                                            IDispatch** result) override;
    HRESULT STDMETHODCALLTYPE SubtractToolFromGroup() override;
    HRESULT STDMETHODCALLTYPE SubtractArcToolFromGroup() override;
    HRESULT STDMETHODCALLTYPE ToolRevolveArc(VARIANT centerpoint, VARIANT vpoint1, VARIANT vpoint2, VARIANT vpoint3,
                                             VARIANT vpoint4, double sweep, VARIANT EndPoint, double dia) override;
    HRESULT STDMETHODCALLTYPE ToolExtrudePath(VARIANT StartPoint, VARIANT EndPoint) override;
    HRESULT STDMETHODCALLTYPE subtract(IDispatch* tool) override;
    HRESULT STDMETHODCALLTYPE drill_path(double x, double y, double z, double height, double radius) override;
    HRESULT STDMETHODCALLTYPE distance(double x1, double y1, double x2, double y2, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE setcolor(VARIANT color) override;
    HRESULT STDMETHODCALLTYPE RotateAxis(short Axis, double angle) override;
    HRESULT STDMETHODCALLTYPE ToolMillArc(VARIANT centerpoint, VARIANT EndPoint, VARIANT vpoint1, VARIANT vpoint2,
                                          VARIANT vpoint3, VARIANT vpoint4, double r1, double r2, double startangle,
                                          double endangle) override;
    HRESULT STDMETHODCALLTYPE LatheInsert(short NumPoints, short NumRad, VARIANT ToolPoints, VARIANT ToolRadii,
                                          VARIANT StartPoint, VARIANT EndPoint, VARIANT sp) override;
    HRESULT STDMETHODCALLTYPE LatheLine(short NumPoints, short NumRad, VARIANT ToolPoints, VARIANT ToolRadii,
                                        VARIANT PathPoints, VARIANT StartPoint, VARIANT EndPoint, VARIANT sp) override;
    HRESULT STDMETHODCALLTYPE LatheArc(VARIANT Arc1, VARIANT Arc2, VARIANT Line1, VARIANT Line2,
                                       VARIANT EndPoint) override;

private:
    Corvex4Object();
    ~Corvex4Object();

    // Where an early-bound call's [out, retval] goes (none for members without a result).
    using ResultSlot = std::variant<std::monostate, VARIANT*, BSTR*, short*, IDispatch**>;
    // An early-bound call of `member` (its dispatch ID comes from the member table): the
    // arguments, as VARIANTs that borrow the caller's values, go through dispatch like a
    // late-bound call's.
    HRESULT callMember(const char* member, InvokeKind kind, std::initializer_list<VARIANT> arguments, ResultSlot result);
    cadhost::com::ObjectMapping objects() const;
    HRESULT loadTypeInfo();

    LONG references_ = 1;
    cadhost::com::ComConnector connector_;
    cadhost::com::MessageBoxUserInterface userInterface_;
    corvex4 server_;
    cadhost::com::ComRef<ITypeInfo> typeInfo_;
};

}  // namespace corvex::com
