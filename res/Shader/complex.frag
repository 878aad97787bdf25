#version 430 core
// Sun light (Blinn-Phong) with PCF shadows, tile tints, a faint sky reflection and gamma.

struct Material {
    sampler2D texture_diffuse1;
    float shininess;
};

struct Sun {
    vec3 direction;  // the way the light travels
    vec3 ambient;
    vec3 diffuse;
    vec3 specular;
};

in VS_OUT {
    vec3 worldPosition;
    vec3 normal;
    vec2 texCoords;
    vec4 lightSpacePosition;
} fs;

out vec4 fragColor;

uniform Material material;
uniform Sun sun;
uniform vec3 viewPosition;
uniform float gamma;
uniform int hexColor;
uniform int particle;
// Fixed units, so the samplers never clash before the game first sets them.
layout(binding = 1) uniform sampler2D shadowMap;
layout(binding = 3) uniform samplerCube skyBox;
layout(binding = 0) uniform sampler2D texture_diffuse1;  // smoke puff texture

// The sun's levels are given for a bright scene (0.8 / 1.2 / 4): scale them to stay below white.
const float AmbientScale = 0.3;
const float DiffuseScale = 0.55;
const float SpecularScale = 0.08;
const float ReflectionAmount = 0.06;
const float TintStrength = 0.75;
const float SmokeAlpha = 0.55;
const float BiasPerSlope = 0.0012;
const float MinBias = 0.0005;
const float MaxBias = 0.01;

const int HexPlain = 0;
const int HexTarget = 1;
const int HexVisited = 2;
const int HexWrong = 3;
const int HexGoal = 6;

vec3 tileTint(vec3 base) {
    vec3 tint;
    if (hexColor == HexTarget) tint = vec3(1.0, 0.85, 0.1);
    else if (hexColor == HexVisited) tint = vec3(0.15, 0.85, 0.2);
    else if (hexColor == HexWrong) tint = vec3(0.95, 0.06, 0.05);
    else if (hexColor == HexGoal) tint = vec3(0.45, 0.2, 1.0);
    else return base;
    // Keep some of the texture's detail under the colour.
    float shade = dot(base, vec3(0.299, 0.587, 0.114));
    return mix(base, tint * (0.55 + 0.45 * shade), TintStrength);
}

// 4 x 4 ordered-dither threshold of this pixel, in (0, 1).
float screenDoorThreshold() {
    const float bayer[16] = float[](0.0, 8.0, 2.0, 10.0, 12.0, 4.0, 14.0, 6.0,
                                    3.0, 11.0, 1.0, 9.0, 15.0, 7.0, 13.0, 5.0);
    ivec2 cell = ivec2(gl_FragCoord.xy) & 3;
    return (bayer[cell.y * 4 + cell.x] + 0.5) / 16.0;
}

// The ball's normal at this pixel of a puff's square; pixels outside the ball are dropped.
vec3 puffNormal(vec3 toView) {
    float inPlane = dot(fs.normal, fs.normal);
    if (inPlane > 1.0) discard;
    return normalize(fs.normal + toView * sqrt(1.0 - inPlane));
}

// 0 = fully shadowed, 1 = lit. Outside the light's volume counts as lit.
float sunVisibility(vec3 normal, vec3 toLight) {
    vec3 projected = fs.lightSpacePosition.xyz / fs.lightSpacePosition.w * 0.5 + 0.5;
    if (projected.z > 1.0 || any(lessThan(projected.xy, vec2(0.0))) || any(greaterThan(projected.xy, vec2(1.0)))) {
        return 1.0;
    }
    // One map texel is ~0.056 world units and the depth range 80: tilt the bias with the slope
    // so the 3 x 3 taps do not shadow the surface they sample from.
    float cosine = clamp(dot(normal, toLight), 0.05, 1.0);
    float bias = clamp(BiasPerSlope * sqrt(1.0 - cosine * cosine) / cosine, MinBias, MaxBias);
    vec2 texel = 1.0 / vec2(textureSize(shadowMap, 0));
    float lit = 0.0;
    for (int x = -1; x <= 1; ++x) {
        for (int y = -1; y <= 1; ++y) {
            float closest = texture(shadowMap, projected.xy + vec2(x, y) * texel).r;
            lit += projected.z - bias > closest ? 0.0 : 1.0;
        }
    }
    return lit / 9.0;
}

void main() {
    vec3 normal = normalize(fs.normal);
    vec3 toLight = normalize(-sun.direction);
    vec3 toView = normalize(viewPosition - fs.worldPosition);
    if (!gl_FrontFacing) normal = -normal;
    if (particle == 1) normal = puffNormal(toView);

    vec4 texel = particle == 1 ? texture(texture_diffuse1, fs.texCoords)
                               : texture(material.texture_diffuse1, fs.texCoords);
    vec3 base = particle == 1 ? texel.rgb : tileTint(texel.rgb);

    float diffuseTerm = max(dot(normal, toLight), 0.0);
    vec3 halfway = normalize(toLight + toView);
    float shininess = max(material.shininess, 1.0);
    float specularTerm = diffuseTerm > 0.0 ? pow(max(dot(normal, halfway), 0.0), shininess * 2.0) : 0.0;

    vec3 ambient = sun.ambient * AmbientScale * base;
    vec3 diffuse = sun.diffuse * DiffuseScale * diffuseTerm * base;
    vec3 specular = sun.specular * SpecularScale * specularTerm * vec3(1.0);

    vec3 color;
    if (particle == 1) {
        // Smoke: soft, bright light, fading towards the puff's silhouette. The puffs are drawn
        // among the opaque objects and before the sky, so blending would mix them with
        // whatever is still black behind them: see-through comes from dropping a screen-door
        // pattern of fragments instead, and what stays is opaque.
        color = base * (0.65 + 0.35 * diffuseTerm);
        float facing = abs(dot(normal, toView));
        float coverage = SmokeAlpha * smoothstep(0.05, 0.7, facing);
        if (coverage <= screenDoorThreshold()) discard;
    } else {
        float visible = sunVisibility(normal, toLight);
        vec3 reflected = texture(skyBox, reflect(-toView, normal)).rgb;
        color = ambient + visible * (diffuse + specular) + ReflectionAmount * reflected;
    }

    float g = gamma > 0.0 ? gamma : 1.0;
    fragColor = vec4(pow(clamp(color, 0.0, 1.0), vec3(1.0 / g)), 1.0);
}
