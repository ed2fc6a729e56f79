#pragma once
// The automation error a call raises, for tests that look at its code and description.
#include <gtest/gtest.h>

#include "automation/error.hpp"

namespace corvex::testing {

// The automation error that `call` throws; a test failure when it throws none.
template <typename Call>
automation::Error errorOf(Call&& call) {
    try {
        call();
    } catch (const automation::Error& error) {
        return error;
    }
    ADD_FAILURE() << "expected an automation error";
    return automation::failure("");
}

}  // namespace corvex::testing
