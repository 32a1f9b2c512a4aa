#include "platform/LinuxPlatform.h"

#include "platform/CursorTracker.h"
#include "platform/FileWatcher.h"
#include "platform/Paths.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <thread>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// Captured during static initialisation, so "program start" is before main.
const Clock::time_point programStart = Clock::now();

// The cursor as last seen by the GLUT motion callbacks or set by a warp;
// used only when the X server cannot be asked (no window yet).
CursorTracker trackedCursor;

// The game's X display and window: those of the current GL context, which
// freeglut makes current in every callback. None before the window exists.
struct XWindow {
    Display* display = nullptr;
    Window window = 0;
};

XWindow currentXWindow()
{
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    if (!display || drawable == 0) return {};
    return {display, static_cast<Window>(drawable)};
}

bool isKeysymDown(Display* display, const char keys[32], KeySym symbol)
{
    const KeyCode code = XKeysymToKeycode(display, symbol);
    return code != 0 && (keys[code / 8] & (1 << (code % 8))) != 0;
}

// True when `window` is `ancestor` or lies inside it.
bool isWithin(Display* display, Window window, Window ancestor)
{
    // A window tree is shallow; the bound only guards a broken server reply.
    for (int level = 0; level < 64 && window != 0; ++level) {
        if (window == ancestor) return true;
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count)) return false;
        if (children) XFree(children);
        if (parent == root) return parent == ancestor;
        window = parent;
    }
    return false;
}

// Focus given to another window (not "follows the pointer", not ours).
bool focusIsElsewhere(const XWindow& x)
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(x.display, &focus, &revert);
    if (focus == PointerRoot) return false;
    if (focus == None) return true;
    return !isWithin(x.display, x.window, focus) && !isWithin(x.display, focus, x.window);
}

struct GFreeDeleter {
    void operator()(gchar* text) const { g_free(text); }
};
using OwnedGText = std::unique_ptr<gchar, GFreeDeleter>;

// Texts can come from world files in any encoding; GTK wants UTF-8.
OwnedGText validUtf8(const std::string& text)
{
    return OwnedGText(g_utf8_make_valid(text.c_str(), static_cast<gssize>(text.size())));
}

// GTK is only brought up when a dialog is first needed, so a game that never
// shows one (and the tests) never touch it. Without a display it stays down.
bool gtkAvailable()
{
    static const bool available = [] {
        // The game keeps no settings: the file chooser's remembered state
        // stays in memory instead of going to dconf (and warning on the
        // console where no session bus runs).
        g_setenv("GSETTINGS_BACKEND", "memory", FALSE);
        const bool up = gtk_init_check(nullptr, nullptr) != FALSE;
        // GTK takes the user's locale for its dialogs, numbers included;
        // numbers in our files and on screen keep the C conventions.
        std::setlocale(LC_NUMERIC, "C");
        return up;
    }();
    return available;
}

// Lets GTK finish unmapping a destroyed dialog before control returns to
// GLUT, so the box does not linger on screen.
void drainGtkEvents()
{
    while (gtk_events_pending()) gtk_main_iteration();
}

// GLUT functions abort the process when GLUT is not initialised, and act on
// the current window: only call them when that window exists.
bool glutWindowExists() { return glutGet(GLUT_INIT_STATE) != 0 && glutGetWindow() != 0; }

// "*.wrl" matches "canyon.WRL" too, as the worlds' home platform would.
std::string caseInsensitivePattern(const std::string& pattern)
{
    std::string out;
    for (char c : pattern) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter) {
            out += c;
            continue;
        }
        out += '[';
        out += static_cast<char>(c | 0x20);
        out += static_cast<char>(c & ~0x20);
        out += ']';
    }
    return out;
}

// A modal box must receive the keys even where no window manager hands it
// the focus (a bare X server): once it is on screen, it takes the focus.
gboolean takeFocusWhenMapped(GtkWidget* window, GdkEvent*, gpointer)
{
    gtk_window_present(GTK_WINDOW(window));
    return FALSE;
}

// Modal, centred, above a full-screen game window and given the focus.
void prepareDialog(GtkWidget* dialog)
{
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    g_signal_connect(dialog, "map-event", G_CALLBACK(takeFocusWhenMapped), nullptr);
}

// The chooser sizes itself from its font when it is mapped, which can come
// out larger than a small screen (1096 by 822 under Xvfb, with no window
// manager to fix it), hiding its buttons. Runs after that sizing.
void fitChooserToScreen(GtkWidget* dialog, gpointer)
{
    GdkScreen* screen = gtk_widget_get_screen(dialog);
    GdkRectangle area{0, 0, 800, 600};
    if (GdkMonitor* monitor = gdk_display_get_primary_monitor(gdk_screen_get_display(screen))) {
        gdk_monitor_get_workarea(monitor, &area);
    }
    const int width = std::min(720, area.width * 9 / 10);
    const int height = std::min(480, area.height * 9 / 10);
    gtk_window_resize(GTK_WINDOW(dialog), width, height);
    gtk_window_move(GTK_WINDOW(dialog), area.x + (area.width - width) / 2,
                    area.y + (area.height - height) / 2);
}

