// The matrices fixed at start-up: the camera projection and the sun's view and projection.
// NOTE: kept apart from the settings tests: Globals.h's `platform` pointer clashes with
// the platform namespace.
#include <gtest/gtest.h>

#include "app/CameraProjection.h"
#include "app/Globals.h"

namespace {

TEST(StartupMatrices, CameraProjectionFor1280x768) {
    const glm::mat4 p = CameraProjection(1280, 768);
    EXPECT_NEAR(p[0][0], 1.0392305f, 1e-6f);
    EXPECT_NEAR(p[1][1], 1.7320509f, 1e-6f);
    EXPECT_NEAR(p[2][2], -1.00002f, 1e-6f);
    EXPECT_FLOAT_EQ(p[2][3], -1.0f);
    EXPECT_NEAR(p[3][2], -0.0200002f, 1e-7f);
    EXPECT_FLOAT_EQ(p[3][3], 0.0f);
    EXPECT_FLOAT_EQ(p[0][1], 0.0f);
    EXPECT_FLOAT_EQ(p[2][0], 0.0f);
}

TEST(StartupMatrices, SunMatricesAreReadyBeforeMain) {
    // lookAt from (2, 2, 0) to the origin, up +y.
    EXPECT_NEAR(lightView[2][0], -1.0f, 1e-6f);
    EXPECT_NEAR(lightView[0][1], -0.70710677f, 1e-6f);
    EXPECT_NEAR(lightView[1][1], 0.70710677f, 1e-6f);
    EXPECT_NEAR(lightView[0][2], 0.70710677f, 1e-6f);
    EXPECT_NEAR(lightView[1][2], 0.70710677f, 1e-6f);
    EXPECT_NEAR(lightView[3][2], -2.8284271f, 1e-5f);
    EXPECT_NEAR(lightView[3][0], 0.0f, 1e-6f);
    EXPECT_NEAR(lightView[3][1], 0.0f, 1e-6f);

    EXPECT_FLOAT_EQ(lightProjection[0][0], 1.0f / 140.0f);
    EXPECT_FLOAT_EQ(lightProjection[1][1], 1.0f / 140.0f);
    EXPECT_FLOAT_EQ(lightProjection[2][2], -0.025f);
    EXPECT_EQ(lightProjection[3], glm::vec4(0.0f, 0.0f, 0.0f, 1.0f));
}

}  // namespace
