// Docking layout, geometry and the inherited visual style.
#include "toolkit/Graphics.h"

#include "Probe.h"

namespace {
struct Box {
    int x, y, width, height;
};
bool operator==(const Box& a, const Box& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}
std::ostream& operator<<(std::ostream& s, const Box& b) {
    return s << "(" << b.x << ", " << b.y << ", " << b.width << ", " << b.height << ")";
}
Box boxOf(Component* c) { return {c->x(), c->y(), c->width(), c->height()}; }
}   // namespace

TEST_F(WindowTest, DockingPlacesTopLeftAndFill) {
    Probe* top = new Probe(log, "top", hiddenPopupStyle, nullptr, 0, 0, 200, 100);
    ASSERT_EQ(top->clientWidth(), 200);
    ASSERT_EQ(top->clientHeight(), 100);
    Probe* header = new Probe(log, "header", childStyle, top->handle(), 0, 0, 10, 20);
    Probe* side = new Probe(log, "side", childStyle, top->handle(), 0, 0, 50, 10);
    Probe* body = new Probe(log, "body", childStyle, top->handle(), 0, 0, 10, 10);
    header->setDock(Dock::top);
    side->setDock(Dock::left);
    body->setDock(Dock::fill);
    EXPECT_EQ(boxOf(header), (Box{0, 0, 200, 20}));
    EXPECT_EQ(boxOf(side), (Box{0, 20, 50, 80}));
    EXPECT_EQ(boxOf(body), (Box{50, 20, 150, 80}));

    // A hidden child keeps its dock but no longer takes room.
    header->show(false);
    top->layout();
    EXPECT_EQ(boxOf(side), (Box{0, 0, 50, 100}));
    EXPECT_EQ(boxOf(body), (Box{50, 0, 150, 100}));

    // Resizing the parent lays the children out again.
    header->show(true);
    top->resize(300, 150);
    pumpMessages();
    EXPECT_EQ(boxOf(header), (Box{0, 0, 300, 20}));
    EXPECT_EQ(boxOf(body), (Box{50, 20, 250, 130}));
    delete top;
}

TEST_F(WindowTest, DockModesFiveAndSixSitBetweenTheSideColumns) {
    Probe* top = new Probe(log, "top", hiddenPopupStyle, nullptr, 0, 0, 200, 100);
    struct Row {
        const char* name;
        int dock;
        int width;
        int height;
        Box expected;
    };
    const Row rows[] = {
        {"bar", Dock::top, 10, 20, {0, 0, 200, 20}},
        {"status", Dock::bottom, 10, 5, {0, 95, 200, 5}},
        {"left", Dock::left, 50, 10, {0, 20, 50, 75}},
        {"right", Dock::right, 30, 10, {170, 20, 30, 75}},
        {"inner top", Dock::topInside, 10, 10, {50, 20, 120, 10}},
        {"inner bottom", Dock::bottomInside, 10, 15, {50, 80, 120, 15}},
        {"fill", Dock::fill, 10, 10, {50, 30, 120, 50}},
        {"loose", Dock::none, 10, 10, {3, 4, 10, 10}},
    };
    std::vector<Probe*> children;
    // Children docked in reverse order of the rows: placement follows the
    // modes' passes, not the order of docking.
    for (const Row& row : rows)
        children.push_back(new Probe(log, row.name, childStyle, top->handle(), 3, 4, row.width, row.height));
    for (size_t i = children.size(); i-- > 0;) children[i]->setDock(rows[i].dock);
    for (size_t i = 0; i < children.size(); ++i) {
        SCOPED_TRACE(rows[i].name);
        EXPECT_EQ(boxOf(children[i]), rows[i].expected);
    }
    delete top;
}

TEST_F(WindowTest, GeometryHelpersKeepOrAdjustTheStoredSize) {
    Probe* top = new Probe(log, "top", WS_POPUP | WS_CAPTION, nullptr, 10, 10, 200, 100);
    int frameX = top->width() - top->clientWidth();
    int frameY = top->height() - top->clientHeight();
    ASSERT_GT(frameY, 0) << "a caption makes the frame";
    top->setClientSize(120, 80);
    EXPECT_EQ(top->clientWidth(), 120);
    EXPECT_EQ(top->clientHeight(), 80);
    EXPECT_EQ(top->width(), 120 + frameX);
    top->resize(-1, 150);
    EXPECT_EQ(top->width(), 120 + frameX);
    EXPECT_EQ(top->height(), 150);

    Probe* a = new Probe(log, "a", childStyle, top->handle(), 5, 6, 30, 20);
    Probe* b = new Probe(log, "b", childStyle, top->handle(), 40, 2, 10, 50);
    (void)a;
    (void)b;
    top->fitToChildren(4, 3);
    EXPECT_EQ(top->clientWidth(), 54);
    EXPECT_EQ(top->clientHeight(), 55);
    log.clear();
    top->move(30, 40);
    EXPECT_EQ(top->x(), 30);
    EXPECT_EQ(top->y(), 40);
    EXPECT_SEQUENCE(log, {{"top", Op::moved, 30, 40}});
    delete top;
}

