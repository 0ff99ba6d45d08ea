#pragma once

#include <string>

namespace scanlet {

// Developer builds only: the video file or image sequence (printf-style
// pattern) that the next runs read instead of a camera. Empty means none.
void setReplaySource(const std::string& source);

}
