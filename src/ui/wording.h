// The words of the screens that name the toy's devices, as they suit where
// it runs: the phone of its first words (the simulator keeps those), a
// desktop computer, or a browser (a phone's, or a computer's). Each shell
// says which before it opens a screen.
#pragma once

#include <string>

namespace zorbel {

enum class Wording { Phone, Desktop, Browser };

void setWording(Wording wording);
Wording wording();

// The overlay's info page.
const char* infoText();
// "v" and the program's version.
std::string versionText();
// Beside the listening switch: what he dances to.
std::string listeningSwitchText();
// Under the face picker's camera button.
const char* cameraNote();
// The crop editor's instructions.
const char* cropInstructions();

}  // namespace zorbel
