// OpenGL ES 1.1, the subset the program draws with, on WebGL 1.
//
// The fixed-function state (matrix stacks, client arrays, the current
// colour, texturing with modulate or replace, blending) is kept here and
// drawn with one small shader. Client arrays are copied into buffers at
// each draw. Renderbuffers are RGBA textures, since WebGL 1 has no 8-bit
// renderbuffer. Lines wider than a pixel, which WebGL does not draw, become
// quads as Mesa makes them: the width laid across the line's minor axis,
// each end keeping its texture coordinates. Textures of any size work:
// those whose sides are not powers of two clamp at their edges, which the
// program's quads never reach past.
#include "platform/gles/glesWeb.h"

#include "platform/log/log.h"

#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

// WebGL through emscripten's own names, so that the OpenGL ES 1.1 names are
// free for the functions below.
extern "C" {
void emscripten_glActiveTexture(GLenum texture);
void emscripten_glAttachShader(GLuint program, GLuint shader);
void emscripten_glBindAttribLocation(GLuint program, GLuint index, const char* name);
void emscripten_glBindBuffer(GLenum target, GLuint buffer);
void emscripten_glBindFramebuffer(GLenum target, GLuint framebuffer);
void emscripten_glBindTexture(GLenum target, GLuint texture);
void emscripten_glBlendFunc(GLenum sfactor, GLenum dfactor);
void emscripten_glBufferData(GLenum target, long size, const void* data, GLenum usage);
GLenum emscripten_glCheckFramebufferStatus(GLenum target);
void emscripten_glClear(GLbitfield mask);
void emscripten_glClearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void emscripten_glCompileShader(GLuint shader);
void emscripten_glCopyTexImage2D(GLenum target, GLint level, GLenum internalformat, GLint x, GLint y, GLsizei width,
                                 GLsizei height, GLint border);
void emscripten_glCopyTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLint x, GLint y,
                                    GLsizei width, GLsizei height);
GLuint emscripten_glCreateProgram(void);
GLuint emscripten_glCreateShader(GLenum type);
void emscripten_glDeleteBuffers(GLsizei n, const GLuint* buffers);
void emscripten_glDeleteFramebuffers(GLsizei n, const GLuint* framebuffers);
void emscripten_glDeleteProgram(GLuint program);
void emscripten_glDeleteShader(GLuint shader);
void emscripten_glDeleteTextures(GLsizei n, const GLuint* textures);
void emscripten_glDisable(GLenum cap);
void emscripten_glDisableVertexAttribArray(GLuint index);
void emscripten_glDrawArrays(GLenum mode, GLint first, GLsizei count);
void emscripten_glEnable(GLenum cap);
void emscripten_glEnableVertexAttribArray(GLuint index);
void emscripten_glFinish(void);
void emscripten_glFlush(void);
void emscripten_glFramebufferTexture2D(GLenum target, GLenum attachment, GLenum textarget, GLuint texture, GLint level);
void emscripten_glGenBuffers(GLsizei n, GLuint* buffers);
void emscripten_glGenFramebuffers(GLsizei n, GLuint* framebuffers);
void emscripten_glGenTextures(GLsizei n, GLuint* textures);
void emscripten_glGenerateMipmap(GLenum target);
GLenum emscripten_glGetError(void);
void emscripten_glGetIntegerv(GLenum pname, GLint* data);
void emscripten_glGetProgramiv(GLuint program, GLenum pname, GLint* params);
void emscripten_glGetShaderiv(GLuint shader, GLenum pname, GLint* params);
void emscripten_glGetShaderInfoLog(GLuint shader, GLsizei bufSize, GLsizei* length, char* infoLog);
GLint emscripten_glGetUniformLocation(GLuint program, const char* name);
void emscripten_glLineWidth(GLfloat width);
void emscripten_glLinkProgram(GLuint program);
void emscripten_glPixelStorei(GLenum pname, GLint param);
void emscripten_glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels);
void emscripten_glScissor(GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glShaderSource(GLuint shader, GLsizei count, const char* const* string, const GLint* length);
void emscripten_glTexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height,
                             GLint border, GLenum format, GLenum type, const void* pixels);
void emscripten_glTexParameteri(GLenum target, GLenum pname, GLint param);
void emscripten_glTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLsizei width, GLsizei height,
                                GLenum format, GLenum type, const void* pixels);
void emscripten_glUniform1i(GLint location, GLint v0);
void emscripten_glUniform4f(GLint location, GLfloat v0, GLfloat v1, GLfloat v2, GLfloat v3);
void emscripten_glUniformMatrix4fv(GLint location, GLsizei count, GLboolean transpose, const GLfloat* value);
void emscripten_glUseProgram(GLuint program);
void emscripten_glVertexAttrib4f(GLuint index, GLfloat x, GLfloat y, GLfloat z, GLfloat w);
void emscripten_glVertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride,
                                      const void* pointer);
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
}

