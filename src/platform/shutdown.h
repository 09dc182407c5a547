#pragma once

// What the main window's shut-down, and the start-up once it holds the single-instance lock, do with
// the files earlier conversions left behind.
namespace Shutdown {

// Deletes every file in the work folder and in its "tmp" folder (tmp.wav, tmp/tmp.mp4 and whatever
// else a stage wrote there), except the single-instance lock and its companion files. Each file is
// tried once, so a file that cannot be deleted never holds the program up. True when nothing is
// left, the intermediates' names included; false also when the work folder is refused.
bool removeLeftovers();

} // namespace Shutdown
