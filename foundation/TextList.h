// TextList: ordered list of owned String entries on the growable pointer array.
// Every list in the program is made with 1024 initial and 0x40000 maximum
// entries (the defaults).  Also reads text into lines and writes CR LF files.
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
    String get(unsigned index) const;                 // index must be below count()
    void add(const String& text, unsigned position = (unsigned)-1);  // at/after the end appends
    void remove(unsigned index);                      // out of range does nothing
    void clear();
    void insertSorted(const String& text);            // strcmp order; duplicates kept
    void sort();
    void removeAdjacentDuplicates();
    void parseText(const char* characters, size_t length);
    int loadFile(const String& path);                 // 1 or 0 (Windows only)
    int saveFile(const String& path) const;           // 1 or 0 (Windows only)

    void* removeAt(unsigned index) override;          // also deletes the String
};
