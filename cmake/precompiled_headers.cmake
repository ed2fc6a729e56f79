# Precompiled headers: parsing OpenCASCADE's and GoogleTest's headers is half of what most of
# our sources cost to compile (gtest.h alone takes two seconds), so each target that includes
# them parses them once. Turn off with -DCORVEX_PRECOMPILED_HEADERS=OFF to check that every
# source still includes what it uses.
option(CORVEX_PRECOMPILED_HEADERS "Precompile the kernel's and the test framework's headers" ON)

# The standard headers most of the host's and the tests' sources use.
set(corvex_standard_headers <algorithm> <cmath> <functional> <map> <memory> <optional>
  <string> <vector>)

# The kernel's headers included by most of the host's sources.
set(corvex_kernel_headers
  <Standard_Failure.hxx> <TopoDS.hxx> <TopoDS_Shape.hxx> <TopoDS_Face.hxx> <TopoDS_Edge.hxx>
  <TopoDS_Wire.hxx> <TopoDS_Compound.hxx> <TopExp_Explorer.hxx> <TopLoc_Location.hxx>
  <gp_Pnt.hxx> <gp_Trsf.hxx> <gp_Ax1.hxx> <gp_Ax2.hxx> <Bnd_Box.hxx> <BRepBndLib.hxx>
  <BRep_Builder.hxx> <BRep_Tool.hxx> <BRepGProp.hxx> <GProp_GProps.hxx>
  <BRepAdaptor_Surface.hxx> <BRepAdaptor_Curve.hxx> <BRepBuilderAPI_MakeEdge.hxx>
  <BRepBuilderAPI_MakeWire.hxx> <BRepBuilderAPI_MakeFace.hxx> <BRepPrimAPI_MakeBox.hxx>
  <BRepAlgoAPI_Cut.hxx>)

# A target of the embedded host, or one that measures shapes with the kernel directly.
function(corvex_precompile_kernel_headers target)
  if(CORVEX_PRECOMPILED_HEADERS)
    target_precompile_headers(${target} PRIVATE ${corvex_standard_headers} ${corvex_kernel_headers})
  endif()
endfunction()

# A test program (GoogleTest and GoogleMock).
function(corvex_precompile_test_headers target)
  if(CORVEX_PRECOMPILED_HEADERS)
    target_precompile_headers(${target} PRIVATE ${corvex_standard_headers} <gtest/gtest.h>
      <gmock/gmock.h>)
  endif()
endfunction()
