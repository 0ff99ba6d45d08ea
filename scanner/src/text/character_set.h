#pragma once

#include <optional>
#include <string>
#include <vector>

namespace scanlet {

// The bytes read in a multi-byte or code-page character set ("CP932",
// "GB18030", "CP1252", "ISO-8859-5" and the like), in UTF-8, through the
// platform's own converters; nothing when they are no text in it or the
// platform does not know the set.
std::optional<std::string> convertToUtf8(const std::string& bytes, const std::string& characterSet);

// Each of the pieces read alone as convertToUtf8 reads it, the set looked up
// once for all of them.
std::vector<std::optional<std::string>> convertEachToUtf8(const std::vector<std::string>& pieces,
                                                          const std::string& characterSet);

}
