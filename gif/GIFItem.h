#pragma once
// Base classes of the GIF object tree: items that read and write themselves,
// and owning ordered lists of items.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TStream;
class TGIFImage;

// File versions, ordered: unknown < 87a < 89a.
enum TGIFVersion : int { gvUnknown = 0, gv87a = 1, gv89a = 2 };

// Common root of everything that can send a warning (items, lists, color maps).
class TGIFPersistent {
public:
    virtual ~TGIFPersistent() = default;
};

// Rendering state that a frame or an image caches (bitmap, mask, palette).
// The renderer derives its own cache from this; the model only drops it
// whenever pixels, size or colors change.
class TGIFRenderCache {
public:
    virtual ~TGIFRenderCache() = default;
};

// Anything read from and written to a GIF stream; knows its owning image.
class TGIFItem : public TGIFPersistent {
public:
    explicit TGIFItem(TGIFImage* image) : fImage(image) {}
    TGIFItem(const TGIFItem&) = delete;
    TGIFItem& operator=(const TGIFItem&) = delete;

    TGIFImage* Image() const { return fImage; }
    virtual int RequiredVersion() const { return gv87a; }
    // Forwards to the owning image's warning slot (nothing without an image).
    virtual void Warn(int severity, const std::string& message) const;
    virtual void WriteTo(TStream& stream) = 0;
    virtual void ReadFrom(TStream& stream) = 0;
    void SaveToFile(const std::string& path);
    void LoadFromFile(const std::string& path);

protected:
    TGIFImage* fImage;
};

// Ordered list that owns its items. Delete destroys, Remove unlinks.
template <class T>
class TGIFList : public TGIFPersistent {
public:
    explicit TGIFList(TGIFImage* image) : fImage(image) {}
    ~TGIFList() override { Clear(); }
    TGIFList(const TGIFList&) = delete;
    TGIFList& operator=(const TGIFList&) = delete;

    TGIFImage* Image() const { return fImage; }
    int Count() const { return int(fItems.size()); }
    bool Empty() const { return fItems.empty(); }
    T* operator[](int index) const { return fItems.at(std::size_t(index)).get(); }
    T* Items(int index) const { return (*this)[index]; }
    T* First() const { return fItems.empty() ? nullptr : fItems.front().get(); }
    T* Last() const { return fItems.empty() ? nullptr : fItems.back().get(); }
    // Range-for yields std::unique_ptr<T>& (use ->).
    auto begin() const { return fItems.begin(); }
    auto end() const { return fItems.end(); }

    T* Add(std::unique_ptr<T> item)
    {
        fItems.push_back(std::move(item));
        return fItems.back().get();
    }
    T* Insert(int index, std::unique_ptr<T> item)
    {
        auto it = fItems.insert(fItems.begin() + index, std::move(item));
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
        std::unique_ptr<T> doomed = std::move(fItems.at(std::size_t(index)));
        fItems.erase(fItems.begin() + index);
        doomed.reset();
    }
    // Unlinks the item without destroying it; hands ownership back.
    std::unique_ptr<T> Remove(const T* item)
    {
        int index = IndexOf(item);
        if (index < 0) return nullptr;
        std::unique_ptr<T> owned = std::move(fItems[std::size_t(index)]);
        fItems.erase(fItems.begin() + index);
        return owned;
    }
    void Move(int from, int to)
    {
        std::unique_ptr<T> item = std::move(fItems.at(std::size_t(from)));
        fItems.erase(fItems.begin() + from);
        fItems.insert(fItems.begin() + to, std::move(item));
    }
    void Exchange(int a, int b) { std::swap(fItems.at(std::size_t(a)), fItems.at(std::size_t(b))); }
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

protected:
    TGIFImage* fImage;
    std::vector<std::unique_ptr<T>> fItems;
};
