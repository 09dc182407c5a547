#pragma once

// The look every window of the program shares, set once after the application object is made and
// before the first window: Fusion on every desktop, Tahoma 9 pt (the system sans where Tahoma is
// missing), menu bars that stay inside their windows, and the interface's language as the system's
// languages choose it (InterfaceLanguage).
void applyProgramLook();
