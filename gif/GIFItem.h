#pragma once
// The owning ordered list that holds frames and extensions.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "gif/GIFException.h"
#include "gif/GIFFormat.h"

// Ordered list that owns its items. Delete destroys an item; a bad index
// raises "List index out of bounds (<index>)".
template <class T>
class TGIFList {
public:
    TGIFList() = default;
    TGIFList(const TGIFList&) = delete;
    TGIFList& operator=(const TGIFList&) = delete;
    TGIFList(TGIFList&&) = default;
    TGIFList& operator=(TGIFList&&) = default;

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
    }
    // Destroys every item, first to last.
    void Clear()
    {
        std::vector<std::unique_ptr<T>> doomed;
        doomed.swap(fItems);
        for (auto& item : doomed) item.reset();
    }

protected:
    static std::size_t CheckedIndex(int index, std::size_t limit)
    {
        if (index < 0 || std::size_t(index) >= limit)
            throw GIFException("List index out of bounds (" + std::to_string(index) + ")");
        return std::size_t(index);
    }

    std::vector<std::unique_ptr<T>> fItems;
};