class LinuxPlatform final : public Platform {
public:
    void showMessageBox(const std::string& caption, const std::string& text) override
    {
        if (!gtkAvailable()) {
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
            return;
        }
        const OwnedGText safeText = validUtf8(text);
        const OwnedGText safeCaption = validUtf8(caption);
        const GtkMessageType kind = caption == "Error" ? GTK_MESSAGE_ERROR : GTK_MESSAGE_INFO;
        GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, kind, GTK_BUTTONS_OK,
                                                   "%s", safeText.get());
        gtk_window_set_title(GTK_WINDOW(dialog), safeCaption.get());
        prepareDialog(dialog);
        gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
        ++interruptions_;
        gtk_dialog_run(GTK_DIALOG(dialog));
        gtk_widget_destroy(dialog);
        drainGtkEvents();
    }

    std::optional<std::string> chooseFile(const std::string& startFolder,
                                          const std::string& pattern) override
    {
        if (!gtkAvailable()) return std::nullopt;
        GtkWidget* dialog =
            gtk_file_chooser_dialog_new("Open", nullptr, GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel",
                                        GTK_RESPONSE_CANCEL, "_Open", GTK_RESPONSE_ACCEPT, nullptr);
        GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
        prepareDialog(dialog);
        g_signal_connect_after(dialog, "map", G_CALLBACK(fitChooserToScreen), nullptr);
        gtk_file_chooser_set_local_only(chooser, TRUE);

        if (!pattern.empty()) {
            GtkFileFilter* filter = gtk_file_filter_new();  // owned by the chooser
            const OwnedGText name = validUtf8(pattern);
            gtk_file_filter_set_name(filter, name.get());
            gtk_file_filter_add_pattern(filter, caseInsensitivePattern(pattern).c_str());
            gtk_file_chooser_add_filter(chooser, filter);
        }

        std::error_code ec;
        const auto folder = std::filesystem::absolute(resolvePath(startFolder), ec);
        if (!ec && std::filesystem::is_directory(folder, ec)) {
            gtk_file_chooser_set_current_folder(chooser, folder.c_str());
        }

        std::optional<std::string> chosen;
        ++interruptions_;
        if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
            if (gchar* file = gtk_file_chooser_get_filename(chooser)) {
                chosen = std::string(file);
                g_free(file);
            }
        }
        gtk_widget_destroy(dialog);
        drainGtkEvents();
        return chosen;
    }

    std::uint64_t milliseconds() override
    {
        const auto elapsed = Clock::now() - programStart;
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
    }

    void sleepUntil(std::uint64_t deadlineMs) override
    {
        if (deadlineMs <= milliseconds()) return;
        // Far enough for any caller, near enough that the time point below
        // cannot overflow.
        constexpr std::uint64_t latest = std::uint64_t{1} << 40;
        const auto deadline = std::chrono::milliseconds(std::min(deadlineMs, latest));
        // The same clock as milliseconds(), so the wake-up lands on the
        // deadline itself rather than a rounded millisecond later.
        std::this_thread::sleep_until(programStart + deadline);
    }

    void setCursorVisible(bool visible) override
    {
        if (glutWindowExists()) glutSetCursor(visible ? GLUT_CURSOR_INHERIT : GLUT_CURSOR_NONE);
    }

    void warpCursor(int x, int y) override
    {
        if (trackedCursor.warp(x, y) && glutWindowExists()) glutWarpPointer(x, y);
    }

    CursorPosition cursorPosition() override
    {
        const XWindow x = currentXWindow();
        if (!x.display) return trackedCursor.position();
        Window root = 0, child = 0;
        int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
        unsigned mask = 0;
        // Relative to the window, wherever the pointer is on its screen.
        if (!XQueryPointer(x.display, x.window, &root, &child, &rootX, &rootY, &windowX, &windowY,
                           &mask)) {
            return trackedCursor.position();
        }
        return {windowX, windowY};
    }

    bool isModifierDown(ModifierKey key) override
    {
        const XWindow x = currentXWindow();
        if (!x.display) return false;
        char keys[32] = {};
        XQueryKeymap(x.display, keys);
        if (key == ModifierKey::control) {
            return isKeysymDown(x.display, keys, XK_Control_L) ||
                   isKeysymDown(x.display, keys, XK_Control_R);
        }
        return isKeysymDown(x.display, keys, XK_Alt_L) || isKeysymDown(x.display, keys, XK_Alt_R);
    }

    std::uint64_t inputInterruptions() override
    {
        const XWindow x = currentXWindow();
        const bool focused = !x.display || !focusIsElsewhere(x);
        // Counted once per loss, not once per frame away.
        if (!focused && hadFocus_) ++interruptions_;
        hadFocus_ = focused;
        return interruptions_;
    }

    void watchFile(const std::string& path) override { watcher_.watch(path); }
    bool watchedFileChanged() override { return watcher_.changed(); }

private:
    FileWatcher watcher_;
    std::uint64_t interruptions_ = 0;
    bool hadFocus_ = true;
};

}  // namespace

Platform& linuxPlatform()
{
    static LinuxPlatform instance;
    return instance;
}

Platform& systemPlatform() { return linuxPlatform(); }

void noteCursorPosition(int x, int y) { trackedCursor.motion(x, y); }

}  // namespace platform
