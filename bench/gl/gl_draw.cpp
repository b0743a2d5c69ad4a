#define GL_GLEXT_PROTOTYPES 1
#include "gl_draw.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "render/render.h"

namespace {

// Camera space is Velmor's (+y down, looking along +z); screen x = focal * x /
// z + centre_x. GL samples pixel i at i + 0.5 where Velmor's demo samples it
// at i, so the demo's centre moves half a pixel; view mode's already does.
const char* const vertex_source = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec4 colour;
uniform mat4 model_view;
uniform vec3 lens;  // focal length, centre x, centre y
uniform vec4 frame; // width, height, near, far
flat out vec4 shade;
void main() {
    vec4 p = model_view * vec4(position, 1.0);
    float z = p.z, n = frame.z, f = frame.w;
    float sx = lens.x * p.x + lens.y * z, sy = lens.x * p.y + lens.z * z;
    gl_Position = vec4(2.0 * sx / frame.x - z, z - 2.0 * sy / frame.y,
                       z * (f + n) / (f - n) - 2.0 * f * n / (f - n), z);
    vec3 nc = mat3(model_view) * normal;
    float e = min(floor(abs(255.0 * nc.z / length(nc))), 255.0);
    shade = vec4(floor(colour.bgr * 255.0 * e / 256.0) / 255.0, 1.0);
}
)";

const char* const fragment_source = R"(#version 330 core
flat in vec4 shade;
out vec4 colour;
void main() { colour = shade; }
)";

struct Context {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    GLuint framebuffer = 0, renderbuffers[2] = {};
    GLuint program = 0;
    GLint model_view = -1, lens = -1, frame = -1;
} gl_context;

struct Vertex {
    float position[3], normal[3];
    uint32_t colour; // 0x00RRGGBB, read as bytes B, G, R
};

bool fail(const char* what) {
    std::fprintf(stderr, "velmor-gl-bench: %s\n", what);
    return false;
}

bool egl_start() {
    auto get_display =
        (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
    if (get_display == nullptr) return fail("no eglGetPlatformDisplayEXT");
    Context& c = gl_context;
    c.display = get_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (c.display == EGL_NO_DISPLAY || !eglInitialize(c.display, nullptr, nullptr))
        return fail("no surfaceless EGL display");
    const EGLint config_wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                    EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config;
    EGLint configs = 0;
    if (!eglBindAPI(EGL_OPENGL_API) ||
        !eglChooseConfig(c.display, config_wanted, &config, 1, &configs) || configs < 1)
        return fail("no EGL configuration for OpenGL");
    const EGLint context_wanted[] = {EGL_CONTEXT_MAJOR_VERSION,
                                     3,
                                     EGL_CONTEXT_MINOR_VERSION,
                                     3,
                                     EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                     EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                     EGL_NONE};
    c.context = eglCreateContext(c.display, config, EGL_NO_CONTEXT, context_wanted);
    if (c.context == EGL_NO_CONTEXT ||
        !eglMakeCurrent(c.display, EGL_NO_SURFACE, EGL_NO_SURFACE, c.context))
        return fail("no OpenGL 3.3 context");
    std::fprintf(stderr, "velmor-gl-bench: %s\n", (const char*)glGetString(GL_RENDERER));
    return true;
}

bool framebuffer_make(int32_t width, int32_t height) {
    Context& c = gl_context;
    glGenRenderbuffers(2, c.renderbuffers);
    glBindRenderbuffer(GL_RENDERBUFFER, c.renderbuffers[0]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, c.renderbuffers[1]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glGenFramebuffers(1, &c.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, c.framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              c.renderbuffers[0]);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              c.renderbuffers[1]);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        return fail("incomplete framebuffer");
    glViewport(0, 0, width, height);
    return true;
}

GLuint shader_make(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "velmor-gl-bench: shader: %s\n", log);
    }
    return shader;
}

bool program_make() {
    Context& c = gl_context;
    c.program = glCreateProgram();
    glAttachShader(c.program, shader_make(GL_VERTEX_SHADER, vertex_source));
    glAttachShader(c.program, shader_make(GL_FRAGMENT_SHADER, fragment_source));
    glLinkProgram(c.program);
    GLint ok = 0;
    glGetProgramiv(c.program, GL_LINK_STATUS, &ok);
    if (!ok) return fail("the shaders do not link");
    glUseProgram(c.program);
    c.model_view = glGetUniformLocation(c.program, "model_view");
    c.lens = glGetUniformLocation(c.program, "lens");
    c.frame = glGetUniformLocation(c.program, "frame");
    return true;
}

// Every face's three corners, each with the face's normal and base colour.
std::vector<Vertex> scene_vertices(const Scene& scene, const uint32_t* face_colours) {
    std::vector<Vertex> vertices;
    for (int32_t i = 0; i < scene.object_count; ++i) {
        const SceneObject& object = scene.objects[i];
        for (int32_t f = 0; f < object.face_count; ++f) {
            const SceneFace& face = object.faces[f];
            const uint32_t colour = face_colours ? *face_colours++ : object_colours[i & 3];
            for (const SceneVertex* v : face.corners)
                vertices.push_back(
                    {{v->x, v->y, v->z}, {face.plane.a, face.plane.b, face.plane.c}, colour});
        }
    }
    return vertices;
}

