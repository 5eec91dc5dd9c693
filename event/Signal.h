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
    // until the emission ends. The first kInlineSlots clones are offered places in the
    // snapshot itself: the clone of an invoker made by this module's code takes its place when
    // it fits. The others come from the invoker storage (or another module's).
    class Snapshot {
        using Storage = function::InvokerStorage;

    public:
        explicit Snapshot(const std::list<FunctionType>& functions)
            : loan_(places_, places_ + kInlineSlots) {
            const size_t count = functions.size();
            Invoker** items = count <= kInlineSlots ? inline_ : static_cast<Invoker**>(::operator new(count * sizeof(Invoker*)));
            items_ = items;
            size_t n = 0;  // clones made; a member only once all are, or one fails
            try {
                for (const FunctionType& f : functions) {
                    const Invoker* held = f.GetInvoker();
                    if (n < kInlineSlots && held) loan_.Offer(places_[n], held);
                    items[n] = held ? held->Clone() : nullptr;
                    ++n;
                }
            } catch (...) {
                size_ = n;
                Release();
                throw;
            }
            size_ = n;
        }
        ~Snapshot() { Release(); }
        Snapshot(const Snapshot&) = delete;
        Snapshot& operator=(const Snapshot&) = delete;

        Invoker* const* begin() const { return items_; }
        Invoker* const* end() const { return items_ + size_; }

    private:
        void Release() {
            Invoker** const items = items_;
            for (size_t i = size_; i > 0; --i) {
                if (items[i - 1]) items[i - 1]->Destroy();
            }
            size_ = 0;
            if (items != inline_) ::operator delete(items);
            items_ = nullptr;
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
