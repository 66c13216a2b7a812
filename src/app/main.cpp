// Zorbel on the desktop: the command line, then the desktop shell.
#include "app/desktopApp.h"

#include <cstdio>
#include <cstring>

namespace zorbel {
namespace {

const char kHelp[] = "usage: zorbel [--help] [--version]\n"
                     "A chalk stick figure on a blackboard. Tilt and shake the board, grab him, tack him down,\n"
                     "play music and he dances.\n"
                     "\n"
                     "Mouse and touch:\n"
                     "  drag with the left button      grab him anywhere and pull (one finger)\n"
                     "  Ctrl or Alt + drag, or drag with the middle button\n"
                     "                                 a second finger, mirrored about the board's centre\n"
                     "                                 (many window managers take Alt + drag for themselves)\n"
                     "  real touches                   up to ten fingers at once\n"
                     "  lower left corner              tack every grabbed point to the board\n"
                     "  right click or T while dragging  tap the tack corner with a second finger\n"
                     "  lower right corner             the info icon\n"
                     "  right click, holding nothing   the menu\n"
                     "\n"
                     "Keys (a virtual phone, when no accelerometer or motion controller is found):\n";

const char kHelpAfterKeys[] =
    "\n"
    "The face editor:\n"
    "  wheel, Shift + wheel           scale, turn the photo about the pointer\n"
    "  arrows, + and -, [ and ]       move, scale, turn the photo\n"
    "  Enter, Escape                  OK, Cancel\n"
    "  wheel, Page Up, Page Down      scroll the album\n"
    "\n"
    "Window:\n"
    "  Menu key, F10                  the menu: what he listens to, full screen, screenshot, clip, quit...\n"
    "  F11                            toggle fullscreen\n"
    "  Escape                         close the menu, overlay or face screen on top, or leave fullscreen\n"
    "  F12                            save a screenshot in the Pictures folder as Zorbel-DATE-TIME.png\n"
    "  F9                             record a clip of him with his sound, or stop it (at most 60 s):\n"
    "                                 Videos/Zorbel/zorbel-DATE-TIME.webm; a tap on the red dot stops it\n"
    "  Ctrl+Q                         quit (an open overlay's settings are kept)\n"
    "\n"
    "Dancing: he listens to one source, chosen in the menu (LISTEN_TO in the settings file):\n"
    "  the microphone                 the default input device (the default)\n"
    "  this computer's sound          what the computer plays: the default output's monitor, through the\n"
    "                                 sound server (PulseAudio, or PipeWire's PulseAudio service)\n"
    "  The microphone switch on the settings page turns listening off or on, whatever the source.\n"
    "  Nothing heard? Run zorbel from a terminal: it says when and why a source cannot be opened.\n"
    "  This computer's sound needs a running sound server; pick it again once one runs.\n"
    "\n"
    "Files:\n"
    "  $XDG_CONFIG_HOME/zorbel/preferences.ini   settings (default ~/.config/zorbel/)\n"
    "  $XDG_DATA_HOME/zorbel/customface.png      the custom face (default ~/.local/share/zorbel/)\n"
    "  $XDG_STATE_HOME/zorbel/window.ini         where the window was (default ~/.local/state/zorbel/)\n"
    "  XDG_PICTURES_DIR (else ~/Pictures)        the album for custom faces, and where screenshots go\n";

void printHelp(FILE* to)
{
    std::fputs(kHelp, to);
    std::fputs(Accelerometer::keysHelp(), to);
    std::fputs(kHelpAfterKeys, to);
}

}  // namespace
}  // namespace zorbel

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            zorbel::printHelp(stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "--version")) {
            std::printf("zorbel %s\n", ZORBEL_VERSION);
            return 0;
        }
        if (argv[i][0] == '-')
            std::fprintf(stderr, "zorbel: unknown option %s (see zorbel --help)\n", argv[i]);
        else
            std::fprintf(stderr, "zorbel: unexpected argument %s (see zorbel --help)\n", argv[i]);
        return 2;
    }
    zorbel::DesktopApp app;
    if (!app.start())
        return 1;
    app.run();
    return 0;
}
