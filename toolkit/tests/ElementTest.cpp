// Style defaults, depth clamping and bevel pens of the Element level.
#include "toolkit/Callback.h"
#include "toolkit/Element.h"
#include "toolkit/Graphics.h"

#include "TestSupport.h"

namespace {
COLORREF penColour(HPEN pen) {
    LOGPEN lp{};
    GetObjectA(pen, sizeof(lp), &lp);
    return lp.lopnColor;
}
COLORREF brushColour(HBRUSH brush) {
    LOGBRUSH lb{};
    GetObjectA(brush, sizeof(lb), &lb);
    return lb.lbColor;
}
}   // namespace

TEST(Element, RootDefaults) {
    {
        Element root(nullptr);
        EXPECT_EQ(root.typeTag(), 0u);
        EXPECT_EQ(root.baseColor(), 0x404040);
        EXPECT_EQ(root.faceColor(), 0x626262);
        EXPECT_EQ(root.textColor(), 0);
        EXPECT_EQ(root.disabledTextColor(), 0x808080);
        EXPECT_EQ(root.font(), nullptr);
        EXPECT_EQ(root.bevelDepth(), 3);
        EXPECT_EQ(root.relief(), 70);
        EXPECT_EQ(brushColour(root.baseBrush()), 0x404040u);
        EXPECT_EQ(brushColour(root.faceBrush()), 0x626262u);
        EXPECT_EQ(penColour(root.shadowDotPen()), adjust(0x404040, -0.4));
        EXPECT_EQ(penColour(root.highlightDotPen()), adjust(0x404040, 0.4));

        Element child(&root);
        EXPECT_EQ(child.ownBaseColor(), Element::inherited);
        EXPECT_EQ(child.ownFont(), Element::inheritedFont());
        EXPECT_EQ(child.ownBevelCount(), 3) << "set from the parent's depth";
        EXPECT_EQ(child.baseBrush(), root.baseBrush());
        EXPECT_EQ(child.faceColor(), 0x626262);
    }
    EXPECT_EQ(cachedObjects(), 0u);
}

TEST(Element, BevelFactorsFallLinearlyFromTheOuterRing) {
    {
        Element root(nullptr);   // relief 70, depth 3
        int count = 0;
        const BevelPen* pens = root.bevelPens(&count);
        ASSERT_EQ(count, 3);
        const double factors[] = {70.0 / 255, 70.0 * 2 / (3 * 255), 70.0 / (3 * 255)};
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(penColour(pens[i].light), adjust(0x404040, factors[i]));
            EXPECT_EQ(penColour(pens[i].dark), adjust(0x404040, -factors[i]));
        }
        // Concretely: the outer ring is 0x404040 lightened/darkened by 70/255.
        EXPECT_EQ(penColour(pens[0].light), 0x747474u);
        EXPECT_EQ(penColour(pens[0].dark), 0x2f2f2fu);
    }
    EXPECT_EQ(cachedObjects(), 0u);
}

TEST(Element, BevelDepthIsClamped) {
    {
        Element root(nullptr);
        Element child(&root);
        struct Row {
            Element* target;
            int depth;
            int expected;
            const char* what;
        };
        const Row rows[] = {
            {&root, 0, 1, "0 becomes 1"},
            {&root, 500, 100, "above 100 becomes 100"},
            {&root, 100, 100, "100 stays"},
            {&root, 1, 1, "1 stays"},
            {&root, -1, 100, "-1 on a root counts as huge"},
            {&root, -7, 100, "any negative value too"},
            {&child, -1, 100, "-1 on a child inherits"},
            {&child, 0, 1, "a child clamps like a root"},
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.what);
            row.target->setBevelDepth(row.depth);
            EXPECT_EQ(row.target->bevelDepth(), row.expected);
            int count = 0;
            row.target->bevelPens(&count);
            EXPECT_EQ(count, row.expected);
        }
        root.setBevelDepth(4);
        child.setBevelDepth(-1);
        EXPECT_EQ(child.bevelDepth(), 4);
    }
    EXPECT_EQ(cachedObjects(), 0u);
}

TEST(Element, SettersShareCachedObjectsAndGiveThemBack) {
    ApplicationContext& app = application();
    {
        Element root(nullptr);
        Element a(&root), b(&root);
        a.setFaceColor(0x00ff00);
        b.setFaceColor(0x00ff00);
        EXPECT_EQ(a.faceBrush(), b.faceBrush());
        EXPECT_EQ(app.brushCache().referenceCount(0x00ff00u), 2);
        a.setFaceColor(Element::inherited);
        EXPECT_EQ(a.faceBrush(), root.faceBrush());
        EXPECT_EQ(app.brushCache().referenceCount(0x00ff00u), 1);
        b.setBaseColor(0x102030);
        EXPECT_EQ(brushColour(b.baseBrush()), 0x102030u);
        b.setBaseColor(Element::inherited);
        EXPECT_EQ(b.baseBrush(), root.baseBrush());
        EXPECT_EQ(b.shadowDotPen(), root.shadowDotPen());
    }
    EXPECT_EQ(cachedObjects(), 0u);
}

static testing::Environment* const cachesEmpty = testing::AddGlobalTestEnvironment(new CachesEmptyAtEnd);

namespace {
struct Base {
    int calls = 0;
    int last = 0;
    virtual ~Base() = default;
    void take(int v) {
        ++calls;
        last = v;
    }
    virtual void hook(int v) { take(v); }
};
struct Other {
    int pad[3] = {1, 2, 3};
};
// Multiple inheritance moves the Base part away from the object's start.
struct Derived : Other, Base {
    void hook(int v) override { take(v * 10); }
};
}   // namespace

TEST(Callback, CallsTheBoundMemberAndNothingWhenUnbound) {
    Callback<int> callback;
    EXPECT_FALSE(callback.isBound());
    callback(1);   // unbound: nothing happens

    Derived target;
    callback.bind(&target, &Base::take);   // a base-class method of the target
    EXPECT_TRUE(callback.isBound());
    callback(5);
    EXPECT_EQ(target.calls, 1);
    EXPECT_EQ(target.last, 5);

    callback.bind(&target, &Base::hook);   // virtual: the override runs
    callback(2);
    EXPECT_EQ(target.last, 20);

    callback.clear();
    callback(7);
    EXPECT_EQ(target.calls, 2);

    callback.bind(static_cast<Derived*>(nullptr), &Base::take);
    EXPECT_FALSE(callback.isBound()) << "binding a null target leaves it unbound";
}
