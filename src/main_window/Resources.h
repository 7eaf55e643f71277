#pragma once

// Registers the main window's pictures (banner, icon). They are compiled into a static
// library, whose resource registration the linker drops unless something calls it.
void initMainWindowResources();

// The program's icon for every window, also those without an owner (a message box before the
// main window exists, or while no window is active), which otherwise show the platform's generic one.
void installProgramIcon();
