// Element: the visual style every toolkit object carries (colours, font,
// bevel pens, brushes) and its link to the parent it inherits style from.
//
// Any attribute may be "inherited" (-1): the getters then ask the parent, so a
// child follows its parent's style until it sets a value of its own.  Pens
// and brushes are borrowed from the application's caches, never created here.
#pragma once

#include "foundation/TaggedObject.h"
#include "foundation/Win32.h"
#include "toolkit/Graphics.h"

class Element : public TaggedObject {
public:
    // The "inherited" value of colour, depth and relief attributes.
    static constexpr int inherited = -1;
    // The "inherited" value of the font attribute.
    static HFONT inheritedFont() { return reinterpret_cast<HFONT>(static_cast<INT_PTR>(-1)); }

    // Without a parent: the toolkit's default style (grey 0x404040, relief 70,
    // three bevel rings).  With a parent: every attribute inherited.
    explicit Element(Element* parent);

    // Virtual operations (after TaggedObject's setTypeTag).  Mouse operations
    // do nothing at this level; the setters store and rebuild derived GDI
    // objects.
    virtual void mouseDown(unsigned keys, int x, int y);
    virtual void mouseUp(unsigned keys, int x, int y);
    virtual void rightMouseDown(unsigned keys, int x, int y);
    virtual void rightMouseUp(unsigned keys, int x, int y);
    virtual void mouseMove(unsigned keys, int x, int y);
    virtual Element* parent() const;
    virtual void invalidate();
    virtual void setFaceColor(int colour);
    virtual void setFont(HFONT font);
    virtual void setTextColor(int colour);
    virtual void setDisabledTextColor(int colour);
    virtual void setBevelDepth(int depth);
    virtual void setBaseColor(int colour);
    virtual void setRelief(int relief);
    ~Element() override;

    // Resolved attributes: the own value, or the parent's when inherited.
    int baseColor() const;
    int faceColor() const;
    int textColor() const;
    int disabledTextColor() const;
    HFONT font() const;
    int bevelDepth() const;
    int relief() const;
    HBRUSH baseBrush() const;
    HBRUSH faceBrush() const;
    // Dotted pens for focus frames, from the nearest object that has them.
    HPEN shadowDotPen() const;
    HPEN highlightDotPen() const;
    // Bevel pens of the nearest object that owns a pen array (null when no
    // object up the chain has one), with the number of pairs in *count.
    const BevelPen* bevelPens(int* count = nullptr) const;

    // The object's own fields (-1 / inheritedFont() when inherited).
    int ownBaseColor() const { return baseColor_; }
    int ownFaceColor() const { return faceColor_; }
    int ownTextColor() const { return textColor_; }
    int ownDisabledTextColor() const { return disabledTextColor_; }
    HFONT ownFont() const { return font_; }
    int ownBevelDepth() const { return bevelDepth_; }
    int ownRelief() const { return relief_; }
    int ownBevelCount() const { return bevelCount_; }

    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;

protected:
    void rebuildBevelPens(int depth);

private:
    void releaseBevelPens();

    int baseColor_;
    int faceColor_;
    int textColor_;
    HFONT font_;
    int bevelDepth_;
    int bevelCount_;
    BevelPen* bevelPens_ = nullptr;
    HBRUSH baseBrush_ = nullptr;
    HBRUSH faceBrush_ = nullptr;
    HPEN shadowDotPen_ = nullptr;
    HPEN highlightDotPen_ = nullptr;
    int disabledTextColor_;
    int relief_;
    Element* parent_;
};
