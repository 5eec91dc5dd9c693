// Multi-slot signals: an ordered list of functions, all called on Emit. Host and plugins
// compile this header alike: the order of the virtual operations is shared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <new>

#include "event/Function.h"

namespace zor {

template <class R>
struct LastValue;

// Combiner of signals whose functions return nothing.
template <>
struct LastValue<void> {
    using result_type = void;
};

template <class Sig, class Combiner = LastValue<void>>
class Signal;

template <class... Args>
class Signal<void(Args...), LastValue<void>> {
public:
    using FunctionType = Function<void(Args...)>;

    Signal() = default;
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    virtual ~Signal() {}

    // Calls every function connected when the emission starts, in connection order. The
    // emission walks clones of their invokers, so functions may connect or disconnect from
    // inside a call; up to kInlineSlots clones are held on the stack.
    virtual void Emit(Args... args) {
        // Short, so that where the signal's type is known (a signal held by value) the check
        // for no functions is made in place, without a call.
        if (!functions_.empty()) EmitToAll(args...);
    }
    virtual void DisconnectAll() { functions_.clear(); }
    // Refuses (false) a function equal to one already connected.
    virtual bool Connect(FunctionType f) {
        for (const FunctionType& held : functions_) {
            if (held == f) return false;
        }
        functions_.push_back(f);
        return true;
    }
    // Removes the first function equal to f, if any.
    virtual void Disconnect(FunctionType f) {
        for (auto it = functions_.begin(); it != functions_.end(); ++it) {
            if (*it == f) {
                functions_.erase(it);
                return;
            }
        }
    }
    virtual void operator+=(FunctionType f) { Connect(f); }
    virtual void operator-=(FunctionType f) { Disconnect(f); }
    virtual int32_t Count() const { return static_cast<int32_t>(functions_.size()); }

    static constexpr size_t kInlineSlots = 64;

private:
    using Invoker = function::Invoker<void(Args...)>;

    // Up to this many functions, an emission clones them from the invoker storage; more are
    // offered places in the emission's own frame (see Snapshot).
    static constexpr size_t kFewSlots = 2;

    void EmitToAll(Args... args) {
        const size_t count = functions_.size();
        if (count > kFewSlots) return EmitToMany(args...);
        // A few: their clones come from the invoker storage.
        Invoker* clones[kFewSlots] = {};
        size_t made = 0;
        struct Ender {
            Invoker** clones;
            size_t& made;
            ~Ender() {
                while (made > 0) {
                    if (Invoker* clone = clones[--made]) clone->Destroy();
                }
            }
        } ender{clones, made};
        for (const FunctionType& f : functions_) {
            const Invoker* held = f.GetInvoker();
            clones[made++] = held ? held->Clone() : nullptr;
        }
        for (size_t i = 0; i < count; ++i) {
            if (clones[i]) clones[i]->Invoke(args...);
        }
    }

    void EmitToMany(Args... args) {
        Snapshot snapshot(functions_);
        for (Invoker* const* it = snapshot.begin(), * const* end = snapshot.end(); it != end; ++it) {
            if (*it) (*it)->Invoke(args...);
        }
    }

    // Clones of the held functions' invokers, in order (null for an empty function), owned
    // until the emission ends. Clones made by this module's code take the snapshot's places in
    // turn while they last (see InvokerStorage), and are left there undestroyed; the others
    // come from the invoker storage (or another module's) and are destroyed.
    class Snapshot {
        using Storage = function::InvokerStorage;

    public:
        explicit Snapshot(const std::list<FunctionType>& functions)
            : loan_(places_, places_ + kInlineSlots) {
            const size_t count = functions.size();
            Invoker** items = count <= kInlineSlots ? inline_ : static_cast<Invoker**>(::operator new(count * sizeof(Invoker*)));
            size_t n = 0;
            try {
                for (const FunctionType& f : functions) {
                    Invoker* clone = nullptr;
                    if (const Invoker* held = f.GetInvoker()) {
                        loan_.Offer(held);
                        clone = held->Clone();
                    }
                    items[n++] = clone;
                }
            } catch (...) {
                DestroyUnplaced(items, n);
                if (items != inline_) ::operator delete(items);
                throw;
            }
            loan_.EndOffers();
            items_ = items;
            size_ = n;
        }
        ~Snapshot() {
            // Every clone placed (the usual case): nothing to destroy.
            if (loan_.Taken() != size_) DestroyUnplaced(items_, size_);
            if (items_ != inline_) ::operator delete(items_);
        }
        Snapshot(const Snapshot&) = delete;
        Snapshot& operator=(const Snapshot&) = delete;

        Invoker* const* begin() const { return items_; }
        Invoker* const* end() const { return items_ + size_; }

    private:
        void DestroyUnplaced(Invoker* const* items, size_t n) const {
            for (size_t i = n; i > 0; --i) {
                Invoker* clone = items[i - 1];
                const uintptr_t at = reinterpret_cast<uintptr_t>(clone);
                if (clone && at - reinterpret_cast<uintptr_t>(places_) >= sizeof places_) clone->Destroy();
            }
        }

        alignas(std::max_align_t) unsigned char places_[kInlineSlots][Storage::kPlaceSize];
        Storage::Loan loan_;  // ends after the body of the destructor destroyed the clones
        Invoker* inline_[kInlineSlots];
        Invoker** items_ = nullptr;
        size_t size_ = 0;
    };

    std::list<FunctionType> functions_;
};

}  // namespace zor