namespace zorbel {

namespace {

constexpr GLenum kVertexShader = 0x8B31;
constexpr GLenum kFragmentShader = 0x8B30;
constexpr GLenum kCompileStatus = 0x8B81;
constexpr GLenum kLinkStatus = 0x8B82;
constexpr GLenum kStreamDraw = 0x88E0;
constexpr GLuint kPositionAttribute = 0;
constexpr GLuint kTexCoordAttribute = 1;
constexpr int kMatrixStackDepth = 32;

struct Matrix {
    float m[16];  // column major, as GL keeps it
    static Matrix identity()
    {
        Matrix r{};
        r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0f;
        return r;
    }
};

// a then b: the product b * a, which applies a to a point first.
Matrix times(const Matrix& b, const Matrix& a)
{
    Matrix r{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += b.m[k * 4 + row] * a.m[col * 4 + k];
            r.m[col * 4 + row] = sum;
        }
    return r;
}

struct TextureInfo {
    int width = 0, height = 0;
    GLint wrapS = GL_REPEAT, wrapT = GL_REPEAT;  // as asked; textures of other sizes clamp
    GLint minFilter = GL_NEAREST_MIPMAP_LINEAR;
    bool fromRenderbuffer = false;
};

struct RenderbufferInfo {
    GLuint texture = 0;
    int width = 0, height = 0;
    GLenum format = 0;
};

struct FramebufferInfo {
    GLenum attachmentType = 0;  // GL_RENDERBUFFER_OES or GL_TEXTURE
    GLuint attachment = 0;
};

struct ClientArray {
    bool enabled = false;
    GLint size = 4;
    GLenum type = GL_FLOAT;
    GLsizei stride = 0;
    const void* pointer = nullptr;

    int elementBytes() const { return size * (type == GL_SHORT ? 2 : type == GL_BYTE ? 1 : 4); }
    int strideBytes() const { return stride ? stride : elementBytes(); }
    float component(int vertex, int c) const
    {
        const auto* p = static_cast<const uint8_t*>(pointer) + vertex * strideBytes();
        switch (type) {
        case GL_SHORT: {
            int16_t v;
            std::memcpy(&v, p + 2 * c, 2);
            return v;
        }
        case GL_BYTE:
            return static_cast<int8_t>(p[c]);
        default: {
            float v;
            std::memcpy(&v, p + 4 * c, 4);
            return v;
        }
        }
    }
};

bool powerOfTwo(int v)
{
    return v > 0 && (v & (v - 1)) == 0;
}

}  // namespace

struct GlesWebState {
    bool live = false;
    GLenum error = GL_NO_ERROR;
    GLuint nextName = 1;  // names of a context without WebGL, and of every renderbuffer

    std::unordered_map<GLuint, TextureInfo> textures;
    std::unordered_map<GLuint, RenderbufferInfo> renderbuffers;
    std::unordered_map<GLuint, FramebufferInfo> framebuffers;
    GLuint texture = 0, framebuffer = 0, renderbuffer = 0;

    GLenum matrixMode = GL_MODELVIEW;
    std::vector<Matrix> modelview, projection;
    bool texturing = false, blending = false, scissoring = false;
    GLint textureEnv = GL_MODULATE;
    float color[4] = {1, 1, 1, 1};
    float lineWidth = 1;
    ClientArray vertices, texCoords;
    GLint viewport[4] = {0, 0, 0, 0};
    GLint scissorBox[4] = {0, 0, 0, 0};
    GLint packAlignment = 4, unpackAlignment = 4;

    // The shaders and their buffers, made when the context is first current:
    // one program for each texture mode (colour alone, modulate, replace),
    // and what was last handed to each, so that nothing is sent twice.
    struct Program {
        GLuint name = 0;
        GLint uMatrix = -1, uColor = -1;
        Matrix matrix{};
        float color[4] = {-1, -1, -1, -1};
    };
    bool ready = false;
    Program programs[3];
    int program = -1;  // in use
    GLuint positionBuffer = 0, texCoordBuffer = 0;
    std::vector<float> quads;  // wide lines as triangles: x, y, s, t per corner

    GlesWebState()
    {
        modelview.reserve(kMatrixStackDepth);
        projection.reserve(kMatrixStackDepth);
        modelview.push_back(Matrix::identity());
        projection.push_back(Matrix::identity());
        quads.reserve(4096);
    }

