// Weak references to objects that an owner of their own (a window's widget tree) may delete
// before the code that uses them: the object holds a Lifetime, the user a WeakRef, which reads
// nullptr once the object has gone. No Qt here, so the controls may use it.
#pragma once

#include <memory>

namespace platform {

// Ends with the object that holds it. A copy belongs to a new object, so it starts a life of its
// own.
class Lifetime {
public:
    Lifetime() = default;
    Lifetime(const Lifetime&) : Lifetime() {}
    Lifetime& operator=(const Lifetime&) { return *this; }

    std::weak_ptr<const char> Watch() const { return alive_; }

private:
    std::shared_ptr<const char> alive_ = std::make_shared<const char>(0);
};

// A pointer to a T that provides `const Lifetime& Alive() const`; reads nullptr once that
// lifetime has ended.
template <class T>
class WeakRef {
public:
    WeakRef() = default;
    WeakRef(T* object) : object_(object) {  // NOLINT: converts like a pointer
        if (object) alive_ = object->Alive().Watch();
    }

    T* Get() const { return alive_.expired() ? nullptr : object_; }
    T* operator->() const { return Get(); }
    explicit operator bool() const { return Get() != nullptr; }

private:
    T* object_ = nullptr;
    std::weak_ptr<const char> alive_;
};

}  // namespace platform
