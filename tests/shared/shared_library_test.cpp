// Links libscheme.so instead of the static copy: the kinds must be registered by the shared
// library's own start-up.
#include <gtest/gtest.h>

#include "scheme/model/class_registry.h"
#include "scheme/platform/types.h"

TEST(SharedLibrary, ConvertsPointsThroughExportedFunctions) {
    EXPECT_EQ(scheme::PointExt2Point(scheme::PointExt(2.5, -3.5)), scheme::Point(2, -4));
}

TEST(SharedLibrary, RegistersEveryKindAtStartUp) {
    for (const char* Name : {"TSchemeLayer", "TSchemeBox", "TSchemeShape", "TSchemePolygon",
                             "TSchemeLine", "TSchemeText", "TSchemePicture", "TSchemeLink",
                             "TSchemePolyline", "TSchemeInternalPicture"})
        EXPECT_TRUE(scheme::RegistredSchemeClass(QString::fromLatin1(Name))) << Name;
}