    std::vector<Matrix>& stack() { return matrixMode == GL_PROJECTION ? projection : modelview; }
    void fail(GLenum e)
    {
        if (error == GL_NO_ERROR)
            error = e;
    }
};

namespace {

GlesWebState* g_state = nullptr;

// A state for calls made with no context current: they change nothing that matters.
GlesWebState& state()
{
    static GlesWebState orphan;
    return g_state ? *g_state : orphan;
}

GLuint compile(GLenum type, const char* source)
{
    const GLuint shader = emscripten_glCreateShader(type);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, kCompileStatus, &ok);
    if (!ok) {
        char log[512] = "";
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        logLine("gles: a shader does not compile: %s", log);
    }
    return shader;
}

// The fixed-function pipeline the program uses: a transformed position, and
// a colour, a texture the colour modulates, or a texture alone.
void makeReady(GlesWebState& s)
{
    if (s.ready || !s.live)
        return;
    s.ready = true;
    static const char* const kVertex = "attribute vec2 position;\n"
                                       "attribute vec2 texCoord;\n"
                                       "uniform mat4 matrix;\n"
                                       "varying vec2 uv;\n"
                                       "void main() {\n"
                                       "  gl_Position = matrix * vec4(position, 0.0, 1.0);\n"
                                       "  uv = texCoord;\n"
                                       "}\n";
    static const char* const kPrecision = "#ifdef GL_FRAGMENT_PRECISION_HIGH\n"
                                          "precision highp float;\n"
                                          "#else\n"
                                          "precision mediump float;\n"
                                          "#endif\n"
                                          "uniform sampler2D picture;\n"
                                          "uniform vec4 color;\n"
                                          "varying vec2 uv;\n";
    static const char* const kFragments[3] = {
        "void main() { gl_FragColor = color; }\n",
        "void main() { gl_FragColor = color * texture2D(picture, uv); }\n",
        "void main() { gl_FragColor = texture2D(picture, uv); }\n",
    };
    const GLuint vs = compile(kVertexShader, kVertex);
    for (int mode = 0; mode < 3; ++mode) {
        const GLuint fs = compile(kFragmentShader, (std::string(kPrecision) + kFragments[mode]).c_str());
        GlesWebState::Program& p = s.programs[mode];
        p.name = emscripten_glCreateProgram();
        emscripten_glAttachShader(p.name, vs);
        emscripten_glAttachShader(p.name, fs);
        emscripten_glBindAttribLocation(p.name, kPositionAttribute, "position");
        emscripten_glBindAttribLocation(p.name, kTexCoordAttribute, "texCoord");
        emscripten_glLinkProgram(p.name);
        emscripten_glDeleteShader(fs);
        GLint linked = 0;
        emscripten_glGetProgramiv(p.name, kLinkStatus, &linked);
        if (!linked)
            logLine("gles: the drawing program does not link");
        p.uMatrix = emscripten_glGetUniformLocation(p.name, "matrix");
        p.uColor = emscripten_glGetUniformLocation(p.name, "color");
        emscripten_glUseProgram(p.name);
        emscripten_glUniform1i(emscripten_glGetUniformLocation(p.name, "picture"), 0);
    }
    emscripten_glDeleteShader(vs);
    s.program = -1;
    emscripten_glActiveTexture(GL_TEXTURE0);
    emscripten_glGenBuffers(1, &s.positionBuffer);
    emscripten_glGenBuffers(1, &s.texCoordBuffer);
}

// The wrapping and filtering WebGL is given for a texture: what was asked,
// except that a texture whose sides are not powers of two clamps and does
// not mipmap, as WebGL 1 requires.
void applyParameters(const TextureInfo& t)
{
    const bool pot = powerOfTwo(t.width) && powerOfTwo(t.height);
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, pot ? t.wrapS : GL_CLAMP_TO_EDGE);
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, pot ? t.wrapT : GL_CLAMP_TO_EDGE);
    const bool mipmap = t.minFilter != GL_NEAREST && t.minFilter != GL_LINEAR;
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, pot || !mipmap ? t.minFilter : GL_LINEAR);
}

GLuint newName(GlesWebState& s, void (*gen)(GLsizei, GLuint*))
{
    GLuint name = 0;
    if (s.live)
        gen(1, &name);
    else
        name = s.nextName++;
    return name;
}

// glGen* for textures and framebuffers: WebGL's names where there is WebGL.
template <class Objects>
void genNames(GlesWebState& s, GLsizei n, GLuint* names, Objects& objects, void (*gen)(GLsizei, GLuint*))
{
    for (GLsizei i = 0; i < n; ++i)
        objects[names[i] = newName(s, gen)];
}

// glDelete* for textures and framebuffers; a deleted object bound is unbound.
template <class Objects>
void deleteNames(GlesWebState& s, GLsizei n, const GLuint* names, Objects& objects, GLuint& bound,
                 void (*del)(GLsizei, const GLuint*))
{
    for (GLsizei i = 0; i < n; ++i) {
        const GLuint name = names[i];
        if (name == 0 || !objects.erase(name))
            continue;
        if (bound == name)
            bound = 0;
        if (s.live)
            del(1, &name);
    }
}

// glEnable and glDisable. WebGL has no switch for texturing: the layer's own
// shader follows it.
void setCapability(GlesWebState& s, GLenum cap, bool on)
{
    switch (cap) {
    case GL_TEXTURE_2D:
        s.texturing = on;
        return;
    case GL_BLEND:
        s.blending = on;
        break;
    case GL_SCISSOR_TEST:
        s.scissoring = on;
        break;
    default:
        break;
    }
    if (s.live)
        (on ? emscripten_glEnable : emscripten_glDisable)(cap);
}

// Texturing applies when enabled and the bound texture has a picture.
int textureMode(const GlesWebState& s)
{
    if (!s.texturing || s.texture == 0)
        return 0;
    auto it = s.textures.find(s.texture);
    if (it == s.textures.end() || it->second.width <= 0)
        return 0;
    return s.textureEnv == GL_REPLACE ? 2 : 1;
}

// The program of the texture mode in force, with the matrix and colour given
// where they changed.
void setUniforms(GlesWebState& s, const Matrix& matrix)
{
    const int mode = textureMode(s);
    GlesWebState::Program& p = s.programs[mode];
    if (s.program != mode) {
        emscripten_glUseProgram(p.name);
        s.program = mode;
    }
    if (std::memcmp(p.matrix.m, matrix.m, sizeof matrix.m) != 0) {
        emscripten_glUniformMatrix4fv(p.uMatrix, 1, GL_FALSE, matrix.m);
        p.matrix = matrix;
    }
    if (std::memcmp(p.color, s.color, sizeof s.color) != 0) {
        emscripten_glUniform4f(p.uColor, s.color[0], s.color[1], s.color[2], s.color[3]);
        std::memcpy(p.color, s.color, sizeof s.color);
    }
}

// Copies a client array's first `count` vertices into `buffer` and points
// the attribute at them; a disabled array gives the attribute a constant.
void bindArray(const ClientArray& a, GLuint attribute, GLuint buffer, int count)
{
    if (!a.enabled || !a.pointer) {
        emscripten_glDisableVertexAttribArray(attribute);
        emscripten_glVertexAttrib4f(attribute, 0, 0, 0, 1);
        return;
    }
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, buffer);
    emscripten_glBufferData(GL_ARRAY_BUFFER, static_cast<long>(count) * a.strideBytes(), a.pointer, kStreamDraw);
    emscripten_glEnableVertexAttribArray(attribute);
    emscripten_glVertexAttribPointer(attribute, a.size < 2 ? a.size : 2, a.type, GL_FALSE, a.stride, nullptr);
}

