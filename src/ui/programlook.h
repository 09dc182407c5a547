#pragma once

// The look every window of the program shares, set once after the application object is made and
// before the first window: Fusion on every desktop, Tahoma 9 pt (the system sans where Tahoma is
// missing), and menu bars that stay inside their windows.
void applyProgramLook();
