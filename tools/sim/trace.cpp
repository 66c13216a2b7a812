#include "trace.h"

#include "figure/myGuy.h"
#include "ui/cropModel.h"

namespace zorbel {

namespace {

void number(std::FILE* out, float value)
{
    std::fprintf(out, " %.9g", static_cast<double>(value));
}

void points(std::FILE* out, const char* tag, const float* xy, int count)
{
    std::fprintf(out, "%s %d", tag, count);
    for (int i = 0; i < 2 * count; ++i)
        number(out, xy[i]);
    std::fputc('\n', out);
}

}  // namespace

void printFrameLine(std::FILE* out, long n, float beat, const Guy& g, int noMusic, float angle)
{
    std::fprintf(out, "F %ld", n);
    number(out, beat);
    for (int i = 0; i < 8; ++i) {
        number(out, g.posX[i]);
        number(out, g.posY[i]);
    }
    for (int i = 0; i < 8; ++i) {
        number(out, g.velX[i]);
        number(out, g.velY[i]);
    }
    std::fprintf(out, " %d %d %d %d %d %d", g.eyesOpen, g.mouthOpen, g.blinkCountDown, noMusic, g.grabCount,
                 g.tackCount);
    for (int k = 0; k < g.grabCount; ++k) {
        number(out, g.grabX[k]);
        number(out, g.grabY[k]);
        std::fprintf(out, " %d", g.grabTacked[k]);
    }
    number(out, angle);
    std::fputc('\n', out);
}

void printStrips(std::FILE* out, const Guy& g)
{
    points(out, "S legs", g.legsStrip, g.legsStripN);
    points(out, "S arms", g.armsStrip, g.armsStripN);
    points(out, "S foot1", g.foot1Strip, g.foot1StripN);
    points(out, "S foot2", g.foot2Strip, g.foot2StripN);
    points(out, "S hand1", g.hand1Strip, g.hand1StripN);
    points(out, "S hand2", g.hand2Strip, g.hand2StripN);
    points(out, "S head", g.headStrip, g.headStripN);
    points(out, "S eye1", g.eye1Strip, g.eye1StripN);
    points(out, "S eye2", g.eye2Strip, g.eye2StripN);
    points(out, "S nose", g.noseStrip, g.noseStripN);
    points(out, "S mouth", g.mouthStrip, g.mouthStripN);
}

void printFaceFan(std::FILE* out, const float* vertices, const float* texCoords, int count)
{
    points(out, "V", vertices, count);
    points(out, "T", texCoords, count);
}

void printMicLine(std::FILE* out, float minDyn, float sensitivity)
{
    std::fprintf(out, "M");
    number(out, minDyn);
    number(out, sensitivity);
    std::fputc('\n', out);
}

void printCropLine(std::FILE* out, const CropModel& m)
{
    std::fprintf(out, "C");
    number(out, m.imScale);
    number(out, m.imRot);
    number(out, m.imCenterX);
    number(out, m.imCenterY);
    std::fprintf(out, " %d", m.nbGrabs);
    for (int k = 0; k < m.nbGrabs; ++k) {
        number(out, m.grabx[k]);
        number(out, m.graby[k]);
    }
    std::fputc('\n', out);
}

}  // namespace zorbel