// A line strip (or separate lines) `width` pixels wide as triangles in
// normalized device coordinates.
void drawWideLines(GlesWebState& s, const Matrix& mvp, GLenum mode, GLint first, GLsizei count)
{
    const float vw = static_cast<float>(s.viewport[2]), vh = static_cast<float>(s.viewport[3]);
    if (vw <= 0 || vh <= 0 || count < 2 || !s.vertices.enabled || !s.vertices.pointer)
        return;
    const float halfX = s.lineWidth / vw, halfY = s.lineWidth / vh;  // half the width, in device units
    const bool textured = s.texCoords.enabled && s.texCoords.pointer;
    auto device = [&](int i, float& x, float& y) {
        const float px = s.vertices.component(first + i, 0);
        const float py = s.vertices.size > 1 ? s.vertices.component(first + i, 1) : 0.0f;
        const float* m = mvp.m;
        const float cx = m[0] * px + m[4] * py + m[12];
        const float cy = m[1] * px + m[5] * py + m[13];
        const float cw = m[3] * px + m[7] * py + m[15];
        x = cw != 0 ? cx / cw : cx;
        y = cw != 0 ? cy / cw : cy;
    };
    auto texCoord = [&](int i, float& u, float& v) {
        u = textured ? s.texCoords.component(first + i, 0) : 0.0f;
        v = textured && s.texCoords.size > 1 ? s.texCoords.component(first + i, 1) : 0.0f;
    };
    s.quads.clear();
    const int step = mode == GL_LINES ? 2 : 1;
    for (int i = 0; i + 1 < count; i += step) {
        float ax, ay, bx, by, au, av, bu, bv;
        device(i, ax, ay);
        device(i + 1, bx, by);
        texCoord(i, au, av);
        texCoord(i + 1, bu, bv);
        // Across the minor axis: an x-major line is widened up and down.
        const bool xMajor = std::fabs((bx - ax) * vw) >= std::fabs((by - ay) * vh);
        const float ox = xMajor ? 0.0f : halfX, oy = xMajor ? halfY : 0.0f;
        const float corners[6][4] = {
            {ax - ox, ay - oy, au, av}, {ax + ox, ay + oy, au, av}, {bx - ox, by - oy, bu, bv},
            {bx - ox, by - oy, bu, bv}, {ax + ox, ay + oy, au, av}, {bx + ox, by + oy, bu, bv},
        };
        for (const auto& c : corners)
            s.quads.insert(s.quads.end(), c, c + 4);
    }
    if (s.quads.empty())
        return;
    setUniforms(s, Matrix::identity());
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, s.positionBuffer);
    emscripten_glBufferData(GL_ARRAY_BUFFER, static_cast<long>(s.quads.size() * sizeof(float)), s.quads.data(),
                            kStreamDraw);
    emscripten_glEnableVertexAttribArray(kPositionAttribute);
    emscripten_glVertexAttribPointer(kPositionAttribute, 2, GL_FLOAT, GL_FALSE, 16, nullptr);
    emscripten_glEnableVertexAttribArray(kTexCoordAttribute);
    emscripten_glVertexAttribPointer(kTexCoordAttribute, 2, GL_FLOAT, GL_FALSE, 16, reinterpret_cast<void*>(8));
    emscripten_glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(s.quads.size() / 4));
}

void allocateRenderbuffer(GlesWebState& s, RenderbufferInfo& rb, GLenum format, int width, int height)
{
    if (rb.texture == 0) {
        rb.texture = newName(s, emscripten_glGenTextures);
        s.textures[rb.texture].fromRenderbuffer = true;
    }
    TextureInfo& t = s.textures[rb.texture];
    t.width = width;
    t.height = height;
    // Shown and read back pixel for pixel: nearest is exact, and cheapest.
    t.wrapS = t.wrapT = GL_CLAMP_TO_EDGE;
    t.minFilter = GL_NEAREST;
    rb.width = width;
    rb.height = height;
    rb.format = format;
    if (!s.live)
        return;
    emscripten_glBindTexture(GL_TEXTURE_2D, rb.texture);
    emscripten_glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    applyParameters(t);
    emscripten_glBindTexture(GL_TEXTURE_2D, s.texture);
}

}  // namespace

std::unique_ptr<GlesWebState, void (*)(GlesWebState*)> makeGlesWebState(bool live)
{
    auto* s = new GlesWebState();
    s->live = live;
    return {s, [](GlesWebState* p) {
                if (g_state == p)
                    g_state = nullptr;
                delete p;
            }};
}

void setCurrentGlesWebState(GlesWebState* s)
{
    g_state = s;
    if (s)
        makeReady(*s);
}

GLuint glesWebRenderbufferTexture(GLuint renderbuffer)
{
    auto& rbs = state().renderbuffers;
    auto it = rbs.find(renderbuffer);
    return it == rbs.end() ? 0 : it->second.texture;
}

}  // namespace zorbel

using zorbel::GlesWebState;
using zorbel::Matrix;
using zorbel::state;

