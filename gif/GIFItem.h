#pragma once
// Base classes of the GIF object tree: the warning slot that items report
// to, items that read and write themselves, and owning ordered lists of items.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "gif/GIFException.h"
#include "gif/GIFFormat.h"

class TStream;

// Common root of everything that can send a warning (items, lists, color maps).
class TGIFPersistent {
public:
    virtual ~TGIFPersistent() = default;
};

// Where warnings go: the image's warning slot. Severity 1 is a warning.
class TGIFWarningSink {
public:
    virtual void Warn(const TGIFPersistent* sender, int severity, const std::string& message) const = 0;

protected:
    ~TGIFWarningSink() = default;
};

// Rendering state that a frame or an image caches (bitmap, mask, palette).
// The renderer derives its own cache from this; the model only drops it
// whenever pixels, size or colors change.
class TGIFRenderCache {
public:
    virtual ~TGIFRenderCache() = default;
};

// Anything read from and written to a GIF stream. Its warnings go to the sink
// it was made with (nowhere without one).
class TGIFItem : public TGIFPersistent {
public:
    explicit TGIFItem(const TGIFWarningSink* sink) : fSink(sink) {}
    TGIFItem(const TGIFItem&) = delete;
    TGIFItem& operator=(const TGIFItem&) = delete;

    virtual int RequiredVersion() const { return gv87a; }
    void Warn(int severity, const std::string& message) const
    {
        if (fSink) fSink->Warn(this, severity, message);
    }
    virtual void WriteTo(TStream& stream) = 0;
    virtual void ReadFrom(TStream& stream) = 0;

protected:
    const TGIFWarningSink* fSink;
};

// Ordered list that owns its items. Delete destroys an item; a bad index
// raises "List index out of bounds (<index>)".
template <class T>
class TGIFList : public TGIFPersistent {
public:
    explicit TGIFList(const TGIFWarningSink* sink) : fSink(sink) {}
    ~TGIFList() override { Clear(); }
    TGIFList(const TGIFList&) = delete;
    TGIFList& operator=(const TGIFList&) = delete;

    int Count() const { return int(fItems.size()); }
    bool Empty() const { return fItems.empty(); }
    T* operator[](int index) const { return fItems[CheckedIndex(index, fItems.size())].get(); }
    // Range-for yields std::unique_ptr<T>& (use ->).
    auto begin() const { return fItems.begin(); }
    auto end() const { return fItems.end(); }

    T* Add(std::unique_ptr<T> item)
    {
        fItems.push_back(std::move(item));
        return fItems.back().get();
    }
    // Index 0 .. Count().
    T* Insert(int index, std::unique_ptr<T> item)
    {
        auto it = fItems.insert(fItems.begin() + long(CheckedIndex(index, fItems.size() + 1)), std::move(item));
        return it->get();
    }
    int IndexOf(const T* item) const
    {
        for (std::size_t i = 0; i < fItems.size(); ++i)
            if (fItems[i].get() == item) return int(i);
        return -1;
    }
    // Removes the item at index from the list and destroys it.
    void Delete(int index)
    {
        const std::size_t at = CheckedIndex(index, fItems.size());
        std::unique_ptr<T> doomed = std::move(fItems[at]);
        fItems.erase(fItems.begin() + long(at));
        doomed.reset();
    }
    // Destroys every item, first to last.
    void Clear()
    {
        std::vector<std::unique_ptr<T>> doomed;
        doomed.swap(fItems);
        for (auto& item : doomed) item.reset();
    }
    // Writes every item in order.
    void WriteTo(TStream& stream) const
    {
        for (auto& item : fItems) item->WriteTo(stream);
    }
    void Warn(int severity, const std::string& message) const
    {
        if (fSink) fSink->Warn(this, severity, message);
    }

protected:
    static std::size_t CheckedIndex(int index, std::size_t limit)
    {
        if (index < 0 || std::size_t(index) >= limit)
            throw GIFException("List index out of bounds (" + std::to_string(index) + ")");
        return std::size_t(index);
    }

    const TGIFWarningSink* fSink;
    std::vector<std::unique_ptr<T>> fItems;
};
