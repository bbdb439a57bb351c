#pragma once
// What the game asks of the desktop and the operating system beyond its
// windowing library: whether the display can give an OpenGL window, mouse
// look, opening image files and memory for the arenas. One source file a
// platform (platform_linux.cpp for X11 and Xwayland on Linux,
// platform_windows.cpp for Win32), picked by the build.

#include <cstddef>
#include <cstdio>

namespace sf {
class Window;
}

// Why the display cannot give the game an OpenGL window with a depth buffer,
// or null when it can; `screenBits` is then the screen's depth. The windowing
// library aborts or crashes where it cannot, so this is asked first.
const char* displayProblem(unsigned& screenBits);

// Where the console is not this process's output already (a windowed
// program started from one), its two lines go there.
void useParentConsole();

struct LookMotion {
    int dx, dy;  // this frame's mouse motion, in pixels
};

// This frame's mouse motion for mouse look, and the cursor kept for it: while
// `focused` it is hidden and held on the window, and motion counts only while
// the window has stayed put since the previous frame (see CursorAnchor);
// without focus it is shown, left alone, and there is no motion.
LookMotion takeMouseLook(sf::Window& window, bool focused);

// The file at `path` opened for reading only if it is a regular file, without
// waiting on pipes or devices; null otherwise.
std::FILE* openRegularFile(const char* path);

// At least `bytes` bytes, aligned to `alignment` (a power of two dividing
// `bytes`) where the allocator can, ordinary memory otherwise; null when there
// is none. Freed with freeAlignedMemory only.
void* allocateAlignedMemory(std::size_t bytes, std::size_t alignment);
void freeAlignedMemory(void* memory);

// Asks for huge pages over [begin, begin + bytes), where the system offers
// them; nothing otherwise.
void adviseHugePages(void* begin, std::size_t bytes);