extern "C" {

GL_API void GL_APIENTRY glEnable(GLenum cap)
{
    zorbel::setCapability(state(), cap, true);
}

GL_API void GL_APIENTRY glDisable(GLenum cap)
{
    zorbel::setCapability(state(), cap, false);
}

GL_API GLboolean GL_APIENTRY glIsEnabled(GLenum cap)
{
    const GlesWebState& s = state();
    switch (cap) {
    case GL_TEXTURE_2D:
        return s.texturing;
    case GL_BLEND:
        return s.blending;
    case GL_SCISSOR_TEST:
        return s.scissoring;
    case GL_VERTEX_ARRAY:
        return s.vertices.enabled;
    case GL_TEXTURE_COORD_ARRAY:
        return s.texCoords.enabled;
    default:
        return GL_FALSE;
    }
}

GL_API void GL_APIENTRY glBlendFunc(GLenum sfactor, GLenum dfactor)
{
    if (state().live)
        emscripten_glBlendFunc(sfactor, dfactor);
}

GL_API void GL_APIENTRY glTexEnvi(GLenum target, GLenum pname, GLint param)
{
    if (target == GL_TEXTURE_ENV && pname == GL_TEXTURE_ENV_MODE)
        state().textureEnv = param;
}

GL_API void GL_APIENTRY glTexEnvf(GLenum target, GLenum pname, GLfloat param)
{
    glTexEnvi(target, pname, static_cast<GLint>(param));
}

GL_API void GL_APIENTRY glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha)
{
    float* c = state().color;
    c[0] = red;
    c[1] = green;
    c[2] = blue;
    c[3] = alpha;
}

GL_API void GL_APIENTRY glLineWidth(GLfloat width)
{
    if (width > 0)
        state().lineWidth = width;
    else
        state().fail(GL_INVALID_VALUE);
}

GL_API void GL_APIENTRY glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    GlesWebState& s = state();
    s.viewport[0] = x;
    s.viewport[1] = y;
    s.viewport[2] = width;
    s.viewport[3] = height;
    if (s.live)
        emscripten_glViewport(x, y, width, height);
}

GL_API void GL_APIENTRY glScissor(GLint x, GLint y, GLsizei width, GLsizei height)
{
    GlesWebState& s = state();
    s.scissorBox[0] = x;
    s.scissorBox[1] = y;
    s.scissorBox[2] = width;
    s.scissorBox[3] = height;
    if (s.live)
        emscripten_glScissor(x, y, width, height);
}

GL_API void GL_APIENTRY glClearColor(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha)
{
    if (state().live)
        emscripten_glClearColor(red, green, blue, alpha);
}

GL_API void GL_APIENTRY glClear(GLbitfield mask)
{
    if (state().live)
        emscripten_glClear(mask);
}

GL_API void GL_APIENTRY glFlush(void)
{
    if (state().live)
        emscripten_glFlush();
}

GL_API void GL_APIENTRY glFinish(void)
{
    if (state().live)
        emscripten_glFinish();
}

// --- matrices ---

GL_API void GL_APIENTRY glMatrixMode(GLenum mode)
{
    if (mode == GL_MODELVIEW || mode == GL_PROJECTION)
        state().matrixMode = mode;
    else
        state().fail(GL_INVALID_ENUM);
}

GL_API void GL_APIENTRY glLoadIdentity(void)
{
    state().stack().back() = Matrix::identity();
}

GL_API void GL_APIENTRY glPushMatrix(void)
{
    auto& stack = state().stack();
    if (stack.size() >= zorbel::kMatrixStackDepth) {
        state().fail(GL_STACK_OVERFLOW);
        return;
    }
    stack.push_back(stack.back());
}

GL_API void GL_APIENTRY glPopMatrix(void)
{
    auto& stack = state().stack();
    if (stack.size() <= 1) {
        state().fail(GL_STACK_UNDERFLOW);
        return;
    }
    stack.pop_back();
}

static void multiplyCurrent(const Matrix& m)
{
    Matrix& top = state().stack().back();
    top = zorbel::times(top, m);
}

GL_API void GL_APIENTRY glOrthof(GLfloat left, GLfloat right, GLfloat bottom, GLfloat top, GLfloat zNear, GLfloat zFar)
{
    if (left == right || bottom == top || zNear == zFar) {
        state().fail(GL_INVALID_VALUE);
        return;
    }
    Matrix m = Matrix::identity();
    m.m[0] = 2.0f / (right - left);
    m.m[5] = 2.0f / (top - bottom);
    m.m[10] = -2.0f / (zFar - zNear);
    m.m[12] = -(right + left) / (right - left);
    m.m[13] = -(top + bottom) / (top - bottom);
    m.m[14] = -(zFar + zNear) / (zFar - zNear);
    multiplyCurrent(m);
}

GL_API void GL_APIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    Matrix m = Matrix::identity();
    m.m[12] = x;
    m.m[13] = y;
    m.m[14] = z;
    multiplyCurrent(m);
}

GL_API void GL_APIENTRY glScalef(GLfloat x, GLfloat y, GLfloat z)
{
    Matrix m = Matrix::identity();
    m.m[0] = x;
    m.m[5] = y;
    m.m[10] = z;
    multiplyCurrent(m);
}

GL_API void GL_APIENTRY glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0f)
        return;
    x /= length;
    y /= length;
    z /= length;
    const float radians = angle * 3.14159265358979f / 180.0f;
    const float c = std::cos(radians), s = std::sin(radians), t = 1.0f - c;
    Matrix m = Matrix::identity();
    m.m[0] = x * x * t + c;
    m.m[1] = y * x * t + z * s;
    m.m[2] = x * z * t - y * s;
    m.m[4] = x * y * t - z * s;
    m.m[5] = y * y * t + c;
    m.m[6] = y * z * t + x * s;
    m.m[8] = x * z * t + y * s;
    m.m[9] = y * z * t - x * s;
    m.m[10] = z * z * t + c;
    multiplyCurrent(m);
}

// --- arrays and drawing ---

