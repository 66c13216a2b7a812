#include "view/faceTexture.h"

#include "platform/files/files.h"
#include "platform/imaging/image.h"
#include "platform/log/log.h"
#include "platform/prefs/prefs.h"
#include "view/EAGLView.h"
#include "view/textureUpload.h"

#include <vector>

namespace zorbel {

namespace {
const char kUseCustomFaceKey[] = "USE_CUSTOM_FACE";
// A face is 256 x 256; anything much larger in the file is not one of ours.
const int kMaxFaceSide = 4096;

Prefs* prefs()
{
    return faceDefaults ? faceDefaults : Prefs::standardUserDefaults();
}

// The face on his head, kept to make its texture again (256 x 256, 256 kB).
RGBAImage& faceInUse()
{
    static RGBAImage face;
    return face;
}
}  // namespace

std::string customFacePath()
{
    return appDataDir() + "/customface.png";
}

void setCurrentFace(const RGBAImage* image)
{
    glDeleteTextures(1, &faceTexture);  // deleting 0 does nothing
    if (!image || image->width <= 0 || image->height <= 0) {
        faceTexture = 0;
        faceInUse() = {};
        prefs()->setInteger(0, kUseCustomFaceKey);
        return;
    }
    faceTexture = uploadTexture(*image);
    faceInUse() = *image;

    std::vector<uint8_t> png;
    std::string error;
    if (!encodePNG(*image, png) || !writeFileAtomically(customFacePath(), png.data(), png.size(), error))
        logLine("##### Failed saving customface.png !");
    prefs()->setInteger(1, kUseCustomFaceKey);
}

void loadStoredFace()
{
    faceInUse() = {};
    removeUnfinishedWrites(customFacePath());
    if (prefs()->integerForKey(kUseCustomFaceKey) <= 0)
        return;
    RGBAImage image;
    if (!loadPNG(customFacePath(), image, kMaxFaceSide)) {
        // The chalk head, as if no face had been made; the file stays as it is.
        logLine("##### The face in %s cannot be read; showing the chalk head", customFacePath().c_str());
        return;
    }
    faceTexture = uploadTexture(image);
    faceInUse() = std::move(image);
}

void remakeFaceTexture()
{
    faceTexture = faceInUse().width > 0 ? uploadTexture(faceInUse()) : 0;
}

}  // namespace zorbel
