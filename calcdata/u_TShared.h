#pragma once
// Reference counting for the objects the program shares on purpose: grobs, fonts and pictures.
#include <cstdint>
#include <utility>

class TSharedObject {
public:
    TSharedObject() = default;
    TSharedObject(const TSharedObject &) = delete;
    TSharedObject &operator=(const TSharedObject &) = delete;

    void AddRef() { ++FRefCount; }
    // Null-safe; destroys the object when the last reference goes.
    static void Release(TSharedObject *Obj)
    {
        if (Obj && --Obj->FRefCount == 0)
            delete Obj;
    }
    int32_t RefCount() const { return FRefCount; }

protected:
    virtual ~TSharedObject() = default;

private:
    int32_t FRefCount = 1;
};

// Holds one reference to a shared object for as long as it lives.
template <class T>
class TSharedRef {
public:
    TSharedRef() = default;
    // Takes over the creation reference of a new object.
    static TSharedRef Adopt(T *Obj)
    {
        TSharedRef r;
        r.FObj = Obj;
        return r;
    }
    // Adds a reference of its own to an object someone else holds.
    static TSharedRef Share(T *Obj)
    {
        if (Obj)
            Obj->AddRef();
        return Adopt(Obj);
    }
    TSharedRef(const TSharedRef &o) : FObj(o.FObj)
    {
        if (FObj)
            FObj->AddRef();
    }
    TSharedRef(TSharedRef &&o) noexcept : FObj(std::exchange(o.FObj, nullptr)) {}
    TSharedRef &operator=(TSharedRef o) noexcept
    {
        std::swap(FObj, o.FObj);
        return *this;
    }
    ~TSharedRef() { TSharedObject::Release(FObj); }

    T *get() const { return FObj; }
    T *operator->() const { return FObj; }
    T &operator*() const { return *FObj; }
    explicit operator bool() const { return FObj != nullptr; }
    void reset() { *this = TSharedRef(); }
    friend bool operator==(const TSharedRef &a, const TSharedRef &b) { return a.FObj == b.FObj; }

private:
    T *FObj = nullptr;
};
