// TextList: ordered list of owned String entries on the growable pointer array.
// Every list in the program is made with 1024 initial and 0x40000 maximum
// entries (the defaults).  Also reads text into lines and writes CR LF files.
//
// Each entry is a heap String owned by the list; adding copies the caller's
// String (sharing its text block), removing deletes the copy.  A list that is
// full drops further inserts; the insert operations return false then, so a
// caller that must not lose lines can tell.
#pragma once

#include "foundation/PointerArray.h"
#include "foundation/String.h"

class TextList : public PointerArray {
public:
    explicit TextList(unsigned initialEntries = 1024, unsigned maximumEntries = 0x40000);
    ~TextList() override;
    TextList(const TextList&) = delete;
    TextList& operator=(const TextList&) = delete;

    unsigned count() const;
    String get(unsigned index) const;   // index must be below count() ("" otherwise)
    // Inserts a copy at position; at/after the end (callers pass -1) appends.
    // False when the list is full: nothing was added.
    virtual bool add(const String& text, unsigned position = (unsigned)-1);
    void remove(unsigned index);   // out of range does nothing
    void clear();
    // Binary search in strcmp order on an already sorted list; a copy of a
    // text already present goes in front of the equal entry.  False when full.
    bool insertSorted(const String& text);
    void sort();
    void removeAdjacentDuplicates();
    // Appends the lines of the text (CR LF, lone CR and lone LF all break a
    // line; a trailing break adds no empty line).  False when the list filled
    // up and some lines were dropped.
    bool parseText(const char* characters, size_t length);
    // Replaces the contents with the lines of a text file; 1 or 0, and an
    // empty list on failure (missing, empty or unreadable file, or more lines
    // than the list holds).  Windows only.
    int loadFile(const String& path);
    // Writes every entry followed by CR LF; 1 or 0.  Windows only.
    int saveFile(const String& path) const;

    // Also deletes the String; returns null since nothing is left to own.
    void* removeAt(uint32_t index) override;

private:
    String* entry(unsigned index) const { return static_cast<String*>(at(index)); }
    void sortRange(unsigned lo, unsigned hi);
};
