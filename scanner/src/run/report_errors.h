#pragma once

#include "run/error_message.h"

#include <exception>
#include <iostream>

namespace scanlet {

// Runs body and reports any exception from it as one line on std::cerr
// instead of letting it travel on: used where nothing above could catch it,
// a C host or the end of the scanning thread.
template <typename Body>
void reportErrors(const char* what, Body body)
{
    try {
        body();
    } catch (const std::exception& error) {
        std::cerr << "Error in " << what << ": " << errorMessage(error) << std::endl;
    } catch (...) {
        std::cerr << "Unknown error in " << what << std::endl;
    }
}

}
