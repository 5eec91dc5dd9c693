#include "zor/Object.h"

namespace zor {

IObject::~IObject() = default;
Object::~Object() = default;

void Object::Release() const {
    if (--refs_ <= 0) delete this;
}

ObjectPtr::ObjectPtr(Object* object) : object_(object) {
    if (object_) object_->AddRef();
}

ObjectPtr::ObjectPtr(const ObjectPtr& other) : object_(other.object_) {
    if (object_) object_->AddRef();
}

ObjectPtr& ObjectPtr::operator=(const ObjectPtr& other) {
    if (other.object_) other.object_->AddRef();
    if (object_) object_->Release();
    object_ = other.object_;
    return *this;
}

ObjectPtr::~ObjectPtr() {
    if (object_) object_->Release();
}

}  // namespace zor
