#version 430 core
// Sky box: the cube around the camera, pushed to the far plane.

layout(location = 0) in vec3 aPosition;

uniform mat4 projectionMatrix;  // projection times the view without its translation

out vec3 direction;

void main() {
    direction = aPosition;
    vec4 clip = projectionMatrix * vec4(aPosition, 1.0);
    gl_Position = clip.xyww;  // depth 1, drawn with GL_LEQUAL behind everything
}
