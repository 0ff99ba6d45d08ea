#pragma once

namespace scanlet {

// Pins the library in its process for good. Called before the library starts a
// thread of its own: on Windows an unload that came while such a thread still
// ran would take its code away from under it, and waiting for the thread is not
// possible there, as unloading runs under the loader lock. Elsewhere it does
// nothing.
void keepLoaded();

}
