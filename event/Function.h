// Type-erased, copyable, comparable function objects and member-function binders. Host and
// plugins compile this header alike: the order of the virtual operations is shared.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <typeinfo>
#include <utility>

#if defined(__MINGW32__)
#include "platform/ThreadKey.h"
#endif

namespace zor {

namespace function_traits {
template <class Sig>
struct function_traits_helper;

template <class R, class... Args>
struct function_traits_helper<R(Args...)> {
    using result_type = R;
    static constexpr int arity = sizeof...(Args);
};
}  // namespace function_traits

template <class Sig>
struct FunctionTraits : function_traits::function_traits_helper<Sig> {};

namespace function {

namespace detail {
template <class F, class = void>
struct IsComparable : std::false_type {};
template <class F>
struct IsComparable<F, decltype(void(std::declval<const F&>() == std::declval<const F&>()))> : std::true_type {};

// Callables without an equality operator never compare equal to another copy.
template <class F>
bool CallablesEqual(const F& a, const F& b) {
    if constexpr (IsComparable<F>::value) {
        return static_cast<bool>(a == b);
    } else {
        (void)a;
        (void)b;
        return false;
    }
}
}  // namespace detail

// Storage for invokers. Copying a function clones its invoker, and every emission and every
// dispatch copies functions: blocks of a few sizes are kept in stacks of the thread that gave
// them back, so that, once warm, a clone costs no general heap allocation. Each module
// compiles its own storage; an invoker is always made and destroyed by the code of its own
// module (Clone and Destroy are virtual), so blocks never cross modules.
//
// The thread-local part is a few words (the kept blocks live on the heap): small enough for
// the loader to place a module's thread-locals in the block it sets up with each thread, where
// reaching them takes no call into the loader (with TLS descriptors, see CMakeLists.txt).
class InvokerStorage {
    struct Slot;

public:
    static constexpr size_t kGranule = 16;
    static constexpr size_t kClasses = 8;          // blocks of 16 to 128 bytes
    static constexpr unsigned kKeepPerClass = 64;  // what a thread keeps of each size

    // Places lent by an emission for the clones it makes (see Signal::Emit): right before it
    // clones an invoker, the emission offers the next place to that invoker, and the invoker's
    // Clone, made by this module's code, builds the copy there when it fits and its end does
    // nothing (the emission leaves such clones as they are instead of destroying them). Only
    // the offered invoker's own clone takes a place: a copy made by another callable's copy
    // constructor in between may outlive the emission. Releasing a block inside the lent
    // places gives nothing back: the emission owns that memory. So the clones of an emission
    // take and give back nothing of the storage.
    static constexpr size_t kPlaceSize = 32;  // each place is aligned for any scalar type
    struct LentRange {
        uintptr_t begin;
        uintptr_t end;
    };
    // The loan of the innermost emission in progress on the thread (all zero: none).
    struct LoanState {
        const void* offeredFor;  // the invoker whose clone may take the next place, or null
        uintptr_t next;          // the next place not taken
        LentRange lent;          // all the loan's places
    };

    // An emission's loan of places, for its time on the stack of this thread. Loans nest: the
    // loan before is restored when this one ends. A thread without storage (its end ran)
    // lends nothing: every clone comes from the heap.
    class Loan {
    public:
        Loan(void* begin, void* end) : slot_(ThreadSlot()) {
            if (kMayHaveNoSlot && !slot_) return;
            before_ = slot_->loan;
            const uintptr_t b = reinterpret_cast<uintptr_t>(begin);
            slot_->loan = LoanState{nullptr, b, LentRange{b, reinterpret_cast<uintptr_t>(end)}};
        }
        ~Loan() {
            if (kMayHaveNoSlot && !slot_) return;
            slot_->loan = before_;
        }
        Loan(const Loan&) = delete;
        Loan& operator=(const Loan&) = delete;

        // The next place, if any is left, for the clone of invoker, until the next offer.
        void Offer(const void* invoker) {
            if (kMayHaveNoSlot && !slot_) return;
            slot_->loan.offeredFor = invoker;
        }
        void EndOffers() {
            if (kMayHaveNoSlot && !slot_) return;
            slot_->loan.offeredFor = nullptr;
        }
        // The places taken so far, from the first in order.
        size_t Taken() const {
            if (kMayHaveNoSlot && !slot_) return 0;
            return (slot_->loan.next - slot_->loan.lent.begin) / kPlaceSize;
        }

    private:
        Slot* slot_;
        LoanState before_{};
    };

    // Room for the clone of invoker: the next lent place when it is offered to that invoker,
    // one is left and a clone of this size and alignment fits it, else a block as Allocate
    // gives. Either is given back with Release (which leaves a lent place alone).
    static void* AllocateClone(const void* invoker, size_t size, size_t alignment) {
        Slot* slot = ThreadSlot();
        if (kMayHaveNoSlot && !slot) return ::operator new(size);
        LoanState& loan = slot->loan;
        if (size <= kPlaceSize && alignment <= alignof(std::max_align_t) && loan.offeredFor == invoker &&
            loan.next != loan.lent.end) {
            void* place = reinterpret_cast<void*>(loan.next);
            loan.next += kPlaceSize;
            return place;
        }
        return Allocate(*slot, size);
    }

