#pragma once
// Every host operation runs through `hostCall`: it is journalled with its arguments and its
// outcome, and no OpenCASCADE exception (nor any other C++ exception) leaves it as anything
// but an automation::Error.
#include <Standard_Failure.hxx>

#include <exception>
#include <new>
#include <string>

#include "automation/error.hpp"
#include "cadhost/journal.hpp"

namespace corvex::cadhost::occt {

automation::Error translateFailure(const std::string& operation, const Standard_Failure& failure);

template <typename Body>
auto hostCall(Journal* journal, const std::string& receiver, const std::string& operation,
              std::initializer_list<automation::Variant> arguments, Body&& body) {
    JournalEntry entry(journal, receiver, operation, arguments);
    try {
        return body(entry);
    } catch (const automation::Error& error) {
        entry.failed(error);
        throw;
    } catch (const Standard_Failure& failure) {
        auto error = translateFailure(receiver + "." + operation, failure);
        entry.failed(error);
        throw error;
    } catch (const std::bad_alloc&) {
        auto error = automation::failure(receiver + "." + operation + ": out of memory");
        entry.failed(error);
        throw error;
    } catch (const std::exception& other) {
        auto error = automation::failure(receiver + "." + operation + ": " + other.what());
        entry.failed(error);
        throw error;
    }
}

}  // namespace corvex::cadhost::occt
