#pragma once

// What the main window's unload does before the process ends.
namespace Shutdown {

// Deletes the two leftovers of the MP3 recipe in the work folder, first tmpfile.wav, then
// tmpfile1.mp3, letting pending events run between tries. A file that cannot be deleted (held by a
// tool, or in a read-only folder) is given up after triesPerFile tries, so the program always ends.
// True when neither file is left.
bool removeLeftovers(int triesPerFile = 20);

} // namespace Shutdown
