#pragma once

#include <exception>
#include <string>

namespace scanlet {

// The text of error for one line on std::cerr. OpenCV's messages name the
// source file they come from by its path on the machine that built OpenCV:
// only the file's own name is kept, so that a line shows no builder's folders.
std::string errorMessage(const std::exception& error);

}
