// A growable array of object pointers with a count, a capacity and a grow
// step. KOwningList deletes its objects when cleared, resized down,
// overwritten or destroyed; KPtrList only refers to them.
#pragma once

#include <new>

namespace kx {

template <class T, bool Owning>
class KPtrListBase {
public:
    explicit KPtrListBase(int growStep = 32) : growStep_(growStep > 0 ? growStep : 1) {}
    ~KPtrListBase() { clear(); }
    KPtrListBase(const KPtrListBase&) = delete;
    KPtrListBase& operator=(const KPtrListBase&) = delete;

    // Appends at the end; false (and, for an owning list, the object deleted)
    // when the array cannot grow.
    bool add(T* item) {
        if (count_ == capacity_ && !reserve(capacity_ + growStep_)) {
            if constexpr (Owning)
                delete item;
            return false;
        }
        items_[count_++] = item;
        return true;
    }

    void clear() {
        if constexpr (Owning)
            for (int i = 0; i < count_; ++i)
                delete items_[i];
        delete[] items_;
        items_ = nullptr;
        count_ = capacity_ = 0;
    }

    // Null for an index outside 0..count-1.
    T* get(int index) const { return index >= 0 && index < count_ ? items_[index] : nullptr; }
    int count() const { return count_; }
    bool isEmpty() const { return count_ == 0; }

    // Makes the list n entries long; new entries hold `fill`. An owning list
    // deletes the objects of entries it drops. Does nothing for a negative n.
    bool resize(int n, T* fill = nullptr) {
        if (n < 0)
            return false;
        if (n > capacity_ && !reserve(n))
            return false;
        if constexpr (Owning)
            for (int i = n; i < count_; ++i)
                delete items_[i];
        for (int i = count_; i < n; ++i)
            items_[i] = fill;
        count_ = n;
        return true;
    }

    // Replaces entry `index`; an owning list deletes the object it held.
    // False for an index outside 0..count-1 (an owning list then deletes `item`).
    bool set(int index, T* item) {
        if (index < 0 || index >= count_) {
            if constexpr (Owning)
                delete item;
            return false;
        }
        if constexpr (Owning)
            if (items_[index] != item)
                delete items_[index];
        items_[index] = item;
        return true;
    }

    // Copies another list's pointers. Only a non-owning list may share objects.
    template <bool OtherOwning>
    bool assign(const KPtrListBase<T, OtherOwning>& other) requires(!Owning) {
        if (static_cast<const void*>(&other) == this)
            return true;
        count_ = 0;
        if (!resize(other.count()))
            return false;
        for (int i = 0; i < count_; ++i)
            items_[i] = other.get(i);
        return true;
    }

    int capacity() const { return capacity_; }

private:
    bool reserve(int capacity) {
        T** items = new (std::nothrow) T*[capacity];
        if (!items)
            return false;
        for (int i = 0; i < count_; ++i)
            items[i] = items_[i];
        delete[] items_;
        items_ = items;
        capacity_ = capacity;
        return true;
    }

    T** items_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
    int growStep_;
};

template <class T>
using KPtrList = KPtrListBase<T, false>;
template <class T>
using KOwningList = KPtrListBase<T, true>;

// The first object of the list whose isNamed answers true for `name`; null
// when the list or the name is null or no object matches. Empty entries are
// skipped.
template <class T, bool Owning>
T* findNamed(const KPtrListBase<T, Owning>* list, const char* name) {
    if (!list || !name)
        return nullptr;
    for (int i = 0; i < list->count(); ++i) {
        T* item = list->get(i);
        if (item && item->isNamed(name))
            return item;
    }
    return nullptr;
}

}  // namespace kx
