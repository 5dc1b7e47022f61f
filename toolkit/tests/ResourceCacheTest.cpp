#include "toolkit/ResourceCache.h"

#include "TestSupport.h"

#include <cstdio>

TEST(ResourceCache, SharesOneObjectPerColourAndDeletesOnLastRelease) {
    ResourceCache brushes(ResourceCache::Brush);
    HGDIOBJ first = brushes.take(0x404040);
    HGDIOBJ second = brushes.take(0x404040);
    HGDIOBJ other = brushes.take(0x808080);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_NE(first, other);
    EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(brushes.size(), 2u);
    EXPECT_EQ(brushes.referenceCount(0x404040), 2);

    brushes.release(first);
    EXPECT_EQ(brushes.size(), 2u);
    EXPECT_EQ(brushes.referenceCount(0x404040), 1);
    EXPECT_NE(GetObjectType(first), 0u) << "still in use by the second holder";

    brushes.release(second);
    EXPECT_EQ(brushes.referenceCount(0x404040), 0);
    EXPECT_EQ(GetObjectType(first), 0u) << "the GDI object must be deleted";
    brushes.release(other);
    EXPECT_EQ(brushes.size(), 0u);
}

TEST(ResourceCache, CreatesTheRightKindOfObject) {
    ResourceCache pens(ResourceCache::SolidPen), dots(ResourceCache::DotPen);
    HGDIOBJ solid = pens.take(0x00ff00);
    HGDIOBJ dotted = dots.take(0x00ff00);
    LOGPEN lp{};
    ASSERT_TRUE(GetObjectA(solid, sizeof(lp), &lp));
    EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_SOLID));
    EXPECT_EQ(lp.lopnColor, 0x00ff00u);
    ASSERT_TRUE(GetObjectA(dotted, sizeof(lp), &lp));
    EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DOT));
    pens.release(solid);
    dots.release(dotted);
}

TEST(ResourceCache, ReleasingAnUnknownHandleIsReportedOnceAndChangesNothing) {
    struct Row {
        ResourceCache::Kind kind;
        const char* message;
    };
    const Row rows[] = {
        {ResourceCache::SolidPen, "DeletePen called for non-existing handle\n"},
        {ResourceCache::DotPen, "DeleteDotPen called for non-existing handle\n"},
        {ResourceCache::Brush, "DeleteBrush called for non-existing handle\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        ResourceCache cache(row.kind);
        HGDIOBJ held = cache.take(0x123456);
        HPEN foreign = CreatePen(PS_SOLID, 0, 0x654321);
        DebugCapture capture;
        cache.release(foreign);
        ASSERT_EQ(capture.lines().size(), 1u);
        EXPECT_EQ(capture.lines()[0], row.message);
        EXPECT_EQ(cache.referenceCount(held), 1);
        EXPECT_NE(GetObjectType(foreign), 0u) << "a foreign object is not deleted";
        DeleteObject(foreign);
        cache.release(held);
    }
}

TEST(ResourceCache, LeakReportNamesEachRemainingObjectAndFreesIt) {
    struct Row {
        ResourceCache::Kind kind;
        const char* label;
    };
    const Row rows[] = {
        {ResourceCache::SolidPen, "Pen="},
        {ResourceCache::Brush, "Brush="},
        {ResourceCache::DotPen, "DotPen="},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        ResourceCache cache(row.kind);
        HGDIOBJ leaked = cache.take(0xff00);
        cache.take(0xff00);
        DebugCapture capture;
        cache.reportLeaks();
        char expected[128];
        std::snprintf(expected, sizeof(expected),
                      "Undeleted graphics resource: %s%lx, color=00ff00, refcount=2\n", row.label,
                      static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(leaked)));
        ASSERT_EQ(capture.lines().size(), 1u);
        EXPECT_EQ(capture.lines()[0], expected);
        EXPECT_EQ(cache.size(), 0u);
        EXPECT_EQ(GetObjectType(leaked), 0u);
    }
}

TEST(ResourceCache, ApplicationLeakReportOrderIsPensBrushesDottedPens) {
    destroyApplication();
    ApplicationContext& app = application();
    app.dotPen(0x0000ff);
    app.brush(0x00ff00);
    app.pen(0xff0000);
    DebugCapture capture;
    destroyApplication();
    ASSERT_EQ(capture.lines().size(), 3u);
    EXPECT_EQ(capture.lines()[0].find("Undeleted graphics resource: Pen="), 0u);
    EXPECT_NE(capture.lines()[0].find("color=ff0000, refcount=1\n"), std::string::npos);
    EXPECT_EQ(capture.lines()[1].find("Undeleted graphics resource: Brush="), 0u);
    EXPECT_EQ(capture.lines()[2].find("Undeleted graphics resource: DotPen="), 0u);
    EXPECT_NE(capture.lines()[2].find("color=0000ff"), std::string::npos);
}
