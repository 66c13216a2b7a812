// Zorbel in the browser: the page calls main once its files are loaded.
// Given "--script TEXT" (the page's ?script= address), it runs that
// zorbel-sim script on the scene instead of the toy's frames.
#include "platform/files/files.h"
#include "web/webApp.h"

#include <cstring>

int main(int argc, char** argv)
{
    // The app lives as long as the page; main returns and the page's frames
    // and events run it from then on.
    static zorbel::WebApp app;
    if (argc == 3 && std::strcmp(argv[1], "--script") == 0)
        return app.runScript(argv[2]) ? 0 : 1;
    // The face made on an earlier visit is back before the scene looks for
    // it, or, where the browser's storage is slow to answer, as it comes.
    zorbel::restoreAppData([] { app.start(); }, [] { app.storedFilesArrived(); });
    return 0;
}
