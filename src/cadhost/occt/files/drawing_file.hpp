#pragma once
// Drawings as STEP files, and solids as STL meshes.
//
// A drawing file holds every entity in drawing order, each named by its kind and id
// ("Solid3D 7"), with its colour and visibility; each group is a layer listing its members in
// order. Any CAD program that reads STEP with names, colours and layers (AP214) opens it, and
// a file prepared in one (parts placed by an assembly, colours on faces) reads as a drawing:
// solids, regions, lines, arcs, circles and polylines, grouped by their layers.
//
// Every output is written to a temporary file beside the target and renamed over it, so a
// target is never left half written. Every failure is an automation error that says what was
// wrong with which file.
#include <memory>
#include <string>
#include <vector>

#include "cadhost/journal.hpp"
#include "cadhost/occt/model/embedded_host.hpp"

namespace corvex::cadhost::occt {

// Every entity is written; a curve whose shape would not give it back is stated in its name.
void writeDrawing(const Drawing& drawing, const std::string& path);

// A new drawing (recording into `journal` when given) holding what the file holds. Groups with
// no members are not kept by STEP and do not come back.
std::shared_ptr<Drawing> readDrawing(const std::string& path,
                                     std::shared_ptr<Journal> journal = nullptr);

// The solids as one binary STL mesh. Fails for an entity that is not a solid of this host.
void writeStl(const std::vector<std::shared_ptr<Entity>>& solids, const std::string& path);

}  // namespace corvex::cadhost::occt
