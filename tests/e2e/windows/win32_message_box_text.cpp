// velmor-message-box-text.exe TITLE: waits up to 60 s for a message box with
// that title and prints the text it shows, read from its static text control
// with the same calls a screen reader makes. The box is left open. Run under
// Wine beside the program, by the end-to-end tests. Exit 1 when no box shows.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* DIALOG_CLASS = "#32770";

struct Found {
    char text[1024];
};

// The message is the one static control with text; the icon's has none.
BOOL CALLBACK take_static_text(HWND child, LPARAM found_address) {
    char class_name[32] = "";
    GetClassNameA(child, class_name, sizeof class_name);
    if (lstrcmpiA(class_name, "Static") != 0) return TRUE;
    auto* found = reinterpret_cast<Found*>(found_address);
    if (GetWindowTextA(child, found->text, sizeof found->text) == 0) return TRUE;
    return FALSE;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmor-message-box-text TITLE\n");
        return 2;
    }
    HWND box = nullptr;
    for (int tries = 0; tries < 600 && box == nullptr; ++tries) {
        box = FindWindowA(DIALOG_CLASS, argv[1]);
        if (box == nullptr) Sleep(100);
    }
    if (box == nullptr) {
        std::fprintf(stderr, "no message box \"%s\"\n", argv[1]);
        return 1;
    }
    Found found{};
    EnumChildWindows(box, take_static_text, reinterpret_cast<LPARAM>(&found));
    std::printf("%s\n", found.text);
    return 0;
}
