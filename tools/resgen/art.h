#pragma once
// The images shipped with the program, drawn from fixed seeds: the same
// bytes on every run.

#include "platform/imaging/image.h"

namespace zorbel {

// Dark slate with faint smudges of wiped-off chalk; opaque. The look depends
// on the position on the board only, so boards of any size match.
RGBAImage makeBlackboard(int width, int height);

// White chalk grain: white colour, alpha mostly high with soft, sparse gaps.
// Tiles seamlessly in both directions.
RGBAImage makeChalk(int size);

// Light grey thumb tack on a transparent ground, ready to be tinted.
RGBAImage makeThumbTack(int size);

// Head outline mask: black inside (the photo shows), white outside.
RGBAImage makeFaceMask(int size);

}  // namespace zorbel
