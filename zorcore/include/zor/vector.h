// A sequence container whose operations are virtual, so that a module that receives one by
// reference uses the owner's code through the table of virtual functions. The slot order is
// shared with every module of the process, in both C++ ABIs (tests/vtable_layout_test.sh
// checks it): do not reorder, insert or remove operations.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <vector>

// Declares the overloads of one virtual operation, each in parentheses, in the order of their
// slots: Microsoft's ABI reverses a group's declaration order in the table, Itanium's keeps it.
#define ZOR_VTABLE_UNPAREN(...) __VA_ARGS__
#if defined(_MSC_VER)
#define ZOR_VTABLE_OVERLOADS_2(a, b) ZOR_VTABLE_UNPAREN b ZOR_VTABLE_UNPAREN a
#define ZOR_VTABLE_OVERLOADS_3(a, b, c) ZOR_VTABLE_UNPAREN c ZOR_VTABLE_UNPAREN b ZOR_VTABLE_UNPAREN a
#else
#define ZOR_VTABLE_OVERLOADS_2(a, b) ZOR_VTABLE_UNPAREN a ZOR_VTABLE_UNPAREN b
#define ZOR_VTABLE_OVERLOADS_3(a, b, c) ZOR_VTABLE_UNPAREN a ZOR_VTABLE_UNPAREN b ZOR_VTABLE_UNPAREN c
#endif
#define ZOR_VTABLE_PICK(_1, _2, _3, name, ...) name
#define ZOR_VTABLE_OVERLOADS(...) \
    ZOR_VTABLE_PICK(__VA_ARGS__, ZOR_VTABLE_OVERLOADS_3, ZOR_VTABLE_OVERLOADS_2, unused)(__VA_ARGS__)

namespace zor {

template <class T>
class vector : private std::vector<T> {
    using base = std::vector<T>;

public:
    using value_type = T;
    using size_type = typename base::size_type;
    using difference_type = typename base::difference_type;
    using reference = T&;
    using const_reference = const T&;
    using pointer = T*;
    using const_pointer = const T*;
    using iterator = typename base::iterator;
    using const_iterator = typename base::const_iterator;
    using reverse_iterator = typename base::reverse_iterator;
    using const_reverse_iterator = typename base::const_reverse_iterator;

    vector() = default;
    vector(const vector& other) : base(other) {}
    vector& operator=(const vector& other) {
        base::operator=(other);
        return *this;
    }

    // Slot numbers as every module counts them. Microsoft's C++ ABI lays the overloads of one
    // name out together, at the place of the first one declared, in reverse order of
    // declaration; Itanium's ABI in declaration order. Each overload group is declared through
    // ZOR_VTABLE_OVERLOADS, in the order of its slots, so that both ABIs give every operation
    // its slot.
    /* 0 */ virtual ~vector() {}
    /* 1 */ virtual void reserve(size_type count) {
        CheckLength(count);
        base::reserve(count);
    }
    /* 2 */ virtual size_type capacity() const { return base::capacity(); }
    ZOR_VTABLE_OVERLOADS(
        (/* 3 */ virtual const_iterator begin() const { return base::begin(); }),
        (/* 4 */ virtual iterator begin() { return base::begin(); }))
    ZOR_VTABLE_OVERLOADS(
        (/* 5 */ virtual const_iterator end() const { return base::end(); }),
        (/* 6 */ virtual iterator end() { return base::end(); }))
    ZOR_VTABLE_OVERLOADS(
        (/* 7 */ virtual const_reverse_iterator rbegin() const { return base::rbegin(); }),
        (/* 8 */ virtual reverse_iterator rbegin() { return base::rbegin(); }))
    ZOR_VTABLE_OVERLOADS(
        (/* 9 */ virtual const_reverse_iterator rend() const { return base::rend(); }),
        (/* 10 */ virtual reverse_iterator rend() { return base::rend(); }))
    ZOR_VTABLE_OVERLOADS(
        (/* 11 */ virtual void resize(size_type count, T fill) {
            CheckLength(count);
            base::resize(count, fill);
        }),
        (/* 12 */ virtual void resize(size_type count) {
            CheckLength(count);
            base::resize(count);
        }))
    /* 13 */ virtual size_type size() const { return base::size(); }
    /* 14 */ virtual size_type max_size() const { return base::max_size(); }
    /* 15 */ virtual bool empty() const { return base::empty(); }
    ZOR_VTABLE_OVERLOADS(
        (/* 16 */ virtual reference at(size_type index) { return base::operator[](CheckIndex(index)); }),
        (/* 17 */ virtual const_reference at(size_type index) const { return base::operator[](CheckIndex(index)); }))
    ZOR_VTABLE_OVERLOADS(
        (/* 18 */ virtual reference operator[](size_type index) { return base::operator[](CheckIndex(index)); }),
        (/* 19 */ virtual const_reference operator[](size_type index) const {
            return base::operator[](CheckIndex(index));
        }))
    // front and back require a non-empty vector.
    ZOR_VTABLE_OVERLOADS(
        (/* 20 */ virtual const_reference front() const { return base::front(); }),
        (/* 21 */ virtual reference front() { return base::front(); }))
    ZOR_VTABLE_OVERLOADS(
        (/* 22 */ virtual const_reference back() const { return base::back(); }),
        (/* 23 */ virtual reference back() { return base::back(); }))
    /* 24 */ virtual void push_back(const T& value) {
        CheckLength(base::size() + 1);
        base::push_back(value);
    }
    /* 25 */ virtual void pop_back() {
        if (!base::empty()) base::pop_back();
    }
    ZOR_VTABLE_OVERLOADS(
        (/* 26 */ virtual void assign(size_type count, const T& value) {
            CheckLength(count);
            base::assign(count, value);
        }),
        (/* 27 */ virtual void assign(const T* first, const T* last) {
            CheckLength(static_cast<size_type>(last - first));
            base::assign(first, last);
        }),
        (/* 28 */ virtual void assign(const_iterator first, const_iterator last) {
            CheckLength(static_cast<size_type>(last - first));
            base::assign(first, last);
        }))
    ZOR_VTABLE_OVERLOADS(
        (/* 29 */ virtual void insert(iterator position, const_iterator first, const_iterator last) {
            CheckGrowth(static_cast<size_type>(last - first));
            base::insert(position, first, last);
        }),
        (/* 30 */ virtual void insert(iterator position, size_type count, const T& value) {
            CheckGrowth(count);
            base::insert(position, count, value);
        }),
        (/* 31 */ virtual iterator insert(iterator position, const T& value) {
            CheckGrowth(1);
            return base::insert(position, value);
        }))
    ZOR_VTABLE_OVERLOADS(
        (/* 32 */ virtual iterator erase(iterator first, iterator last) { return base::erase(first, last); }),
        (/* 33 */ virtual iterator erase(iterator position) { return base::erase(position); }))
    /* 34 */ virtual void clear() { base::clear(); }

private:
    size_type CheckIndex(size_type index) const {
        if (index >= base::size()) throw std::out_of_range("invalid vector<T> subscript");
        return index;
    }
    void CheckLength(size_type count) const {
        if (count > base::max_size()) throw std::length_error("vector<T> too long");
    }
    void CheckGrowth(size_type extra) const {
        if (extra > base::max_size() - base::size()) throw std::length_error("vector<T> too long");
    }
};

}  // namespace zor
