// The camera in the browser build: none yet.
#include "platform/camera/camera.h"

namespace zorbel {

struct Camera::Session {};

bool cameraAvailable()
{
    return false;
}

Camera::Camera() = default;

Camera::~Camera() = default;

bool Camera::open(int, std::function<void()>)
{
    return false;
}

void Camera::close() {}

Camera::State Camera::state() const
{
    return State::CannotOpen;
}

bool Camera::takeFrame()
{
    return false;
}

}  // namespace zorbel