void vertices_upload(GlScene& gl, const std::vector<Vertex>& vertices) {
    glGenVertexArrays(1, &gl.vertex_array);
    glBindVertexArray(gl.vertex_array);
    glGenBuffers(1, &gl.buffer);
    glBindBuffer(GL_ARRAY_BUFFER, gl.buffer);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)(vertices.size() * sizeof(Vertex)), vertices.data(),
                 GL_STATIC_DRAW);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), (void*)0);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), (void*)(3 * sizeof(float)));
    glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                          (void*)(6 * sizeof(float)));
    for (GLuint k = 0; k < 3; ++k)
        glEnableVertexAttribArray(k);
}

float scene_radius(const Scene& scene) {
    float r2 = 0.0f;
    for (int32_t i = 0; i < scene.object_count; ++i)
        for (int32_t v = 0; v < scene.objects[i].vertex_count; ++v) {
            const SceneVertex& p = scene.objects[i].vertices[v];
            r2 = std::fmax(r2, p.x * p.x + p.y * p.y + p.z * p.z);
        }
    return std::sqrt(r2);
}

// The projection of the frame and the far plane just beyond the scene.
void projection_set(const GlScene& gl, const Matrix& model_view) {
    const float* t = &model_view.m[12];
    const float distance = std::sqrt(t[0] * t[0] + t[1] * t[1] + t[2] * t[2]);
    float focal = render_focal_length(gl.width), cx = gl.width / 2 + 0.5f,
          cy = gl.height / 2 + 0.5f, near_z = 0.1f;
    if (gl.view_mode) {
        const ViewProjection p = frame_view_projection(gl.width, gl.height);
        focal = p.focal_length, cx = p.centre_x + 0.5f, cy = p.centre_y + 0.5f, near_z = p.near_z;
    }
    glUniform3f(gl_context.lens, focal, cx, cy);
    glUniform4f(gl_context.frame, (float)gl.width, (float)gl.height, near_z,
                distance + 2.0f * gl.radius + 1.0f);
}

// Draws every object at model_view = its matrix times the camera's inverse.
void objects_draw(GlScene& gl, const Matrix& camera) {
    Matrix inverse_camera, model_view;
    matrix_affine_inverse(camera, inverse_camera);
    GLint first = 0;
    for (int32_t i = 0; i < gl.scene->object_count; ++i) {
        const SceneObject& object = gl.scene->objects[i];
        matrix_multiply(object.matrix, inverse_camera, model_view);
        if (i == 0) projection_set(gl, model_view);
        glUniformMatrix4fv(gl_context.model_view, 1, GL_FALSE, model_view.m);
        glDrawArrays(GL_TRIANGLES, first, 3 * object.face_count);
        first += 3 * object.face_count;
    }
}

} // namespace

bool gl_draw_init(int32_t width, int32_t height) {
    if (!egl_start() || !framebuffer_make(width, height) || !program_make()) return false;
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    return true;
}

void gl_draw_shutdown() {
    Context& c = gl_context;
    glDeleteProgram(c.program);
    glDeleteFramebuffers(1, &c.framebuffer);
    glDeleteRenderbuffers(2, c.renderbuffers);
    eglMakeCurrent(c.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(c.display, c.context);
    eglTerminate(c.display);
}

GlScene gl_scene_create(Scene& scene, bool view_mode, const ViewCamera& camera, int32_t width,
                        int32_t height) {
    frame_objects_reset(scene);
    GlScene gl{};
    gl.scene = &scene;
    gl.view.scene = &scene;
    gl.view_mode = view_mode;
    gl.camera = camera;
    gl.input = frame_view_input_start();
    gl.width = width, gl.height = height;
    if (view_mode) {
        frame_fit_scene(scene);
        gl.view.face_colours = frame_face_colours_create(scene);
    } else {
        frame_camera_build(gl.view.camera);
    }
    for (int32_t i = 0; i < scene.object_count; ++i)
        gl.faces += scene.objects[i].face_count;
    gl.radius = scene_radius(scene);
    vertices_upload(gl, scene_vertices(scene, gl.view.face_colours));
    return gl;
}

void gl_scene_frame(GlScene& gl) {
    if (gl.view_mode) {
        frame_view_tick(gl.camera, gl.input);
        frame_view_matrix(gl.camera, gl.view.camera);
    } else {
        frame_advance(gl.view, gl.animation_angle, Turning::by_index);
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    objects_draw(gl, gl.view.camera);
    glFinish();
}

void gl_scene_free(GlScene& gl) {
    glDeleteBuffers(1, &gl.buffer);
    glDeleteVertexArrays(1, &gl.vertex_array);
    std::free(gl.view.face_colours);
}

void gl_draw_read(uint32_t* pixels, int32_t width, int32_t height) {
    std::vector<uint8_t> rgba((size_t)width * (size_t)height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = &rgba[((size_t)(height - 1 - y) * width + x) * 4];
            pixels[(size_t)y * width + x] = (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2];
        }
}
