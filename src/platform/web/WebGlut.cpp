// What the browser's GLUT lacks of freeglut, for the unchanged GLUT shell:
// the pop-up menu becomes the page's menu, the visibility and menu-status
// callbacks follow the page, and leaving the main loop stops the frames.

#include <GL/freeglut.h>
#include <emscripten.h>

namespace {

void (*menuCallback)(int) = nullptr;
void (*menuStatusCallback)(int, int, int) = nullptr;
void (*visibilityCallback)(int) = nullptr;

// clang-format off
EM_JS(void, pageAddMenuEntry, (const char* label, int value), {
    Module.arroyoPage.addMenuEntry(UTF8ToString(label), value);
});
EM_JS(void, pageIgnoreKeyRepeat, (int ignore), {
    Module.arroyoPage.ignoreKeyRepeat = ignore !== 0;
});
EM_JS(void, pageGameEnded, (), {
    Module.arroyoPage.gameEnded();
});
// clang-format on

}  // namespace

extern "C" {

int glutCreateMenu(void (*callback)(int))
{
    menuCallback = callback;
    return 1;
}

void glutAddMenuEntry(const char* label, int value) { pageAddMenuEntry(label, value); }

// The page opens its menu on the right button, as the game attaches it.
void glutAttachMenu(int) {}

void glutMenuStatusFunc(void (*callback)(int, int, int)) { menuStatusCallback = callback; }

void glutVisibilityFunc(void (*callback)(int))
{
    visibilityCallback = callback;
    if (callback) callback(GLUT_VISIBLE);
}

void glutIgnoreKeyRepeat(int ignore) { pageIgnoreKeyRepeat(ignore); }

void glutSetOption(GLenum, int) {}

// A page is not closed from inside: its unloading ends everything at once.
void glutCloseFunc(void (*)(void)) {}

void glutLeaveMainLoop(void)
{
    glutIdleFunc(nullptr);
    pageGameEnded();
}

EMSCRIPTEN_KEEPALIVE void arroyo_menu_chosen(int value)
{
    if (menuCallback) menuCallback(value);
}

EMSCRIPTEN_KEEPALIVE void arroyo_menu_in_use(int inUse)
{
    if (menuStatusCallback)
        menuStatusCallback(inUse ? GLUT_MENU_IN_USE : GLUT_MENU_NOT_IN_USE, 0, 0);
}

EMSCRIPTEN_KEEPALIVE void arroyo_page_visible(int visible)
{
    if (visibilityCallback) visibilityCallback(visible ? GLUT_VISIBLE : GLUT_NOT_VISIBLE);
}

}  // extern "C"
