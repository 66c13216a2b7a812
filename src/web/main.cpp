// Zorbel in the browser: the page calls main once its files are loaded.
#include "web/webApp.h"

int main()
{
    // The app lives as long as the page; main returns and the page's frames
    // and events run it from then on.
    static zorbel::WebApp app;
    return app.start() ? 0 : 1;
}