GL_API void GL_APIENTRY glEnableClientState(GLenum array)
{
    if (array == GL_VERTEX_ARRAY)
        state().vertices.enabled = true;
    else if (array == GL_TEXTURE_COORD_ARRAY)
        state().texCoords.enabled = true;
}

GL_API void GL_APIENTRY glDisableClientState(GLenum array)
{
    if (array == GL_VERTEX_ARRAY)
        state().vertices.enabled = false;
    else if (array == GL_TEXTURE_COORD_ARRAY)
        state().texCoords.enabled = false;
}

GL_API void GL_APIENTRY glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    state().vertices = {state().vertices.enabled, size, type, stride, pointer};
}

GL_API void GL_APIENTRY glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    state().texCoords = {state().texCoords.enabled, size, type, stride, pointer};
}

GL_API void GL_APIENTRY glDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    GlesWebState& s = state();
    if (first < 0 || count < 0) {
        s.fail(GL_INVALID_VALUE);
        return;
    }
    if (!s.live || count == 0 || !s.vertices.enabled)
        return;
    const Matrix mvp = zorbel::times(s.projection.back(), s.modelview.back());
    if ((mode == GL_LINE_STRIP || mode == GL_LINES) && s.lineWidth > 1.0f) {
        zorbel::drawWideLines(s, mvp, mode, first, count);
        return;
    }
    zorbel::setUniforms(s, mvp);
    zorbel::bindArray(s.vertices, zorbel::kPositionAttribute, s.positionBuffer, first + count);
    zorbel::bindArray(s.texCoords, zorbel::kTexCoordAttribute, s.texCoordBuffer, first + count);
    emscripten_glDrawArrays(mode, first, count);
}

// --- textures ---

GL_API void GL_APIENTRY glGenTextures(GLsizei n, GLuint* textures)
{
    GlesWebState& s = state();
    zorbel::genNames(s, n, textures, s.textures, emscripten_glGenTextures);
}

GL_API void GL_APIENTRY glDeleteTextures(GLsizei n, const GLuint* textures)
{
    GlesWebState& s = state();
    zorbel::deleteNames(s, n, textures, s.textures, s.texture, emscripten_glDeleteTextures);
}

GL_API void GL_APIENTRY glBindTexture(GLenum target, GLuint texture)
{
    GlesWebState& s = state();
    if (target != GL_TEXTURE_2D) {
        s.fail(GL_INVALID_ENUM);
        return;
    }
    s.texture = texture;
    if (texture)
        s.textures[texture];
    if (s.live)
        emscripten_glBindTexture(GL_TEXTURE_2D, texture);
}

GL_API void GL_APIENTRY glTexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height,
                                     GLint border, GLenum format, GLenum type, const void* pixels)
{
    GlesWebState& s = state();
    if (s.texture == 0 || width < 0 || height < 0) {
        s.fail(GL_INVALID_OPERATION);
        return;
    }
    zorbel::TextureInfo& t = s.textures[s.texture];
    if (level == 0) {
        t.width = width;
        t.height = height;
    }
    if (!s.live)
        return;
    emscripten_glTexImage2D(target, level, internalformat, width, height, border, format, type, pixels);
    zorbel::applyParameters(t);
}

GL_API void GL_APIENTRY glTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLsizei width,
                                        GLsizei height, GLenum format, GLenum type, const void* pixels)
{
    if (state().live)
        emscripten_glTexSubImage2D(target, level, xoffset, yoffset, width, height, format, type, pixels);
}

GL_API void GL_APIENTRY glCopyTexImage2D(GLenum target, GLint level, GLenum internalformat, GLint x, GLint y,
                                         GLsizei width, GLsizei height, GLint border)
{
    GlesWebState& s = state();
    if (s.texture == 0) {
        s.fail(GL_INVALID_OPERATION);
        return;
    }
    zorbel::TextureInfo& t = s.textures[s.texture];
    if (level == 0) {
        t.width = width;
        t.height = height;
    }
    if (!s.live)
        return;
    emscripten_glCopyTexImage2D(target, level, internalformat, x, y, width, height, border);
    zorbel::applyParameters(t);
}

GL_API void GL_APIENTRY glCopyTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLint x, GLint y,
                                            GLsizei width, GLsizei height)
{
    if (state().live)
        emscripten_glCopyTexSubImage2D(target, level, xoffset, yoffset, x, y, width, height);
}

GL_API void GL_APIENTRY glTexParameteri(GLenum target, GLenum pname, GLint param)
{
    GlesWebState& s = state();
    if (s.texture == 0)
        return;
    zorbel::TextureInfo& t = s.textures[s.texture];
    switch (pname) {
    case GL_TEXTURE_WRAP_S:
        t.wrapS = param;
        break;
    case GL_TEXTURE_WRAP_T:
        t.wrapT = param;
        break;
    case GL_TEXTURE_MIN_FILTER:
        t.minFilter = param;
        break;
    case GL_TEXTURE_MAG_FILTER:
        if (s.live)
            emscripten_glTexParameteri(target, pname, param);
        return;
    default:
        return;
    }
    if (s.live)
        zorbel::applyParameters(t);
}

GL_API void GL_APIENTRY glTexParameterf(GLenum target, GLenum pname, GLfloat param)
{
    glTexParameteri(target, pname, static_cast<GLint>(param));
}

GL_API void GL_APIENTRY glPixelStorei(GLenum pname, GLint param)
{
    GlesWebState& s = state();
    if (pname == GL_PACK_ALIGNMENT)
        s.packAlignment = param;
    else if (pname == GL_UNPACK_ALIGNMENT)
        s.unpackAlignment = param;
    if (s.live)
        emscripten_glPixelStorei(pname, param);
}

