// velmor-message-box-text.exe TITLE: waits up to 60 s for a message box with
// that title and prints the text of its static control, read with the calls a
// screen reader makes; the box is left open. Run under Wine beside the program
// by the end-to-end tests. Exit 1 when no box shows.
#include <windows.h>

#include <cstdio>

namespace {

// The message is the one static control with text; the icon's has none.
BOOL CALLBACK take_static_text(HWND child, LPARAM text) {
    char class_name[32] = "";
    GetClassNameA(child, class_name, sizeof class_name);
    return lstrcmpiA(class_name, "Static") != 0 ||
           GetWindowTextA(child, reinterpret_cast<char*>(text), 1024) == 0;
}

} // namespace

int main(int argc, char** argv) {
    HWND box = nullptr;
    for (int tries = 0; argc == 2 && tries < 600 && box == nullptr; ++tries, Sleep(100))
        box = FindWindowA("#32770", argv[1]); // the dialog class of message boxes
    if (box == nullptr) return 1;
    char text[1024] = "";
    EnumChildWindows(box, take_static_text, reinterpret_cast<LPARAM>(text));
    std::printf("%s\n", text);
    return 0;
}
