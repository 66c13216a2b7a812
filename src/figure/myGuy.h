// The figure: eight point masses joined by eleven damped springs, in one flat
// record, plus the free functions that build, step and mesh it.
//
// Mass indices are fixed everywhere: 0 hips, 1 and 2 feet, 3 head,
// 4 and 5 hands, 6 and 7 shoulders. Positions and lengths are in world units
// (the box x -1..1, y -1.5..1.5, y up); time is counted in frames.
#pragma once

namespace zorbel {

class Prefs;

struct Guy {
    float posX[8];
    float posY[8];
    float radius[8];  // contact radius with walls and floor
    float velX[8];
    float velY[8];
    float accX[8];  // scratch of the physics step
    float accY[8];
    float mass[8];  // signed: negative masses float up against smoothed gravity
    float restLength[8][8];
    float springCoef[8][8];  // stiffness; 0 = no spring
    float springDamper[8][8];
    float drag;        // share of the velocity lost per step
    float stickyness;  // base static friction of walls and floor
    float gravityX;    // 100 x accelerometer reading in g, set each frame
    float gravityY;
    float lpGravityX;  // low-passed gravity
    float lpGravityY;
    float minY;
    float maxY;
    float minX;
    float maxX;
    float scale;  // length unit: (box width + box height) / 840
    float legLength;
    float armLength;
    float headRadius;
    int mouthOpen;
    int eyesOpen;
    int blinkCountDown;  // frames until the eyes next open or close
    int grabCount;       // grab slots in use, 0..10
    int tackCount;       // used slots that are tacked
    float grabX[10];
    float grabY[10];
    int grabTacked[10];
    float legsStrip[10];  // foot 1, knee 1, hips, knee 2, foot 2
    int legsStripN;
    float armsStrip[14];  // hand 1, elbow 1, shoulder 1, hips, shoulder 2, elbow 2, hand 2
    int armsStripN;
    float headStrip[162];
    int headStripN;
    float foot1Strip[62];
    int foot1StripN;
    float foot2Strip[62];
    int foot2StripN;
    float hand1Strip[62];
    int hand1StripN;
    float hand2Strip[62];
    int hand2StripN;
    float eye1Strip[24];
    int eye1StripN;
    float eye2Strip[24];
    int eye2StripN;
    float noseStrip[14];
    int noseStripN;
    float mouthStrip[24];
    int mouthStripN;
};

// Tunable physics multipliers, 1.0 by default; the settings overlay writes them
// and the next physics step uses them.
extern float g_springCoefMultipler;
extern float g_springDampersMultipler;
extern float g_stickynessMultiplier;

// What each multiplier's slider in the settings overlay can set. A stored
// value outside its range is brought into it when loaded.
struct MultiplierRange {
    float min;
    float max;
};
constexpr MultiplierRange kSpringCoefRange{0.4f, 1.1f};
constexpr MultiplierRange kSpringDamperRange{0.7f, 2.0f};
constexpr MultiplierRange kStickynessRange{0.1f, 1.9f};

// Frames since the last beat, counting down; 0 means no music. Program-wide.
extern int noMusicCountDown;

// The preference store NewGuy loaded the multipliers from.
extern Prefs* physicsDefaults;

// Builds a figure in the box; all masses start on the box centre. Loads the
// multipliers from the preferences. Returns nullptr when out of memory.
Guy* NewGuy(float minX, float maxX, float minY, float maxY);
void FreeGuy(Guy* guy);

// Stores the three multipliers in the preferences.
void SavePhysicsPrefs();

// One fixed step. dt is 0.025 in the frame loop; beat is 1.0 for a beat,
// 0.5 for a half-beat, 0 otherwise.
void IntegratePhysics(Guy* guy, float dt, float beat);

// Posture springs: legs, arms and hand spread.
void ResetPosture(Guy* guy);
void ChangePosture(Guy* guy, int chance);

// One of 101 evenly spaced values from low to high, from std::rand().
float randBetween(float low, float high);

// Chalk strokes of the body and of the chalk head, rebuilt every frame.
void PrepareBodyGLVertexArrays(Guy* guy);
void PrepareHeadGLVertexArrays(Guy* guy);

// The photo-face fan: 73 vertices and texture coordinates in head-local units.
void PrepareFaceGLVertexArrays(float* faceVertices, float* faceTextCoords, int* faceVerticesN);

// Sets the rest length of the spring i-j on both sides of the table.
inline void SetRestLength(Guy* guy, int i, int j, float length)
{
    guy->restLength[i][j] = length;
    guy->restLength[j][i] = length;
}

}  // namespace zorbel
