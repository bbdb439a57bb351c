// The desktop and the system on Windows, through Win32.

#include <fcntl.h>
#include <io.h>
#include <malloc.h>

#include <SFML/Window/Window.hpp>
#include <cstdlib>

#include "app/window_rules.h"
#include "platform/platform.h"

// Last: its macros (min, max, near, ...) would clash with names above.
#include <windows.h>

namespace {

// Mouse look from raw input (WM_INPUT): the mouse's own motion, whatever
// happens to the cursor. Reading the cursor and moving it back to the centre
// would lose the motion that arrives in between, and Win32 has no relative
// cursor move. The cursor is instead hidden and held inside the window (the
// windowing library's grab), so clicks stay on the game.
struct RawMouse {
    HWND window;
    WNDPROC windowsOwn;   // the windowing library's procedure, which handles the rest
    long dx, dy;          // summed since the last frame took them
    bool counting;        // the previous frame had the focus and the grab
    bool sizingOrMoving;  // inside the system's move or resize loop
    bool grabbed;
};

RawMouse rawMouse = {nullptr, nullptr, 0, 0, false, false, false};

LRESULT CALLBACK watchRawMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    RawMouse& mouse = rawMouse;
    switch (message) {
    case WM_INPUT: {
        RAWINPUT input;
        UINT size = sizeof input;
        const UINT got = GetRawInputData(reinterpret_cast<HRAWINPUT>(lParam), RID_INPUT, &input, &size,
                                         sizeof(RAWINPUTHEADER));
        // Absolute devices (tablets, remote sessions) report places, not
        // motion: they do not turn the view.
        if (got != static_cast<UINT>(-1) && input.header.dwType == RIM_TYPEMOUSE &&
            !(input.data.mouse.usFlags & MOUSE_MOVE_ABSOLUTE) && !mouse.sizingOrMoving) {
            mouse.dx += input.data.mouse.lLastX;
            mouse.dy += input.data.mouse.lLastY;
        }
        break;
    }
    // Moving the window by its title bar or the keyboard is no mouse look.
    case WM_ENTERSIZEMOVE: mouse.sizingOrMoving = true; break;
    case WM_EXITSIZEMOVE: mouse.sizingOrMoving = false; break;
    default: break;
    }
    return CallWindowProcW(mouse.windowsOwn, window, message, wParam, lParam);
}

void watchWindow(RawMouse& mouse, HWND window) {
    if (mouse.window == window) return;
    mouse.window = window;
    mouse.windowsOwn = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&watchRawMouse)));
    // The generic desktop's mouse, delivered while the window is in front.
    const RAWINPUTDEVICE device = {0x01, 0x02, 0, window};
    RegisterRawInputDevices(&device, 1, sizeof device);
}

}  // namespace

const char* displayProblem(unsigned& screenBits) {
    HDC screen = GetDC(nullptr);
    if (!screen) return "the desktop cannot be drawn on";
    screenBits = static_cast<unsigned>(GetDeviceCaps(screen, BITSPIXEL));
    PIXELFORMATDESCRIPTOR wanted = {};
    wanted.nSize = sizeof wanted;
    wanted.nVersion = 1;
    wanted.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    wanted.iPixelType = PFD_TYPE_RGBA;
    wanted.cColorBits = static_cast<BYTE>(screenBits);
    wanted.cDepthBits = 24;
    PIXELFORMATDESCRIPTOR found = {};
    const int format = ChoosePixelFormat(screen, &wanted);
    const bool usable = format > 0 && DescribePixelFormat(screen, format, sizeof found, &found) > 0 &&
                        glVisualSuitsGame((found.dwFlags & PFD_SUPPORT_OPENGL) != 0,
                                          found.iPixelType == PFD_TYPE_RGBA, found.cDepthBits);
    ReleaseDC(nullptr, screen);
    return usable ? nullptr : "no OpenGL pixel format with a depth buffer";
}

// A windowed program started from a console has no output of its own; where
// its output already goes somewhere (a file, a pipe), it stays there.
void useParentConsole() {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!std::freopen("CONOUT$", "w", stdout)) return;
    std::freopen("CONOUT$", "w", stderr);
}

LookMotion takeMouseLook(sf::Window& window, bool focused) {
    RawMouse& mouse = rawMouse;
    watchWindow(mouse, window.getSystemHandle());
    if (mouse.grabbed != focused) {
        mouse.grabbed = focused;
        window.setMouseCursorGrabbed(focused);
        window.setMouseCursorVisible(!focused);
    }
    // Motion from before the focus came back, or from the frame in which it
    // did, is not the player's look.
    const bool counts = focused && mouse.counting;
    const LookMotion motion = {counts ? static_cast<int>(mouse.dx) : 0,
                               counts ? static_cast<int>(mouse.dy) : 0};
    mouse.dx = mouse.dy = 0;
    mouse.counting = focused;
    return motion;
}

// Only files on a disk: a pipe or a device (CON, NUL, COM1) may never end.
// Opened for reading only, shared, and never created.
std::FILE* openRegularFile(const char* path) {
    const HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    BY_HANDLE_FILE_INFORMATION info;
    const bool regular = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
                         !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    const int fd = regular ? _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY) : -1;
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "rb");
    if (!file) _close(fd);  // closes the handle too
    return file;
}

void* allocateAlignedMemory(std::size_t bytes, std::size_t alignment) {
    return _aligned_malloc(bytes, alignment);
}

void freeAlignedMemory(void* memory) { _aligned_free(memory); }

// Large pages on Windows need a privilege that players do not have.
void adviseHugePages(void*, std::size_t) {}
