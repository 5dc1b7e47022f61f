#include "toolkit/ResourceCache.h"

#include "toolkit/DebugOutput.h"

#include <cstdio>

ResourceCache::ResourceCache(Kind kind) : kind_(kind) {}

ResourceCache::~ResourceCache() { reportLeaks(); }

ResourceCache::Node* ResourceCache::findColour(COLORREF colour) const {
    for (Node* n = head_; n; n = n->next)
        if (n->colour == colour) return n;
    return nullptr;
}

ResourceCache::Node* ResourceCache::findHandle(HGDIOBJ handle) const {
    for (Node* n = head_; n; n = n->next)
        if (n->handle == handle) return n;
    return nullptr;
}

HGDIOBJ ResourceCache::create(COLORREF colour) const {
    switch (kind_) {
    case SolidPen:
        return CreatePen(PS_SOLID, 0, colour);
    case DotPen:
        return CreatePen(PS_DOT, 1, colour);
    case Brush:
        return CreateSolidBrush(colour);
    }
    return nullptr;
}

HGDIOBJ ResourceCache::take(COLORREF colour) {
    if (Node* node = findColour(colour)) {
        ++node->references;
        return node->handle;
    }
    HGDIOBJ handle = create(colour);
    if (!handle) return nullptr;   // GDI exhausted: nothing cached, nothing to release
    Node* node = new Node{handle, colour, 1, head_, nullptr};
    if (head_) head_->previous = node;
    head_ = node;
    return handle;
}

void ResourceCache::unlink(Node* node) {
    if (node->previous)
        node->previous->next = node->next;
    else
        head_ = node->next;
    if (node->next) node->next->previous = node->previous;
}

void ResourceCache::release(HGDIOBJ handle) {
    Node* node = findHandle(handle);
    if (!node) {
        switch (kind_) {
        case SolidPen:
            debugOutput("DeletePen called for non-existing handle\n");
            break;
        case DotPen:
            debugOutput("DeleteDotPen called for non-existing handle\n");
            break;
        case Brush:
            debugOutput("DeleteBrush called for non-existing handle\n");
            break;
        }
        return;
    }
    if (node->references > 1) {
        --node->references;
        return;
    }
    DeleteObject(node->handle);
    unlink(node);
    delete node;
}

void ResourceCache::reportLeaks() {
    const char* label = kind_ == SolidPen ? "Pen=" : (kind_ == DotPen ? "DotPen=" : "Brush=");
    while (Node* node = head_) {
        char line[160];
        std::snprintf(line, sizeof(line), "Undeleted graphics resource: %s%lx, color=%06lx, refcount=%d\n",
                      label, static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(node->handle)),
                      static_cast<unsigned long>(node->colour), node->references);
        debugOutput(line);
        DeleteObject(node->handle);
        unlink(node);
        delete node;
    }
}

size_t ResourceCache::size() const {
    size_t n = 0;
    for (Node* node = head_; node; node = node->next) ++n;
    return n;
}

int ResourceCache::referenceCount(COLORREF colour) const {
    Node* node = findColour(colour);
    return node ? node->references : 0;
}

int ResourceCache::referenceCount(HGDIOBJ handle) const {
    Node* node = findHandle(handle);
    return node ? node->references : 0;
}
