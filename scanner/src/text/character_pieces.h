#pragma once

#include <string>
#include <vector>

namespace scanlet {

// The bytes cut into the sequences that each stand for one character of a
// character set as iconv names it ("CP932", "GB18030", "BIG5", "CP949"; any
// other is read one byte per character). A lead byte whose sequence is cut
// short or broken stands alone, and its follower opens the next sequence. The
// cut depends only on the set's byte ranges, not on a platform's tables, so a
// byte string that is no text in a set splits at the same places everywhere.
std::vector<std::string> characterPiecesOf(const std::string& bytes, const std::string& characterSet);

}
