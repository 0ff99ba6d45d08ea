#pragma once

#include <cstdint>
#include <set>
#include <string>

namespace scanlet {

// Copies the host's known codes into seen. A null array or a null entry is
// skipped: a C host can pass either by mistake, and neither names a code.
void insertKnownCodes(std::set<std::string>& seen, const char* const* codes, std::int32_t count);

}
