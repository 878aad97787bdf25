#version 430 core
// Stand-alone smoke program: kept buildable, the bursts draw with the lit program.

layout(location = 0) in vec3 aPosition;
layout(location = 2) in vec2 aTexCoords;
layout(location = 3) in mat4 aInstanceMatrix;

uniform mat4 projectionView;
uniform mat4 movingMatrix;

out vec2 texCoords;

void main() {
    texCoords = aTexCoords;
    gl_Position = projectionView * movingMatrix * aInstanceMatrix * vec4(aPosition, 1.0);
}