GL_API void GL_APIENTRY glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                                     void* pixels)
{
    GlesWebState& s = state();
    if (!s.live) {
        s.fail(GL_INVALID_OPERATION);  // nothing was drawn to read
        return;
    }
    emscripten_glReadPixels(x, y, width, height, format, type, pixels);
}

// --- queries ---

GL_API GLenum GL_APIENTRY glGetError(void)
{
    GlesWebState& s = state();
    const GLenum e = s.error;
    s.error = GL_NO_ERROR;
    if (e != GL_NO_ERROR || !s.live)
        return e;
    return emscripten_glGetError();
}

GL_API void GL_APIENTRY glGetIntegerv(GLenum pname, GLint* data)
{
    GlesWebState& s = state();
    switch (pname) {
    case GL_FRAMEBUFFER_BINDING_OES:
        *data = static_cast<GLint>(s.framebuffer);
        return;
    case GL_RENDERBUFFER_BINDING_OES:
        *data = static_cast<GLint>(s.renderbuffer);
        return;
    case GL_TEXTURE_BINDING_2D:
        *data = static_cast<GLint>(s.texture);
        return;
    case GL_PACK_ALIGNMENT:
        *data = s.packAlignment;
        return;
    case GL_UNPACK_ALIGNMENT:
        *data = s.unpackAlignment;
        return;
    case GL_VIEWPORT:
        std::memcpy(data, s.viewport, sizeof s.viewport);
        return;
    case GL_SCISSOR_BOX:
        std::memcpy(data, s.scissorBox, sizeof s.scissorBox);
        return;
    case GL_MATRIX_MODE:
        *data = static_cast<GLint>(s.matrixMode);
        return;
    case GL_MAX_RENDERBUFFER_SIZE_OES:
    case GL_MAX_TEXTURE_SIZE:
        *data = 4096;
        if (s.live)
            emscripten_glGetIntegerv(GL_MAX_TEXTURE_SIZE, data);
        return;
    default:
        *data = 0;
        if (s.live)
            emscripten_glGetIntegerv(pname, data);
        return;
    }
}

GL_API const GLubyte* GL_APIENTRY glGetString(GLenum name)
{
    const char* text = "";
    switch (name) {
    case GL_VENDOR:
        text = "Zorbel";
        break;
    case GL_RENDERER:
        text = state().live ? "OpenGL ES 1.1 on WebGL 1" : "OpenGL ES 1.1 state without drawing";
        break;
    case GL_VERSION:
        text = "OpenGL ES-CM 1.1 Zorbel";
        break;
    case GL_EXTENSIONS:
        text = "GL_OES_framebuffer_object GL_OES_texture_npot GL_OES_rgb8_rgba8";
        break;
    default:
        break;
    }
    return reinterpret_cast<const GLubyte*>(text);
}

// --- framebuffer objects ---

GL_API void GL_APIENTRY glGenFramebuffersOES(GLsizei n, GLuint* framebuffers)
{
    GlesWebState& s = state();
    zorbel::genNames(s, n, framebuffers, s.framebuffers, emscripten_glGenFramebuffers);
}

GL_API void GL_APIENTRY glDeleteFramebuffersOES(GLsizei n, const GLuint* framebuffers)
{
    GlesWebState& s = state();
    zorbel::deleteNames(s, n, framebuffers, s.framebuffers, s.framebuffer, emscripten_glDeleteFramebuffers);
}

GL_API GLboolean GL_APIENTRY glIsFramebufferOES(GLuint framebuffer)
{
    return framebuffer != 0 && state().framebuffers.count(framebuffer);
}

GL_API void GL_APIENTRY glBindFramebufferOES(GLenum target, GLuint framebuffer)
{
    GlesWebState& s = state();
    if (target != GL_FRAMEBUFFER_OES) {
        s.fail(GL_INVALID_ENUM);
        return;
    }
    s.framebuffer = framebuffer;
    if (framebuffer)
        s.framebuffers[framebuffer];
    if (s.live)
        emscripten_glBindFramebuffer(GL_FRAMEBUFFER_OES, framebuffer);
}

GL_API void GL_APIENTRY glGenRenderbuffersOES(GLsizei n, GLuint* renderbuffers)
{
    GlesWebState& s = state();
    for (GLsizei i = 0; i < n; ++i) {
        renderbuffers[i] = s.nextName++;
        s.renderbuffers[renderbuffers[i]];
    }
}

GL_API void GL_APIENTRY glDeleteRenderbuffersOES(GLsizei n, const GLuint* renderbuffers)
{
    GlesWebState& s = state();
    for (GLsizei i = 0; i < n; ++i) {
        auto it = s.renderbuffers.find(renderbuffers[i]);
        if (renderbuffers[i] == 0 || it == s.renderbuffers.end())
            continue;
        if (it->second.texture)
            glDeleteTextures(1, &it->second.texture);
        for (auto& fb : s.framebuffers)
            if (fb.second.attachmentType == GL_RENDERBUFFER_OES && fb.second.attachment == renderbuffers[i])
                fb.second = {};
        if (s.renderbuffer == renderbuffers[i])
            s.renderbuffer = 0;
        s.renderbuffers.erase(it);
    }
}

GL_API GLboolean GL_APIENTRY glIsRenderbufferOES(GLuint renderbuffer)
{
    return renderbuffer != 0 && state().renderbuffers.count(renderbuffer);
}

GL_API void GL_APIENTRY glBindRenderbufferOES(GLenum target, GLuint renderbuffer)
{
    GlesWebState& s = state();
    if (target != GL_RENDERBUFFER_OES) {
        s.fail(GL_INVALID_ENUM);
        return;
    }
    s.renderbuffer = renderbuffer;
    if (renderbuffer)
        s.renderbuffers[renderbuffer];
}

