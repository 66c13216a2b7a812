// The zorbel-sim trace: every float printed with %.9g, fields separated by one space.
#pragma once

#include <cstdio>

namespace zorbel {

struct Guy;
struct CropModel;

// F n beat x0 y0 .. x7 y7 vx0 vy0 .. vx7 vy7 eyesOpen mouthOpen blinkCountDown
//   noMusicCountDown grabCount tackCount [gx gy tacked]*grabCount angle
void printFrameLine(std::FILE* out, long n, float beat, const Guy& guy, int noMusic, float angle);

// S name count x y ..., for the eleven strips in drawing order.
void printStrips(std::FILE* out, const Guy& guy);

// V count x y ... and T count s t ...
void printFaceFan(std::FILE* out, const float* vertices, const float* texCoords, int count);

// M g_minDyn sensitivity
void printMicLine(std::FILE* out, float minDyn, float sensitivity);

// C imScale imRot imCenterX imCenterY nbGrabs [gx gy]*nbGrabs
void printCropLine(std::FILE* out, const CropModel& crop);

}  // namespace zorbel
