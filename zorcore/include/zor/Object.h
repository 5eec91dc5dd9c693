// The core library's object base and its intrusive smart pointer.
#pragma once

#include "zor/Export.h"

namespace zor {

class ZORCORE_API IObject {
public:
    virtual ~IObject();
};

// Reference counted. A new object has count 0; ObjectPtr holders add and release
// references. An object that was never held by an ObjectPtr is owned by whoever made it.
class ZORCORE_API Object : public IObject {
public:
    Object() = default;
    Object(const Object&) : IObject() {}
    Object& operator=(const Object&) { return *this; }
    ~Object() override;

    void AddRef() const { ++refs_; }
    // Deletes the object when the last reference goes.
    void Release() const;
    int RefCount() const { return refs_; }

private:
    mutable int refs_ = 0;
};

// Holds one reference to an Object (or nothing).
class ZORCORE_API ObjectPtr {
public:
    ObjectPtr() = default;
    explicit ObjectPtr(Object* object);
    ObjectPtr(const ObjectPtr& other);
    ObjectPtr& operator=(const ObjectPtr& other);
    virtual ~ObjectPtr();

    explicit operator bool() const { return object_ != nullptr; }

protected:
    Object* object_ = nullptr;
};

template <class T>
class ObjectPtrT : public ObjectPtr {
public:
    ObjectPtrT() = default;
    explicit ObjectPtrT(T* object) : ObjectPtr(object) {}
    ~ObjectPtrT() override {}

    T* Get() const { return static_cast<T*>(object_); }
    T* operator->() const { return Get(); }
    T& operator*() const { return *Get(); }
};

}  // namespace zor