GL_API void GL_APIENTRY glRenderbufferStorageOES(GLenum target, GLenum internalformat, GLsizei width, GLsizei height)
{
    GlesWebState& s = state();
    if (target != GL_RENDERBUFFER_OES || s.renderbuffer == 0) {
        s.fail(GL_INVALID_OPERATION);
        return;
    }
    if (internalformat != GL_RGBA8_OES && internalformat != GL_RGB565_OES && internalformat != GL_RGBA4_OES) {
        s.fail(GL_INVALID_ENUM);
        return;
    }
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        s.fail(GL_INVALID_VALUE);
        return;
    }
    zorbel::allocateRenderbuffer(s, s.renderbuffers[s.renderbuffer], internalformat, width, height);
}

GL_API void GL_APIENTRY glGetRenderbufferParameterivOES(GLenum target, GLenum pname, GLint* params)
{
    GlesWebState& s = state();
    const auto it = s.renderbuffers.find(s.renderbuffer);
    if (target != GL_RENDERBUFFER_OES || it == s.renderbuffers.end()) {
        s.fail(GL_INVALID_OPERATION);
        return;
    }
    const zorbel::RenderbufferInfo& rb = it->second;
    switch (pname) {
    case GL_RENDERBUFFER_WIDTH_OES:
        *params = rb.width;
        return;
    case GL_RENDERBUFFER_HEIGHT_OES:
        *params = rb.height;
        return;
    case GL_RENDERBUFFER_INTERNAL_FORMAT_OES:
        *params = static_cast<GLint>(rb.format);
        return;
    case GL_RENDERBUFFER_RED_SIZE_OES:
    case GL_RENDERBUFFER_GREEN_SIZE_OES:
    case GL_RENDERBUFFER_BLUE_SIZE_OES:
    case GL_RENDERBUFFER_ALPHA_SIZE_OES:
        *params = rb.width > 0 ? 8 : 0;
        return;
    default:
        *params = 0;
        return;
    }
}

GL_API void GL_APIENTRY glFramebufferRenderbufferOES(GLenum target, GLenum attachment, GLenum renderbuffertarget,
                                                     GLuint renderbuffer)
{
    GlesWebState& s = state();
    if (target != GL_FRAMEBUFFER_OES || s.framebuffer == 0 || attachment != GL_COLOR_ATTACHMENT0_OES ||
        renderbuffertarget != GL_RENDERBUFFER_OES) {
        s.fail(GL_INVALID_OPERATION);
        return;
    }
    zorbel::FramebufferInfo& fb = s.framebuffers[s.framebuffer];
    fb.attachmentType = renderbuffer ? GL_RENDERBUFFER_OES : 0;
    fb.attachment = renderbuffer;
    const GLuint texture = renderbuffer ? zorbel::glesWebRenderbufferTexture(renderbuffer) : 0;
    if (s.live)
        emscripten_glFramebufferTexture2D(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_TEXTURE_2D, texture, 0);
}

GL_API void GL_APIENTRY glFramebufferTexture2DOES(GLenum target, GLenum attachment, GLenum textarget, GLuint texture,
                                                  GLint level)
{
    GlesWebState& s = state();
    if (target != GL_FRAMEBUFFER_OES || s.framebuffer == 0 || attachment != GL_COLOR_ATTACHMENT0_OES) {
        s.fail(GL_INVALID_OPERATION);
        return;
    }
    zorbel::FramebufferInfo& fb = s.framebuffers[s.framebuffer];
    fb.attachmentType = texture ? GL_TEXTURE : 0;
    fb.attachment = texture;
    if (s.live)
        emscripten_glFramebufferTexture2D(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, textarget, texture, level);
}

GL_API GLenum GL_APIENTRY glCheckFramebufferStatusOES(GLenum target)
{
    GlesWebState& s = state();
    if (target != GL_FRAMEBUFFER_OES) {
        s.fail(GL_INVALID_ENUM);
        return 0;
    }
    if (s.live)
        return emscripten_glCheckFramebufferStatus(GL_FRAMEBUFFER_OES);
    if (s.framebuffer == 0)
        return GL_FRAMEBUFFER_COMPLETE_OES;
    const zorbel::FramebufferInfo& fb = s.framebuffers[s.framebuffer];
    int width = 0;
    if (fb.attachmentType == GL_RENDERBUFFER_OES)
        width = s.renderbuffers[fb.attachment].width;
    else if (fb.attachmentType == GL_TEXTURE)
        width = s.textures[fb.attachment].width;
    return width > 0 ? GL_FRAMEBUFFER_COMPLETE_OES : GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_OES;
}

GL_API void GL_APIENTRY glGetFramebufferAttachmentParameterivOES(GLenum target, GLenum attachment, GLenum pname,
                                                                 GLint* params)
{
    GlesWebState& s = state();
    if (target != GL_FRAMEBUFFER_OES || attachment != GL_COLOR_ATTACHMENT0_OES || s.framebuffer == 0) {
        s.fail(GL_INVALID_OPERATION);
        return;
    }
    const zorbel::FramebufferInfo& fb = s.framebuffers[s.framebuffer];
    if (pname == GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_OES)
        *params = static_cast<GLint>(fb.attachmentType);
    else if (pname == GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_OES)
        *params = static_cast<GLint>(fb.attachment);
    else
        *params = 0;
}

GL_API void GL_APIENTRY glGenerateMipmapOES(GLenum target)
{
    if (state().live)
        emscripten_glGenerateMipmap(target);
}

}  // extern "C"
