#pragma once
// The region functions are called from inside host operations but are also plain geometry
// functions in their own right, so they keep OpenCASCADE's exceptions in themselves (internal).
#include <Standard_Failure.hxx>

#include <exception>
#include <new>
#include <string>

#include "automation/error.hpp"

namespace corvex::cadhost::occt {

template <typename Body>
auto withRegionErrors(const char* task, Body&& body) {
    try {
        return body();
    } catch (const automation::Error&) {
        throw;
    } catch (const Standard_Failure& failure) {
        const char* message = failure.GetMessageString();
        throw automation::failure(std::string(task) + " failed in OpenCASCADE (" +
                                  failure.DynamicType()->Name() +
                                  (message && *message ? std::string(": ") + message : "") + ")");
    } catch (const std::bad_alloc&) {
        throw automation::failure(std::string(task) + " ran out of memory");
    }
}

}  // namespace corvex::cadhost::occt