TEST_F(WindowTest, ChildFollowsInheritedStyleUntilItSetsItsOwn) {
    Probe* parent = new Probe(log, "parent", hiddenPopupStyle, nullptr, 0, 0, 100, 100);
    Probe* child = new Probe(log, "child", childStyle, parent->handle());
    Probe* grandchild = new Probe(log, "grandchild", childStyle, child->handle());
    HFONT fontA = createFont(-11, "Arial", false, false, false, false, 0, ANSI_CHARSET);
    HFONT fontB = createFont(-15, "Arial", true, false, false, false, 0, ANSI_CHARSET);

    struct Row {
        const char* name;
        void (*set)(Component*, int);
        long (*get)(Component*);
        int first, second, own;
    };
    HFONT fonts[] = {fontA, fontB, nullptr};
    static HFONT* fontTable = nullptr;
    fontTable = fonts;
    const Row rows[] = {
        {"textColor", [](Component* c, int v) { c->setTextColor(v); },
         [](Component* c) { return static_cast<long>(c->textColor()); }, 0x111111, 0x222222, 0x333333},
        {"faceColor", [](Component* c, int v) { c->setFaceColor(v); },
         [](Component* c) { return static_cast<long>(c->faceColor()); }, 0x111111, 0x222222, 0x333333},
        {"disabledTextColor", [](Component* c, int v) { c->setDisabledTextColor(v); },
         [](Component* c) { return static_cast<long>(c->disabledTextColor()); }, 0x111111, 0x222222,
         0x333333},
        {"baseColor", [](Component* c, int v) { c->setBaseColor(v); },
         [](Component* c) { return static_cast<long>(c->baseColor()); }, 0x111111, 0x222222, 0x333333},
        {"relief", [](Component* c, int v) { c->setRelief(v); },
         [](Component* c) { return static_cast<long>(c->relief()); }, 10, 200, 90},
        {"bevelDepth", [](Component* c, int v) { c->setBevelDepth(v); },
         [](Component* c) { return static_cast<long>(c->bevelDepth()); }, 2, 5, 4},
        {"font", [](Component* c, int v) { c->setFont(fontTable[v]); },
         [](Component* c) {
             HFONT f = c->font();
             for (int i = 0; i < 3; ++i)
                 if (fontTable[i] == f) return static_cast<long>(i);
             return -1L;
         },
         0, 1, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.set(parent, row.first);
        EXPECT_EQ(row.get(child), row.first);
        EXPECT_EQ(row.get(grandchild), row.first);
        row.set(child, row.own);
        row.set(parent, row.second);
        EXPECT_EQ(row.get(parent), row.second);
        EXPECT_EQ(row.get(child), row.own) << "an own value is kept";
        EXPECT_EQ(row.get(grandchild), row.own) << "and inherited further down";
    }
    EXPECT_GT(child->textHeight(), 0);
    delete parent;
    DeleteObject(fontA);
    DeleteObject(fontB);
}

TEST_F(WindowTest, InheritedBevelPensFollowTheParentAndMatchTheResolvedDepth) {
    Probe* parent = new Probe(log, "parent", hiddenPopupStyle, nullptr, 0, 0, 100, 100);
    Probe* child = new Probe(log, "child", childStyle, parent->handle());
    int count = 0;
    EXPECT_EQ(child->bevelPens(&count), parent->bevelPens(nullptr)) << "no own pens while all is inherited";
    EXPECT_EQ(count, 3);

    child->setBaseColor(0x808080);   // own base colour, inherited depth
    child->bevelPens(&count);
    EXPECT_EQ(count, 3);
    parent->setBevelDepth(6);
    const BevelPen* pens = child->bevelPens(&count);
    EXPECT_EQ(count, 6) << "the pen array grows with the inherited depth it is drawn with";
    LOGPEN lp{};
    ASSERT_TRUE(GetObjectA(pens[0].light, sizeof(lp), &lp));
    EXPECT_EQ(lp.lopnColor, adjust(0x808080, 70.0 / 255.0));
    delete parent;
}
