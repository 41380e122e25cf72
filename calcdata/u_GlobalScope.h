#pragma once
// Owns the object behind one of the program's globals (Settings, FontList) for as long as it
// lives, and points the global at it; the global points where it did before once it goes.
#include <utility>

template <class T>
class TGlobalScope {
public:
    template <class... Args>
    explicit TGlobalScope(T *&Global, Args &&...Arguments)
        : FGlobal(Global), FPrevious(Global), FObject(std::forward<Args>(Arguments)...)
    {
        FGlobal = &FObject;
    }
    ~TGlobalScope() { FGlobal = FPrevious; }
    TGlobalScope(const TGlobalScope &) = delete;
    TGlobalScope &operator=(const TGlobalScope &) = delete;

    T &operator*() { return FObject; }
    T *operator->() { return &FObject; }

private:
    T *&FGlobal;
    T *FPrevious;
    T FObject;
};
