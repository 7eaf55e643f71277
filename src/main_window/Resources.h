#pragma once

// Registers the main window's pictures (banner, icon). They are compiled into a static
// library, whose resource registration the linker drops unless something calls it.
void initMainWindowResources();
