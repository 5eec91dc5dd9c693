// Multi-slot signals: an ordered list of functions, all called on Emit. Host and plugins
// compile this header alike: the order of the virtual operations is shared.
#pragma once

#include <cstdint>
#include <list>

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
    // emission walks a copy, so functions may connect or disconnect from inside a call.
    virtual void Emit(Args... args) {
        std::list<FunctionType> snapshot(functions_);
        for (const FunctionType& f : snapshot) f(args...);
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

private:
    std::list<FunctionType> functions_;
};

}  // namespace zor
