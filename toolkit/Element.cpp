#include "toolkit/Element.h"

#include "toolkit/ApplicationContext.h"

namespace {
constexpr int defaultBaseColor = 0x404040;
constexpr int defaultRelief = 70;
constexpr int defaultDepth = 3;
}   // namespace

Element::Element(Element* parent) : parent_(parent) {
    if (parent) {
        baseColor_ = inherited;
        faceColor_ = inherited;
        textColor_ = inherited;
        font_ = inheritedFont();
        bevelDepth_ = inherited;
        disabledTextColor_ = inherited;
        relief_ = inherited;
        bevelCount_ = parent->bevelDepth();
        return;
    }
    baseColor_ = defaultBaseColor;
    relief_ = defaultRelief;
    faceColor_ = inherited;
    textColor_ = 0;
    font_ = nullptr;
    disabledTextColor_ = 0x808080;
    bevelDepth_ = inherited;
    bevelCount_ = 0;
    setBevelDepth(defaultDepth);
    // The face is the base lightened by two thirds of the relief.
    unsigned q = (static_cast<unsigned>(defaultRelief) * 2) / 3;
    setFaceColor(static_cast<int>(adjust(defaultBaseColor, q / 255.0)));
    setBaseColor(defaultBaseColor);
}

Element::~Element() {
    ApplicationContext& app = application();
    if (baseBrush_) app.releaseBrush(baseBrush_);
    if (faceBrush_) app.releaseBrush(faceBrush_);
    if (shadowDotPen_) app.releaseDotPen(shadowDotPen_);
    if (highlightDotPen_) app.releaseDotPen(highlightDotPen_);
    baseBrush_ = faceBrush_ = nullptr;
    shadowDotPen_ = highlightDotPen_ = nullptr;
    releaseBevelPens();
    delete[] bevelPens_;
    bevelPens_ = nullptr;
    baseColor_ = bevelDepth_ = relief_ = inherited;
}

void Element::mouseDown(unsigned, int, int) {}
void Element::mouseUp(unsigned, int, int) {}
void Element::rightMouseDown(unsigned, int, int) {}
void Element::rightMouseUp(unsigned, int, int) {}
void Element::mouseMove(unsigned, int, int) {}
Element* Element::parent() const { return parent_; }
void Element::invalidate() {}

void Element::setFaceColor(int colour) {
    faceColor_ = colour;
    if (faceBrush_) application().releaseBrush(faceBrush_);
    faceBrush_ = nullptr;
    if (colour != inherited) faceBrush_ = application().brush(static_cast<COLORREF>(colour));
}

void Element::setFont(HFONT font) { font_ = font; }
void Element::setTextColor(int colour) { textColor_ = colour; }
void Element::setDisabledTextColor(int colour) { disabledTextColor_ = colour; }

void Element::setBevelDepth(int depth) {
    if (!(depth == inherited && parent_)) {
        // Compared unsigned: any negative depth counts as huge and becomes 100.
        if (static_cast<unsigned>(depth) > 100u)
            depth = 100;
        else if (depth == 0)
            depth = 1;
    }
    rebuildBevelPens(depth);
}

void Element::setBaseColor(int colour) {
    ApplicationContext& app = application();
    baseColor_ = colour;
    rebuildBevelPens(bevelDepth_);
    if (baseBrush_) app.releaseBrush(baseBrush_);
    if (shadowDotPen_) app.releaseDotPen(shadowDotPen_);
    if (highlightDotPen_) app.releaseDotPen(highlightDotPen_);
    baseBrush_ = nullptr;
    shadowDotPen_ = highlightDotPen_ = nullptr;
    if (colour == inherited && parent_) return;
    COLORREF base = static_cast<COLORREF>(baseColor());
    shadowDotPen_ = app.dotPen(adjust(base, -0.4));
    highlightDotPen_ = app.dotPen(adjust(base, 0.4));
    baseBrush_ = app.brush(base);
}

void Element::setRelief(int relief) {
    relief_ = relief;
    rebuildBevelPens(bevelDepth_);
}

void Element::releaseBevelPens() {
    if (!bevelPens_) return;
    ApplicationContext& app = application();
    for (int i = 0; i < bevelCount_; ++i) {
        if (bevelPens_[i].light) app.releasePen(bevelPens_[i].light);
        if (bevelPens_[i].dark) app.releasePen(bevelPens_[i].dark);
        bevelPens_[i].light = bevelPens_[i].dark = nullptr;
    }
}

void Element::rebuildBevelPens(int depth) {
    releaseBevelPens();
    const bool depthChanged = depth != bevelDepth_;
    bevelDepth_ = depth;
    if (baseColor_ == inherited && depth == inherited && relief_ == inherited) {
        // Everything inherited: the parent's pens serve.
        delete[] bevelPens_;
        bevelPens_ = nullptr;
        bevelCount_ = 0;
        return;
    }
    // The array is sized by the resolved depth.  An inherited depth can change
    // under us (the parent's depth changed) without our own value changing, so
    // the array is re-sized whenever it no longer matches the resolved depth;
    // drawing reads bevelDepth() rings from it.
    int count = bevelDepth();
    if (count < 0) count = 0;
    if (depthChanged || !bevelPens_ || bevelCount_ != count) {
        delete[] bevelPens_;
        bevelCount_ = count;
        bevelPens_ = new BevelPen[count > 0 ? count : 1]();
    }
    ApplicationContext& app = application();
    const COLORREF base = static_cast<COLORREF>(baseColor());
    const unsigned r = static_cast<unsigned>(relief()) & 0xFF;
    const int n = bevelCount_;
    for (int i = 0; i < n; ++i) {
        double f = static_cast<double>(r) * (n - i) / (static_cast<double>(n) * 255.0);
        bevelPens_[i].light = app.pen(adjust(base, f));
        bevelPens_[i].dark = app.pen(adjust(base, -f));
    }
}

int Element::baseColor() const {
    return baseColor_ == inherited && parent_ ? parent_->baseColor() : baseColor_;
}
int Element::faceColor() const {
    return faceColor_ == inherited && parent_ ? parent_->faceColor() : faceColor_;
}
int Element::textColor() const {
    return textColor_ == inherited && parent_ ? parent_->textColor() : textColor_;
}
int Element::disabledTextColor() const {
    return disabledTextColor_ == inherited && parent_ ? parent_->disabledTextColor() : disabledTextColor_;
}
HFONT Element::font() const { return font_ == inheritedFont() && parent_ ? parent_->font() : font_; }
int Element::bevelDepth() const {
    return bevelDepth_ == inherited && parent_ ? parent_->bevelDepth() : bevelDepth_;
}
int Element::relief() const { return relief_ == inherited && parent_ ? parent_->relief() : relief_; }
HBRUSH Element::baseBrush() const { return !baseBrush_ && parent_ ? parent_->baseBrush() : baseBrush_; }
HBRUSH Element::faceBrush() const { return !faceBrush_ && parent_ ? parent_->faceBrush() : faceBrush_; }
HPEN Element::shadowDotPen() const {
    return !shadowDotPen_ && parent_ ? parent_->shadowDotPen() : shadowDotPen_;
}
HPEN Element::highlightDotPen() const {
    return !highlightDotPen_ && parent_ ? parent_->highlightDotPen() : highlightDotPen_;
}
const BevelPen* Element::bevelPens(int* count) const {
    if (!bevelPens_ && parent_) return parent_->bevelPens(count);
    if (count) *count = bevelPens_ ? bevelCount_ : 0;
    return bevelPens_;
}