    static void* Allocate(size_t size) {
        Slot* slot = ThreadSlot();
        if (kMayHaveNoSlot && !slot) return ::operator new(size);
        return Allocate(*slot, size);
    }

    static void Release(void* block, size_t size) noexcept {
        if (!block) return;
        Slot* slot = ThreadSlot();
        if (kMayHaveNoSlot && !slot) return ::operator delete(block);
        const uintptr_t at = reinterpret_cast<uintptr_t>(block);
        const LentRange& lent = slot->loan.lent;
        if (at - lent.begin < lent.end - lent.begin) return;  // a lent place
        const size_t c = Class(size);
        if (c < kClasses) {
            if (Pool* pool = slot->pool ? slot->pool : OpenPool(*slot)) {
                const unsigned n = pool->counts[c];
                if (n < kKeepPerClass) {
                    pool->blocks[c][n] = block;
                    pool->counts[c] = n + 1;
                    return;
                }
            }
        }
        ::operator delete(block);
    }

    // Threads of this module whose pool is open (made and not yet ended).
    static int OpenPools() { return OpenPoolCount().load(); }

private:
    // A stack rather than a list threaded through the blocks: taking a block does not wait for
    // a read of the block before it.
    struct Pool {
        void* blocks[kClasses][kKeepPerClass];
        unsigned counts[kClasses];
    };
    // Trivial, so that it needs no guard and serves until the thread is gone.
    struct Slot {
        LoanState loan;
        Pool* pool;   // owned: made on first use, freed with its blocks when the thread ends
        bool closed;  // the thread has ended its pool: later blocks come from and go to the heap
    };

    static std::atomic<int>& OpenPoolCount() {
        static std::atomic<int> count{0};
        return count;
    }
    // Gives back the pool's blocks and closes it: later blocks come from and go to the heap.
    static void ClosePool(Slot& slot) noexcept {
        Pool* pool = slot.pool;
        slot.pool = nullptr;
        slot.closed = true;
        if (!pool) return;
        for (size_t c = 0; c < kClasses; ++c) {
            while (pool->counts[c] > 0) ::operator delete(pool->blocks[c][--pool->counts[c]]);
        }
        delete pool;
        --OpenPoolCount();
    }

    static size_t Class(size_t size) { return size == 0 ? 0 : (size - 1) / kGranule; }

#if defined(__MINGW32__)
    // MinGW's thread-locals are emulated, and may be freed before the destructors of the
    // thread-locals of the thread run: the slot is a heap block reached through a TLS index and
    // ended by Windows' callback at the thread's end (platform/ThreadKey.h); code that runs on
    // the thread after that finds no slot.
    static constexpr bool kMayHaveNoSlot = true;
    static Slot* ThreadSlot() { return platform::ThreadObject<Slot, &InvokerStorage::ClosePool>::Get(); }
    static void ArmClose(Slot&) {}
#else
    // A thread-local of this module; its closer (a thread-local destructor) ends the pool, and
    // the slot itself serves until the thread is gone.
    static constexpr bool kMayHaveNoSlot = false;
    struct Closer {
        Slot* slot;
        ~Closer() { ClosePool(*slot); }
    };
    static Slot* ThreadSlot() {
        static thread_local Slot slot;  // zero-initialised
        return &slot;
    }
    static void ArmClose(Slot& slot) {
        static thread_local Closer closer{&slot};
        (void)closer;
    }
#endif

    static void* Allocate(Slot& slot, size_t size) {
        const size_t c = Class(size);
        if (c < kClasses) {
            if (Pool* pool = slot.pool) {
                if (const unsigned n = pool->counts[c]) {
                    pool->counts[c] = n - 1;
                    return pool->blocks[c][n - 1];
                }
            }
            return ::operator new((c + 1) * kGranule);
        }
        return ::operator new(size);
    }
    // The thread's first block kept makes its pool and sets up what frees it; none after the
    // thread's end (later thread-local destructors), or without memory for it.
    static Pool* OpenPool(Slot& slot) noexcept {
        if (slot.closed) return nullptr;
        Pool* pool;
        try {
            pool = new Pool();
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        slot.pool = pool;
        ++OpenPoolCount();
        ArmClose(slot);
        return pool;
    }
};

template <class Sig>
class Invoker;

template <class R, class... Args>
class Invoker<R(Args...)> {
public:
    virtual R Invoke(Args... args) = 0;
    virtual const std::type_info& GetType() const = 0;
    virtual Invoker* Clone() const = 0;
    virtual bool IsEqual(const Invoker* other) const = 0;
    virtual void Destroy() = 0;
    virtual ~Invoker() {}
};

template <class F, class Sig>
class InvokerImpl;

template <class F, class R, class... Args>
class InvokerImpl<F, R(Args...)> final : public Invoker<R(Args...)> {
public:
    explicit InvokerImpl(const F& callable) : callable_(callable) {}

