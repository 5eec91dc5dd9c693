// Type-erased, copyable, comparable function objects and member-function binders. Host and
// plugins compile this header alike: the order of the virtual operations is shared.
#pragma once

#include <type_traits>
#include <typeinfo>
#include <utility>

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
class InvokerImpl<F, R(Args...)> : public Invoker<R(Args...)> {
public:
    explicit InvokerImpl(const F& callable) : callable_(callable) {}

    R Invoke(Args... args) override { return static_cast<R>(callable_(std::forward<Args>(args)...)); }
    const std::type_info& GetType() const override { return typeid(InvokerImpl); }
    Invoker<R(Args...)>* Clone() const override { return new InvokerImpl(callable_); }
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
