#include "run/known_codes.h"

namespace scanlet {

void insertKnownCodes(std::set<std::string>& seen, const char* const* codes, std::int32_t count)
{
    if (codes == nullptr) {
        return;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        if (codes[i] != nullptr) {
            seen.emplace(codes[i]);
        }
    }
}

}
