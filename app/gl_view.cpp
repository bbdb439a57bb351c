#include "app/gl_view.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "app/window_rules.h"
#include "player/camera.h"
#include "render/world_draw.h"

namespace {

constexpr double FIELD_OF_VIEW = 45.0;
constexpr double NEAR_PLANE = static_cast<double>(0.1f);
constexpr double FAR_PLANE = 32000.0;

}  // namespace

void setFixedGlState() {
    glClearDepth(1.0);
    glEnable(GL_NORMALIZE);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.01f);
    glFrontFace(GL_CCW);
    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    glEnable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    setMeshArrays(true);
    glEnable(GL_TEXTURE_2D);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
}

void setProjection(unsigned width, unsigned height) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FIELD_OF_VIEW, windowAspect(width, height), NEAR_PLANE, FAR_PLANE);
}

void loadCamera(const Player& player, bool homeHeld) {
    const CameraView v = cameraView(player, homeHeld);
    gluLookAt(v.eye.x, v.eye.y, v.eye.z, v.target.x, v.target.y, v.target.z, v.up.x, v.up.y, v.up.z);
}