    static void* operator new(size_t size) { return InvokerStorage::Allocate(size); }
    static void operator delete(void* block, size_t size) noexcept { InvokerStorage::Release(block, size); }

    R Invoke(Args... args) override { return static_cast<R>(callable_(std::forward<Args>(args)...)); }
    const std::type_info& GetType() const override { return typeid(InvokerImpl); }
    Invoker<R(Args...)>* Clone() const override {
        // Only a clone whose end does nothing may take a lent place (see InvokerStorage).
        void* room = std::is_trivially_destructible<F>::value
                         ? InvokerStorage::AllocateClone(this, sizeof(InvokerImpl), alignof(InvokerImpl))
                         : InvokerStorage::Allocate(sizeof(InvokerImpl));
        try {
            return ::new (room) InvokerImpl(callable_);
        } catch (...) {
            InvokerStorage::Release(room, sizeof(InvokerImpl));
            throw;
        }
    }
    bool IsEqual(const Invoker<R(Args...)>* other) const override {
        if (other == this) return true;
        if (!other) return false;
        if (other->GetType() != GetType()) return false;
        return detail::CallablesEqual(callable_, static_cast<const InvokerImpl*>(other)->callable_);
    }
    void Destroy() override { delete this; }

private:
    F callable_;
};

// Owns at most one invoker (null: empty).
template <class Sig>
class FunctionHelper {
public:
    FunctionHelper() = default;
    FunctionHelper(const FunctionHelper&) = delete;  // Function clones the invoker itself
    FunctionHelper& operator=(const FunctionHelper&) = delete;
    virtual ~FunctionHelper() {
        if (invoker_) invoker_->Destroy();
    }

protected:
    Invoker<Sig>* invoker_ = nullptr;
};

}  // namespace function

template <class Sig>
class Function;

template <class R, class... Args>
class Function<R(Args...)> : public function::FunctionHelper<R(Args...)>, public FunctionTraits<R(Args...)> {
    using Helper = function::FunctionHelper<R(Args...)>;

public:
    Function() = default;

    template <class F, class = std::enable_if_t<!std::is_base_of<Function, std::decay_t<F>>::value>>
    Function(const F& callable) {  // NOLINT: implicit, as callers wrap callables in place
        this->invoker_ = new function::InvokerImpl<F, R(Args...)>(callable);
    }

    Function(const Function& other) : Helper() {
        this->invoker_ = other.invoker_ ? other.invoker_->Clone() : nullptr;
    }

    Function& operator=(const Function& other) {
        if (this == &other) return *this;
        // Clone first: a throwing Clone leaves this function unchanged.
        function::Invoker<R(Args...)>* copy = other.invoker_ ? other.invoker_->Clone() : nullptr;
        if (this->invoker_) this->invoker_->Destroy();
        this->invoker_ = copy;
        return *this;
    }

    bool IsEmpty() const { return this->invoker_ == nullptr; }
    // The held invoker (owned by this function), null when empty.
    const function::Invoker<R(Args...)>* GetInvoker() const { return this->invoker_; }
    explicit operator bool() const { return !IsEmpty(); }

    // An empty function does nothing and, for a signature with a result, gives R().
    R operator()(Args... args) const {
        if (!this->invoker_) {
            if constexpr (std::is_void<R>::value) {
                return;
            } else {
                return R();
            }
        }
        return this->invoker_->Invoke(std::forward<Args>(args)...);
    }

    bool operator==(const Function& other) const {
        if (!this->invoker_) return other.invoker_ == nullptr;
        if (!other.invoker_) return false;
        return this->invoker_->IsEqual(other.invoker_);
    }
    bool operator!=(const Function& other) const { return !(*this == other); }
};

namespace bind_n {

template <class MemFn>
class bind_n_t;

// A member function bound to an object (not owned).
template <class C, class R, class... Args>
class bind_n_t<R (C::*)(Args...)> {
public:
    using MemFn = R (C::*)(Args...);
    bind_n_t(C* object, MemFn method) : object_(object), method_(method) {}

    template <class... CallArgs>
    R operator()(CallArgs&&... args) const {
        return (object_->*method_)(std::forward<CallArgs>(args)...);
    }

    bool operator==(const bind_n_t& other) const { return object_ == other.object_ && method_ == other.method_; }

private:
    C* object_;
    MemFn method_;
};

template <class C, class R, class... Args>
bind_n_t<R (C::*)(Args...)> bind(R (C::*method)(Args...), C* object) {
    return bind_n_t<R (C::*)(Args...)>(object, method);
}

}  // namespace bind_n

}  // namespace zor
