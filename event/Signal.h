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
        if (functions_.empty()) return;
        Snapshot snapshot(functions_);
        for (size_t i = 0; i < snapshot.Size(); ++i) {
            if (Invoker* invoker = snapshot[i]) invoker->Invoke(args...);
        }
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

    // Clones of the held functions' invokers, in order (null for an empty function), owned
    // until the emission ends: in place for a few, on the heap for more.
    class Snapshot {
    public:
        explicit Snapshot(const std::list<FunctionType>& functions) {
            const size_t count = functions.size();
            items_ = count <= kInlineSlots ? inline_ : static_cast<Invoker**>(::operator new(count * sizeof(Invoker*)));
            try {
                for (const FunctionType& f : functions) {
                    const Invoker* held = f.GetInvoker();
                    items_[size_] = held ? held->Clone() : nullptr;
                    ++size_;
                }
            } catch (...) {
                Release();
                throw;
            }
        }
        ~Snapshot() { Release(); }
        Snapshot(const Snapshot&) = delete;
        Snapshot& operator=(const Snapshot&) = delete;

        size_t Size() const { return size_; }
        Invoker* operator[](size_t i) const { return items_[i]; }

    private:
        void Release() {
            for (size_t i = size_; i > 0; --i) {
                if (items_[i - 1]) items_[i - 1]->Destroy();
            }
            size_ = 0;
            if (items_ != inline_) ::operator delete(items_);
            items_ = nullptr;
        }

        Invoker* inline_[kInlineSlots];
        Invoker** items_ = nullptr;
        size_t size_ = 0;
    };

    std::list<FunctionType> functions_;
};

}  // namespace zor
