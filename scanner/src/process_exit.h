#pragma once

#include <thread>

namespace scanlet {

// True once the process is ending: on Windows the library's static objects are
// destroyed only then (keepLoaded pins it), after the system has already ended
// every other thread, perhaps in the middle of holding a lock. Their destructors
// must then wait for nothing. Always false elsewhere.
bool processIsExiting();

// Lets go of a thread object without a call into the thread library, which a
// thread ended in the middle of it could have left locked.
void abandon(std::thread& thread);

}
